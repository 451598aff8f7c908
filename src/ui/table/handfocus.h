#pragma once

#include <QRect>
#include <QWidget>

namespace velmora {

class TableModel;

// The own hand as one keyboard stop. It lies over the hand strip, above the
// cards, and lets every mouse event through to them, so nothing changes for
// a player with a mouse. With the focus, Left and Right choose a card (a
// ring marks it), Enter or Space plays it, B and K answer the dummy-hand
// offer while it stands, H asks for a hint at the own turn; Tab and Esc, and any other key that
// types a character, belong to the chat entry and are handed back to it.
//
// The chosen card is followed by its hand slot, so sorting and the cards
// played before it do not move the choice to another card.
class HandFocus : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CardTop = 403;
    // How far a card that may be played stands above the others.
    static constexpr int RaiseBy = 8;
    static constexpr QSize CardSize{52, 72};
    static constexpr QRect Place{40, 390, 312, 90};
    // The visible strip of a card under its right neighbour.
    static constexpr int CardStep = 25;

    // Left edge of a hand display position 1..11.
    static constexpr int handLeft(int position) { return 20 + CardStep * position; }

    HandFocus(TableModel &model, QWidget *board);

    // Where the card at a hand position 1..11 stands on the board.
    static QRect cardRect(int position, bool raised);

    // The chosen hand position, 0 with an empty hand.
    int chosen() const;
    // The hand or its raised cards changed.
    void handChanged();
    // Takes the keyboard and rings the hinted card at `position`.
    void showHint(int position);

signals:
    // Tab or Esc: the chat entry takes the focus.
    void leaveRequested();
    // A key that types a character: the chat entry takes the focus and
    // the key.
    void typedForChat(int key, Qt::KeyboardModifiers modifiers, const QString &text);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int positionOfSlot(int handSlot) const;
    int lastPosition() const;
    void choose(int position);
    void describe();
    // Where the ring goes around the chosen card, in this widget; null
    // when no ring shows.
    QRect ringRect() const;
    void updateRing();

    TableModel &m_model;
    int m_chosenSlot = -1; // the host's hand slot of the chosen card
    int m_chosenPosition = 0;
    QRect m_ringShown; // the ring's place as last asked to be painted
};

} // namespace velmora
