#pragma once

#include "sound/soundplayer.h"

#include <QStringList>

#include <memory>

namespace velmora {

// The game's sound player. It loads the sound module (velmora-sound.so, with
// Qt Multimedia, the sound server's client and its codecs) at the first sound
// rather than before the window opens, and hands every sound on to the
// module's player from then on.
//
// Without the module the game plays on in silence: the first sound that
// cannot be played says why on stderr, once, and nothing is tried again.
class DeferredPlayer : public SoundPlayer
{
public:
    // Looks for the module in these folders, in turn.
    explicit DeferredPlayer(QStringList folders = moduleFolders());
    ~DeferredPlayer() override;

    void playsounds(const QString &name) override;
    void setVolume(Channel channel, int percent) override;

    // The module's player, from the first sound on; null before and when
    // the module could not be loaded.
    const SoundPlayer *player() const { return m_player.get(); }

    // Beside the program (a build folder), then where the install puts the
    // module relative to the program, so that a staged install finds its own.
    static QStringList moduleFolders();
    static QString moduleFileName();

private:
    bool load();
    QString loadModule(); // why it failed; empty when loaded

    QStringList m_folders;
    std::unique_ptr<SoundPlayer> m_player;
    bool m_failed = false;
};

} // namespace velmora
