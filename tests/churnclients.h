// Connections that come and go at a table in play, for the churn test and
// the churn benchmark: a resident player keeps a game going while batches of
// newcomers log in as seats and watchers and drop again, cleanly, by a reset
// or by an abort, some in the middle of a message.

#pragma once

#include "base/version.h"
#include "protocol/framer.h"
#include "protocol/messages.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <memory>
#include <set>
#include <vector>

#include <sys/socket.h>

namespace velmora::churn {

// "self" or a process id.
inline QString procDir(const QString &pid) { return QStringLiteral("/proc/") + pid; }

inline int openDescriptors(const QString &pid = QStringLiteral("self"))
{
    // The listing's own descriptor is counted every time alike.
    return int(QDir(procDir(pid) + QStringLiteral("/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

inline long residentKiB(const QString &pid = QStringLiteral("self"))
{
    QFile status(procDir(pid) + QStringLiteral("/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// Like QTest::qWaitFor but without its 10 ms naps: where host and clients
// share this thread every nap holds up both, and a thousand connections
// would take minutes.
template <typename Predicate>
bool waitFor(Predicate predicate, int ms)
{
    const QDeadlineTimer deadline(ms);
    QTimer tick; // wakes the loop when nothing else does
    tick.start(5);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// A client that knows nothing but the wire format. Given a name, it logs
// in as soon as the host asks.
struct Peer
{
    QTcpSocket socket;
    Framer framer;
    QList<QByteArray> messages;
    int slot = 0;
    bool turnedAway = false;
    bool loggedIn = false;

    explicit Peer(quint16 port, const QByteArray &name = {})
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this, name] {
            const qsizetype first = messages.size();
            framer.feed(socket.readAll(), messages);
            for (qsizetype i = first; i < messages.size(); ++i) {
                const QByteArray &m = messages[i];
                if (m.startsWith("CMD_sendlogininfo+")) {
                    slot = m.mid(18).toInt();
                    if (!name.isEmpty())
                        send(wire::loginInfo(slot, VersionText, name));
                } else if (m == "CMD_full+") {
                    turnedAway = true;
                } else if (slot &&
                           m.startsWith("CMD_newplayerinfo+" + QByteArray::number(slot) + '+')) {
                    loggedIn = true;
                }
            }
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
};

enum class Drop { Clean, Reset, Abort };

inline void drop(Peer &peer, Drop how)
{
    switch (how) {
    case Drop::Clean: peer.socket.disconnectFromHost(); break;
    case Drop::Reset: {
        // Linger with no time: the close sends a reset instead of a FIN.
        const linger now{1, 0};
        ::setsockopt(int(peer.socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
        peer.socket.abort();
        break;
    }
    case Drop::Abort: peer.socket.abort(); break;
    }
}

// The resident player at slot 1 and the newcomers.
class Table
{
public:
    explicit Table(quint16 port) : m_port(port) {}

    // The resident joins and starts a game that the computer plays for him;
    // when a game ends he starts the next, so there is always one in play.
    bool start()
    {
        m_resident = std::make_unique<Peer>(m_port, "Resident");
        QObject::connect(&m_resident->socket, &QTcpSocket::readyRead, [this] { watch(); });
        if (!waitFor([this] { return m_resident->loggedIn; }, 5000) || m_resident->slot != 1)
            return false;
        startGame();
        return waitFor([this] { return m_cards > 0; }, 10000);
    }

    // Runs `connections` newcomers through the table in batches of one to
    // eight; returns false when the host stops answering.
    bool run(int connections, QRandomGenerator &rng)
    {
        for (int done = 0; done < connections;) {
            const int batch = qMin(int(rng.bounded(1, 9)), connections - done);
            std::vector<std::unique_ptr<Peer>> peers;
            // One at a time: the host's listener keeps a backlog of five,
            // and a burst beyond it waits a second for the connect to be
            // retried.
            for (int i = 0; i < batch; ++i) {
                peers.push_back(
                    std::make_unique<Peer>(m_port, "Churn" + QByteArray::number(done + i)));
                Peer *p = peers.back().get();
                if (!waitFor([p] { return p->slot != 0 || p->turnedAway; }, 5000))
                    return false;
            }
            const auto loggedIn = [&] {
                return std::all_of(peers.begin(), peers.end(),
                                   [](const auto &p) { return p->loggedIn || p->turnedAway; });
            };
            if (!waitFor(loggedIn, 5000))
                return false;
            for (auto &p : peers) {
                if (p->slot && rng.bounded(4) == 0)
                    p->send("CMD_chat+" + QByteArray::number(p->slot) + "+half a li");
                m_turnedAway += p->turnedAway;
                drop(*p, Drop(done++ % 3));
            }
            peers.clear();
            // Every departure is announced before the next batch comes, so
            // that each newcomer finds a free slot.
            if (!waitFor([this] { return m_present.size() == 1; }, 5000))
                return false;
        }
        return true;
    }

    int cardsPlayed() const { return m_cards; }
    int gamesStarted() const { return m_games; }
    int turnedAway() const { return m_turnedAway; }
    Peer &resident() { return *m_resident; }

private:
    void startGame()
    {
        ++m_games;
        m_resident->send(wire::startGameRequest("Resident", 100, "24", true));
        // A start hands every seat back to its player.
        m_resident->send(wire::justWatch(1, 1));
    }
    void watch()
    {
        const QList<QByteArray> &messages = m_resident->messages;
        for (; m_seen < messages.size(); ++m_seen) {
            const QByteArray &m = messages[m_seen];
            const int slot = m.split('+').value(1).toInt();
            if (m.startsWith("CMD_newplayerinfo+"))
                m_present.insert(slot);
            else if (m.startsWith("CMD_playerdisconnected+"))
                m_present.erase(slot);
            else if (m.startsWith("CMD_hiscard+"))
                ++m_cards;
            else if (m.startsWith("CMD_winner+"))
                startGame();
        }
    }

    quint16 m_port;
    std::unique_ptr<Peer> m_resident;
    std::set<int> m_present;
    qsizetype m_seen = 0;
    int m_cards = 0;
    int m_games = 0;
    int m_turnedAway = 0;
};

} // namespace velmora::churn
