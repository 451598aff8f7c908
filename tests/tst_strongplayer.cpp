// The Strong computer player and the hint built on it: it decides from what
// its seat can see, within its time budget, reproducibly from a seed; what
// the table records about a round is true of the hands; and a client works
// out the same view from the messages it receives and hints a card the
// rules take.

#include "clientfixture.h"
#include "enginerecorder.h"
#include "host/gametable.h"
#include "host/strongplayer.h"

#include <QElapsedTimer>
#include <QTest>

#include <functional>

using namespace velmora;

namespace {

// A seeded computer-only game of `rounds` rounds with dummy hands on, seat
// `strongSeat` played by a Strong player (0: none). `afterStep` runs after
// each timer and returns what went wrong, or an empty text.
struct BotGame
{
    EngineRecorder host;
    Random random;
    GameTable table{host, random};

    BotGame(quint32 seed, int strongSeat, int samples = 8) : random(seed)
    {
        if (strongSeat)
            table.setComputerPlayer(strongSeat, std::make_unique<StrongPlayer>(
                                                    random, StrongPlayer::Limits{samples, 0}));
    }
    QString play(int rounds, const std::function<QString()> &afterStep)
    {
        table.startGame("Bots", 100, rounds, true);
        for (int step = 0; table.game().inProgress; ++step) {
            if (step > rounds * 80)
                return QStringLiteral("the game does not end");
            if (host.computerArmed) {
                host.computerArmed = false;
                table.computerTimerFired();
            } else if (host.roundOverArmed) {
                host.roundOverArmed = false;
                table.roundOverTimerFired();
            } else {
                return QStringLiteral("the table stalls");
            }
            if (QString p = afterStep(); !p.isEmpty())
                return QStringLiteral("round %1: %2").arg(table.game().round).arg(p);
        }
        return {};
    }
    bool toPlay(int seat) const
    {
        const GameTable::Game &g = table.game();
        return g.inProgress && !g.roundOver && g.offerSeat == 0 && g.currentPlayer == seat;
    }
};

// Whether the rules take `card` from `hand` with `tableCard` on the table.
bool allowed(const Hand &hand, int tableCard, int card)
{
    if (tableCard != NoCard)
        return card == tableCard + 1;
    for (int c : hand)
        if (isCard(c) && sameSuit(c, card) && c < card)
            return false;
    return std::find(hand.begin(), hand.end(), card) != hand.end();
}

QString differences(const PlayerView &a, const PlayerView &b)
{
    QStringList d;
    const auto check = [&](bool same, const char *what) {
        if (!same)
            d << QLatin1String(what);
    };
    Hand ha = a.hand, hb = b.hand;
    std::sort(ha.begin(), ha.end());
    std::sort(hb.begin(), hb.end());
    check(a.seat == b.seat, "seat");
    check(ha == hb, "hand");
    check(a.tableCard == b.tableCard, "table card");
    check(a.dealer == b.dealer, "dealer");
    check(a.pots == b.pots, "pots");
    check(a.cardsHeld == b.cardsHeld, "cards held");
    check(a.lastCard == b.lastCard, "last cards");
    check(a.cardBeforeLast == b.cardBeforeLast, "cards before last");
    check(a.record.played() == b.record.played(), "cards played");
    check(a.record.outOfPlay() == b.record.outOfPlay(), "cards out of play");
    check(a.givenUp == b.givenUp, "cards given up");
    for (int s = 1; s <= SeatCount; ++s)
        for (int suit = 0; suit < 4; ++suit)
            check(a.record.lowestPossible(s, Suit(suit)) == b.record.lowestPossible(s, Suit(suit)),
                  "lowest possible card");
    return d.join(QStringLiteral(", "));
}

} // namespace

class TestStrongPlayer : public QObject
{
    Q_OBJECT
private slots:
    void neverReadsHiddenCards();
    void keepsItsBudget();
    void reproducibleFromSeed();
    void recordIsTrue();
    void clientSeesWhatTheHostShows();
    void hintLine_data();
    void hintLine();
};

// Seat 1 leads from the 5 of clubs and the 5 of hearts with the kitty at
// stake; the others hold one card each. Whoever holds the 6 that seat 1
// leads under goes out at once, so a player who could see where the 6s lie
// would lead the other suit. The two positions look the same from seat 1.
void TestStrongPlayer::neverReadsHiddenCards()
{
    const auto leadIn = [&](int seatTwo, int fixedLead) {
        BotGame g(5, fixedLead ? 0 : 1, 64);
        g.table.startGame("Bots", 100, 16, false);
        const QList<Hand> hands{{4, 43}, {seatTwo}, {34}, {47}};
        for (int s = 1; s <= SeatCount; ++s)
            changeSeat(g.table, s, [&](GameTable::Seat &st) { st = {90, 0, 0, hands[s - 1]}; });
        changeGame(g.table, [](GameTable::Game &game) {
            game.currentPlayer = 1;
            game.tableCard = NoCard;
            game.pots.fill(0);
            game.pots[Kitty] = 20;
        });
        g.host.clear();
        if (fixedLead)
            g.table.play(1, fixedLead == 4 ? 1 : 2);
        else
            g.table.computerTimerFired();
        while (!g.table.game().roundOver && g.host.computerArmed) {
            g.host.computerArmed = false;
            g.table.computerTimerFired();
        }
        const QByteArrayList played = g.host.texts(EngineRecorder::ToAll, "CMD_hiscard");
        return std::pair{played.value(0).split('+').value(2).toInt(), g.table.seat(1).cash};
    };
    const int sixOfClubs = 5;
    const int sixOfHearts = 44;
    // The positions tell the leads apart: each has its own winning lead.
    QVERIFY(leadIn(sixOfClubs, 43).second > 100);
    QVERIFY(leadIn(sixOfClubs, 4).second < 100);
    QVERIFY(leadIn(sixOfHearts, 4).second > 100);
    QVERIFY(leadIn(sixOfHearts, 43).second < 100);
    // The Strong player, seeded alike, cannot tell them apart.
    const int lead = leadIn(sixOfClubs, 0).first;
    QVERIFY(lead == 4 || lead == 43);
    QCOMPARE(leadIn(sixOfHearts, 0).first, lead);
}

void TestStrongPlayer::keepsItsBudget()
{
    BotGame g(11, 0);
    g.table.startGame("Bots", 100, 16, false);
    const PlayerView view = g.table.viewFor(g.table.game().currentPlayer);
    QElapsedTimer clock;
    clock.start();
    const auto advice = StrongPlayer::advise(view, 1, StrongPlayer::Limits{10'000'000, 50});
    // Ten million deals would take minutes; the budget stops them.
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(advice.samples > 0 && advice.samples < 10'000'000);
    QVERIFY(allowed(view.hand, NoCard, advice.card));
}

// A seeded game with a Strong seat replays message for message, and the
// time budget is no part of the decision while it holds.
void TestStrongPlayer::reproducibleFromSeed()
{
    QList<QByteArrayList> runs;
    for (int run = 0; run < 2; ++run) {
        BotGame g(77, 3, 16);
        QVERIFY(g.play(4, [] { return QString(); }).isEmpty());
        runs << g.host.texts(EngineRecorder::ToAll);
    }
    QCOMPARE(runs[0], runs[1]);

    BotGame g(78, 0);
    g.table.startGame("Bots", 100, 16, false);
    const PlayerView view = g.table.viewFor(g.table.game().currentPlayer);
    const auto a = StrongPlayer::advise(view, 42, StrongPlayer::Limits{200, 0});
    const auto b = StrongPlayer::advise(view, 42, StrongPlayer::Limits{200, 10'000});
    QCOMPARE(a.card, b.card);
    QCOMPARE(a.meanGain, b.meanGain);
    QCOMPARE(a.samples, 200);
}

// What the record claims about the hands holds in every position of many
// games, or the Strong player would deal itself impossible hands.
void TestStrongPlayer::recordIsTrue()
{
    for (quint32 seed = 1; seed <= 300; ++seed) {
        BotGame g(seed, 0);
        const QString problem = g.play(2, [&]() -> QString {
            const RoundRecord &r = g.table.record();
            for (int s = 1; s <= SeatCount; ++s) {
                for (int c : g.table.seat(s).hand) {
                    if (!isCard(c))
                        continue;
                    if (r.outOfPlay() & cardBit(c))
                        return QStringLiteral("seat %1 holds %2, said out of play")
                            .arg(s)
                            .arg(QLatin1String(cardName(c)));
                    if (c < r.lowestPossible(s, suitOf(c)))
                        return QStringLiteral("seat %1 holds %2 below what it led")
                            .arg(s)
                            .arg(QLatin1String(cardName(c)));
                    if (r.played() & cardBit(c))
                        return QStringLiteral("seat %1 holds %2, said played")
                            .arg(s)
                            .arg(QLatin1String(cardName(c)));
                }
            }
            return {};
        });
        QVERIFY2(problem.isEmpty(),
                 qPrintable(QStringLiteral("seed %1, %2").arg(seed).arg(problem)));
    }
}

// Seat 1's client, fed what the host sends it, sees the round as the host's
// view for seat 1 has it, and its hint names a card the rules take.
void TestStrongPlayer::clientSeesWhatTheHostShows()
{
    for (quint32 seed = 1; seed <= 30; ++seed) {
        BotGame g(seed, 1);
        ClientFixture client(1);
        client.arrive();
        int hints = 0;
        const QString problem = g.play(4, [&]() -> QString {
            for (const EngineRecorder::Sent &s : g.host.sent)
                if (s.slot == EngineRecorder::ToAll || s.slot == 1)
                    client.host(s.message.chopped(1));
            g.host.clear();
            if (!g.toPlay(1))
                return {};
            const PlayerView host = g.table.viewFor(1);
            if (const QString d = differences(client.model.playerView(), host); !d.isEmpty())
                return QStringLiteral("the client differs in ") + d;
            int hinted = 0;
            QObject::connect(
                &client.model, &TableModel::hintGiven, &client.model,
                [&](int position) { hinted = client.model.hand(position).card; },
                Qt::SingleShotConnection);
            if (!client.model.giveHint() || !allowed(host.hand, host.tableCard, hinted))
                return QStringLiteral("hint %1").arg(QLatin1String(cardName(hinted)));
            if (!client.raisedCards().contains(hinted))
                return QStringLiteral("the hinted card is not raised");
            ++hints;
            return {};
        });
        QVERIFY2(problem.isEmpty(),
                 qPrintable(QStringLiteral("seed %1, %2").arg(seed).arg(problem)));
        QVERIFY(hints > 0);
    }
}

void TestStrongPlayer::hintLine_data()
{
    QTest::addColumn<QByteArrayList>("messages"); // after the deal's start
    QTest::addColumn<QString>("line");
    QTest::newRow("a pot at once")
        << QByteArrayList{"CMD_newcard+1+1+10+2+30", "CMD_hiscard+2+9+1+9+",
                          "CMD_nextplayer+3+1+f+"}
        << QStringLiteral("Playing J\u2663 wins pot 2");
    QTest::newRow("a forced follow")
        << QByteArrayList{"CMD_newcard+1+1+5+2+30", "CMD_hiscard+2+4+1+9+", "CMD_nextplayer+3+1+f+"}
        << QStringLiteral("Playing 6\u2663 is the only card you can play");
    QTest::newRow("the last card takes the kitty")
        << QByteArrayList{"CMD_newcard+1+1+30", "CMD_nextplayer+3+1+l+"}
        << QStringLiteral("Playing 5\u2660 wins pot 1");
}

void TestStrongPlayer::hintLine()
{
    QFETCH(QByteArrayList, messages);
    QFETCH(QString, line);
    ClientFixture client(1);
    client.arrive();
    client.host("CMD_startgame+Me+100+4+4+");
    client.host("CMD_startround+1+91+91+91+91+");
    for (const QByteArray &m : messages)
        client.host(m);
    QVERIFY(client.model.giveHint());
    QCOMPARE(client.lines.last(), line);
}

QTEST_GUILESS_MAIN(TestStrongPlayer)
#include "tst_strongplayer.moc"
