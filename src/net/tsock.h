#pragma once

#include "base/error.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;

namespace velmora {

// Failures of socket operations, each with one message text.
class ESockException : public Error
{
public:
    using Error::Error;
};

enum class TSocketType { stStream, stDatagram };
enum class TSocketInfo { Lookup, Connect, Close, Listen, Receive, Send, Accept, Error };
enum class TLineBreak { lbCRLF, lbCR, lbLF, lbSmart };

const char *socketInfoName(TSocketInfo info);

// The game's TCP endpoint: a listener or one connection, event-driven and
// never blocking its caller. It moves bytes only; cutting them into messages
// is the caller's business.
//
// Built on Qt Network. Events are plain callables rather than Qt signals
// because an accepted connection takes over its listener's read, write,
// disconnect and info handlers, and callables can be copied that way. Any
// event may be left unassigned.
//
// Reads: every read notification takes all that has arrived (in pieces of at
// most 32768 bytes) before raising OnRead once; Qt signals a read only for
// new data, so anything left behind would wait for the next packet.
class TSock : public QObject
{
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TSock &)>;
    using InfoEvent = std::function<void(TSock &, TSocketInfo, const QString &)>;
    using ReadEvent = std::function<void(TSock &, int count)>;

    explicit TSock(QObject *parent = nullptr);
    ~TSock() override;

    // Events.
    NotifyEvent OnConnect;
    NotifyEvent OnDisconnect;
    InfoEvent OnInfo;
    ReadEvent OnRead;
    NotifyEvent OnWrite;
    NotifyEvent OnAccept;

    // Settings this program never changes; kept for completeness.
    TSocketType SocketType = TSocketType::stStream;
    bool Blocking = false;
    bool AutoAccept = false;
    TLineBreak LineBreak = TLineBreak::lbSmart;
    int BlockingTimeout = 0;
    int Tag = 0;

    QString hostName() const { return m_hostName; }
    void setHostName(const QString &name);
    QString portName() const { return m_portName; }
    void setPortName(const QString &name);

    bool listen() const { return m_listening; }
    void setListen(bool on);

    // Starts connecting to hostName:portName; returns Connected (false on a
    // fresh start). Does nothing while a handle exists.
    bool Open();
    // Queues the bytes and sends what the network takes; always true.
    bool Send(const QByteArray &bytes);
    // Returns the whole incoming buffer and empties it.
    QByteArray Receive();
    // On a listener: takes one waiting connection into a new component owned
    // by the listener.
    bool Accept(TSock *&newSock);
    bool Close();

    bool connected() const { return m_connected; }
    bool hasHandle() const { return m_tcp || m_server; }
    // The port actually bound while listening (useful with port "0").
    quint16 localPort() const;
    // Bytes handed to Send that the network has not taken yet.
    qint64 pendingOutgoing() const;

    // Port and host lookups as Open and Listen do them (raise on failure).
    static quint16 lookupPort(const QString &portName, TSocketType type = TSocketType::stStream);
    static QHostAddress lookupHost(const QString &hostName);

private:
    void report(TSocketInfo info, const QString &message);
    void adopt(QTcpSocket *socket);
    void onConnected();
    void onReadyRead();
    void onBytesWritten();
    void onDisconnected();
    void onError(int code);
    void flushOutgoing();
    void releaseSocket();

    QString m_hostName;
    QString m_portName;
    bool m_listening = false;
    bool m_connected = false;
    QTcpSocket *m_tcp = nullptr;
    QTcpServer *m_server = nullptr;
    QByteArray m_incoming;
    QByteArray m_outgoing; // held until the connection completes
};

} // namespace velmora
