// The table's processor time over one whole computer-only game, as the game
// window spends it: every host message of the game goes through the client
// session into the table model, and the table view on its board is redrawn
// and painted after each one, as the window does between two ticks of its
// dispatch timer when the computer players move at the fastest speed.
//
// The messages are recorded once from a seeded host engine: the player sits
// at seat 1 and just watches, so the computer plays all four seats for the
// 16 rounds of a default game, dummy hands on. Run it under
// QT_QPA_PLATFORM=offscreen for numbers that compare between machines.

#include "base/version.h"
#include "../tests/support/enginerecorder.h"
#include "cards/random.h"
#include "client/clientsession.h"
#include "client/tableannouncer.h"
#include "client/tablemodel.h"
#include "host/hostengine.h"
#include "protocol/messages.h"
#include "art/tableart.h"
#include "table/tableview.h"
#include "table/boardpanel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QList>

#include <cstdlib>
#include <ctime>

namespace {

using velmora::HostEngine;
namespace wire = velmora::wire;

using Recorder = velmora::EngineRecorder;
constexpr auto request = &velmora::EngineRecorder::request;

// Every message the hosting player's copy receives from its login to the
// winner of one game.
QList<QByteArray> recordGame()
{
    Recorder out(1);
    velmora::Random random(7);
    HostEngine engine(out, random);
    const int slot = engine.acceptSlot();
    engine.connected(slot);
    engine.handle(slot, request(wire::loginInfo(slot, velmora::VersionText, "You")));
    engine.handle(slot, request(wire::startGameRequest("You", 100, "16", true)));
    engine.handle(slot, request(wire::justWatch(slot, 1)));
    while (engine.table().game().inProgress) {
        if (!out.fireTimer(engine))
            std::abort(); // the table stalls: a fault, not a measurement
    }
    return out.to(1);
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// One game on a fresh table per iteration; building the window is not
// counted.
void BM_WholeComputerGame(benchmark::State &state)
{
    const QList<QByteArray> game = recordGame();
    velmora::TableArt::preload();
    double cpu = 0;
    int paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            velmora::ClientSession session;
            velmora::Random random(3);
            velmora::TableModel model(random);
            velmora::TableAnnouncer announcer(model);
            session.setTable(&model);
            session.setLoginName("You");
            velmora::BoardPanel board;
            velmora::TableView view(model, &board);
            PaintCounter counter;
            for (QObject *child : board.children())
                child->installEventFilter(&counter);
            board.installEventFilter(&counter);
            board.show();
            QCoreApplication::processEvents();
            counter.paints = 0;
            state.ResumeTiming();

            const double start = processCpuSeconds();
            for (const QByteArray &message : game) {
                session.receive(message);
                session.dispatchOne();
                QCoreApplication::processEvents();
            }
            cpu += processCpuSeconds() - start;

            state.PauseTiming();
            paints += counter.paints;
            if (!model.winnerShown())
                state.SkipWithError("the game did not reach its winner");
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    const double games = double(state.iterations());
    state.counters["messages"] = double(game.size());
    state.counters["cpu_ms/game"] = cpu * 1000.0 / games;
    state.counters["paints/game"] = double(paints) / games;
}
BENCHMARK(BM_WholeComputerGame)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
