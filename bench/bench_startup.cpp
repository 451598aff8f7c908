// The game window's costs as a player meets them: from creating the window
// to its first paint, the resident memory of a solo game once logged in,
// and the processor time of that game sitting idle at the table (which
// should be indistinguishable from zero: nothing ticks while no message
// waits). Runs with any Qt platform; the numbers in reports come from
// QT_QPA_PLATFORM=offscreen or xvfb. VELMORA_IDLE_SECONDS shortens the idle
// run (default 30).

#include "chat/chatview.h"
#include "window/tchat.h"
#include "processtime.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTimer>

#include <unistd.h>

namespace {

// Spins the event loop until `done` or the deadline.
template <typename F>
bool waitFor(F done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void useFreePort()
{
    // The host takes whatever port the system gives it.
    qputenv("VELMORA_PORT", "0");
}

void BM_StartupToFirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        // One parameter: the window waits without any connection.
        velmora::Tchat window({QStringLiteral("Bob")});
        PaintWatch watch;
        window.mainchat()->viewport()->installEventFilter(&watch);
        window.show();
        if (!waitFor([&] { return watch.painted; }, 5000))
            state.SkipWithError("the window never painted");
        state.PauseTiming();
        window.close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SoloIdleAtTable(benchmark::State &state)
{
    const int seconds = qEnvironmentVariableIntValue("VELMORA_IDLE_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("VELMORA_IDLE_SECONDS")
                            : 30;
    for (auto _ : state) {
        useFreePort();
        velmora::Tchat window({});
        window.show();
        if (!waitFor([&] { return window.session().loggedIn() && !window.dispatching(); }, 5000)) {
            state.SkipWithError("the solo game did not log in");
            break;
        }
        state.counters["rss_after_login_KiB"] = double(residentKiB());
        const double before = velmora::bench::processCpuMs(QStringLiteral("self"));
        QEventLoop idle;
        QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
        idle.exec();
        const double used = velmora::bench::processCpuMs(QStringLiteral("self")) - before;
        state.counters["idle_seconds"] = seconds;
        state.counters["idle_cpu_ms"] = used;
        state.counters["idle_cpu_percent"] = used / (seconds * 10.0);
        window.close();
    }
}
BENCHMARK(BM_SoloIdleAtTable)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
