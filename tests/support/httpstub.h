#pragma once

// A small HTTP server on the loopback address that answers every request
// with one configured response, for the download's tests; pattern() makes
// a recognisable body.

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

inline QByteArray pattern(int size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 251) & 0xff);
    return b;
}

// Answers every request with one configured response. The body can be held
// back until release() and sent in pieces, so that a test sees the window
// between the headers and the data, or in the middle of the data.
class HttpStub : public QObject
{
public:
    QByteArray statusLine = "HTTP/1.1 200 OK";
    QList<QByteArray> headers{"Content-Type: application/octet-stream", "Connection: close"};
    QByteArray body;
    bool announceLength = true;
    qint64 announcedLength = -1; // -1: the body's length
    int pieceSize = 0;           // 0: the whole body at once
    int pieceIntervalMs = 0;
    bool holdBody = false;
    QByteArray request;

    HttpStub()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { onRequest(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

    // Announces the body's length (BodyLength), another (any other
    // number) or none (NoLength).
    static constexpr int BodyLength = -1;
    static constexpr int NoLength = -2;

    // A patterned body of 4000 bytes under `status`, announced as above:
    // the transfers that are meant to fail.
    void serve(const QByteArray &status, int announced)
    {
        statusLine = status;
        body = pattern(4000);
        announceLength = announced != NoLength;
        announcedLength = announced == NoLength ? -1 : announced;
    }

    QByteArray url(const char *name = "pelox8lobby-setup") const
    {
        return "http://127.0.0.1:" + QByteArray::number(m_server.serverPort()) + "/downloads/" +
               name;
    }

    void release()
    {
        holdBody = false;
        if (m_socket)
            sendBody();
    }

private:
    void onRequest(QTcpSocket *s)
    {
        request += s->readAll();
        if (!request.contains("\r\n\r\n") || m_socket)
            return;
        m_socket = s;
        QByteArray head = statusLine + "\r\n";
        for (const QByteArray &h : headers)
            head += h + "\r\n";
        if (announceLength)
            head += "Content-Length: " +
                    QByteArray::number(announcedLength < 0 ? body.size() : announcedLength) +
                    "\r\n";
        s->write(head + "\r\n");
        if (!holdBody)
            sendBody();
    }

    void sendBody()
    {
        if (pieceSize <= 0) {
            m_socket->write(body.mid(m_sent));
            m_socket->disconnectFromHost();
            return;
        }
        m_socket->write(body.mid(m_sent, pieceSize));
        m_sent += pieceSize;
        if (m_sent >= body.size())
            m_socket->disconnectFromHost();
        else
            QTimer::singleShot(pieceIntervalMs, m_socket, [this] { sendBody(); });
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    qsizetype m_sent = 0;
};
