// The host under load over loopback: memory held for nine idle connections,
// and how long chat lines wait when one client sends a burst.

#include "cards/random.h"
#include "tserver.h"
#include "protocol/framer.h"
#include "protocol/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

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
            c->socket.write(wire::loginInfo(i, "1.2.0", "player" + QByteArray::number(i)));
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

void BM_ChatBurst(benchmark::State &state)
{
    const int lines = int(state.range(0));
    for (auto _ : state) {
        Random random(1);
        TServer server(random);
        server.setPortName(QStringLiteral("0"));
        server.startListening();
        Client c(server.listeningPort());
        if (!QTest::qWaitFor([&] { return !c.messages.isEmpty(); }, 5000))
            state.SkipWithError("no login request");
        c.socket.write(wire::loginInfo(1, "1.2.0", "burst"));
        if (!QTest::qWaitFor([&] { return c.messages.size() >= 2; }, 5000))
            state.SkipWithError("no login answer");
        c.messages.clear();
        QByteArray burst;
        for (int i = 0; i < lines; ++i)
            burst += wire::chatRequest(1, "line " + QByteArray::number(i) + "|clRed");
        QElapsedTimer clock;
        clock.start();
        c.socket.write(burst);
        qint64 first = -1;
        const bool all = QTest::qWaitFor(
            [&] {
                if (first < 0 && !c.messages.isEmpty())
                    first = clock.elapsed();
                return c.messages.size() >= lines;
            },
            lines * 50 + 5000);
        if (!all)
            state.SkipWithError("lines lost");
        state.counters["first_line_ms"] = double(first);
        state.counters["longest_wait_ms"] = double(clock.elapsed());
        state.counters["lines_relayed"] = double(c.messages.size());
    }
}
BENCHMARK(BM_ChatBurst)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
