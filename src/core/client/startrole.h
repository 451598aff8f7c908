#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// What this copy does, decided once from its command line: a solo game with
// no parameters; with a name, an address and a third word, host ("true",
// exactly) or join; with fewer than three words it only waits.
struct StartRole
{
    enum class Kind { Solo, Host, Join, Waiting };

    Kind kind = Kind::Waiting;
    QString playerName;
    QString hostAddress;

    // `params` excludes the program's own name; words after the third are
    // ignored.
    static StartRole fromArguments(const QStringList &params);

    bool multiPlayer() const { return kind != Kind::Solo; }
    // Only a lobby-started game (host or join) holds the presence connection.
    bool opensPresence() const { return kind == Kind::Host || kind == Kind::Join; }
};

// The lobby's listener that a lobby-started game connects to and holds:
// 127.0.0.1 port 9001, or VELMORA_PRESENCE_PORT when set so that test runs
// can share one machine.
QString presencePort();
inline constexpr char PresenceHost[] = "127.0.0.1";

} // namespace velmora
