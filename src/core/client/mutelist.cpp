#include "mutelist.h"

namespace velmora {

bool MuteList::isMuted(int player, const QString &name) const
{
    return m_muted.contains(std::pair{player, name});
}

bool MuteList::toggle(int player, const QString &name)
{
    if (m_muted.removeOne(std::pair{player, name}))
        return false;
    m_muted.append({player, name});
    return true;
}

QString MuteList::menuText(bool muted, const QString &name)
{
    return (muted ? QStringLiteral("Unmute ") : QStringLiteral("Mute ")) + name;
}

QString MuteList::announcement(bool muted, const QString &name)
{
    return muted
               ? QStringLiteral("You have muted %1: you no longer see or hear his chat.").arg(name)
               : QStringLiteral("You have unmuted %1.").arg(name);
}

} // namespace velmora
