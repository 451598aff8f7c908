#pragma once

#include <QObject>
#include <QPoint>

#include <array>

class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace velmora {

class TableModel;

// The table's widgets on the board: four seat views, the own hand, the
// pots, the card on the table, the prompt and message lines, the dummy-hand
// buttons, the banners and the start button. They are created once, carry
// the names the rest of the program knows them by ("label_score2",
// "card7", "image_pot3"), and are redrawn from the TableModel whenever it
// changes. Clicks go back to the model.
class TableView : public QObject
{
    Q_OBJECT
public:
    TableView(TableModel &model, QWidget *board);

    // Redraws everything from the model.
    void refresh();

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
    };

    void buildSeat(int position);
    void refreshSeat(int position);
    void refreshHand();
    void refreshPots();
    void showSeatMenu(int position, const QPoint &globalPos);

    TableModel &m_model;
    QWidget *m_board;
    std::array<SeatWidgets, 5> m_seats{}; // by screen position 1..4
    std::array<QLabel *, 12> m_cards{};   // by hand display position 1..11
    std::array<QLabel *, 10> m_pots{};    // by pot 1..9
    QLabel *m_thelast = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_pot = nullptr;
    QLabel *m_round = nullptr;
    std::array<QLabel *, 3> m_roundover{};
    std::array<QLabel *, 5> m_winner{};
    QPushButton *m_buy = nullptr;
    QPushButton *m_decline = nullptr;
    QLabel *m_start = nullptr;
};

} // namespace velmora
