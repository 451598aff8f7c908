#pragma once

#include "sound/soundplayer.h"

#include <QAudioDevice>
#include <QHash>
#include <QObject>

class QMediaDevices;
class QSoundEffect;

namespace velmora {

// Plays the program's sounds on the desktop's default audio output, one at a
// time: a new sound stops the one still playing. Each sound is loaded once,
// when first asked for, and kept; the audio layer itself wakes at the first
// sound.
//
// With no output device it stays silent. It must: a sound effect started
// without a device claims to be playing for ever and reports no error. A
// device that the sound server gains later (a headset plugged in) is used from
// the next sound on; a sound server started after the program is not reached,
// as the audio layer connects to the server only once.
class EffectPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT
public:
    explicit EffectPlayer(QObject *parent = nullptr);

    void playsounds(const QString &name) override;
    void setVolume(Channel channel, int percent) override;

    // The name of the sound that is playing now; empty when silent.
    QString playing() const;

protected:
    // The device to play on; a null device means silence.
    virtual QAudioDevice output() const;

private:
    void watchOutputs();
    void useOutput(const QAudioDevice &device);
    QSoundEffect *effect(const QString &name);
    void applyVolume(QSoundEffect *effect, const QString &name) const;

    QMediaDevices *m_devices = nullptr;
    QAudioDevice m_device;
    QHash<QString, QSoundEffect *> m_effects;
    QSoundEffect *m_current = nullptr;
    QString m_currentName;
};

} // namespace velmora
