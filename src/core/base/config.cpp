#include "config.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace velmora {

namespace {
// Creating a file is the only test that answers for every platform:
// permission bits say nothing about access lists or read-only mounts.
bool canWriteIn(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.velmora-XXXXXX"));
    return probe.open();
}
} // namespace

QString dataFolder()
{
    const QByteArray env = qgetenv("VELMORA_HOME");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    const QString own = QCoreApplication::applicationDirPath();
    if (canWriteIn(own))
        return own;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (user.isEmpty() || !QDir().mkpath(user))
        return own; // nowhere better: saving will say what went wrong
    return user;
}

} // namespace velmora
