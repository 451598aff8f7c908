// The host under load over loopback: memory held for nine idle connections,
// how long chat lines wait when one client sends a burst, how long a card
// waits while another client floods, and how fast an idle host answers.

#include "base/version.h"
#include "../tests/support/enginerecorder.h"
#include "cards/random.h"
#include "tserver.h"
#include "protocol/framer.h"
#include "protocol/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace velmora;

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

struct Client
{
    QTcpSocket socket;
    Framer framer;
    QList<QByteArray> messages;
    explicit Client(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead,
                         [this] { framer.feed(socket.readAll(), messages); });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
};

void BM_NineIdleConnections(benchmark::State &state)
{
    for (auto _ : state) {
        Random random(1);
        TServer server(random);
        server.setPortName(QStringLiteral("0"));
        server.startListening();
        QTest::qWait(50);
        const long before = residentKiB();
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 1; i <= 9; ++i) {
            clients.push_back(std::make_unique<Client>(server.listeningPort()));
            auto *c = clients.back().get();
            if (!QTest::qWaitFor([c] { return !c->messages.isEmpty(); }, 5000))
                state.SkipWithError("no login request");
            c->socket.write(
                wire::loginInfo(i, velmora::VersionText, "player" + QByteArray::number(i)));
        }
        QTest::qWait(300);
        const long after = residentKiB();
        // Clients and host share this process: the figure bounds the host's
        // share from above.
        state.counters["rss_before_KiB"] = double(before);
        state.counters["rss_after_KiB"] = double(after);
        state.counters["KiB_for_9_connections"] = double(after - before);
    }
}
BENCHMARK(BM_NineIdleConnections)->Iterations(1)->Unit(benchmark::kMillisecond);

// Runs the event loop until `done` holds. Unlike QTest::qWaitFor, which
// sleeps 10 ms between rounds of events, this wakes for every event, so the
// time it returns at is the time the answer arrived.
template <typename Pred>
bool spinUntil(Pred done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // so that a silent peer cannot block the wait for ever
    wake.start(50);
    QEventLoop loop;
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Logs in a raw client and waits for the host's answer; false on a timeout.
bool logIn(Client &c, int slot, const QByteArray &name)
{
    if (!QTest::qWaitFor([&] { return !c.messages.isEmpty(); }, 5000))
        return false;
    c.socket.write(wire::loginInfo(slot, velmora::VersionText, name));
    return QTest::qWaitFor(
        [&] {
            return c.messages.contains("CMD_newplayerinfo+" + QByteArray::number(slot) + "+" +
                                       name);
        },
        5000);
}

// Seat 1 is to lead and holds the two of clubs in hand slot 1: its
// "CMD_playcard+1+1+" is always accepted and answered with a broadcast.
void setUpLead(TServer &server)
{
    GameTable &table = server.engine().table();
    changeGame(table, [](GameTable::Game &game) {
        game.inProgress = true;
        game.roundOver = false;
        game.currentPlayer = 1;
        game.offerSeat = 0;
        game.tableCard = 0;
        game.dealer = 4;
    });
    changeSeat(table, 1, [](GameTable::Seat &seat) {
        seat.hand.fill(0);
        seat.hand[0] = 1;
        seat.hand[1] = 14;
    });
}

bool received(const Client &c, const QByteArray &prefix)
{
    return std::any_of(c.messages.begin(), c.messages.end(),
                       [&](const QByteArray &m) { return m.startsWith(prefix); });
}

// One client sends a burst of chat lines at once (fewer than a connection
// may have waiting): how soon the first is relayed, how many are relayed,
// and how long the host takes to work through the burst.
void BM_ChatBurst(benchmark::State &state)
{
    const int lines = int(state.range(0));
    for (auto _ : state) {
        Random random(1);
        TServer server(random);
        server.setPortName(QStringLiteral("0"));
        server.startListening();
        Client c(server.listeningPort());
        if (!logIn(c, 1, "burst"))
            state.SkipWithError("no login");
        QTest::qWait(50);
        c.messages.clear();
        QByteArray burst;
        for (int i = 0; i < lines; ++i)
            burst += wire::chatRequest(1, "line " + QByteArray::number(i) + "|clRed");
        QElapsedTimer clock;
        clock.start();
        c.socket.write(burst);
        c.socket.flush();
        if (!spinUntil([&] { return !c.messages.isEmpty(); }, 5000))
            state.SkipWithError("nothing relayed");
        state.counters["first_line_ms"] = double(clock.nsecsElapsed()) / 1e6;
        if (!spinUntil([&] { return server.engine().queued() == 0; }, lines * 50 + 5000))
            state.SkipWithError("burst not worked through");
        QTest::qWait(50);
        state.counters["worked_through_ms"] = double(clock.elapsed());
        qsizetype relayed = 0;
        for (const QByteArray &m : c.messages)
            relayed += m.startsWith("CMD_chat+1+");
        state.counters["lines_relayed"] = double(relayed);
        state.counters["notices"] = double(c.messages.size() - relayed);
    }
}
BENCHMARK(BM_ChatBurst)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

// One client floods the host with chat lines; right after, the player whose
// turn it is plays a card. Measures how long the card waits for its answer.
void BM_CardDuringFlood(benchmark::State &state)
{
    const int lines = int(state.range(0));
    for (auto _ : state) {
        Random random(1);
        TServer server(random);
        server.setBotInterval([] { return 3600 * 1000; });
        server.setPortName(QStringLiteral("0"));
        server.startListening();
        Client player(server.listeningPort());
        if (!logIn(player, 1, "player"))
            state.SkipWithError("player did not log in");
        Client flood(server.listeningPort());
        if (!logIn(flood, 2, "flood"))
            state.SkipWithError("flooder did not log in");
        QTest::qWait(50);
        setUpLead(server);
        player.messages.clear();

        QByteArray burst;
        for (int i = 0; i < lines; ++i)
            burst += wire::chatRequest(2, "flood line " + QByteArray::number(i) + "|clRed");
        flood.socket.write(burst);
        flood.socket.flush();
        // The flood has reached the host once it relayed its first line, or
        // cut the flooder off.
        if (!spinUntil(
                [&] {
                    return received(player, "CMD_chat+2+") ||
                           received(player, "CMD_playerdisconnected+2+");
                },
                5000))
            state.SkipWithError("flood did not arrive");
        QElapsedTimer clock;
        clock.start();
        player.socket.write(wire::playCard(1, 1));
        player.socket.flush();
        const bool answered =
            spinUntil([&] { return received(player, "CMD_hiscard+1+1+"); }, lines * 20 + 5000);
        if (!answered)
            state.SkipWithError("card not answered");
        state.counters["card_answered_ms"] = double(clock.nsecsElapsed()) / 1e6;
        qsizetype relayed = 0;
        for (const QByteArray &m : player.messages)
            relayed += m.startsWith("CMD_chat+2+");
        state.counters["flood_lines_relayed_before_card"] = double(relayed);
        state.counters["flooder_cut_off"] = received(player, "CMD_playerdisconnected+2+") ? 1 : 0;
    }
}
BENCHMARK(BM_CardDuringFlood)->Arg(200)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A request from an idle table's player to the broadcast of its answer: the
// time a card clicked in the window takes to reach the table, less the
// window's own drawing.
void BM_ClickToBroadcast(benchmark::State &state)
{
    constexpr int Trials = 50;
    for (auto _ : state) {
        Random random(1);
        TServer server(random);
        server.setBotInterval([] { return 3600 * 1000; });
        server.setPortName(QStringLiteral("0"));
        server.startListening();
        Client player(server.listeningPort());
        if (!logIn(player, 1, "player"))
            state.SkipWithError("player did not log in");
        std::vector<double> times;
        for (int i = 0; i < Trials; ++i) {
            // Long enough for the host to be idle again.
            QTest::qWait(30);
            setUpLead(server);
            player.messages.clear();
            QElapsedTimer clock;
            clock.start();
            player.socket.write(wire::playCard(1, 1));
            player.socket.flush();
            if (!spinUntil([&] { return received(player, "CMD_hiscard+1+1+"); }, 5000)) {
                state.SkipWithError("card not answered");
                break;
            }
            times.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        if (!times.empty()) {
            state.counters["median_ms"] = times[times.size() / 2];
            state.counters["min_ms"] = times.front();
            state.counters["max_ms"] = times.back();
        }
    }
}
BENCHMARK(BM_ClickToBroadcast)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
