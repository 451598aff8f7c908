#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// What this copy does, decided once from its command line: a solo game with
// no parameters; with a name, an address and a third word, host ("true",
// exactly) or join; with fewer than three words it only waits.
//
// The address may end in ":PORT", the table's port in place of the usual
// one (a table found on the network or typed with its port). A fourth word
// "upnp" asks a hosting copy to open its port on the router. Other words
// after the third are ignored.
struct StartRole
{
    enum class Kind { Solo, Host, Join, Waiting };

    Kind kind = Kind::Waiting;
    QString playerName;
    QString hostAddress;
    // The port from the address; 0 keeps the usual one.
    quint16 port = 0;
    bool openRouter = false;

    // `params` excludes the program's own name.
    static StartRole fromArguments(const QStringList &params);
    // The command line that starts a copy in `kind` (Host or Join) with
    // this name and address (which may carry a port).
    static QStringList arguments(Kind kind, const QString &name, const QString &address,
                                 bool openRouter = false);

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
