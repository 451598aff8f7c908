// The rules of a game as the host engine plays them: round start and deal,
// the dummy-hand sale, judging plays, sequences, pots, the round's and the
// game's end, and the computer players. Everything is seeded and runs
// without sockets or timers: a recording output keeps every message (in the
// order sent, per slot) and every timer request.

#include "base/version.h"
#include "enginerecorder.h"
#include "cards/deck.h"
#include "cards/random.h"
#include "host/hostengine.h"
#include "host/strongplayer.h"
#include "protocol/messages.h"

#include <QTest>

#include <numeric>
#include <set>

using namespace velmora;
using Timer = HostEngine::Timer;

namespace {

// A request as a client would send it, without the terminator.
QByteArray req(QByteArray message)
{
    message.chop(1);
    return message;
}

QByteArray commandOf(const QByteArray &message) { return EngineRecorder::commandOf(message); }

// "+a+b+c" for the numbers given.
QByteArray joined(const QList<int> &numbers)
{
    QByteArray text;
    for (int n : numbers)
        text += '+' + QByteArray::number(n);
    return text;
}

// An engine with `humans` connections logged in at slots 1..humans.
class Table
{
public:
    explicit Table(quint32 seed = 1, int humans = 4) : random(seed), engine(out, random)
    {
        for (int i = 0; i < humans; ++i) {
            const int slot = engine.acceptSlot();
            engine.connected(slot);
            engine.handle(slot,
                          req(wire::loginInfo(slot, VersionText, "P" + QByteArray::number(slot))));
        }
        out.clear();
    }

    EngineRecorder out;
    Random random;
    HostEngine engine;

    const GameTable &table() const { return engine.table(); }

    void start(int rounds = 16, bool dummy = false, const QByteArray &name = "Host")
    {
        engine.handle(1, req(wire::startGameRequest(name, 100, QByteArray::number(rounds), dummy)));
    }
    void give(int seat, const QList<int> &cards)
    {
        changeSeat(engine.table(), seat, [&](GameTable::Seat &s) {
            s.hand.fill(NoCard);
            std::copy(cards.begin(), cards.end(), s.hand.begin());
        });
    }
    // Round in play, no offer pending, `seat` to lead or, with a table card,
    // to follow it.
    void turn(int seat, int tableCard = NoCard)
    {
        changeGame(engine.table(), [&](GameTable::Game &g) {
            g.offerSeat = 0;
            g.currentPlayer = seat;
            g.tableCard = tableCard;
        });
    }
    int slotOf(int seat, int card) const
    {
        const Hand &hand = table().seat(seat).hand;
        const auto it = std::find(hand.begin(), hand.end(), card);
        return it == hand.end() ? 0 : int(it - hand.begin()) + 1;
    }
    void playSlot(int seat, int slot) { engine.handle(seat, req(wire::playCard(seat, slot))); }
    void play(int seat, int card) { playSlot(seat, slotOf(seat, card)); }
    void answer(int seat, bool buy) { engine.handle(seat, req(wire::buyTheDummy(seat, buy))); }

    int cash(int seat) const { return table().seat(seat).cash; }
    int potSum() const
    {
        const auto &pots = table().game().pots;
        return std::accumulate(pots.begin(), pots.end(), 0);
    }
    int money() const { return cash(1) + cash(2) + cash(3) + cash(4) + potSum(); }
    int cardsInSeats() const
    {
        int n = 0;
        for (int s = 1; s <= 4; ++s)
            for (int c : table().seat(s).hand)
                n += c != NoCard;
        return n;
    }
};

QByteArray cardListOf(const Hand &hand)
{
    QByteArray list;
    for (int k = 1; k <= 11; ++k)
        if (hand[k - 1])
            list += '+' + QByteArray::number(k) + '+' + QByteArray::number(hand[k - 1]);
    return list;
}

// Empty when the four seats and the dummy hand hold every card exactly once,
// the dealer and the dummy hand in hand slots 1..11, the others in 1..10.
QString dealProblem(const GameTable &table)
{
    std::array<bool, 53> seen{};
    const auto check = [&](const Hand &hand, int count) -> QString {
        for (int k = 0; k < 11; ++k) {
            const int c = hand[k];
            if (k < count && (!isCard(c) || seen[c]))
                return QStringLiteral("slot %1 holds %2 (missing or dealt twice)")
                    .arg(k + 1)
                    .arg(c);
            if (k >= count && c != NoCard)
                return QStringLiteral("slot %1 holds %2, expected empty").arg(k + 1).arg(c);
            if (k < count)
                seen[c] = true;
        }
        return {};
    };
    for (int s = 1; s <= 4; ++s)
        if (QString p = check(table.seat(s).hand, s == table.game().dealer ? 11 : 10); !p.isEmpty())
            return QStringLiteral("seat %1: %2").arg(s).arg(p);
    if (QString p = check(table.game().dummy, 11); !p.isEmpty())
        return QStringLiteral("dummy: %1").arg(p);
    return {};
}

// Checks that the deal took the deck (shuffled by a generator in state
// `seedBefore`) in the order dealer, dummy hand, the three others, ten
// times over, then the dealer and the dummy hand once more.
void verifyDealOrder(const GameTable &table, quint32 seedBefore)
{
    Random random(seedBefore);
    Deck deck;
    deck.shuffle(random);
    const int dealer = table.game().dealer;
    int position = 1;
    for (int k = 1; k <= 11; ++k) {
        QCOMPARE(table.seat(dealer).hand[k - 1], deck.at(position++));
        QCOMPARE(table.game().dummy[k - 1], deck.at(position++));
        for (int i = 1; i <= 3 && k <= 10; ++i)
            QCOMPARE(table.seat((dealer + i - 1) % 4 + 1).hand[k - 1], deck.at(position++));
    }
}

} // namespace

class TestHostRules : public QObject
{
    Q_OBJECT

private slots:
    void roundStart_data();
    void roundStart();
    void dummySale_data();
    void dummySale();
    void judging_data();
    void judging();
    void sequenceEnd_data();
    void sequenceEnd();
    void pots_data();
    void pots();
    void goingOutPaysTheKitty();
    void gameEnd_data();
    void gameEnd();
    void startGameRequest_data();
    void startGameRequest();
    void foreignRequestsDropped_data();
    void foreignRequestsDropped();
    void computerIdle_data();
    void computerIdle();
    void computerDummyDecision_data();
    void computerDummyDecision();
    void computerPlay_data();
    void computerPlay();
    void computerPolicy_data();
    void computerPolicy();
    void offerSeatTurnsComputer_data();
    void offerSeatTurnsComputer();
    void playDuringOfferWithdrawsIt();
    void rejoinerIsToldLeadOrFollow_data();
    void rejoinerIsToldLeadOrFollow();
    void botGames_data();
    void botGames();
};

// ---- round start and deal ----------------------------------------------------

void TestHostRules::roundStart_data()
{
    QTest::addColumn<QList<int>>("seated");
    QTest::addColumn<bool>("dummy");
    QTest::addColumn<QByteArray>("firstTurn");
    QTest::addColumn<bool>("computerFirst");

    QTest::newRow("solo, dummy on: the dealer is offered, no timer")
        << QList<int>{1} << true << QByteArray("CMD_nextplayer+1+1+b+") << false;
    QTest::newRow("solo, dummy off: seat 2 leads by computer")
        << QList<int>{1} << false << QByteArray("CMD_nextplayer+1+2+l+") << true;
    QTest::newRow("full table, dummy on")
        << QList<int>{1, 2, 3, 4} << true << QByteArray("CMD_nextplayer+1+1+b+") << false;
    QTest::newRow("full table, dummy off")
        << QList<int>{1, 2, 3, 4} << false << QByteArray("CMD_nextplayer+1+2+l+") << false;
    QTest::newRow("seats 1 and 3 with a watcher, seat 2 empty")
        << QList<int>{1, 3, 5} << false << QByteArray("CMD_nextplayer+1+2+l+") << true;
}

// Order at the start: the game, the round, each seat's own cards (only to a
// connected seat) followed by its count to all, then the first turn.
void TestHostRules::roundStart()
{
    QFETCH(QList<int>, seated);
    QFETCH(bool, dummy);
    QFETCH(QByteArray, firstTurn);
    QFETCH(bool, computerFirst);

    Table t(7, seated.last());
    for (int slot = 1; slot <= seated.last(); ++slot)
        if (!seated.contains(slot))
            t.engine.closed(slot);
    t.out.clear();
    const quint32 seedBefore = t.random.seed();
    t.start(16, dummy);

    const GameTable &e = t.table();
    QCOMPARE(dealProblem(e), QString());
    verifyDealOrder(e, seedBefore);
    if (QTest::currentTestFailed())
        return;

    QList<EngineRecorder::Sent> expected;
    const auto toAll = [&](const QByteArray &m) {
        for (int slot : seated)
            expected.append({slot, m});
    };
    toAll("CMD_startgame+Host+100+16+16+");
    toAll("CMD_startround+1+91+91+91+91+");
    for (int s = 1; s <= 4; ++s) {
        if (seated.contains(s))
            expected.append(
                {s, "CMD_newcard+" + QByteArray::number(s) + cardListOf(e.seat(s).hand)});
        toAll("CMD_cardcount+" + QByteArray::number(s) + (s == 1 ? "+11+" : "+10+"));
    }
    toAll(firstTurn);

    QCOMPARE(t.out.sent.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(t.out.sent[i].slot, expected[i].slot);
        QCOMPARE(t.out.sent[i].message.chopped(1), expected[i].message);
    }
    QVERIFY(!t.out.unterminated);
    for (int p = 1; p <= PotCount; ++p)
        QCOMPARE(e.game().pots[p], 4);
    QCOMPARE(t.out.computerArmed, computerFirst);
    QVERIFY(!t.out.timers.contains(Timer::ComputerWithBotInterval));
}

// ---- the dummy-hand sale -----------------------------------------------------

void TestHostRules::dummySale_data()
{
    QTest::addColumn<bool>("dummy");
    QTest::addColumn<QByteArrayList>("answers"); // "2y": seat 2 answers yes
    QTest::addColumn<QByteArrayList>("turns");   // what each answer sends; "" = ignored
    QTest::addColumn<int>("buyer");
    QTest::addColumn<QByteArray>("bought");

    const QByteArray lead = "CMD_nextplayer+1+2+l+";
    QTest::newRow("four refusals: nobody buys, seat 2 leads")
        << true << QByteArrayList{"1n", "2n", "3n", "4n"}
        << QByteArrayList{"CMD_nextplayer+1+2+b+", "CMD_nextplayer+1+3+b+", "CMD_nextplayer+1+4+b+",
                          lead}
        << 0 << QByteArray();
    QTest::newRow("the dealer takes it for nothing")
        << true << QByteArrayList{"1y"} << QByteArrayList{lead} << 1
        << QByteArray("CMD_boughtdummy+1+91+1+91+");
    QTest::newRow("seat 3 pays the dealer 5")
        << true << QByteArrayList{"1n", "2n", "3y"}
        << QByteArrayList{"CMD_nextplayer+1+2+b+", "CMD_nextplayer+1+3+b+", lead} << 3
        << QByteArray("CMD_boughtdummy+3+86+1+96+");
    QTest::newRow("the last seat asked buys")
        << true << QByteArrayList{"1n", "2n", "3n", "4y"}
        << QByteArrayList{"CMD_nextplayer+1+2+b+", "CMD_nextplayer+1+3+b+", "CMD_nextplayer+1+4+b+",
                          lead}
        << 4 << QByteArray("CMD_boughtdummy+4+86+1+96+");
    QTest::newRow("answers out of turn are ignored")
        << true << QByteArrayList{"2y", "1n", "4y", "3n", "2y"}
        << QByteArrayList{"", "CMD_nextplayer+1+2+b+", "", "", lead} << 2
        << QByteArray("CMD_boughtdummy+2+86+1+96+");
    QTest::newRow("answers after the sale are ignored")
        << true << QByteArrayList{"1y", "2y"} << QByteArrayList{lead, ""} << 1
        << QByteArray("CMD_boughtdummy+1+91+1+91+");
    QTest::newRow("answers after four refusals are ignored")
        << true << QByteArrayList{"1n", "2n", "3n", "4n", "1y"}
        << QByteArrayList{"CMD_nextplayer+1+2+b+", "CMD_nextplayer+1+3+b+", "CMD_nextplayer+1+4+b+",
                          lead, ""}
        << 0 << QByteArray();
    QTest::newRow("dummy hands off: no offer to answer")
        << false << QByteArrayList{"1y", "2y"} << QByteArrayList{"", ""} << 0 << QByteArray();
}

void TestHostRules::dummySale()
{
    QFETCH(bool, dummy);
    QFETCH(QByteArrayList, answers);
    QFETCH(QByteArrayList, turns);
    QFETCH(int, buyer);
    QFETCH(QByteArray, bought);

    Table t(11);
    t.start(16, dummy);
    const Hand dummyHand = t.table().game().dummy;
    std::array<Hand, 5> dealt{};
    for (int s = 1; s <= 4; ++s)
        dealt[s] = t.table().seat(s).hand;

    for (qsizetype i = 0; i < answers.size(); ++i) {
        const int seat = answers[i][0] - '0';
        const bool yes = answers[i][1] == 'y';
        t.out.clear();
        t.answer(seat, yes);
        if (turns[i].isEmpty()) {
            QVERIFY2(t.out.sent.isEmpty(), answers[i].constData());
            continue;
        }
        for (int slot = 1; slot <= 4; ++slot) {
            QByteArrayList expected;
            if (yes && slot == seat)
                expected << "CMD_thedummyhand+" + QByteArray::number(seat) + cardListOf(dummyHand);
            if (yes)
                expected << bought;
            expected << turns[i];
            QCOMPARE(t.out.texts(slot), expected);
        }
    }
    QCOMPARE(t.table().game().offerSeat, 0);
    for (int s = 1; s <= 4; ++s) {
        QCOMPARE(t.table().seat(s).hand, s == buyer ? dummyHand : dealt[s]);
        const int price = buyer == 0 || buyer == 1 ? 0 : s == buyer ? -5 : s == 1 ? 5 : 0;
        QCOMPARE(t.cash(s), 91 + price);
    }
}

// ---- judging plays -----------------------------------------------------------

void TestHostRules::judging_data()
{
    QTest::addColumn<QList<int>>("hand"); // seat 2's hand, slots 1..
    QTest::addColumn<int>("tableCard");
    QTest::addColumn<int>("from"); // seat that sends the play
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("verdict"); // "ok", "low", "next" or "" (ignored)

    // 2 = three of clubs, 4 = five of clubs, 14 = two of diamonds,
    // 40 = two of hearts, 44/45 = six/seven of hearts, 32 = seven of spades.
    QTest::newRow("lead above a lower card of the suit")
        << QList<int>{4, 2, 45} << 0 << 2 << 1 << QByteArray("low");
    QTest::newRow("lead the lowest, lower cards in other suits")
        << QList<int>{4, 2, 14} << 0 << 2 << 2 << QByteArray("ok");
    QTest::newRow("lead the lowest of the highest suit")
        << QList<int>{2, 45, 40} << 0 << 2 << 3 << QByteArray("ok");
    QTest::newRow("lead the higher of two hearts")
        << QList<int>{2, 45, 40} << 0 << 2 << 2 << QByteArray("low");
    QTest::newRow("follow with the next card")
        << QList<int>{32, 45} << 44 << 2 << 2 << QByteArray("ok");
    QTest::newRow("follow with the same rank of another suit")
        << QList<int>{32, 45} << 44 << 2 << 1 << QByteArray("next");
    QTest::newRow("follow with the lowest card instead")
        << QList<int>{40, 45} << 44 << 2 << 1 << QByteArray("next");
    QTest::newRow("follow with a higher card that is not the next")
        << QList<int>{40, 46} << 44 << 2 << 2 << QByteArray("next");
    QTest::newRow("follow with the card below")
        << QList<int>{43, 46} << 44 << 2 << 1 << QByteArray("next");
    QTest::newRow("not his turn") << QList<int>{4, 2} << 0 << 3 << 1 << QByteArray();
    QTest::newRow("empty hand slot") << QList<int>{4, 2} << 0 << 2 << 3 << QByteArray();
    QTest::newRow("hand slot 0") << QList<int>{4, 2} << 0 << 2 << 0 << QByteArray();
    QTest::newRow("hand slot 12") << QList<int>{4, 2} << 0 << 2 << 12 << QByteArray();
}

// A wrong card goes back to its player alone and changes nothing.
void TestHostRules::judging()
{
    QFETCH(QList<int>, hand);
    QFETCH(int, tableCard);
    QFETCH(int, from);
    QFETCH(int, slot);
    QFETCH(QByteArray, verdict);

    Table t;
    t.start();
    for (int s = 1; s <= 4; ++s)
        t.give(s, {51, 52});
    t.give(2, hand);
    t.turn(2, tableCard);
    const GameTable::Seat before = t.table().seat(2);
    t.out.clear();

    t.playSlot(from, slot);

    if (verdict == "ok") {
        const int card = hand[slot - 1];
        QCOMPARE(t.out.texts(1, "CMD_hiscard"),
                 QByteArrayList{"CMD_hiscard+2+" + QByteArray::number(card) + '+' +
                                QByteArray::number(slot) + '+' +
                                QByteArray::number(hand.size() - 1) + '+'});
        QCOMPARE(t.table().seat(2).hand[slot - 1], NoCard);
        QCOMPARE(t.table().seat(2).lastCard, card);
        return;
    }
    if (verdict.isEmpty()) {
        QVERIFY(t.out.sent.isEmpty());
    } else {
        QCOMPARE(t.out.sent.size(), 1);
        QCOMPARE(t.out.sent[0].slot, 2);
        QCOMPARE(t.out.sent[0].message.chopped(1), "CMD_wrongcard+2+" + verdict + '+');
    }
    QCOMPARE(t.table().seat(2).hand, before.hand);
    QCOMPARE(t.table().seat(2).lastCard, before.lastCard);
    QCOMPARE(t.table().game().currentPlayer, 2);
    QCOMPARE(t.table().game().tableCard, tableCard);
}

void TestHostRules::sequenceEnd_data()
{
    QTest::addColumn<int>("tableCard");
    QTest::addColumn<int>("card");   // played by seat 2
    QTest::addColumn<int>("holder"); // seat given the next card; 0 = the dummy hand
    QTest::addColumn<QByteArray>("turn");

    QTest::newRow("ace of clubs ends it though the two of diamonds is out")
        << 12 << 13 << 3 << QByteArray("CMD_nextplayer+1+2+l+");
    QTest::newRow("ace of spades ends it though the two of hearts is out")
        << 38 << 39 << 4 << QByteArray("CMD_nextplayer+1+2+l+");
    QTest::newRow("next card in the unsold dummy hand")
        << 33 << 34 << 0 << QByteArray("CMD_nextplayer+1+2+l+");
    QTest::newRow("next card held by another seat")
        << 33 << 34 << 4 << QByteArray("CMD_nextplayer+1+4+f+");
    QTest::newRow("next card held by the player himself")
        << 33 << 34 << 2 << QByteArray("CMD_nextplayer+1+2+f+");
    QTest::newRow("a lead followed by seat 1")
        << 0 << 1 << 1 << QByteArray("CMD_nextplayer+1+1+f+");
}

void TestHostRules::sequenceEnd()
{
    QFETCH(int, tableCard);
    QFETCH(int, card);
    QFETCH(int, holder);
    QFETCH(QByteArray, turn);

    Table t;
    t.start();
    const int next = card + 1;
    for (int s = 1; s <= 4; ++s)
        t.give(s, {});
    t.give(2, {card, 26});
    changeGame(t.engine.table(), [&](GameTable::Game &g) {
        g.dummy.fill(NoCard);
        if (!holder)
            g.dummy[4] = next;
    });
    if (holder)
        changeSeat(t.engine.table(), holder,
                   [&](GameTable::Seat &s) { s.hand[holder == 2 ? 2 : 0] = next; });
    t.turn(2, tableCard);
    t.out.clear();

    t.play(2, card);
    QCOMPARE(t.out.texts(1, "CMD_nextplayer"), QByteArrayList{turn});
    const bool over = turn.endsWith("l+");
    QCOMPARE(t.table().game().tableCard, over ? NoCard : card);
}

// ---- pots --------------------------------------------------------------------

void TestHostRules::pots_data()
{
    QTest::addColumn<QByteArray>("plays");        // "seat:card ..."
    QTest::addColumn<QByteArrayList>("payments"); // every CMD_addtocash, in order

    // Each seat holds 91 after the antes and every pot 4.
    const auto paid = [](int seat, int pot, int cash = 95, int amount = 4) {
        return QByteArray("CMD_addtocash+") + QByteArray::number(seat) + '+' +
               QByteArray::number(cash) + '+' + QByteArray::number(pot) + '+' +
               QByteArray::number(amount) + '+';
    };
    QTest::newRow("jack of clubs") << QByteArray("2:10") << QByteArrayList{paid(2, 2)};
    QTest::newRow("king of clubs") << QByteArray("3:12") << QByteArrayList{paid(3, 3)};
    QTest::newRow("seven of diamonds") << QByteArray("4:19") << QByteArrayList{paid(4, 4)};
    QTest::newRow("queen of spades") << QByteArray("1:37") << QByteArrayList{paid(1, 5)};
    QTest::newRow("ace of spades") << QByteArray("2:39") << QByteArrayList{paid(2, 7)};
    QTest::newRow("ten of diamonds") << QByteArray("3:22") << QByteArrayList{paid(3, 9)};
    QTest::newRow("other cards pay nothing")
        << QByteArray("2:11 2:23 2:36 2:50 3:52") << QByteArrayList{};
    QTest::newRow("8-9-10 across suits, then the ten of diamonds")
        << QByteArray("2:7 2:21 2:22") << QByteArrayList{paid(2, 6), paid(2, 9, 99)};
    QTest::newRow("8-9-10 with other seats playing between")
        << QByteArray("2:33 3:8 2:47 4:2 2:9") << QByteArrayList{paid(2, 6)};
    QTest::newRow("8-9-10 pays once a round")
        << QByteArray("2:7 2:8 2:9 2:33 2:34 2:35") << QByteArrayList{paid(2, 6)};
    QTest::newRow("8-9, another card, 10") << QByteArray("2:7 2:21 2:40 2:35") << QByteArrayList{};
    QTest::newRow("9-8-10") << QByteArray("2:8 2:7 2:35") << QByteArrayList{};
    QTest::newRow("8-9-10 by three seats") << QByteArray("2:7 3:8 4:9") << QByteArrayList{};
    QTest::newRow("queen then king of hearts")
        << QByteArray("2:50 2:51") << QByteArrayList{paid(2, 8)};
    QTest::newRow("queen and king of hearts with others between")
        << QByteArray("2:50 3:40 4:41 2:51") << QByteArrayList{paid(2, 8)};
    QTest::newRow("king of hearts from another seat")
        << QByteArray("2:50 3:51") << QByteArrayList{};
    QTest::newRow("queen, another card, king") << QByteArray("2:50 2:40 2:51") << QByteArrayList{};
}

// Every play is forced as a follow of the card below it, so only the pot
// rules decide what is paid. A card's payments go out before its hiscard.
void TestHostRules::pots()
{
    QFETCH(QByteArray, plays);
    QFETCH(QByteArrayList, payments);

    Table t;
    t.start();
    std::array<QList<int>, 5> hands;
    for (const QByteArray &p : plays.split(' '))
        hands[p[0] - '0'].append(p.mid(2).toInt());
    for (int s = 1; s <= 4; ++s) {
        t.give(s, hands[s]);
        // never played: nobody goes out
        changeSeat(t.engine.table(), s, [](GameTable::Seat &seat) { seat.hand[10] = 13; });
    }
    t.out.clear();

    for (const QByteArray &p : plays.split(' ')) {
        const int seat = p[0] - '0';
        const int card = p.mid(2).toInt();
        t.turn(seat, card - 1);
        const qsizetype from = t.out.texts(1).size();
        t.play(seat, card);
        const QByteArrayList sent = t.out.texts(1).mid(from);
        QVERIFY2(!sent.isEmpty(), p.constData());
        // payments, hiscard, then the next turn
        QCOMPARE(commandOf(sent.value(sent.size() - 2)), QByteArray("CMD_hiscard"));
        for (qsizetype i = 0; i + 2 < sent.size(); ++i)
            QCOMPARE(commandOf(sent[i]), QByteArray("CMD_addtocash"));
    }
    QCOMPARE(t.out.texts(1, "CMD_addtocash"), payments);
    QCOMPARE(t.money(), 400);
}

// Seat 3 goes out while seats 1, 2 and 4 still hold 2, 0 and 5 cards.
void TestHostRules::goingOutPaysTheKitty()
{
    Table t;
    t.start();
    t.give(1, {5, 6});
    t.give(2, {});
    t.give(3, {40});
    t.give(4, {14, 15, 16, 17, 18});
    t.turn(3);
    t.out.clear();

    t.play(3, 40);
    QCOMPARE(t.out.texts(2), (QByteArrayList{"CMD_hiscard+3+40+1+0+", "CMD_addtocash+3+102+1+11+",
                                             "CMD_endround+89+91+102+86+3+"}));
    QCOMPARE(t.out.timers, (QList<Timer>{Timer::StopComputer, Timer::StartRoundOver}));
    QCOMPARE(t.table().game().pots[Kitty], 0);
    QCOMPARE(t.money(), 400);

    // Nothing can be played in the pause, not even by the seat that went out.
    t.out.clear();
    t.playSlot(1, 1);
    t.playSlot(3, 1);
    QVERIFY(t.out.sent.isEmpty());
}

// ---- the game's end ----------------------------------------------------------

void TestHostRules::gameEnd_data()
{
    QTest::addColumn<int>("round");
    QTest::addColumn<QList<int>>("cash");
    QTest::addColumn<QList<int>>("pots");  // pots 1..9
    QTest::addColumn<int>("winner");       // 0 = another round
    QTest::addColumn<QList<int>>("after"); // cash after the division

    const QList<int> fours(9, 4);
    QTest::newRow("a leader before the last round plays on")
        << 15 << QList<int>{130, 50, 60, 40} << fours << 0 << QList<int>{};
    QTest::newRow("a clear leader after the last round wins")
        << 16 << QList<int>{130, 50, 60, 40} << fours << 1 << QList<int>{139, 59, 69, 49};
    QTest::newRow("seats 1 and 3 level on top: round 17")
        << 16 << QList<int>{120, 50, 120, 60} << fours << 0 << QList<int>{};
    QTest::newRow("a tie below the leader does not matter")
        << 16 << QList<int>{50, 130, 50, 60} << fours << 2 << QList<int>{59, 139, 59, 69};
    QTest::newRow("the last seat leads")
        << 16 << QList<int>{10, 20, 30, 40} << fours << 4 << QList<int>{19, 29, 39, 49};
    QTest::newRow("nobody above zero: another round")
        << 16 << QList<int>{0, -5, -1, 0} << fours << 0 << QList<int>{};
    QTest::newRow("a lone seat at zero does not win")
        << 16 << QList<int>{-2, -5, 0, -1} << fours << 0 << QList<int>{};
    QTest::newRow("37 in the pots pays 9 each, 1 is lost")
        << 16 << QList<int>{130, 50, 60, 40} << QList<int>{0, 12, 0, 5, 0, 20, 0, 0, 0} << 1
        << QList<int>{139, 59, 69, 49};
    QTest::newRow("an extra round is checked again")
        << 17 << QList<int>{121, 120, 0, -50} << fours << 1 << QList<int>{130, 129, 9, -41};
}

void TestHostRules::gameEnd()
{
    QFETCH(int, round);
    QFETCH(QList<int>, cash);
    QFETCH(QList<int>, pots);
    QFETCH(int, winner);
    QFETCH(QList<int>, after);

    Table t;
    t.start(16);
    changeGame(t.engine.table(), [&](GameTable::Game &game) {
        game.round = round;
        game.roundOver = true;
        for (int p = 1; p <= 9; ++p)
            game.pots[p] = pots[p - 1];
    });
    for (int s = 1; s <= 4; ++s)
        changeSeat(t.engine.table(), s, [&](GameTable::Seat &seat) { seat.cash = cash[s - 1]; });
    const GameTable::Game &g = t.table().game();
    t.out.clear();

    t.engine.roundOverTimerFired();
    if (winner) {
        QByteArray text = "CMD_winner+" + QByteArray::number(winner);
        for (int c : after)
            text += '+' + QByteArray::number(c);
        QCOMPARE(t.out.texts(1), QByteArrayList{text + '+'});
        QVERIFY(!g.inProgress);
        QCOMPARE(t.potSum(), 0);
        // Nothing happens after the winner until a new start.
        t.out.clear();
        t.engine.roundOverTimerFired();
        t.engine.computerTimerFired();
        QVERIFY(t.out.sent.isEmpty());
        return;
    }
    // Another round: its antes go on top of what the pots still hold.
    QVERIFY(g.inProgress);
    QCOMPARE(g.round, round + 1);
    QCOMPARE(t.out.texts(1, "CMD_startround").size(), 1);
    for (int p = 1; p <= 9; ++p)
        QCOMPARE(g.pots[p], pots[p - 1] + 4);
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(t.cash(s), cash[s - 1] - 9);
}

// ---- the start request -------------------------------------------------------

void TestHostRules::startGameRequest_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("echo"); // empty: refused
    QTest::addColumn<int>("rounds");
    QTest::addColumn<bool>("dummy");

    QTest::newRow("plain") << 1 << QByteArray("CMD_startgame+Host+100+16+1+")
                           << QByteArray("CMD_startgame+Host+100+16+16+") << 16 << true;
    QTest::newRow("name with a plus") << 1 << QByteArray("CMD_startgame+A+B+100+4+0+")
                                      << QByteArray("CMD_startgame+A+B+100+4+4+") << 4 << false;
    QTest::newRow("name of numbers and pluses")
        << 1 << QByteArray("CMD_startgame+7+1+2+100+8+1+")
        << QByteArray("CMD_startgame+7+1+2+100+8+8+") << 8 << true;
    QTest::newRow("empty name") << 1 << QByteArray("CMD_startgame++100+24+0+")
                                << QByteArray("CMD_startgame++100+24+24+") << 24 << false;
    QTest::newRow("from a slot other than the host's")
        << 2 << QByteArray("CMD_startgame+Host+100+16+1+") << QByteArray() << 0 << false;
    QTest::newRow("rounds not a number")
        << 1 << QByteArray("CMD_startgame+Host+100+x+1+") << QByteArray() << 0 << false;
    QTest::newRow("a field missing")
        << 1 << QByteArray("CMD_startgame+100+16+") << QByteArray() << 0 << false;
}

void TestHostRules::startGameRequest()
{
    QFETCH(int, from);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, echo);
    QFETCH(int, rounds);
    QFETCH(bool, dummy);

    // Once on a fresh table and once over a game in its third round, whose
    // pots and dealer the new game must not inherit.
    for (const bool running : {false, true}) {
        Table t;
        if (running) {
            t.start(16, false);
            t.engine.roundOverTimerFired();
            t.engine.roundOverTimerFired();
        }
        const GameTable::Game before = t.table().game();
        t.out.clear();
        t.engine.handle(from, request);
        const GameTable::Game &g = t.table().game();
        if (echo.isEmpty()) {
            QVERIFY(t.out.sent.isEmpty());
            QCOMPARE(g.inProgress, before.inProgress);
            QCOMPARE(g.round, before.round);
            continue;
        }
        QCOMPARE(t.out.texts(1).value(0), echo);
        QCOMPARE(t.out.texts(1).value(1), QByteArray("CMD_startround+1+91+91+91+91+"));
        QVERIFY(g.inProgress);
        QCOMPARE(g.roundsPerGame, rounds);
        QCOMPARE(g.dummyHandsOn, dummy);
        QCOMPARE(g.round, 1);
        QCOMPARE(g.dealer, 1);
        QCOMPARE(t.potSum(), 36);
        QCOMPARE(g.offerSeat, dummy ? 1 : 0);
    }
}

// A request acts only for the connection it came on.
void TestHostRules::foreignRequestsDropped_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QByteArray>("request");

    QTest::newRow("play for the seat to lead") << 3 << QByteArray("CMD_playcard+2+1+");
    QTest::newRow("answer for the seat offered the dummy")
        << 2 << QByteArray("CMD_buythedummy+1+y+");
    QTest::newRow("just watch for another seat") << 2 << QByteArray("CMD_justwatch+1+1");
    QTest::newRow("chat in another's name") << 4 << QByteArray("CMD_chat+1+hello|clBlack");
    QTest::newRow("a watcher plays for a seat") << 5 << QByteArray("CMD_playcard+2+1+");
}

void TestHostRules::foreignRequestsDropped()
{
    QFETCH(int, from);
    QFETCH(QByteArray, request);

    Table t(3, 5);
    t.start(16, true);
    const GameTable::Game before = t.table().game();
    const GameTable::Seat seat2 = t.table().seat(2);
    t.out.clear();

    t.engine.handle(from, request);
    QVERIFY(t.out.sent.isEmpty());
    QCOMPARE(t.out.logs.size(), 1);
    QCOMPARE(t.table().game().offerSeat, before.offerSeat);
    QCOMPARE(t.table().game().currentPlayer, before.currentPlayer);
    QCOMPARE(t.table().seat(2).hand, seat2.hand);
    QVERIFY(!t.engine.connection(1).justWatch);
}

// ---- computer players --------------------------------------------------------

void TestHostRules::computerIdle_data()
{
    QTest::addColumn<QByteArray>("situation");

    QTest::newRow("no game yet") << QByteArray("nogame");
    QTest::newRow("the seat that went out leaves in the pause") << QByteArray("leaves");
    QTest::newRow("the seat that went out watches in the pause") << QByteArray("watches");
    QTest::newRow("the host sets it to watch in the pause") << QByteArray("hostsets");
    QTest::newRow("a human is offered the dummy hand") << QByteArray("offer");
}

// The computer acts only for a seat that is to act in a round in play. Seat
// 3 went out between rounds holds no cards: playing for it used to end the
// round again and take the kitty payments twice.
void TestHostRules::computerIdle()
{
    QFETCH(QByteArray, situation);

    Table t;
    if (situation == "nogame") {
        t.engine.computerTimerFired();
        QVERIFY(t.out.sent.isEmpty());
        return;
    }
    if (situation == "offer") {
        t.engine.closed(2); // seat 2 is to lead by computer, seat 1 is offered
        t.start(16, true);
        t.out.clear();
        t.engine.computerTimerFired();
        QVERIFY(t.out.sent.isEmpty());
        QCOMPARE(t.table().seat(2).lastCard, NoCard);
        return;
    }
    t.start();
    t.give(3, {40});
    t.turn(3);
    t.play(3, 40);
    QCOMPARE(t.out.texts(1, "CMD_endround").size(), 1);
    const int money = t.money();
    const std::array<int, 4> cash{t.cash(1), t.cash(2), t.cash(3), t.cash(4)};

    t.out.clear();
    if (situation == "leaves")
        t.engine.closed(3);
    else if (situation == "watches")
        t.engine.handle(3, req(wire::justWatch(3, 1)));
    else
        t.engine.handle(1, req(wire::justWatch(3, 1)));
    t.out.clear();
    t.engine.computerTimerFired();
    t.engine.computerTimerFired();
    QVERIFY(t.out.sent.isEmpty());
    QCOMPARE(t.money(), money);
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(t.cash(s), cash[s - 1]);

    t.engine.roundOverTimerFired();
    QCOMPARE(t.out.texts(1, "CMD_startround"),
             QByteArrayList{"CMD_startround" +
                            joined({2, cash[0] - 9, cash[1] - 9, cash[2] - 9, cash[3] - 9}) + '+'});
}

void TestHostRules::computerDummyDecision_data()
{
    QTest::addColumn<int>("card"); // in seat 2's last hand slot
    QTest::addColumn<bool>("buys");

    for (const int keep : {11, 13, 36, 48, 51})
        QTest::addRow("keeps with %d", keep) << keep << false;
    QTest::newRow("buys without a keep card") << 16 << true;
    QTest::newRow("the king of clubs is no keep card") << 12 << true;
}

void TestHostRules::computerDummyDecision()
{
    QFETCH(int, card);
    QFETCH(bool, buys);

    Table t(5, 1); // a solo game: seats 2 to 4 are played by the computer
    t.start(16, true);
    QVERIFY(!t.out.computerArmed); // the human dealer is asked first
    t.answer(1, false);
    QVERIFY(t.out.timers.contains(Timer::ComputerWithBotInterval));
    t.give(2, {1, 2, 3, 4, 5, 6, 7, 8, 9, card});
    t.out.clear();

    t.engine.computerTimerFired();
    if (buys)
        QCOMPARE(t.out.texts(1),
                 (QByteArrayList{"CMD_boughtdummy+2+86+1+96+", "CMD_nextplayer+1+2+l+"}));
    else
        QCOMPARE(t.out.texts(1), QByteArrayList{"CMD_nextplayer+1+3+b+"});
    QVERIFY(t.out.computerArmed);
}

void TestHostRules::computerPlay_data()
{
    QTest::addColumn<QList<int>>("hand");
    QTest::addColumn<int>("tableCard");
    QTest::addColumn<QList<int>>("allowed"); // cards it may play

    QTest::newRow("leads the two of clubs") << QList<int>{40, 27, 14, 5, 1} << 0 << QList<int>{1};
    QTest::newRow("follows with the next card") << QList<int>{40, 14, 21} << 20 << QList<int>{21};
    QTest::newRow("follows with its last card") << QList<int>{21} << 20 << QList<int>{21};
    QTest::newRow("leads the lowest of some suit")
        << QList<int>{45, 41, 30, 28, 15, 16} << 0 << QList<int>{41, 28, 15};
}

void TestHostRules::computerPlay()
{
    QFETCH(QList<int>, hand);
    QFETCH(int, tableCard);
    QFETCH(QList<int>, allowed);

    for (quint32 seed = 1; seed <= 20; ++seed) {
        Table t(seed, 1);
        t.start();
        QVERIFY(t.out.computerArmed);
        t.give(2, hand);
        t.turn(2, tableCard);
        t.out.clear();

        t.engine.computerTimerFired();
        const QByteArrayList played = t.out.texts(1, "CMD_hiscard");
        QCOMPARE(played.size(), 1);
        QVERIFY2(allowed.contains(played[0].split('+').value(2).toInt()), played[0].constData());
        QVERIFY(!t.out.anySent("CMD_wrongcard"));
        QCOMPARE(t.out.texts(1, "CMD_endround").size(), hand.size() == 1 ? 1 : 0);
    }
}

// A policy that always buys and always names the same hand slot.
class FixedChoice : public ComputerPlayer
{
public:
    explicit FixedChoice(int slot) : m_slot(slot) {}
    bool buysDummy(const PlayerView &) override { return true; }
    int chooseSlot(const PlayerView &) override { return m_slot; }

private:
    int m_slot;
};

void TestHostRules::computerPolicy_data()
{
    QTest::addColumn<QList<int>>("hand"); // seat 2's
    QTest::addColumn<int>("tableCard");
    QTest::addColumn<int>("choice"); // the policy's hand slot
    QTest::addColumn<int>("played"); // the card the table takes

    QTest::newRow("an allowed lead") << QList<int>{4, 2, 40} << 0 << 2 << 2;
    QTest::newRow("a refused lead: the lowest card instead") << QList<int>{4, 2, 40} << 0 << 1 << 2;
    QTest::newRow("a refused follow: the wanted card instead")
        << QList<int>{40, 45} << 44 << 1 << 45;
    QTest::newRow("an empty slot: the lowest card instead") << QList<int>{27, 14} << 0 << 5 << 14;
}

// A table of its own, every seat the computer's, played by another policy.
void TestHostRules::computerPolicy()
{
    QFETCH(QList<int>, hand);
    QFETCH(int, tableCard);
    QFETCH(int, choice);
    QFETCH(int, played);

    EngineRecorder host;
    Random random(1);
    GameTable table(host, random);
    table.setComputerPlayer(std::make_unique<FixedChoice>(choice));
    table.startGame("Bots", 100, 16, true);
    QVERIFY(host.computerArmed);
    host.clear();
    table.computerTimerFired(); // the dealer is offered the dummy hand and buys it
    QCOMPARE(host.texts(EngineRecorder::ToAll),
             (QByteArrayList{"CMD_boughtdummy+1+91+1+91+", "CMD_nextplayer+1+2+l+"}));

    changeSeat(table, 2, [&](GameTable::Seat &s) {
        s.hand.fill(NoCard);
        std::copy(hand.begin(), hand.end(), s.hand.begin());
    });
    changeGame(table, [&](GameTable::Game &g) { g.tableCard = tableCard; });
    host.clear();
    table.computerTimerFired();
    const QByteArrayList plays = host.texts(EngineRecorder::ToAll, "CMD_hiscard");
    QCOMPARE(plays.size(), 1);
    QCOMPARE(plays[0].split('+').value(2).toInt(), played);
    const bool refused = hand.value(choice - 1) != played;
    QCOMPARE(host.texts(2, "CMD_wrongcard").size(), refused && choice <= hand.size() ? 1 : 0);
    QVERIFY(host.computerArmed);
}

void TestHostRules::offerSeatTurnsComputer_data()
{
    QTest::addColumn<bool>("leaves"); // else it is set to just watch

    QTest::newRow("the seat offered leaves") << true;
    QTest::newRow("the seat offered watches") << false;
}

// The table would otherwise wait for an answer from a seat nobody plays.
void TestHostRules::offerSeatTurnsComputer()
{
    QFETCH(bool, leaves);

    Table t(4, 2);
    t.start(16, true);
    t.answer(1, false);
    QCOMPARE(t.table().game().offerSeat, 2);
    QVERIFY(!t.out.computerArmed);
    if (leaves)
        t.engine.closed(2);
    else
        t.engine.handle(2, req(wire::justWatch(2, 1)));
    QVERIFY(t.out.computerArmed);
    t.engine.computerTimerFired();
    QVERIFY(t.table().game().offerSeat != 2);
}

// The seat offered the dummy hand is also the one to lead and plays a card
// instead of answering. Every client has put the offer away with the next
// turn, so the offer ends there; the computer seat to follow must not wait
// for an answer that cannot come.
void TestHostRules::playDuringOfferWithdrawsIt()
{
    Table t(9, 2);
    t.start(16, true);
    t.answer(1, false);
    QCOMPARE(t.out.texts(2, "CMD_nextplayer").last(), QByteArray("CMD_nextplayer+1+2+b+"));
    t.give(1, {47, 48});
    t.give(2, {1, 40});
    t.give(3, {2, 41});
    t.give(4, {45, 46});
    t.out.clear();

    t.play(2, 1);
    QCOMPARE(t.out.texts(1, "CMD_nextplayer"), QByteArrayList{"CMD_nextplayer+1+3+f+"});
    QCOMPARE(t.table().game().offerSeat, 0);
    QVERIFY(t.out.computerArmed);
    t.out.clear();
    t.engine.computerTimerFired();
    QCOMPARE(t.out.texts(1, "CMD_hiscard"), QByteArrayList{"CMD_hiscard+3+2+1+1+"});

    // A late answer finds no offer.
    t.out.clear();
    t.answer(2, true);
    QVERIFY(t.out.sent.isEmpty());
}

void TestHostRules::rejoinerIsToldLeadOrFollow_data()
{
    QTest::addColumn<int>("tableCard");
    QTest::addColumn<int>("card");
    QTest::addColumn<QByteArray>("told");
    // Seat 2 holds the 5 and 9 of clubs; the 4 of clubs lies on the table
    // for the follow.
    QTest::newRow("lead") << int(NoCard) << 5 << QByteArray("CMD_nextplayer+1+2+l+");
    QTest::newRow("follow") << 4 << 5 << QByteArray("CMD_nextplayer+1+2+f+");
}

// A player who leaves on his turn and comes back is told what the turn asks
// of him, and the card it asks for is taken.
void TestHostRules::rejoinerIsToldLeadOrFollow()
{
    QFETCH(int, tableCard);
    QFETCH(int, card);
    QFETCH(QByteArray, told);
    Table t(3, 2);
    t.start();
    t.give(2, {5, 9});
    t.turn(2, tableCard);
    t.engine.closed(2);
    t.out.clear();
    const int slot = t.engine.acceptSlot();
    QCOMPARE(slot, 2);
    t.engine.connected(slot);
    t.engine.handle(slot, req(wire::loginInfo(slot, VersionText, "P2")));
    QCOMPARE(t.out.texts(2, "CMD_nextplayer"), QByteArrayList{told});

    t.out.clear();
    t.play(2, card);
    QVERIFY(t.out.texts(2, "CMD_wrongcard").isEmpty());
    QCOMPARE(t.out.texts(2, "CMD_hiscard").size(), 1);
}

// ---- whole computer games ----------------------------------------------------

namespace {

// Plays one computer-only game of four rounds by firing whichever timer the
// engine left armed, and checks the game's invariants after every step.
// Returns what went wrong, or an empty text.
QString playBotGame(quint32 seed, bool watcher, bool dummy, bool strong)
{
    Table t(seed, watcher ? 1 : 0);
    // A few deals per decision are enough to check that its moves are legal.
    if (strong)
        t.engine.table().setComputerPlayer(
            int(seed % 4) + 1,
            std::make_unique<StrongPlayer>(t.random, StrongPlayer::Limits{8, 0}));
    const GameTable::Game &g = t.table().game();
    t.start(4, dummy);
    if (watcher)
        t.engine.handle(1, req(wire::justWatch(1, 1)));

    int dealer = 0;
    int endedRounds = 0;
    std::set<int> playedThisRound;
    const auto problem = [&](const QString &what) {
        return QStringLiteral("seed %1, round %2: %3").arg(seed).arg(g.round).arg(what);
    };
    const auto newRound = [&]() -> QString {
        dealer = dealer % 4 + 1;
        playedThisRound.clear();
        if (g.dealer != dealer || g.currentPlayer != dealer % 4 + 1)
            return QStringLiteral("dealer %1 and seat %2 to lead, expected %3 and %4")
                .arg(g.dealer)
                .arg(g.currentPlayer)
                .arg(dealer)
                .arg(dealer % 4 + 1);
        return dealProblem(t.table());
    };
    if (QString p = newRound(); !p.isEmpty())
        return problem(p);

    for (int step = 0; g.inProgress; ++step) {
        if (step > 60 * 40)
            return problem(QStringLiteral("the game does not end"));
        const int round = g.round;
        const bool wasOver = g.roundOver;
        const bool playing = !g.roundOver && g.offerSeat == 0;
        const int cards = t.cardsInSeats();
        const int pots = t.potSum();
        t.out.clear();
        if (t.out.computerArmed) {
            t.out.computerArmed = false;
            t.engine.computerTimerFired();
            // a play always goes through: exactly one card leaves the hands
            if (playing && t.cardsInSeats() != cards - 1)
                return problem(QStringLiteral("the computer's play for seat %1 did not go through")
                                   .arg(g.currentPlayer));
        } else if (t.out.roundOverArmed) {
            t.out.roundOverArmed = false;
            t.engine.roundOverTimerFired();
        } else {
            return problem(QStringLiteral("no timer armed: the table stalls"));
        }

        if (t.out.anySent("CMD_wrongcard"))
            return problem(QStringLiteral("a computer play was refused"));
        for (const QByteArray &m : t.out.texts(1, "CMD_hiscard"))
            if (!playedThisRound.insert(m.split('+').value(2).toInt()).second)
                return problem(QStringLiteral("card played twice: ") + QString::fromLatin1(m));
        if (!wasOver && g.roundOver) {
            ++endedRounds;
            if (t.table().seat(g.currentPlayer).hand != Hand{})
                return problem(
                    QStringLiteral("the round ended with cards in the hand that went out"));
            if (watcher && t.out.texts(1, "CMD_endround").size() != 1)
                return problem(QStringLiteral("no CMD_endround"));
        }
        if (g.round != round) {
            if (!wasOver || g.round != round + 1)
                return problem(QStringLiteral("a round started before the last one ended"));
            if (QString p = newRound(); !p.isEmpty())
                return problem(p);
        }
        if (g.inProgress && t.money() != 400)
            return problem(QStringLiteral("money %1, expected 400").arg(t.money()));
        if (!g.inProgress) {
            if (t.potSum() != 0 || t.money() != 400 - pots % 4)
                return problem(QStringLiteral("the division leaves %1").arg(t.money()));
            if (watcher && t.out.texts(1).value(0).left(11) != "CMD_winner+")
                return problem(QStringLiteral("no CMD_winner"));
        }
    }
    if (g.round < 4 || endedRounds != g.round)
        return problem(QStringLiteral("%1 rounds ended").arg(endedRounds));
    if (t.out.unterminated)
        return problem(QStringLiteral("a message without its terminator"));
    return {};
}

} // namespace

void TestHostRules::botGames_data()
{
    QTest::addColumn<bool>("watcher");
    QTest::addColumn<int>("games");
    QTest::addColumn<bool>("strong"); // one seat, in turn, is a Strong player

    QTest::newRow("nobody connected") << false << 1500 << false;
    QTest::newRow("slot 1 connected, just watching") << true << 500 << false;
    QTest::newRow("a Strong seat, nobody connected") << false << 1500 << true;
    QTest::newRow("a Strong seat, slot 1 just watching") << true << 500 << true;
}

void TestHostRules::botGames()
{
    QFETCH(bool, watcher);
    QFETCH(int, games);
    QFETCH(bool, strong);

    for (int i = 0; i < games; ++i) {
        const quint32 seed = quint32(i) * 2654435761u + (watcher ? 1 : 0);
        const QString problem = playBotGame(seed, watcher, i % 2 == 0, strong);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

QTEST_GUILESS_MAIN(TestHostRules)
#include "tst_hostrules.moc"
