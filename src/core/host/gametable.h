#pragma once

#include "cards/deck.h"
#include "cards/hand.h"
#include "cards/pots.h"
#include "computerplayer.h"
#include "protocol/table.h"

#include <QByteArray>

#include <memory>

namespace velmora {

class Random;

// One game at the host: the seats' money and cards, the deck, the dummy
// hand, the pots, and the rules that move them (the deal, the dummy-hand
// sale, judging plays, pots, the round's and the game's end). Moves for
// seats nobody plays come from a ComputerPlayer.
//
// It knows no connections: whoever seats the players (the Host) carries
// its messages, runs the timers it asks for and says which seats the
// computer plays. Requests reach it already checked to come from the seat
// they name. Tests and benchmarks put it in any position through setGame()
// and setSeat() instead of playing up to it.
class GameTable
{
public:
    enum class Timer {
        ComputerWithBotInterval, // set the computer timer to the bot interval and start it
        ComputerUnchanged,       // start the computer timer with the interval it has
        StopComputer,
        StartRoundOver,
        StopRoundOver,
    };

    class Host
    {
    public:
        virtual ~Host() = default;
        // `message` is the table's own reusable array, lent for the call.
        // A player's own message is dropped when nobody is connected there.
        virtual void toPlayer(int player, QByteArray &message) = 0;
        virtual void toAll(QByteArray &message) = 0;
        virtual void timer(Timer request) = 0;
        virtual bool isComputerDriven(int seat) const = 0;
    };

    struct Seat
    {
        int cash = 0;
        int lastCard = NoCard;
        int cardBeforeLast = NoCard;
        Hand hand{};
    };

    struct Game
    {
        bool inProgress = false;
        bool roundOver = false; // between a round's end and the next round
        int round = 0;
        int roundsPerGame = 0;
        std::array<int, PotCount + 1> pots{}; // pots 1..9; index 0 unused
        Hand dummy{};
        int tableCard = NoCard;
        int dealer = 0;
        int currentPlayer = 0;
        int offerSeat = 0;
        bool dummyHandsOn = false;
    };

    // The computer plays by the classic rules, drawing from `random` as
    // the deal does.
    GameTable(Host &host, Random &random);
    ~GameTable();
    GameTable(const GameTable &) = delete;
    GameTable &operator=(const GameTable &) = delete;

    // Another policy for the computer's seats (null keeps the one it has).
    void setComputerPlayer(std::unique_ptr<ComputerPlayer> player);
    // A policy for one seat alone, ahead of the one for all (null drops it).
    void setComputerPlayer(int seat, std::unique_ptr<ComputerPlayer> player);

    // A new game: every seat starts with `cash`, the first round is dealt.
    void startGame(const QByteArray &starter, int cash, int rounds, bool dummyOn);
    // `seat` plays the card in `handSlot`; out of turn or out of place it
    // is ignored, a card the rules refuse goes back to its player. True
    // when the card was taken.
    bool play(int seat, int handSlot);
    // `seat` answers the dummy-hand offer; ignored unless it is offered.
    void answerOffer(int seat, bool buy);
    void computerTimerFired();
    void roundOverTimerFired();
    // The computer makes the one move `seat` owes now, the answer to the
    // dummy-hand offer or a card, whoever plays the seat. False when `seat`
    // owes none.
    bool moveFor(int seat);
    // Tells a player who joins a game in progress where it stands.
    void bringUpToDate(int player);

    const Game &game() const { return m_game; }
    // Counts the turns and offers handed out, so that the same seat's next
    // turn tells apart from the one it had.
    quint64 turnsHandedOut() const { return m_turns; }
    // `seat` is 1..4.
    const Seat &seat(int seat) const { return m_seats[seat - 1]; }
    int cardsHeld(int seat) const;

    // What `seat`'s player can see: its own hand and the public table.
    PlayerView viewFor(int seat) const;
    const RoundRecord &record() const { return m_record; }

    void setGame(const Game &game) { m_game = game; }
    void setSeat(int seat, const Seat &state);

private:
    PerSeat<int> cashOfSeats() const;
    void startRound();
    void findPlayer();
    void handOut(int seat, TurnMode mode);
    void dealCards();
    void startComputerFor(int seat);
    bool checkForLowest(int seat, int handSlot) const;
    int allowedSlot(int seat) const;
    void setCard(int seat, int handSlot);
    void addToCash(int seat, int pot);
    void endRound(int seat);
    bool checkForWin();
    ComputerPlayer &computerFor(int seat) const;
    void recount(int seat);

    Host &m_host;
    Random &m_random;
    std::unique_ptr<ComputerPlayer> m_computer;
    PerSeat<std::unique_ptr<ComputerPlayer>> m_seatComputers;
    RoundRecord m_record;
    PerSeat<CardSet> m_givenUp{};
    Game m_game;
    PerSeat<Seat> m_seats{};
    // The number of cards each seat holds, counted again wherever a hand
    // changes: every computer move asks for all four.
    PerSeat<int> m_held{};
    Deck m_deck;
    quint64 m_turns = 0;
    // Every message is built here and lent to the Host: once it has grown
    // to the longest message, building allocates nothing.
    QByteArray m_message;
};

} // namespace velmora
