#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

namespace velmora::bench {

// User plus system time of a process, in milliseconds: `process` is a
// process id or "self". Read from /proc, since a benchmark that follows
// another program has no other way to its processor time; -1 where the
// process is gone.
inline double processCpuMs(const QString &process)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which is in parentheses and may
    // hold spaces; utime and stime are fields 14 and 15 of the line.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

} // namespace velmora::bench
