#include "effectplayer.h"

#include <QAudio>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace velmora {

EffectPlayer::EffectPlayer(QObject *parent) : QObject(parent) {}

void EffectPlayer::watchOutputs()
{
    // The audio layer connects to the sound server and starts its threads
    // when first asked: at the first sound, not while the window opens.
    if (m_devices)
        return;
    m_devices = new QMediaDevices(this);
    connect(m_devices, &QMediaDevices::audioOutputsChanged, this, [this] { useOutput(output()); });
}

QAudioDevice EffectPlayer::output() const { return QMediaDevices::defaultAudioOutput(); }

void EffectPlayer::playsounds(const QString &name)
{
    if (!isKnown(name))
        return;
    watchOutputs();
    // Asked afresh each time rather than trusted from the last change signal:
    // the default output may have moved without one.
    useOutput(output());
    if (m_device.isNull())
        return;
    QSoundEffect *next = effect(name.toLower());
    if (m_current)
        m_current->stop();
    m_current = next;
    m_currentName = name.toLower();
    applyVolume(next, m_currentName);
    next->play();
}

void EffectPlayer::setVolume(Channel channel, int percent)
{
    SoundPlayer::setVolume(channel, percent);
    if (m_current && channelOf(m_currentName) == channel)
        applyVolume(m_current, m_currentName);
}

void EffectPlayer::applyVolume(QSoundEffect *effect, const QString &name) const
{
    // The ear hears loudness logarithmically: a slider at half should sound
    // half as loud, not barely quieter.
    const qreal linear = QAudio::convertVolume(volume(channelOf(name)) / qreal(100),
                                               QAudio::LogarithmicVolumeScale,
                                               QAudio::LinearVolumeScale);
    effect->setVolume(linear);
}

QString EffectPlayer::playing() const
{
    return m_current && m_current->isPlaying() ? m_currentName : QString();
}

void EffectPlayer::useOutput(const QAudioDevice &device)
{
    if (device == m_device)
        return;
    if (m_current)
        m_current->stop();
    m_current = nullptr;
    m_device = device;
    if (m_device.isNull())
        return;
    for (QSoundEffect *e : std::as_const(m_effects))
        e->setAudioDevice(m_device);
}

QSoundEffect *EffectPlayer::effect(const QString &name)
{
    QSoundEffect *&e = m_effects[name];
    if (!e) {
        e = new QSoundEffect(m_device, this);
        e->setSource(QUrl(QStringLiteral("qrc") + resourcePath(name)));
    }
    return e;
}

} // namespace velmora
