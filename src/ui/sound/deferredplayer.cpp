#include "deferredplayer.h"

#include "sound/soundmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace velmora {

DeferredPlayer::DeferredPlayer(QStringList folders) : m_folders(std::move(folders)) {}

DeferredPlayer::~DeferredPlayer() = default;

QString DeferredPlayer::moduleFileName() { return QStringLiteral(VELMORA_SOUND_MODULE); }

QStringList DeferredPlayer::moduleFolders()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.path(),
            QDir::cleanPath(program.filePath(QStringLiteral(VELMORA_SOUND_MODULE_DIR)))};
}

void DeferredPlayer::playsounds(const QString &name)
{
    // A name from the network that is no sound must not wake the audio layer.
    if (!isKnown(name) || !load())
        return;
    m_player->playsounds(name);
}

void DeferredPlayer::setVolume(Channel channel, int percent)
{
    SoundPlayer::setVolume(channel, percent);
    if (m_player)
        m_player->setVolume(channel, volume(channel));
}

bool DeferredPlayer::load()
{
    if (m_player || m_failed)
        return !m_failed;
    const QString error = loadModule();
    if (!error.isEmpty()) {
        m_failed = true;
        qWarning("Velmora plays no sounds: %s", qPrintable(error));
        return false;
    }
    for (Channel channel : {Channel::Game, Channel::Chatter})
        m_player->setVolume(channel, volume(channel));
    return true;
}

QString DeferredPlayer::loadModule()
{
    QString path;
    for (const QString &folder : std::as_const(m_folders)) {
        const QString candidate = QDir(folder).filePath(moduleFileName());
        if (QFileInfo::exists(candidate)) {
            path = candidate;
            break;
        }
    }
    if (path.isEmpty())
        return QStringLiteral("the sound module %1 is in none of %2")
            .arg(moduleFileName(), m_folders.join(QStringLiteral(", ")));
    QPluginLoader loader(path);
    // Kept in memory until the program ends, as a linked library would be:
    // the audio layer's threads and the players' sounds live in libraries
    // the module brought, which must not go while anything still runs.
    loader.setLoadHints(QLibrary::PreventUnloadHint);
    auto *module = qobject_cast<SoundModule *>(loader.instance());
    if (!module)
        return loader.isLoaded() ? QStringLiteral("%1 is not this program's sound module").arg(path)
                                 : loader.errorString();
    m_player = module->createPlayer();
    return {};
}

} // namespace velmora
