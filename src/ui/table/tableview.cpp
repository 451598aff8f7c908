#include "tableview.h"

#include "accessiblenames.h"
#include "art/tableart.h"
#include "client/tablemodel.h"
#include "common/colours.h"
#include "handfocus.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <functional>

namespace velmora {

namespace {

const QColor Green(0, 128, 0);
const QColor Grey(128, 128, 128);

struct Place
{
    int x, y;
};

// Screen places of a seat view's widgets, by position 1..4 (bottom left,
// top left, top right, bottom right).
struct SeatPlaces
{
    Place name, cash, left, eyes, turn, dealer, last, ones, fives, tens, cashCaption, leftCaption;
};
constexpr SeatPlaces seatPlaces[SeatCount + 1] = {
    {},
    {{23, 323},
     {60, 340},
     {94, 357},
     {12, 324},
     {138, 326},
     {129, 301},
     {85, 259},
     {21, 255},
     {41, 255},
     {61, 256},
     {23, 340},
     {23, 357}},
    {{26, 54},
     {62, 69},
     {96, 86},
     {13, 54},
     {137, 48},
     {125, 111},
     {85, 123},
     {22, 118},
     {42, 118},
     {62, 118},
     {26, 69},
     {26, 86}},
    {{423, 53},
     {460, 70},
     {494, 86},
     {515, 54},
     {378, 50},
     {410, 112},
     {430, 120},
     {477, 117},
     {498, 117},
     {518, 117},
     {423, 70},
     {423, 86}},
    {{424, 325},
     {461, 341},
     {495, 356},
     {514, 325},
     {381, 324},
     {409, 302},
     {431, 259},
     {477, 255},
     {498, 255},
     {517, 255},
     {424, 341},
     {424, 356}},
};

constexpr Place potPlaces[PotCount + 1] = {{},         {251, 188}, {253, 290}, {254, 83},
                                           {323, 121}, {349, 188}, {321, 262}, {154, 189},
                                           {182, 123}, {182, 257}};

constexpr int ChipColumnHeight = 54;

// A label that reports mouse presses, for cards, names and the start
// picture.
class PressLabel : public QLabel
{
public:
    using Handler = std::function<void(QMouseEvent *)>;
    PressLabel(QWidget *parent, Handler onPress) : QLabel(parent), m_onPress(std::move(onPress)) {}

protected:
    void mousePressEvent(QMouseEvent *event) override { m_onPress(event); }

private:
    Handler m_onPress;
};

QLabel *textLabel(QWidget *parent, const QString &name, QRect geometry, int pixelSize, bool bold,
                  const QColor &colour, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    QFont f = label->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    label->setAlignment(align);
    label->setTextFormat(Qt::PlainText); // names come from the network
    return label;
}

void setColour(QLabel *label, const QColor &colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

QLabel *pictureLabel(QWidget *parent, const QString &name, Place at, QSize size)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(QRect(QPoint(at.x, at.y), size));
    return label;
}

void setTextIfChanged(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

// Names come from the players and may be longer than their label: the label
// shows what fits, ending in "…", and the whole name as its tooltip.
void setElidedText(QLabel *label, const QString &text)
{
    // An empty seat asks nothing of the font (which the first frame then
    // need not load).
    const QString shown =
        text.isEmpty() ? text
                       : label->fontMetrics().elidedText(text, Qt::ElideRight, label->width());
    setTextIfChanged(label, shown);
    const QString tip = shown == text ? QString() : text;
    if (label->toolTip() != tip)
        label->setToolTip(tip);
}

// Marks and the start button get their pictures when they first show: none
// shows in the window's first frame.
template <typename Art>
void showPicture(QLabel *label, bool shown, Art picture)
{
    if (shown && label->pixmap().isNull())
        label->setPixmap(picture());
    label->setVisible(shown);
}

const QColor &cashColour(TableModel::CashColour colour)
{
    static const QColor red(Qt::red);
    static const QColor black(Qt::black);
    return colour == TableModel::CashColour::Red     ? red
           : colour == TableModel::CashColour::Black ? black
                                                     : Green;
}

constexpr TableArt::Chip chipKinds[3] = {TableArt::Chip::One, TableArt::Chip::Five,
                                         TableArt::Chip::Ten};

} // namespace

TableView::TableView(TableModel &model, QWidget *board)
    : QObject(board), m_model(model), m_board(board)
{
    for (int p = 1; p <= SeatCount; ++p)
        buildSeat(p);

    for (int pot = 1; pot <= PotCount; ++pot) {
        const QSize size = pot == 1 ? QSize(52, 52) : QSize(53, 53);
        m_pots[pot] =
            pictureLabel(board, QStringLiteral("image_pot%1").arg(pot), potPlaces[pot], size);
        m_pots[pot]->setToolTip(QLatin1String(potName(pot)));
    }
    m_thelast = pictureLabel(board, QStringLiteral("image_thelast"), {251, 180}, {52, 72});

    m_pot = textLabel(board, QStringLiteral("label_pot"), {97, 4, 410, 19}, 12, true, Green,
                      Qt::AlignCenter);
    m_round = textLabel(board, QStringLiteral("label_round"), {440, 209, 88, 16}, 12, true, Green);
    // The longest prompt ("Game Over! ...") needs four lines of the box.
    m_status = textLabel(board, QStringLiteral("label_status"), {400, 413, 125, 62}, 11, true,
                         Green, Qt::AlignCenter);
    m_status->setWordWrap(true);

    // Banners in the middle: a light yellow text over a grey copy two pixels
    // lower left, its shadow.
    const QRect roundover[] = {{}, {194, 188, 183, 44}, {192, 190, 183, 44}};
    for (int i : {2, 1}) {
        m_roundover[i] = textLabel(board, QStringLiteral("label_roundover%1").arg(i), roundover[i],
                                   16, true, i == 2 ? Grey : BoardColour, Qt::AlignCenter);
        m_roundover[i]->setWordWrap(true);
    }
    const QRect winner[] = {{},
                            {185, 182, 183, 19},
                            {187, 180, 183, 19},
                            {185, 206, 183, 19},
                            {187, 204, 183, 19}};
    for (int i : {1, 2, 3, 4}) {
        m_winner[i] = textLabel(board, QStringLiteral("label_winner%1").arg(i), winner[i], 13, true,
                                i % 2 ? Grey : BoardColour, Qt::AlignCenter);
        if (i >= 3)
            m_winner[i]->setText(QStringLiteral("Walks Away With the Cash!"));
    }

    m_buy = new QPushButton(board);
    m_buy->setObjectName(QStringLiteral("button_buy"));
    m_buy->setGeometry(87, 453, 225, 25);
    m_decline = new QPushButton(QStringLiteral("Keep Current Hand"), board);
    m_decline->setObjectName(QStringLiteral("button_decline"));
    m_decline->setGeometry(135, 426, 129, 25);
    connect(m_buy, &QPushButton::clicked, this, [this] {
        m_model.answerDummy(true);
        emit focusChatEntry();
    });
    connect(m_decline, &QPushButton::clicked, this, [this] {
        m_model.answerDummy(false);
        emit focusChatEntry();
    });

    m_start = new PressLabel(board, [this](QMouseEvent *e) {
        if (e->button() == Qt::LeftButton)
            m_model.startClicked();
    });
    m_start->setObjectName(QStringLiteral("button_start"));
    m_start->setGeometry(200, 248, 157, 42);
    m_start->setCursor(Qt::PointingHandCursor);

    for (int pos = 1; pos <= TableModel::HandPositions; ++pos) {
        auto *card = new PressLabel(board, [this, pos](QMouseEvent *e) {
            if (e->button() == Qt::RightButton)
                m_model.sortthem();
            else if (e->button() == Qt::LeftButton)
                m_model.playCard(pos);
            emit focusChatEntry();
        });
        card->setGeometry(HandFocus::cardRect(pos, false));
        card->setCursor(Qt::PointingHandCursor);
        m_cards[pos] = card;
    }

    // The stacking never changes: each card lies over its left neighbour,
    // the card on the table and the banners over the hand, and the offer's
    // buttons over them all, since they lie over the hand strip.
    m_handFocus = new HandFocus(m_model, board);
    for (int pos = 1; pos <= TableModel::HandPositions; ++pos)
        m_cards[pos]->raise();
    m_handFocus->raise(); // its ring lies over the cards
    m_thelast->raise();
    for (int i : {2, 1})
        m_roundover[i]->raise();
    for (int i : {1, 2, 3, 4})
        m_winner[i]->raise();
    m_buy->raise();
    m_decline->raise();
    m_start->raise();

    connect(&m_model, &TableModel::changed, this, &TableView::redraw);
    refresh();
}

void TableView::buildSeat(int p)
{
    const SeatPlaces &at = seatPlaces[p];
    SeatWidgets &w = m_seats[p];
    textLabel(m_board, {}, {at.cashCaption.x, at.cashCaption.y, 40, 16}, 11, false, Qt::black)
        ->setText(QStringLiteral("Cash:"));
    textLabel(m_board, {}, {at.leftCaption.x, at.leftCaption.y, 70, 16}, 11, false, Qt::black)
        ->setText(QStringLiteral("Cards Left:"));
    auto *name = new PressLabel(m_board, [this, p](QMouseEvent *e) {
        if (e->button() == Qt::RightButton)
            showSeatMenu(p, e->globalPosition().toPoint());
    });
    name->setGeometry(at.name.x, at.name.y, 110, 16);
    QFont f = name->font();
    f.setPixelSize(13);
    f.setBold(true);
    name->setFont(f);
    setColour(name, Green);
    name->setTextFormat(Qt::PlainText);
    w.name = name;
    w.cash = textLabel(m_board, {}, {at.cash.x, at.cash.y, 70, 16}, 11, true, Green);
    w.left = textLabel(m_board, {}, {at.left.x, at.left.y, 40, 16}, 11, true, Green);
    w.eyes = pictureLabel(m_board, {}, at.eyes, TableArt::EyesSize);
    w.turn = pictureLabel(m_board, {}, at.turn, TableArt::TurnMarkSize);
    w.dealer = pictureLabel(m_board, {}, at.dealer, TableArt::DealerMarkSize);
    w.last = pictureLabel(m_board, {}, at.last, TableArt::SmallCardSize);
    w.ones = pictureLabel(m_board, {}, at.ones, {12, ChipColumnHeight});
    w.fives = pictureLabel(m_board, {}, at.fives, {12, ChipColumnHeight});
    w.tens = pictureLabel(m_board, {}, at.tens, {12, ChipColumnHeight});
}

void TableView::refresh() { redraw(TableModel::Change::Everything); }

void TableView::forgetDrawn()
{
    for (SeatWidgets &w : m_seats) {
        w.seat = 0;
        w.colour = -1;
        w.lastCard = -2;
        w.chips = {-1, -1, -1};
        w.caption.reset();
    }
    m_drawnHand.fill(TableModel::HandPosition{-2, -1});
    m_drawnRaised.fill(-1);
    m_drawnPots.fill(DrawnPot{});
    m_drawnTableCard = -2;
    for (auto &columns : m_chipColumns)
        columns.fill(QPixmap());
}

void TableView::artChanged()
{
    forgetDrawn();
    refresh();
}

void TableView::focusHand() { m_handFocus->setFocus(Qt::TabFocusReason); }

void TableView::redraw(TableModel::Changes what)
{
    using Change = TableModel::Change;
    // Pictures rendered for another screen are drawn anew.
    if (const qreal ratio = TableArt::devicePixelRatio(); ratio != m_ratio) {
        m_ratio = ratio;
        forgetDrawn();
        what = Change::Everything;
    }

    if (what & Change::Layout) {
        for (int p = 1; p <= SeatCount; ++p)
            refreshSeat(p);
    } else {
        for (int seat = 1; seat <= SeatCount; ++seat)
            if (what & TableModel::seatChange(seat))
                refreshSeat(m_model.positionOf(seat));
    }
    if (what & Change::Pots)
        refreshPots();
    if (what & Change::OwnHand)
        refreshHand();

    if (what & Change::TableCard) {
        const int table = m_model.tableCard();
        if (table != m_drawnTableCard) {
            m_drawnTableCard = table;
            m_thelast->setPixmap(table >= 0 ? TableArt::card(table) : QPixmap());
            m_thelast->setAccessibleName(spoken::card(table));
        }
    }
    if (what & Change::PotText)
        setTextIfChanged(m_pot, m_model.potText());
    if (what & Change::Round)
        setTextIfChanged(m_round, m_model.roundText());
    if (what & Change::Status)
        setTextIfChanged(m_status, m_model.status());
    if (what & Change::RoundOver) {
        for (int i : {2, 1}) {
            setTextIfChanged(m_roundover[i], m_model.roundOverText());
            m_roundover[i]->setVisible(m_model.roundOverShown());
        }
    }
    if (what & Change::Winner) {
        for (int i : {1, 2, 3, 4}) {
            if (i <= 2)
                setElidedText(m_winner[i], m_model.winnerText());
            m_winner[i]->setVisible(m_model.winnerShown());
        }
    }
    if (what & Change::Offer) {
        const QString caption = m_model.buyCaption();
        if (m_buy->text() != caption)
            m_buy->setText(caption);
        for (QPushButton *button : {m_buy, m_decline})
            button->setVisible(m_model.buyShown());
    }
    if (what & Change::StartButton)
        showPicture(m_start, m_model.startButtonShown(), [] { return TableArt::startButton(); });
}

void TableView::refreshSeat(int p)
{
    if (!isSeat(p))
        return;
    const int seat = m_model.seatAt(p);
    const TableModel::SeatView &s = m_model.seat(seat);
    SeatWidgets &w = m_seats[p];
    if (w.seat != seat) {
        // The widgets answer to the seat shown here.
        w.seat = seat;
        const QString n = QString::number(seat);
        w.name->setObjectName(QStringLiteral("label_playername") + n);
        w.cash->setObjectName(QStringLiteral("label_score") + n);
        w.left->setObjectName(QStringLiteral("label_left") + n);
        w.eyes->setObjectName(QStringLiteral("image_eyes") + n);
        w.turn->setObjectName(QStringLiteral("image_turn") + n);
        w.dealer->setObjectName(QStringLiteral("image_dealer") + n);
        w.last->setObjectName(QStringLiteral("image_last") + n);
        w.ones->setObjectName(QStringLiteral("image_one") + n);
        w.fives->setObjectName(QStringLiteral("image_five") + n);
        w.tens->setObjectName(QStringLiteral("image_ten") + n);
    }

    if (w.caption != s.caption) {
        w.caption = s.caption;
        setElidedText(w.name, s.caption);
    }
    setTextIfChanged(w.cash, s.cashText);
    if (w.colour != int(s.colour)) {
        w.colour = int(s.colour);
        setColour(w.cash, cashColour(s.colour));
    }
    setTextIfChanged(w.left, s.leftText);
    showPicture(w.eyes, s.eyes, &TableArt::eyes);
    showPicture(w.turn, s.turn, &TableArt::turnMark);
    showPicture(w.dealer, s.dealer, &TableArt::dealerMark);
    if (w.lastCard != s.lastCard) {
        w.lastCard = s.lastCard;
        // The small pictures have no card back: code 0 shows nothing.
        w.last->setPixmap(s.lastCard > 0 ? TableArt::card(s.lastCard, TableArt::CardSize::Small)
                                         : QPixmap());
    }
    refreshChips(w.ones, w.chips[0], s.chips.ones, 0);
    refreshChips(w.fives, w.chips[1], s.chips.fives, 1);
    refreshChips(w.tens, w.chips[2], s.chips.tens, 2);
    describeSeat(p);
}

void TableView::refreshChips(QLabel *column, int &drawn, int count, int kind)
{
    // Chips above the column's top are cut off, so every count from
    // ChipsShown up looks the same, and none shows no chips.
    count = qBound(0, count, ChipsShown);
    if (drawn == count)
        return;
    drawn = count;
    column->setPixmap(chipColumn(count, kind));
}

// A column of chips, drawn bottom up, 4 pixels apart.
const QPixmap &TableView::chipColumn(int count, int kind)
{
    QPixmap &column = m_chipColumns[kind][count];
    if (!column.isNull())
        return column;
    column = TableArt::canvas(QSize(12, ChipColumnHeight));
    QPainter p(&column);
    for (int k = 1; k <= count; ++k)
        p.drawPixmap(0, ChipColumnHeight - 4 * k, TableArt::chip(chipKinds[kind]));
    return column;
}

void TableView::refreshPots()
{
    for (int pot = 1; pot <= PotCount; ++pot) {
        const TableModel::PotView &view = m_model.pot(pot);
        describePot(pot);
        DrawnPot &drawn = m_drawnPots[pot];
        if (drawn.face == view.face && drawn.pile == view.pile)
            continue;
        drawn = DrawnPot{view.face, view.pile};
        if (!view.face && view.pile < 0) {
            m_pots[pot]->setPixmap(QPixmap());
            continue;
        }
        QPixmap picture = TableArt::canvas(TableArt::PotSize);
        QPainter p(&picture);
        if (view.face)
            p.drawPixmap(0, 0, TableArt::potFace(pot));
        if (view.pile >= 0)
            p.drawPixmap(0, 0, TableArt::chipPile(view.pile));
        p.end();
        m_pots[pot]->setPixmap(picture);
    }
}

void TableView::refreshHand()
{
    for (int pos = 1; pos <= TableModel::HandPositions; ++pos) {
        const TableModel::HandPosition &h = m_model.hand(pos);
        TableModel::HandPosition &drawn = m_drawnHand[pos];
        QLabel *card = m_cards[pos];
        if (h.handSlot < 0) {
            if (drawn.handSlot != -1) {
                card->hide();
                card->setObjectName(QString());
                drawn = TableModel::HandPosition{};
            }
            continue;
        }
        if (drawn.handSlot != h.handSlot)
            card->setObjectName(QStringLiteral("card%1").arg(h.handSlot));
        if (drawn.card != h.card || drawn.handSlot < 0) {
            card->setPixmap(TableArt::card(h.card));
            card->setAccessibleName(spoken::card(h.card));
        }
        const int raised = m_model.raised(pos) ? 1 : 0;
        if (m_drawnRaised[pos] != raised) {
            m_drawnRaised[pos] = raised;
            card->setGeometry(HandFocus::cardRect(pos, raised));
            card->setAccessibleDescription(raised ? QStringLiteral("playable") : QString());
        }
        drawn = h;
        card->show();
    }
    m_handFocus->handChanged();
}

void TableView::describeSeat(int p)
{
    SeatWidgets &w = m_seats[p];
    const TableModel::SeatView &s = m_model.seat(w.seat);
    const QString name = spoken::seat(s);
    if (w.name->accessibleName() != name)
        w.name->setAccessibleName(name);
    const QString last = spoken::card(s.lastCard);
    if (w.last->accessibleName() != last)
        w.last->setAccessibleName(last);
}

void TableView::describePot(int pot)
{
    const QString name = spoken::pot(pot, m_model.pot(pot));
    if (m_pots[pot]->accessibleName() != name)
        m_pots[pot]->setAccessibleName(name);
}

void TableView::showSeatMenu(int position, const QPoint &globalPos)
{
    const int seat = m_model.seatAt(position);
    QMenu menu(m_board);
    menu.setObjectName(QStringLiteral("popup_kick"));
    QAction *remove = menu.addAction(QStringLiteral("Remove From Game"));
    QAction *set = menu.addAction(QStringLiteral("Set to Just Watch"));
    QAction *unset = menu.addAction(QStringLiteral("Unset Just Watch"));
    remove->setEnabled(m_model.canRemove(seat));
    set->setEnabled(m_model.canSetJustWatch());
    unset->setEnabled(m_model.canSetJustWatch());
    if (m_playerMenu)
        m_playerMenu(menu, seat);
    QAction *chosen = menu.exec(globalPos);
    if (chosen == remove)
        emit m_model.removeFromGame(seat);
    else if (chosen == set)
        m_model.setJustWatch(seat, true);
    else if (chosen == unset)
        m_model.setJustWatch(seat, false);
}

} // namespace velmora
