#include "chatcontrols.h"

#include "art/faces.h"
#include "art/tableart.h"
#include "chat/chattersounds.h"
#include "chatentry.h"
#include "smileys.h"
#include "tipstyle.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

namespace velmora {

namespace {

QColor toQColor(ColourValue value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

ColourValue fromQColor(const QColor &colour)
{
    return ColourValue(colour.red()) | ColourValue(colour.green()) << 8 |
           ColourValue(colour.blue()) << 16;
}

// The chatter-sound button's picture: a loudspeaker.
QPixmap soundPicture()
{
    QPixmap pixmap = TableArt::canvas(QSize(21, 15));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(90, 90, 90));
    const QPointF cone[] = {{3, 5}, {7, 5}, {12, 1}, {12, 14}, {7, 10}, {3, 10}};
    p.drawPolygon(cone, 6);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 3, 7, 9), -50 * 16, 100 * 16);
    p.drawArc(QRectF(9, 0.5, 11, 14), -50 * 16, 100 * 16);
    return pixmap;
}

} // namespace

ChatControls::ChatControls(QWidget *board, const ClientSession &session, Options &options)
    : QObject(board), m_options(options), m_composer(session, options, this)
{
    TipStyle::install();

    m_entry = new ChatEntry(board);
    m_entry->setGeometry(EntryPlace);
    connect(m_entry, &ChatEntry::enterPressed, this,
            [this] { m_entry->setText(m_composer.sendit(m_entry->text())); });

    for (int n = 1; n <= ChatComposer::SentPhrases; ++n) {
        const QRect place(QPoint(PhraseLefts[n - 1], PhraseTop), ButtonSize);
        QToolButton *button =
            addButton(board, QStringLiteral("b_phrase%1").arg(n), place, TableArt::phraseBubble(n));
        connect(button, &QToolButton::clicked, this, [this, n] { m_composer.sendPhrase(n); });
        m_phraseButtons[n] = button;
    }
    m_phraseButtons[Options::Phrases] =
        addButton(board, QStringLiteral("b_phrase10"), SoundButtonPlace, soundPicture());
    m_smileyButton = addButton(board, QStringLiteral("button_smilies"), SmileyButtonPlace,
                               QPixmap::fromImage(smileyPicture(0)));
    buildSmileyMenu(board);
    buildSoundMenu(board);

    connect(&m_options, &Options::changed, this, &ChatControls::optionChanged);
    optionChanged(Options::Key::Phrases);
    optionChanged(Options::Key::TextColour);
    board->window()->installEventFilter(this);
}

QToolButton *ChatControls::addButton(QWidget *board, const QString &name, QRect place,
                                     const QPixmap &picture)
{
    auto *button = new QToolButton(board);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setIcon(picture);
    button->setIconSize(picture.deviceIndependentSize().toSize());
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTipDuration(TipStyle::TipDuration);
    return button;
}

void ChatControls::buildSmileyMenu(QWidget *board)
{
    m_smileys = new QMenu(board);
    m_smileys->setObjectName(QStringLiteral("popup_smilies"));
    for (int code = FirstSmiley; code <= LastSmiley; ++code) {
        QAction *item = m_smileys->addAction(QStringLiteral(":)#%1").arg(code));
        connect(item, &QAction::triggered, this, [this, code] { m_entry->insertSmiley(code); });
    }
    // The pictures are drawn when the menu first opens: the window's first
    // frame shows only the button's.
    connect(
        m_smileys, &QMenu::aboutToShow, this,
        [this] {
            const QList<QImage> &pictures = smileyPictures();
            const QList<QAction *> items = m_smileys->actions();
            for (int i = 0; i < items.size() && i < pictures.size(); ++i)
                items[i]->setIcon(QIcon(QPixmap::fromImage(pictures[i])));
        },
        Qt::SingleShotConnection);
    connect(m_smileyButton, &QToolButton::clicked, this,
            [this] { showMenuAtCorner(m_smileys, m_smileyButton); });
}

void ChatControls::buildSoundMenu(QWidget *board)
{
    m_sounds = new QMenu(board);
    m_sounds->setObjectName(QStringLiteral("popup_sounds"));
    for (int n = 0; n <= chatter::Count; ++n) {
        QAction *item = m_sounds->addAction(chatter::caption(n));
        item->setToolTip(item->text());
        if (n > 0)
            item->setObjectName(QString::fromLatin1(chatter::soundName(n)));
        connect(item, &QAction::triggered, this, [this, n] { m_composer.sendChatterSound(n); });
    }
    QToolButton *button = m_phraseButtons[Options::Phrases];
    connect(button, &QToolButton::clicked, this,
            [this, button] { showMenuAtCorner(m_sounds, button); });
}

void ChatControls::showMenuAtCorner(QMenu *menu, QToolButton *button)
{
    menu->popup(button->mapToGlobal(QPoint(button->width(), button->height())));
}

void ChatControls::focusEntry() { m_entry->setFocus(Qt::OtherFocusReason); }

void ChatControls::typeIntoEntry(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    focusEntry();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(m_entry, &press);
}

void ChatControls::chooseTextColour(QWidget *parent)
{
    const QColor chosen = QColorDialog::getColor(toQColor(m_options.chatColour()), parent);
    if (chosen.isValid())
        m_options.setChatColour(fromQColor(chosen));
}

void ChatControls::optionChanged(Options::Key key)
{
    if (key == Options::Key::Phrases)
        showPhrases();
    else if (key == Options::Key::TextColour)
        m_entry->setTextColour(toQColor(m_options.chatColour()));
}

void ChatControls::showPhrases()
{
    for (int n = 1; n <= Options::Phrases; ++n)
        m_phraseButtons[n]->setToolTip(m_options.phrase(n));
}

bool ChatControls::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        focusEntry();
    return QObject::eventFilter(watched, event);
}

} // namespace velmora
