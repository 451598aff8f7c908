#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// What the game window plays sounds through, and the set of sounds the
// program carries. The window asks for a sound by name ("playcard", "wave7")
// and never waits for it; whether sounds are wanted at all is the caller's
// business. Tests put a recorder in place of the real player.
//
// Names are matched without regard to letter case. A name that is not in the
// set is ignored: chatter sound names arrive from the network.
class SoundPlayer
{
public:
    // A chatter sound as its menu offers it.
    struct Chatter
    {
        int number = 0;  // 1..20
        QString name;    // "wave1".."wave20"
        QString caption; // the menu item's caption and tooltip
    };

    // Game sounds and chatter sounds have volumes of their own.
    enum class Channel { Game, Chatter };

    virtual ~SoundPlayer() = default;

    virtual void playsounds(const QString &name) = 0;

    // In percent, 0..100 (a value outside is taken as the nearest end); a
    // sound plays at its channel's volume from the moment it is set.
    virtual void setVolume(Channel channel, int percent);
    int volume(Channel channel) const;
    static Channel channelOf(const QString &name);

    // Every sound of the set by its lower-case name: the game sounds, then
    // "wave1".."wave20".
    static const QStringList &names();
    static bool isKnown(const QString &name);
    // The resource that holds the sound, ":/sounds/PLAYCARD.wav"; empty for
    // a name that is not in the set. The resources come with the code that
    // plays them (the sound module), not with the game.
    static QString resourcePath(const QString &name);
    // The twenty chatter sounds in menu order.
    static const QList<Chatter> &chatterSounds();

private:
    int m_gameVolume = 100;
    int m_chatterVolume = 100;
};

} // namespace velmora
