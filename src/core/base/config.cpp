#include "config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

// A whole number of 0 or more from the environment, or `fallback`.
int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value >= 0 ? value : fallback;
}
} // namespace

int deadLinkSeconds() { return environmentNumber("VELMORA_DEAD_LINK_SECONDS", 25); }

int loginDeadlineMs() { return environmentNumber("VELMORA_LOGIN_DEADLINE_MS", 10000); }

QString programFolder()
{
    const QByteArray env = qgetenv("VELMORA_HOME");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() : QString::fromLocal8Bit(env);
}

bool runsInstalled()
{
    return QFileInfo::exists(
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(VELMORA_INSTALL_MARK)));
}

QString dataFolder()
{
    if (!qEnvironmentVariableIsEmpty("VELMORA_HOME"))
        return programFolder();
    const QString own = programFolder();
    if (!runsInstalled() && canWriteIn(own))
        return own;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (user.isEmpty() || !QDir().mkpath(user))
        return own; // nowhere better: saving will say what went wrong
    return user;
}

QStringList downloadFolders()
{
    QStringList folders;
    if (!qEnvironmentVariableIsEmpty("VELMORA_HOME") || !runsInstalled())
        folders << programFolder();
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!user.isEmpty())
        folders << user;
    return folders;
}

void removeStaleSaves(const QString &path)
{
    const QFileInfo file(path);
    QDir folder = file.absoluteDir();
    const QStringList stale =
        folder.entryList({file.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : stale)
        folder.remove(name);
}

} // namespace velmora
