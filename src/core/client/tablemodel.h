#pragma once

#include "cards/card.h"
#include "cards/pots.h"
#include "host/playerview.h"
#include "ownlogin.h"
#include "protocol/command.h"
#include "protocol/table.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace velmora {

class FieldReader;
class Random;

// Everything the table shows, kept without widgets: the four seat views
// (indexed by seat number; where each stands on screen is a permutation
// applied once, at the own login), the own hand in its display positions,
// the turn, cash and chips, the nine pots, the round counter and the
// banners. It handles the host's table messages and builds the player's
// requests. The window only draws this state, and after each message only
// the parts that `changed` names; what is said to the player about it (chat
// lines, sounds) is the announcer's, which listens to the events below.
//
// The connection's state (own player, login, name) belongs to the session,
// which hands the table a copy through `setLogin`.
class TableModel : public QObject
{
    Q_OBJECT
public:
    static constexpr int HandPositions = 11;
    static constexpr int StartingCash = 100;
    // The pictures of ante chips a pot may show, chosen at random per round.
    static constexpr int AntePiles = 9;

    enum class CashColour { Green, Red, Black };

    // The parts of the table that a message or an action changed. A seat's
    // flag covers all ten widgets of its seat view.
    enum class Change : quint32 {
        Seat1 = 1u << 0,
        Seat2 = 1u << 1,
        Seat3 = 1u << 2,
        Seat4 = 1u << 3,
        AllSeats = 0xFu,
        Layout = 1u << 4,  // which seat stands at which screen position
        OwnHand = 1u << 5, // the own hand's cards
        Pots = 1u << 6,    // the nine pot pictures
        TableCard = 1u << 7,
        Status = 1u << 8,  // the prompt line
        PotText = 1u << 9, // the pot message line
        Round = 1u << 10,  // the round counter
        RoundOver = 1u << 11,
        Winner = 1u << 12,
        Offer = 1u << 13, // the dummy hand's buttons
        StartButton = 1u << 14,
        JustWatch = 1u << 15,
        Everything = (1u << 16) - 1,
    };
    Q_DECLARE_FLAGS(Changes, Change)
    static Change seatChange(int seat) { return Change(1u << (seat - 1)); }

    struct Chips
    {
        int ones = 0;
        int fives = 0;
        int tens = 0;
        friend bool operator==(const Chips &, const Chips &) = default;
    };

    struct SeatView
    {
        QString caption;      // the name label; "<Waiting>" before the own login
        QString computerName; // its second text
        QString cashText = QStringLiteral("0");
        int cash = 0;
        CashColour colour = CashColour::Green;
        QString leftText;
        bool eyes = false;
        bool turn = false;
        bool dealer = false;
        int lastCard = -1; // -1: nothing shown
        Chips chips;
    };

    struct HandPosition
    {
        int handSlot = -1; // the host's hand slot, -1 = free
        int card = NoCard;
    };

    struct PotView
    {
        bool face = true; // the pot's face is drawn
        int pile = -1;    // ante pile drawn over it (below AntePiles), -1 = none
        // What the pot holds, followed from the antes and payments this
        // client saw; -1 when it joined a game in progress and cannot know.
        int money = 0;
    };

    explicit TableModel(Random &random, QObject *parent = nullptr);

    // This copy's player number and login, as the session knows them.
    void setLogin(const OwnLogin &login);
    const OwnLogin &login() const { return m_login; }
    int ownPlayer() const { return m_login.player; }
    bool isOwnSeat(int seat) const { return seat == m_login.player; }

    // Handles a table message; false (and nothing changes) when `cmd` is not
    // one of them. Raises Error for a field that is missing, malformed or
    // out of range; what the message changed before that field is kept and
    // reported through `changed` all the same.
    bool handle(Cmd cmd, FieldReader &fields);

    // Chips for an amount: tens, fives and ones, with tens changed into
    // pairs of fives while there are more than 8 tens and fewer than 11
    // fives.
    static Chips chipsFor(int cash);
    // The seat shown at screen position 1..4 (1 bottom left, then clockwise)
    // and the position of a seat.
    int seatAt(int position) const { return m_seatAtPosition[position]; }
    int positionOf(int seat) const;

    const SeatView &seat(int seat) const { return m_seats[seat]; }
    const HandPosition &hand(int position) const { return m_hand[position]; }
    int handCount() const;
    const PotView &pot(int pot) const { return m_pots[pot]; }
    int tableCard() const { return m_tableCard; } // -1: nothing shown
    int currentPlayer() const { return m_currentPlayer; }
    // What the player whose turn it is may do; none between turns and for a
    // mode this copy does not know.
    std::optional<TurnMode> turnMode() const { return m_turnMode; }
    // Whether the card at a hand position is one the host would take now:
    // only at the own lead or follow, and only while raising is on.
    bool raised(int position) const;
    bool raisePlayable() const { return m_raisePlayable; }
    void setRaisePlayable(bool on);
    int dealer() const { return m_dealer; }
    const QString &status() const { return m_status; }
    const QString &potText() const { return m_potText; }
    const QString &roundText() const { return m_roundText; }
    int roundsPerGame() const { return m_roundsPerGame; }
    const QString &roundOverText() const { return m_roundOverText; }
    bool roundOverShown() const { return m_roundOverShown; }
    const QString &winnerText() const { return m_winnerText; }
    bool winnerShown() const { return m_winnerShown; }
    bool buyShown() const { return m_buyShown; }
    QString buyCaption() const;
    bool startButtonShown() const { return m_startShown; }
    bool justWatchTicked() const { return m_justWatch; }
    // A watcher: one per player number, in order of arrival. An arrival at
    // a number still listed replaces its name, so a missed departure cannot
    // leave a stale name behind.
    struct Watcher
    {
        int number = 0;
        QString name;
        bool operator==(const Watcher &) const = default;
    };
    const QList<Watcher> &watchers() const { return m_watchers; }
    // The name of the person at a player number, seat or watcher; nothing
    // for a seat the computer plays, a free slot and an unknown number.
    std::optional<QString> playerName(int player) const;
    // The hosting copy shows the start button while no game runs.
    void setHosting(bool hosting);

    // The other players at the table, for the tally: the captions of
    // all seats but the own, skipping seats still waiting.
    QStringList loadchecklist() const;

    // Seat menu: what may be chosen on a seat's name label.
    bool canRemove(int seat) const;
    bool canSetJustWatch() const;

    // The player's actions.
    void playCard(int position);          // left click on a hand card
    void sortthem();                      // right click on a hand card
    void answerDummy(bool buy);           // buy or keep
    void toggleOwnJustWatch();            // Options > Just Watch
    void setJustWatch(int seat, bool on); // seat menu
    void startClicked();                  // start button, File > Start Game
    // Starts a game with the dialog's choices.
    void requestStart(const QByteArray &rounds, int dummy);

    // What the own seat can see of the round: its hand and what every seat
    // was shown. The hint reasons from this and from nothing else.
    PlayerView playerView() const;
    // Whether it is the own turn to play a card, when a hint can be had.
    bool canHint() const;
    // At the own lead or follow: works out the card the Strong computer
    // player would play, raises it and says why through `hintGiven`. False
    // when there is no card to play now.
    bool giveHint();

signals:
    void changed(velmora::TableModel::Changes what);
    // A watcher came or went (the watchers' slots), for the watchers list.
    void watcherArrived(int player, const QString &name);
    void watcherLeft(int player, const QString &name);
    // A complete message (with its 0xFF) for the host.
    void request(const QByteArray &message);
    // A notice box with an OK button.
    void notice(const QString &text);
    void showGameStart();
    // The own turn or offer came: ask for attention if the window is not
    // active.
    void attention();
    // The table asks for the settings once the own login is confirmed.
    void ownLoginConfirmed();
    // The seat menu's "Remove From Game" (only in the hosting copy).
    void removeFromGame(int seat);
    // A finished game for the tally: the winner ("addtomine" when the own
    // seat won) and the other players at the table; then the money won.
    void tallyGame(const QString &winner, const QStringList &atTable);
    void tallyMoney(int amount, int column);
    // Then, for each other player at the table, the own result minus his.
    void tallyAgainst(const QString &name, int amount);

    // What happened, in the order it happened, for the announcer. Each is
    // emitted while the message is handled, before `changed`.
    void playerConnected(int player, const QString &name);
    void seatDisconnected(int seat, const QString &caption);
    // A seat that a person holds was handed to the computer or taken back.
    void seatWatching(int seat, bool watching);
    // One card came into the own hand; the dummy hand replaced it.
    void cardReceived();
    void dummyHandReceived();
    void cardPlayed(int seat, int card);
    // The host refused the own card.
    void cardRefused();
    // The turn passed to `player` (after `attention` when it is the own).
    void turnPassed(int player);
    void potPaid(int seat, int pot, int amount);
    void roundEnded();
    void gameStarted(const QString &starter);
    void gameWon(int seat);
    // The hint's card, by hand position, and one line on why.
    void hintGiven(int position, const QString &line);

private:
    void newplayerinfo(FieldReader &f);
    void movethem(int own);
    void playerdisconnected(FieldReader &f);
    void justwatching(FieldReader &f);
    void newcard(FieldReader &f);
    void thedummyhand(FieldReader &f);
    void createcard(int handSlot, int card);
    void freecard(int handSlot);
    void hiscard(FieldReader &f);
    void wrongcard(FieldReader &f);
    void cardcount(FieldReader &f);
    void getnextplayer(FieldReader &f);
    void boughtdummy(FieldReader &f);
    void startthegame(FieldReader &f);
    void startround(FieldReader &f);
    void gamestats(FieldReader &f);
    void addtocash(FieldReader &f);
    void endround(FieldReader &f);
    void winner(FieldReader &f);
    void sethisscore(int seat, int cash);
    void setante();
    void clearHand();
    void sortHand();
    PerSeat<int> readCash(FieldReader &f);
    bool ownSeatLoggedIn() const;
    // Notes what changed; `publish` tells the view once per message or
    // action.
    void touch(Changes what) { m_pending |= what; }
    void touch(Change what) { m_pending |= what; }
    void publish();
    // The raised cards follow from the own hand, the table card and the
    // turn; anything that changes those changes them, so they are worked
    // out afresh before every publish.
    void updateRaised();

    OwnLogin m_login;
    Random &m_random;
    std::array<SeatView, SeatCount + 1> m_seats{};
    std::array<int, SeatCount + 1> m_seatAtPosition{0, 1, 2, 3, 4};
    std::array<HandPosition, HandPositions + 1> m_hand{};
    std::array<PotView, PotCount + 1> m_pots{};
    int m_tableCard = -1;
    int m_currentPlayer = 0;
    int m_dealer = 0;
    std::optional<TurnMode> m_turnMode;
    bool m_raisePlayable = true;
    std::array<bool, HandPositions + 1> m_raised{};
    QString m_status;
    QString m_potText;
    QString m_roundText;
    int m_roundsPerGame = 0;
    QString m_roundOverText;
    bool m_roundOverShown = false;
    QString m_winnerText;
    bool m_winnerShown = false;
    bool m_buyShown = false;
    bool m_startShown = false;
    bool m_hosting = false;
    bool m_gameRunning = false;
    bool m_justWatch = false;
    Changes m_pending;
    QList<Watcher> m_watchers;
    // The round as far as the messages showed it, for the hint.
    RoundRecord m_record;
    PerSeat<int> m_held{};
    PerSeat<int> m_lastPlayed{};
    PerSeat<int> m_beforeLast{};
    CardSet m_givenUp = 0;
    int m_sequenceCard = NoCard; // the last card played, until the turn moves on
    int m_hintSlot = -1;         // the hinted card's hand slot, until the turn moves on
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TableModel::Changes)

} // namespace velmora
