#pragma once

#include "sound/soundplayer.h"

#include <QDialog>

class QLabel;
class QSlider;

namespace velmora {

class Options;

// The two volume sliders, game sounds and chatter sounds, in percent. They
// show the options record and change it; the record tells the sound player.
// A slider reports its value when let go (or stepped with the keys), not
// while it is dragged, so each choice is one write of the settings file and
// one sample of how it now sounds.
class Tvolume : public QDialog
{
    Q_OBJECT
public:
    explicit Tvolume(Options &options, QWidget *parent = nullptr);

    // Brings the sliders up to the options record.
    void showVolumes();

    void setVisible(bool visible) override;

signals:
    // A volume was chosen: play a sound of that kind at it.
    void sampleWanted(velmora::SoundPlayer::Channel channel);

private:
    struct Row
    {
        QSlider *slider = nullptr;
        QLabel *figure = nullptr; // "75%"
    };
    Row addSlider(const QString &caption, const char *name, int row);
    void addButtons();

    Options &m_options;
    Row m_sound;
    Row m_chatter;
    bool m_buttons = false;
};

} // namespace velmora
