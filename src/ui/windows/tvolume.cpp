#include "tvolume.h"

#include "client/options.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace velmora {

Tvolume::Tvolume(Options &options, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint), m_options(options)
{
    setObjectName(QStringLiteral("volume"));
    setWindowTitle(QStringLiteral("Volume"));
    new QGridLayout(this);
    m_sound = addSlider(QStringLiteral("&Game sounds"), "slider_sound", 0);
    m_chatter = addSlider(QStringLiteral("&Chatter sounds"), "slider_chatter", 1);
    connect(m_sound.slider, &QSlider::valueChanged, this, [this](int percent) {
        m_options.setSoundVolume(percent);
        emit sampleWanted(SoundPlayer::Channel::Game);
    });
    connect(m_chatter.slider, &QSlider::valueChanged, this, [this](int percent) {
        m_options.setChatterVolume(percent);
        emit sampleWanted(SoundPlayer::Channel::Chatter);
    });
    showVolumes();
}

void Tvolume::setVisible(bool visible)
{
    if (visible && !m_buttons)
        addButtons();
    QDialog::setVisible(visible);
}

// A standard button looks up its icon in the desktop's icon theme, which
// costs the game window's first frame more than all of this dialog besides
// (the main window polishes its dialogs as it shows): the row comes when the
// dialog is first shown, before it is sized.
void Tvolume::addButtons()
{
    m_buttons = true;
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("button_close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    static_cast<QGridLayout *>(layout())->addWidget(buttons, 2, 0, 1, 3);
}

Tvolume::Row Tvolume::addSlider(const QString &caption, const char *name, int row)
{
    auto *grid = static_cast<QGridLayout *>(layout());
    auto *label = new QLabel(caption, this);
    Row r{new QSlider(Qt::Horizontal, this), new QLabel(this)};
    r.slider->setObjectName(QLatin1String(name));
    r.slider->setRange(0, 100);
    r.slider->setPageStep(10);
    r.slider->setMinimumWidth(160);
    r.slider->setTracking(false);
    label->setBuddy(r.slider);
    r.figure->setMinimumWidth(r.figure->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    r.figure->setText(QStringLiteral("0%"));
    // The figure follows the knob while it is dragged; the option only
    // when it is let go.
    const auto show = [figure = r.figure](int value) {
        figure->setText(QStringLiteral("%1%").arg(value));
    };
    connect(r.slider, &QSlider::sliderMoved, r.figure, show);
    connect(r.slider, &QSlider::valueChanged, r.figure, show);
    grid->addWidget(label, row, 0);
    grid->addWidget(r.slider, row, 1);
    grid->addWidget(r.figure, row, 2);
    return r;
}

void Tvolume::showVolumes()
{
    for (auto [r, value] : {std::pair{m_sound, m_options.soundVolume()},
                            std::pair{m_chatter, m_options.chatterVolume()}}) {
        const QSignalBlocker quiet(r.slider);
        r.slider->setValue(value);
        r.figure->setText(QStringLiteral("%1%").arg(value));
    }
}

} // namespace velmora
