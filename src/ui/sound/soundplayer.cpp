#include "soundplayer.h"

#include "chat/chattersounds.h"

#include <algorithm>

namespace velmora {

const QStringList &SoundPlayer::names()
{
    static const QStringList all = [] {
        QStringList list{
            QStringLiteral("buydummy"),  QStringLiteral("entered"), QStringLiteral("gameover"),
            QStringLiteral("getcard"),   QStringLiteral("getpot"),  QStringLiteral("hegotpot"),
            QStringLiteral("leadcard"),  QStringLiteral("money"),   QStringLiteral("playcard"),
            QStringLiteral("roundover"), QStringLiteral("turnnew"), QStringLiteral("wrongcard")};
        for (const Chatter &c : chatterSounds())
            list << c.name;
        return list;
    }();
    return all;
}

bool SoundPlayer::isKnown(const QString &name)
{
    return names().contains(name, Qt::CaseInsensitive);
}

QString SoundPlayer::resourcePath(const QString &name)
{
    if (!isKnown(name))
        return {};
    return QStringLiteral(":/sounds/") + name.toUpper() + QStringLiteral(".wav");
}

void SoundPlayer::setVolume(Channel channel, int percent)
{
    (channel == Channel::Chatter ? m_chatterVolume : m_gameVolume) = std::clamp(percent, 0, 100);
}

int SoundPlayer::volume(Channel channel) const
{
    return channel == Channel::Chatter ? m_chatterVolume : m_gameVolume;
}

SoundPlayer::Channel SoundPlayer::channelOf(const QString &name)
{
    const auto &chatter = chatterSounds();
    const bool isChatter = std::any_of(chatter.begin(), chatter.end(), [&](const Chatter &c) {
        return c.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return isChatter ? Channel::Chatter : Channel::Game;
}

const QList<SoundPlayer::Chatter> &SoundPlayer::chatterSounds()
{
    // The captions live with the chat's chatter-sound menu; the player
    // only adds which of its sounds each one is.
    static const QList<Chatter> list = [] {
        QList<Chatter> sounds;
        for (int n = 1; n <= chatter::Count; ++n)
            sounds.append({n, QString::fromLatin1(chatter::soundName(n)), chatter::caption(n)});
        return sounds;
    }();
    return list;
}

} // namespace velmora
