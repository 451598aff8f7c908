#pragma once

#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <ctime>

namespace velmora {

// Start-up measurements (bench/startup-xvfb.sh) need the moment the first
// frame of a window has reached the display. Watching a window, this writes
// to `path`, once the window's first paint has been flushed, two numbers:
// the real-time clock and the processor time the process has used so far,
// both in nanoseconds. The measurement's yardstick, a bare window in bench/,
// reports through the same class.
class FirstFrameNote : public QObject
{
public:
    explicit FirstFrameNote(QString path) : m_path(std::move(path)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The zero timer runs once this paint has been flushed.
            QTimer::singleShot(0, this, [this] { write(); });
        }
        return false;
    }

private:
    static qint64 nanoseconds(clockid_t clock)
    {
        timespec now{};
        clock_gettime(clock, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

    void write()
    {
        const QByteArray line = QByteArray::number(nanoseconds(CLOCK_REALTIME)) + ' ' +
                                QByteArray::number(nanoseconds(CLOCK_PROCESS_CPUTIME_ID)) + '\n';
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly))
            file.write(line);
    }

    QString m_path;
};

} // namespace velmora
