#include "soundplayer.h"

// The sounds are compiled into this static library; without a reference from
// code the linker would drop their registration.
static void registerSoundResources() { Q_INIT_RESOURCE(sounds); }

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
    static const bool registered = (registerSoundResources(), true);
    Q_UNUSED(registered);
    if (!isKnown(name))
        return {};
    return QStringLiteral(":/sounds/") + name.toUpper() + QStringLiteral(".wav");
}

const QList<SoundPlayer::Chatter> &SoundPlayer::chatterSounds()
{
    static const QList<Chatter> list = [] {
        const QStringList captions{QStringLiteral("Doh"),
                                   QStringLiteral("Cough"),
                                   QStringLiteral("Hello"),
                                   QStringLiteral("Thank You"),
                                   QStringLiteral("Where have you been?"),
                                   QStringLiteral("Snoring"),
                                   QStringLiteral("Sneezing"),
                                   QStringLiteral("Sorry"),
                                   QStringLiteral("Welcome"),
                                   QStringLiteral("Yeehaa"),
                                   QStringLiteral("Yippee"),
                                   QStringLiteral("Oh No"),
                                   QStringLiteral("Applause"),
                                   QStringLiteral("Honk"),
                                   QStringLiteral("Oooh"),
                                   QStringLiteral("Razzberry"),
                                   QStringLiteral("Cheer"),
                                   QStringLiteral("Woman Laughing"),
                                   QStringLiteral("Man Laughing"),
                                   QStringLiteral("Crying")};
        QList<Chatter> chatter;
        for (int i = 0; i < captions.size(); ++i)
            chatter.append({i + 1, QStringLiteral("wave%1").arg(i + 1), captions[i]});
        return chatter;
    }();
    return list;
}

} // namespace velmora
