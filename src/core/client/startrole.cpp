#include "startrole.h"

namespace velmora {

StartRole StartRole::fromArguments(const QStringList &params)
{
    StartRole role;
    if (params.isEmpty()) {
        role.kind = Kind::Solo;
        role.playerName = QStringLiteral("You");
        role.hostAddress = QStringLiteral("127.0.0.1");
        return role;
    }
    role.playerName = params.value(0);
    role.hostAddress = params.value(1);
    // "name:port" only when the part after the colon is a port: anything
    // else stays the address it was, and fails as such.
    const qsizetype colon = role.hostAddress.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && role.hostAddress.count(QLatin1Char(':')) == 1) {
        bool ok = false;
        const uint port = role.hostAddress.mid(colon + 1).toUInt(&ok);
        if (ok && port > 0 && port <= 65535) {
            role.port = quint16(port);
            role.hostAddress.truncate(colon);
        }
    }
    if (params.size() < 3)
        role.kind = Kind::Waiting;
    else
        role.kind = params.at(2) == QLatin1String("true") ? Kind::Host : Kind::Join;
    role.openRouter = role.kind == Kind::Host && params.value(3) == QLatin1String("upnp");
    return role;
}

QStringList StartRole::arguments(Kind kind, const QString &name, const QString &address,
                                 bool openRouter)
{
    QStringList words{name, address,
                      kind == Kind::Host ? QStringLiteral("true") : QStringLiteral("x")};
    if (kind == Kind::Host && openRouter)
        words.append(QStringLiteral("upnp"));
    return words;
}

QString presencePort()
{
    const QByteArray env = qgetenv("VELMORA_PRESENCE_PORT");
    return env.isEmpty() ? QStringLiteral("9001") : QString::fromLatin1(env);
}

} // namespace velmora
