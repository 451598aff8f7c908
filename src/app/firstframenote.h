#pragma once

#include "common/afterfirstframe.h"

#include <QFile>

#include <ctime>

namespace velmora {

// Start-up measurements (bench/startup-xvfb.sh) need the moment the first
// frame of a window has reached the display. When VELMORA_FIRST_FRAME_FILE
// names a file, this writes to it, once the window's first paint has been
// flushed, two numbers: the real-time clock and the processor time the
// process has used so far, both in nanoseconds. The measurement's
// yardstick, a bare window in bench/, reports through the same function.
inline void noteFirstFrame(QWidget *window)
{
    const QString path = qEnvironmentVariable("VELMORA_FIRST_FRAME_FILE");
    if (path.isEmpty())
        return;
    new AfterFirstFrame(window, [path] {
        const auto nanoseconds = [](clockid_t clock) {
            timespec now{};
            clock_gettime(clock, &now);
            return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
        };
        const QByteArray line = QByteArray::number(nanoseconds(CLOCK_REALTIME)) + ' ' +
                                QByteArray::number(nanoseconds(CLOCK_PROCESS_CPUTIME_ID)) + '\n';
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(line);
    });
}

} // namespace velmora
