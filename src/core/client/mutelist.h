#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace velmora {

// The players this copy no longer listens to: their chat, actions and
// chatter sounds are not shown or played here; what the table says about
// them still is. Nobody else learns of it, and it lasts as long as the
// connection.
//
// A player is known by number and name together: the number alone would
// silence whoever takes the seat next, the name alone anyone who picks it.
class MuteList
{
public:
    bool isMuted(int player, const QString &name) const;
    // Mutes or unmutes; returns whether the player is muted now.
    bool toggle(int player, const QString &name);

    // The menu item that toggles, and the system line once toggled.
    static QString menuText(bool muted, const QString &name);
    static QString announcement(bool muted, const QString &name);

private:
    QList<std::pair<int, QString>> m_muted;
};

} // namespace velmora
