#include "tgamestart.h"

#include "common/clicklabel.h"
#include "art/tableart.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QToolButton>

namespace velmora {

namespace {
} // namespace

Tgamestart::Tgamestart(Options &options, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_options(options)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Velmora - Game Start"));
    setFixedSize(266, 142);
    setAutoFillBackground(true);
    TableArt::setPanelBackground(this);

    auto *heading = new QLabel(QStringLiteral("GAME OPTIONS"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setUnderline(true);
    heading->setFont(bold);
    heading->setAlignment(Qt::AlignCenter);
    heading->setGeometry(0, 6, 266, 18);

    auto *roundsLabel = new QLabel(QStringLiteral("Rounds Per Game"), this);
    roundsLabel->setGeometry(40, 32, 110, 20);
    m_rounds = new QLineEdit(this);
    m_rounds->setObjectName(QStringLiteral("edit_roundpergame"));
    m_rounds->setReadOnly(true);
    m_rounds->setAlignment(Qt::AlignCenter);
    m_rounds->setGeometry(160, 31, 36, 22);
    auto *up = new QToolButton(this);
    up->setObjectName(QStringLiteral("UpDown1_up"));
    up->setArrowType(Qt::UpArrow);
    up->setGeometry(197, 31, 16, 11);
    auto *down = new QToolButton(this);
    down->setObjectName(QStringLiteral("UpDown1_down"));
    down->setArrowType(Qt::DownArrow);
    down->setGeometry(197, 42, 16, 11);
    connect(up, &QToolButton::clicked, this, &Tgamestart::stepUp);
    connect(down, &QToolButton::clicked, this, &Tgamestart::stepDown);

    auto *dummyLabel = new QLabel(QStringLiteral("Dummy Hands"), this);
    dummyLabel->setGeometry(40, 62, 110, 20);
    m_box = new ClickLabel(this, [this] { box_dummyClick(); });
    m_box->setObjectName(QStringLiteral("box_dummy"));
    m_box->setGeometry(160, 56, TableArt::OnOffBoxSize.width(), TableArt::OnOffBoxSize.height());

    m_start = new ClickLabel(this, [this] { button_startClick(); });
    m_start->setObjectName(QStringLiteral("Image1"));
    TableArt::whenShown(m_start, [this] { m_start->setPixmap(TableArt::startButton()); });
    m_start->setGeometry((266 - 157) / 2, 94, 157, 42);

    connect(&m_options, &Options::changed, this, &Tgamestart::optionChanged);
    setRounds(m_options.roundsText());
    optionChanged(Options::Key::Dummy);
}

void Tgamestart::showEvent(QShowEvent *event)
{
    // A dialog would stand over the game window; this one belongs in the
    // middle of the desktop of the screen the game is on.
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (const QScreen *screen = owner ? owner->screen() : this->screen()) {
        QRect place = frameGeometry();
        place.moveCenter(screen->availableGeometry().center());
        move(place.topLeft());
    }
    QDialog::showEvent(event);
}

// The dialog plays without a mouse too: the arrows move the spinner, Space
// turns the dummy hands on or off and Enter starts the game.
void Tgamestart::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up: stepUp(); break;
    case Qt::Key_Down: stepDown(); break;
    case Qt::Key_Space: box_dummyClick(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: button_startClick(); break;
    default: QDialog::keyPressEvent(event);
    }
}

void Tgamestart::optionChanged(Options::Key key)
{
    if (key == Options::Key::Rounds) {
        m_rounds->setText(m_options.roundsText());
    } else if (key == Options::Key::Dummy) {
        // Only 0 and 1 have pictures; any other value shows an empty box.
        const int flag = m_options.dummy();
        if (flag == 0 || flag == 1)
            m_box->setPixmap(TableArt::onOffBox(flag == 1));
        else
            m_box->clear();
    }
}

const QString &Tgamestart::roundsText() const { return m_options.roundsText(); }

int Tgamestart::dummyFlag() const { return m_options.dummy(); }

void Tgamestart::setRounds(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok)
        m_position = qBound(MinRounds, n, MaxRounds);
    m_options.setRoundsText(text);
}

void Tgamestart::stepUp()
{
    if (m_position < MaxRounds) {
        m_position = qMin(m_position + RoundsStep, MaxRounds);
        m_options.setRoundsText(QString::number(m_position));
    }
}

void Tgamestart::stepDown()
{
    if (m_position > MinRounds) {
        m_position = qMax(m_position - RoundsStep, MinRounds);
        m_options.setRoundsText(QString::number(m_position));
    }
}

void Tgamestart::changebox(const QString &name, int value)
{
    if (name == m_box->objectName())
        m_options.setDummy(value);
}

void Tgamestart::box_dummyClick()
{
    changebox(QStringLiteral("box_dummy"), m_options.dummy() == 0 ? 1 : 0);
}

void Tgamestart::button_startClick()
{
    emit startRequested(m_options.roundsText().toLatin1(), m_options.dummy());
    hide();
}

} // namespace velmora
