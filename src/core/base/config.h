#pragma once

// The game's fixed version text (VersionText), sent at login, compared by
// the host and shown in the about box.
#include "base/version.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velmora {

// The TCP port of the game: 7772, or VELMORA_PORT when set (so that several
// tables, or test runs, can share one machine).
inline QString gamePort()
{
    const QByteArray env = qgetenv("VELMORA_PORT");
    return env.isEmpty() ? QStringLiteral("7772") : QString::fromLatin1(env);
}

// How long a connection whose other end has stopped answering is kept,
// in seconds: 25, or VELMORA_DEAD_LINK_SECONDS when set (tests shorten it).
// 0 leaves it to the system, which takes hours.
int deadLinkSeconds();

// How long a new connection may take to log in before it is closed, in
// milliseconds: 10000, or VELMORA_LOGIN_DEADLINE_MS when set.
int loginDeadlineMs();

// The one folder of the program's own files, the settings file and the
// tally: the program's folder, where they have always lived and where the
// lobby program shares the settings file; but for an installed program, or
// where the folder cannot be written, the user's configuration folder.
// VELMORA_HOME overrides both (tests keep their files apart that way).
QString dataFolder();

// The program's folder, or VELMORA_HOME when set.
QString programFolder();

// Where a download goes, in the order to try: the program's folder (or
// VELMORA_HOME; not an installed program's folder), then the user's data
// folder. Unlike dataFolder() the fallback is not the configuration folder,
// since a downloaded program belongs among the user's data.
QStringList downloadFolders();

// True when this copy runs from an installation (its menu entry lies where
// the install put it, relative to the program). An installed program's
// folder belongs to the system even where this user may write it (root), so
// nothing of ours is put beside the program then.
bool runsInstalled();

// Removes what saves of `path` cut short by a crash left beside it: the
// scratch files "<name>.XXXXXX" an atomic save writes before renaming. The
// file itself is always whole; only its scratch copies could pile up. Only
// for files no other program names alike (the tally, not the settings file
// the lobby program shares).
void removeStaleSaves(const QString &path);

} // namespace velmora
