// velmora-server: a game host without a window, for keeping a table open on
// a machine without a desktop.

#include "cards/random.h"
#include "base/config.h"
#include "lanbeacon.h"
#include "portmapper.h"
#include "protocol/table.h"
#include "tserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QSysInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void printLine(const QString &line)
{
    std::fprintf(stderr, "velmora-server: %s\n", qPrintable(line));
    std::fflush(stderr);
}

int positiveOption(QCommandLineParser &parser, const QString &name, int fallback, bool &ok)
{
    if (!parser.isSet(name))
        return fallback;
    bool converted = false;
    const int value = parser.value(name).toInt(&converted);
    if (!converted || value < 0) {
        printLine(QStringLiteral("--%1 needs a whole number of 0 or more").arg(name));
        ok = false;
    }
    return value;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-server"));
    QCoreApplication::setApplicationVersion(QLatin1String(velmora::VersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Hosts a Velmora table without a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("port"), QStringLiteral("TCP port to listen on."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("bot-ms"),
                      QStringLiteral("Computer players' pace in milliseconds (default %1).")
                          .arg(velmora::BotIntervalMs),
                      QStringLiteral("MS")});
    parser.addOption({QStringLiteral("round-pause-ms"),
                      QStringLiteral("Pause between rounds in milliseconds (default %1).")
                          .arg(velmora::RoundPauseMs),
                      QStringLiteral("MS")});
    parser.addOption({QStringLiteral("seed"),
                      QStringLiteral("Seed of the random generator (default: from the clock)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("turn-limit"),
                      QStringLiteral("Seconds a player may take over a turn before the computer "
                                     "moves for him (default 0: no limit)."),
                      QStringLiteral("SECONDS")});
    parser.addOption({QStringLiteral("no-announce"),
                      QStringLiteral("Do not announce the table on the local network.")});
    parser.addOption({QStringLiteral("upnp"),
                      QStringLiteral("Ask the router to forward the port to this machine.")});
    parser.addOption({QStringLiteral("bots"),
                      QStringLiteral("How the computer plays: classic (default) or strong."),
                      QStringLiteral("classic|strong")});
    parser.process(app);

    bool ok = true;
    const int botMs = positiveOption(parser, QStringLiteral("bot-ms"), velmora::BotIntervalMs, ok);
    const int pauseMs =
        positiveOption(parser, QStringLiteral("round-pause-ms"), velmora::RoundPauseMs, ok);
    const int turnLimit = positiveOption(parser, QStringLiteral("turn-limit"), 0, ok);
    QString port = velmora::gamePort();
    if (parser.isSet(QStringLiteral("port")))
        port = parser.value(QStringLiteral("port"));
    velmora::Random &random = velmora::processRandom();
    if (parser.isSet(QStringLiteral("seed"))) {
        bool converted = false;
        const uint seed = parser.value(QStringLiteral("seed")).toUInt(&converted);
        if (!converted) {
            printLine(QStringLiteral("--seed needs a whole number"));
            ok = false;
        }
        random.setSeed(seed);
    }
    const QString bots = parser.value(QStringLiteral("bots"));
    if (parser.isSet(QStringLiteral("bots")) && bots != QStringLiteral("classic") &&
        bots != QStringLiteral("strong")) {
        printLine(QStringLiteral("--bots needs classic or strong"));
        ok = false;
    }
    if (!ok)
        return 2;

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        printLine(QStringLiteral("cannot set up signal handling"));
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
        printLine(QStringLiteral("shutting down"));
        QCoreApplication::quit();
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    velmora::TServer server(random);
    server.setSlotOneIsHost(false);
    server.setBotInterval([botMs] { return botMs; });
    server.setRoundPause(pauseMs);
    server.setPortName(port);
    server.setTurnLimit(turnLimit);
    if (bots == QStringLiteral("strong"))
        server.engine().setComputerStrength(velmora::ComputerStrength::Strong);
    QObject::connect(&server, &velmora::TServer::logLine, &printLine);
    try {
        server.startListening();
    } catch (const velmora::Error &e) {
        printLine(e.message());
        return 1;
    }
    // The table has no hosting player; the machine names it.
    velmora::LanBeacon beacon(
        [&server] { return velmora::describeTable(server, QSysInfo::machineHostName()); });
    if (!parser.isSet(QStringLiteral("no-announce"))) {
        if (!beacon.start())
            printLine(QStringLiteral("cannot listen on UDP port %1; announcing only")
                          .arg(velmora::discoveryPort()));
    }
    velmora::PortMapper mapper(server.listeningPort());
    QObject::connect(&mapper, &velmora::PortMapper::opened, [&](const QString &address) {
        printLine(QStringLiteral("the router forwards port %1 (public address %2)")
                      .arg(mapper.port())
                      .arg(address.isEmpty() ? QStringLiteral("unknown") : address));
    });
    QObject::connect(&mapper, &velmora::PortMapper::failed,
                     [&] { printLine(velmora::PortMapper::failureText(mapper.port())); });
    if (parser.isSet(QStringLiteral("upnp")))
        mapper.open();
    const int rc = app.exec();
    mapper.close();
    beacon.stop();
    server.stopListening();
    return rc;
}
