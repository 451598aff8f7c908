// A thousand connections that log in and drop during a game, against the
// velmora-server program: its resident memory and open descriptors, read
// from /proc, after a warm-up and then every 250 connections.

#include "churnclients.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

void BM_ServerChurn(benchmark::State &state)
{
    const int connections = int(state.range(0));
    for (auto _ : state) {
        QProcess server;
        server.setProcessChannelMode(QProcess::SeparateChannels);
        server.start(QStringLiteral(VELMORA_SERVER),
                     {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--bot-ms"),
                      QStringLiteral("5"), QStringLiteral("--round-pause-ms"), QStringLiteral("20"),
                      QStringLiteral("--seed"), QStringLiteral("1"),
                      // A benchmark's table stays off the local network.
                      QStringLiteral("--no-announce")});
        quint16 port = 0;
        const QRegularExpression listening(QStringLiteral("listening on port (\\d+)"));
        QByteArray log;
        churn::waitFor(
            [&] {
                log += server.readAllStandardError();
                port = quint16(listening.match(QString::fromLatin1(log)).captured(1).toUInt());
                return port != 0 || server.state() == QProcess::NotRunning;
            },
            5000);
        if (port == 0) {
            state.SkipWithError("velmora-server did not start");
            return;
        }
        const QString pid = QString::number(server.processId());
        // Its log is thrown away from here on; it must not fill the pipe.
        QObject::connect(&server, &QProcess::readyReadStandardError,
                         [&server] { server.readAllStandardError(); });

        churn::Table table(port);
        QRandomGenerator rng(3);
        QElapsedTimer clock;
        if (!table.start() || !table.run(50, rng)) {
            state.SkipWithError("the table did not start");
            return;
        }
        const auto settle = [&] { churn::waitFor([] { return false; }, 200); };
        settle();
        const int fdsBefore = churn::openDescriptors(pid);
        const long rssBefore = churn::residentKiB(pid);
        const int cardsBefore = table.cardsPlayed();
        state.counters["fds_before"] = fdsBefore;
        state.counters["rss_before_KiB"] = double(rssBefore);
        clock.start();
        for (int done = 0; done < connections; done += 250) {
            if (!table.run(qMin(250, connections - done), rng)) {
                state.SkipWithError("the host stopped answering");
                return;
            }
            settle();
            const std::string at = std::to_string(done + 250);
            state.counters["rss_at_" + at + "_KiB"] = double(churn::residentKiB(pid));
            state.counters["fds_at_" + at] = churn::openDescriptors(pid);
        }
        state.counters["seconds"] = double(clock.elapsed()) / 1000;
        state.counters["cards_played_meanwhile"] = table.cardsPlayed() - cardsBefore;
        state.counters["games_started"] = table.gamesStarted();
        state.counters["turned_away"] = table.turnedAway();
        server.terminate();
        server.waitForFinished(5000);
    }
}
BENCHMARK(BM_ServerChurn)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
