// The game window's processor time per host message while it follows a
// whole game of computer players. Run by bench/follow-xvfb.sh under Xvfb:
//
//   follow_game VELMORA VELMORA_SERVER [ROUNDS] [BOT_MS] [ROUND_PAUSE_MS] [SEED]
//
// Starts the table server, joins it with the game window through a relay on
// loopback and, once the window is logged in and idle, starts a game in the
// window's name and sets its seat to just watch, so that the computer plays
// all four seats. The relay counts the host's messages to the window; at the
// game's end, when the window is idle again, the window's user plus system
// time since the start is read from /proc and divided by that count.
//
// The requests go in through the relay rather than through a switch of the
// server: the window sees exactly what a joining player sees.

#include "protocol/command.h"
#include "protocol/messages.h"
#include "processtime.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using namespace velmora;

namespace {

void fail(const char *why)
{
    std::fprintf(stderr, "follow_game: %s\n", why);
    std::exit(1);
}

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        fail("no free port");
    return probe.serverPort();
}

class Bench : public QObject
{
public:
    Bench(const QStringList &args) : m_args(args)
    {
        m_rounds = args.value(2, QStringLiteral("8")).toInt();
        m_serverPort = freePort();
        m_server.setStandardOutputFile(QProcess::nullDevice());
        connect(&m_server, &QProcess::readyReadStandardError, this, [this] {
            if (m_server.readAllStandardError().contains("listening") && !m_window.processId())
                startWindow();
        });
        m_server.start(args[1],
                       {QStringLiteral("--port"), QString::number(m_serverPort),
                        QStringLiteral("--bot-ms"), args.value(3, QStringLiteral("20")),
                        QStringLiteral("--round-pause-ms"), args.value(4, QStringLiteral("200")),
                        QStringLiteral("--seed"), args.value(5, QStringLiteral("1")),
                        // A benchmark's table stays off the local network.
                        QStringLiteral("--no-announce")});
        connect(&m_relay, &QTcpServer::newConnection, this, &Bench::windowConnected);
        if (!m_relay.listen(QHostAddress::LocalHost))
            fail("the relay cannot listen");
        connect(&m_poll, &QTimer::timeout, this, &Bench::poll);
        m_poll.start(100);
        QTimer::singleShot(180000, this, [] { fail("no game end within three minutes"); });
    }

    ~Bench() override
    {
        m_window.terminate();
        m_window.waitForFinished(5000);
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

private:
    enum class Phase { Joining, Settling, Playing, Ending };

    void startWindow()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMORA_PORT"), QString::number(m_relay.serverPort()));
        env.insert(QStringLiteral("VELMORA_HOME"), m_home.path());
        env.insert(QStringLiteral("TMPDIR"), m_tmp.path());
        m_window.setProcessEnvironment(env);
        m_window.setStandardOutputFile(QProcess::nullDevice());
        m_window.setStandardErrorFile(QProcess::nullDevice());
        m_window.start(m_args[0],
                       {QStringLiteral("bench"), QStringLiteral("127.0.0.1"), QStringLiteral("x")});
    }

    void windowConnected()
    {
        m_client = m_relay.nextPendingConnection();
        m_host = new QTcpSocket(this);
        connect(m_client, &QTcpSocket::readyRead, this, [this] {
            const QByteArray bytes = m_client->readAll();
            if (m_phase == Phase::Joining &&
                bytes.contains(commandText(Cmd::LoginInfo).toByteArray()))
                m_phase = Phase::Settling;
            m_host->write(bytes);
        });
        connect(m_host, &QTcpSocket::readyRead, this, [this] {
            const QByteArray bytes = m_host->readAll();
            m_client->write(bytes);
            if (m_phase != Phase::Playing)
                return;
            m_messages += bytes.count('\xFF');
            if (bytes.contains(commandText(Cmd::Winner).toByteArray()))
                m_phase = Phase::Ending;
        });
        m_host->connectToHost(QHostAddress::LocalHost, m_serverPort);
    }

    // Idle: no processor time gained over the last half second.
    bool windowIdle()
    {
        const double now = bench::processCpuMs(QString::number(m_window.processId()));
        if (now != m_lastCpu) {
            m_lastCpu = now;
            m_idleFor.start();
            return false;
        }
        return m_idleFor.isValid() && m_idleFor.elapsed() >= 500;
    }

    void poll()
    {
        if (m_window.processId() == 0)
            return;
        const bool idle = windowIdle();
        if (m_phase == Phase::Settling && idle) {
            m_startCpu = m_lastCpu;
            m_phase = Phase::Playing;
            m_host->write(wire::startGameRequest("bench", 100, QByteArray::number(m_rounds), 1));
            m_host->write(wire::justWatch(1, 1));
        } else if (m_phase == Phase::Ending && idle) {
            const double spent = m_lastCpu - m_startCpu;
            // The second figure holds the window's start and login as well.
            std::printf("messages %d  cpu %.0f ms  per message %.3f ms  (from start %.3f ms)\n",
                        m_messages, spent, spent / m_messages, m_lastCpu / m_messages);
            std::fflush(stdout);
            QCoreApplication::quit();
        }
    }

    QStringList m_args;
    int m_rounds = 8;
    quint16 m_serverPort = 0;
    QProcess m_server;
    QProcess m_window;
    QTemporaryDir m_home;
    QTemporaryDir m_tmp;
    QTcpServer m_relay;
    QTcpSocket *m_client = nullptr;
    QTcpSocket *m_host = nullptr;
    QTimer m_poll;
    Phase m_phase = Phase::Joining;
    int m_messages = 0;
    double m_lastCpu = -1;
    double m_startCpu = 0;
    QElapsedTimer m_idleFor;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        fail("usage: follow_game VELMORA VELMORA_SERVER [ROUNDS] [BOT_MS] [ROUND_PAUSE_MS] [SEED]");
    Bench bench(args);
    return app.exec();
}
