#pragma once

#include "client/tablemodel.h"
#include "common/playermenu.h"
#include "protocol/table.h"

#include <QObject>
#include <QPixmap>
#include <QPoint>

#include <array>
#include <optional>

class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace velmora {

class HandFocus;

// The table's widgets on the board: four seat views, the own hand, the
// pots, the card on the table, the prompt and message lines, the dummy-hand
// buttons, the banners and the start button. They are created once, carry
// the names the rest of the program knows them by ("label_score2",
// "card7", "image_pot3"), and are redrawn from the TableModel whenever it
// changes. Clicks go back to the model.
//
// A busy table changes a few widgets per message, so only the parts that
// the model names are looked at, and of those only the widgets whose
// contents differ from what they show are touched: every touched widget
// costs a repaint of its place on the board. Chip columns and pot pictures
// are rendered only when their inputs change.
class TableView : public QObject
{
    Q_OBJECT
public:
    TableView(TableModel &model, QWidget *board);

    // Brings every widget up to the model.
    void refresh();
    // Brings the named parts up to the model.
    void redraw(TableModel::Changes what);
    // The card pictures were drawn anew (another deck): shows them.
    void artChanged();

    // The own hand's keyboard stop.
    HandFocus *handFocus() const { return m_handFocus; }
    // Items of the window's own at the end of a seat's menu.
    void setPlayerMenu(PlayerMenu items) { m_playerMenu = std::move(items); }
    void focusHand();

signals:
    // A press on a card or a button: the chat entry line takes the focus
    // back.
    void focusChatEntry();

private:
    struct SeatWidgets
    {
        QLabel *name = nullptr;
        QLabel *cash = nullptr;
        QLabel *left = nullptr;
        QLabel *eyes = nullptr;
        QLabel *turn = nullptr;
        QLabel *dealer = nullptr;
        QLabel *last = nullptr;
        QLabel *ones = nullptr;
        QLabel *fives = nullptr;
        QLabel *tens = nullptr;
        // What the widgets show now; impossible values until first drawn.
        int seat = 0;
        int colour = -1;
        int lastCard = -2;
        std::array<int, 3> chips{-1, -1, -1}; // ones, fives, tens
        // Eliding measures the text, so a name is elided once per change.
        std::optional<QString> caption;
    };
    struct DrawnPot
    {
        bool face = false;
        int pile = -2;
    };

    void buildSeat(int position);
    void refreshSeat(int position);
    void refreshHand();
    void refreshPots();
    void refreshChips(QLabel *column, int &drawn, int count, int kind);
    const QPixmap &chipColumn(int count, int kind);
    void forgetDrawn();
    void showSeatMenu(int position, const QPoint &globalPos);
    void describeSeat(int position);
    void describePot(int pot);

    TableModel &m_model;
    QWidget *m_board;
    std::array<SeatWidgets, SeatCount + 1> m_seats{}; // by screen position 1..4
    PlayerMenu m_playerMenu;
    std::array<QLabel *, TableModel::HandPositions + 1> m_cards{}; // by hand display position 1..11
    std::array<QLabel *, PotCount + 1> m_pots{};                   // by pot 1..9
    QLabel *m_thelast = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_pot = nullptr;
    QLabel *m_round = nullptr;
    std::array<QLabel *, 3> m_roundover{};
    std::array<QLabel *, 5> m_winner{};
    QPushButton *m_buy = nullptr;
    QPushButton *m_decline = nullptr;
    QLabel *m_start = nullptr;
    HandFocus *m_handFocus = nullptr;

    std::array<TableModel::HandPosition, TableModel::HandPositions + 1> m_drawnHand{};
    std::array<int, TableModel::HandPositions + 1> m_drawnRaised{}; // 1 raised, 0 not, -1 unknown
    std::array<DrawnPot, PotCount + 1> m_drawnPots{};
    int m_drawnTableCard = -2;
    // Chip columns by kind and count (0..ChipsShown), rendered on first use
    // at the ratio below.
    static constexpr int ChipsShown = 14;
    std::array<std::array<QPixmap, ChipsShown + 1>, 3> m_chipColumns{};
    qreal m_ratio = 0;
};

} // namespace velmora
