#pragma once

#include "base/error.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace velmora {

// Failures of socket operations, each with one message text. They reach the
// player through the general error box; no code looks at the text.
class ESockException : public Error
{
public:
    using Error::Error;
};

// The game's TCP endpoint: a listener or one connection, event-driven and
// never blocking its caller (a host name is resolved by Qt in the
// background). It moves bytes only; cutting them into messages is the
// caller's business.
//
// Every connection, and every attempt at one, ends with exactly one
// `closed` and its reason; a component that never had a connection or an
// attempt reports nothing.
class TSock : public QObject
{
    Q_OBJECT
public:
    enum class CloseReason {
        PeerClosed,     // the other side closed the connection
        Reset,          // the other side's system broke it off
        TimedOut,       // the other side stopped answering, or never answered
        Refused,        // an attempt found nobody listening, or no way there
        HostNotFound,   // the host name has no IPv4 address
        TooMuchPending, // the other side took so little that the pending limit was passed
        LocalClose,     // this side called Close
    };
    Q_ENUM(CloseReason)

    explicit TSock(QObject *parent = nullptr);
    // Closes quietly: nothing is signalled from a component being destroyed.
    ~TSock() override;

    QString hostName() const { return m_hostName; }
    void setHostName(const QString &name) { m_hostName = name; }
    QString portName() const { return m_portName; }
    void setPortName(const QString &name) { m_portName = name; }
    // Once more than this waits to go out, the connection is closed with
    // TooMuchPending (0: no limit). Accepted connections take the
    // listener's limit.
    void setPendingLimit(qint64 bytes) { m_pendingLimit = bytes; }
    // A connection whose other end stops answering (a laptop that sleeps, a
    // dropped link: no close ever arrives) ends with TimedOut after about
    // this many seconds, whether we wait for it or send to it. 0 leaves it
    // to the system. Accepted connections take the listener's.
    void setDeadLinkSeconds(int seconds) { m_deadLinkSeconds = seconds; }
    int deadLinkSeconds() const { return m_deadLinkSeconds; }

    // Starts or stops listening on every local IPv4 address at portName.
    // Raises when the port cannot be looked up or bound; a listener that
    // failed keeps its handle, so that only Close lets it try again.
    bool listen() const { return m_listening; }
    void setListen(bool on);

    // Starts connecting to hostName:portName and returns isConnected (false
    // on a fresh start). A name that begins with a digit must be a dotted
    // address. Nothing happens while a handle exists, also after a failed
    // attempt, until Close.
    bool Open();
    // Queues the bytes; they leave in order once the connection is made.
    bool Send(const QByteArray &bytes);
    // On a listener: the next waiting connection as a new component owned
    // by the listener, or nothing.
    TSock *Accept();
    // Lets what is queued leave, then closes; false when there was nothing
    // to close. A connection or attempt still running reports LocalClose.
    bool Close();

    bool isConnected() const { return m_state == State::Connected; }
    bool hasHandle() const { return m_tcp || m_server; }
    // The port actually bound while listening (useful with port "0").
    quint16 localPort() const;
    // Bytes handed to Send that the network has not taken yet.
    qint64 pendingOutgoing() const;
    // The platform error that ended the last connection or attempt, as
    // "Error #" + code + " (" + name + ")"; empty after an orderly close.
    QString errorText() const { return m_errorText; }

    // A decimal port number, or a service name from the system's database.
    static quint16 lookupPort(const QString &portName);
    // What the player is told of a host name or address that leads nowhere.
    static QString hostNotFoundText()
    {
        return QStringLiteral("Host Lookup - Could Not Find Host Entry");
    }

signals:
    void connected();
    // Bytes arrived; anything that came with a close arrives before `closed`.
    void received(const QByteArray &bytes);
    void closed(velmora::TSock::CloseReason reason);
    // A listener has a connection waiting for Accept.
    void pendingConnection();

private:
    enum class State { Idle, Connecting, Connected, Failed };

    void adopt(QTcpSocket *socket);
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void flushOutgoing();
    void finish(CloseReason reason);
    void releaseSocket();

    QString m_hostName;
    QString m_portName;
    QString m_errorText;
    State m_state = State::Idle;
    bool m_listening = false;
    qint64 m_pendingLimit = 0;
    int m_deadLinkSeconds;
    QTcpSocket *m_tcp = nullptr;
    QTcpServer *m_server = nullptr;
    QByteArray m_outgoing; // held until the connection completes
    // The reason behind the error that Qt reports just before a close.
    CloseReason m_errorReason = CloseReason::PeerClosed;
};

} // namespace velmora
