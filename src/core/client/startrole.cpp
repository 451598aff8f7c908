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
    if (params.size() < 3)
        role.kind = Kind::Waiting;
    else
        role.kind = params.at(2) == QLatin1String("true") ? Kind::Host : Kind::Join;
    return role;
}

QString presencePort()
{
    const QByteArray env = qgetenv("VELMORA_PRESENCE_PORT");
    return env.isEmpty() ? QStringLiteral("9001") : QString::fromLatin1(env);
}

} // namespace velmora
