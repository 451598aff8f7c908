#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

namespace velmora {

// The game's fixed version text, sent at login and compared by the host.
inline constexpr char VersionText[] = "1.2.0";

// The TCP port of the game: 7772, or VELMORA_PORT when set (so that several
// tables, or test runs, can share one machine).
inline QString gamePort()
{
    const QByteArray env = qgetenv("VELMORA_PORT");
    return env.isEmpty() ? QStringLiteral("7772") : QString::fromLatin1(env);
}

// The folder of the program's own files (the tally): the program's folder,
// or VELMORA_HOME when set (tests keep their files apart that way).
inline QString dataFolder()
{
    const QByteArray env = qgetenv("VELMORA_HOME");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() : QString::fromLocal8Bit(env);
}

} // namespace velmora
