#include "handfocus.h"

#include "accessiblenames.h"
#include "client/tablemodel.h"
#include "common/focusstops.h"

#include <QKeyEvent>
#include <QPainter>

namespace velmora {

namespace {
const QColor RingColour(255, 196, 0);
const QColor RingEdge(60, 30, 0);
// How far the ring's outer pen and its antialiasing reach beyond the card.
constexpr int RingMargin = 4;

bool typesACharacter(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() &
                                       ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return mods == Qt::NoModifier && !event->text().isEmpty() && event->text().at(0).isPrint();
}
} // namespace

HandFocus::HandFocus(TableModel &model, QWidget *board) : QWidget(board), m_model(model)
{
    setObjectName(QStringLiteral("hand_focus"));
    setGeometry(Place);
    // Clicks go to the cards below; only the keyboard stops here.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Out of the window's focus chain: it is reached only from the chat
    // entry, so a board that is merely activated does not put its ring up.
    setFocusPolicy(Qt::NoFocus);
    describe();
}

QRect HandFocus::cardRect(int position, bool raised)
{
    return QRect(QPoint(handLeft(position), CardTop - (raised ? RaiseBy : 0)), CardSize);
}

int HandFocus::positionOfSlot(int handSlot) const
{
    for (int p = 1; p <= TableModel::HandPositions; ++p)
        if (m_model.hand(p).handSlot == handSlot && handSlot != -1)
            return p;
    return 0;
}

int HandFocus::lastPosition() const
{
    // The hand is packed from position 1.
    return m_model.handCount();
}

int HandFocus::chosen() const { return m_chosenPosition; }

void HandFocus::choose(int position)
{
    const int last = lastPosition();
    m_chosenPosition = last == 0 ? 0 : qBound(1, position, last);
    m_chosenSlot = m_chosenPosition ? m_model.hand(m_chosenPosition).handSlot : -1;
    describe();
    updateRing();
}

QRect HandFocus::ringRect() const
{
    const int p = m_chosenPosition;
    if (!hasFocus() || p == 0)
        return {};
    QRect card = cardRect(p, m_model.raised(p)).translated(-Place.topLeft());
    // Only the strip of the card that shows; the last card shows whole.
    if (p < lastPosition())
        card.setWidth(CardStep + 1);
    return card;
}

// The widget spans the whole hand strip, and whatever it marks dirty is
// painted anew down to the board: only the ring's old and new places are.
void HandFocus::updateRing()
{
    const QRect ring = ringRect();
    if (ring == m_ringShown)
        return;
    for (const QRect &place : {m_ringShown, ring})
        if (!place.isNull())
            update(place.adjusted(-RingMargin, -RingMargin, RingMargin, RingMargin));
    m_ringShown = ring;
}

void HandFocus::handChanged()
{
    // The chosen card keeps the choice wherever it moved; once it is gone,
    // the card now standing at its place is chosen.
    const int moved = positionOfSlot(m_chosenSlot);
    choose(moved ? moved : m_chosenPosition);
}

void HandFocus::showHint(int position)
{
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
    choose(position);
}

void HandFocus::describe()
{
    const int p = m_chosenPosition;
    const QString name = p ? spoken::handCard(m_model.hand(p).card, m_model.raised(p))
                           : spoken::emptyHand();
    if (accessibleName() != name)
        setAccessibleName(name);
}

void HandFocus::focusInEvent(QFocusEvent *event)
{
    // Coming to the hand at the own turn, the first card that may be played
    // is the likely one.
    if (!positionOfSlot(m_chosenSlot) || !m_model.raised(m_chosenPosition)) {
        int first = 0;
        for (int p = lastPosition(); p >= 1; --p)
            if (m_model.raised(p))
                first = p;
        choose(first ? first : m_chosenPosition);
    }
    QWidget::focusInEvent(event);
    updateRing();
}

void HandFocus::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    updateRing();
}

bool HandFocus::event(QEvent *event)
{
    // Tab would walk the window's focus chain; here it only goes back to
    // the chat entry.
    if (isFocusStopKey(event)) {
        emit leaveRequested();
        return true;
    }
    return QWidget::event(event);
}

void HandFocus::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool plain =
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain) {
        switch (key) {
        case Qt::Key_Left: choose(m_chosenPosition - 1); return;
        case Qt::Key_Right: choose(m_chosenPosition + 1); return;
        case Qt::Key_Home: choose(1); return;
        case Qt::Key_End: choose(lastPosition()); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (m_chosenPosition)
                m_model.playCard(m_chosenPosition);
            return;
        case Qt::Key_Escape: emit leaveRequested(); return;
        case Qt::Key_B:
        case Qt::Key_K:
            if (m_model.buyShown()) {
                m_model.answerDummy(key == Qt::Key_B);
                return;
            }
            break; // no offer: a letter for the chat
        case Qt::Key_H:
            if (m_model.giveHint())
                return;
            break; // not the own turn to play: a letter for the chat
        default: break;
        }
    }
    if (typesACharacter(event)) {
        emit typedForChat(key, event->modifiers(), event->text());
        return;
    }
    QWidget::keyPressEvent(event);
}

void HandFocus::paintEvent(QPaintEvent *)
{
    const QRect card = ringRect();
    if (card.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(RingEdge, 4));
    painter.drawRoundedRect(QRectF(card).adjusted(-1, -1, 1, 1), 4, 4);
    painter.setPen(QPen(RingColour, 2));
    painter.drawRoundedRect(QRectF(card).adjusted(-1, -1, 1, 1), 4, 4);
}

} // namespace velmora
