#pragma once

// A router on the loopback address as UPnP clients see it: the answer to an
// SSDP search (only where a test has set up multicast on a loopback of a
// network namespace of its own), the device description of an Internet
// Gateway Device with one WANIPConnection service, and that service's SOAP
// actions. It runs on a thread of its own, because the program's side may
// wait for an answer on the main thread.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUdpSocket>

class IgdStub : public QObject
{
public:
    struct Call
    {
        QByteArray action;
        QByteArray body;
        QByteArray arg(const char *name) const
        {
            const QRegularExpression tag(QStringLiteral("<%1>([^<]*)</%1>").arg(name));
            return tag.match(QString::fromLatin1(body)).captured(1).toLatin1();
        }
    };

    // AddPortMapping answers with these UPnP error codes in turn, then
    // succeeds.
    QList<int> addErrors;

    explicit IgdStub(bool answerSearches = false)
    {
        if (answerSearches) {
            m_ssdp.bind(QHostAddress::AnyIPv4, 1900, QUdpSocket::ShareAddress);
            m_ssdp.joinMulticastGroup(QHostAddress(QStringLiteral("239.255.255.250")));
            connect(&m_ssdp, &QUdpSocket::readyRead, this, [this] { answerSearch(); });
            m_ssdp.moveToThread(&m_thread);
        }
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { onData(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
        m_server.moveToThread(&m_thread);
        moveToThread(&m_thread);
        m_thread.start();
    }
    ~IgdStub() override
    {
        m_thread.quit();
        m_thread.wait();
    }

    QString descriptionUrl() const
    {
        return QStringLiteral("http://127.0.0.1:%1/rootDesc.xml").arg(m_server.serverPort());
    }
    QList<Call> calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    QByteArrayList actions() const
    {
        QByteArrayList names;
        for (const Call &c : calls())
            names.append(c.action);
        return names;
    }

private:
    void answerSearch()
    {
        while (m_ssdp.hasPendingDatagrams()) {
            QHostAddress from;
            quint16 port = 0;
            QByteArray search(2048, Qt::Uninitialized);
            search.truncate(
                qMax<qint64>(0, m_ssdp.readDatagram(search.data(), search.size(), &from, &port)));
            const QRegularExpression target(QStringLiteral("(?i)\\r\\nST:\\s*([^\\r]+)"));
            const QByteArray st = target.match(QString::fromLatin1(search)).captured(1).toLatin1();
            if (!search.startsWith("M-SEARCH") || st.isEmpty())
                continue;
            m_ssdp.writeDatagram("HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: " + st +
                                     "\r\nUSN: uuid:stub-router::" + st +
                                     "\r\nEXT:\r\nSERVER: Linux UPnP/1.1 stub/1\r\nLOCATION: " +
                                     descriptionUrl().toLatin1() + "\r\n\r\n",
                                 from, port);
        }
    }

    void onData(QTcpSocket *s)
    {
        QByteArray &buffer = m_buffers[s];
        buffer += s->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer.left(end);
        const QRegularExpression lengthField(QStringLiteral("(?i)content-length:\\s*(\\d+)"));
        const qsizetype length =
            lengthField.match(QString::fromLatin1(head)).captured(1).toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        const QByteArray body = buffer.mid(end + 4, length);
        m_buffers.remove(s);
        if (head.startsWith("GET")) {
            reply(s, 200, description());
            return;
        }
        const QRegularExpression actionField(QStringLiteral("(?i)soapaction:\\s*\"?[^#]*#(\\w+)"));
        Call call{actionField.match(QString::fromLatin1(head)).captured(1).toLatin1(), body};
        {
            QMutexLocker lock(&m_mutex);
            m_calls.append(call);
        }
        if (call.action == "AddPortMapping" && !addErrors.isEmpty()) {
            reply(s, 500, fault(addErrors.takeFirst()));
            return;
        }
        QByteArray inner;
        if (call.action == "GetExternalIPAddress")
            inner = "<NewExternalIPAddress>203.0.113.7</NewExternalIPAddress>";
        if (call.action == "GetStatusInfo")
            inner = "<NewConnectionStatus>Connected</NewConnectionStatus>"
                    "<NewLastConnectionError>ERROR_NONE</NewLastConnectionError>"
                    "<NewUptime>100</NewUptime>";
        reply(s, 200,
              envelope("<u:" + call.action + "Response xmlns:u=\"" + ServiceType + "\">" + inner +
                       "</u:" + call.action + "Response>"));
    }

    static void reply(QTcpSocket *s, int status, const QByteArray &body)
    {
        s->write("HTTP/1.1 " + QByteArray::number(status) +
                 (status == 200 ? " OK" : " Internal Server Error") +
                 "\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nConnection: close\r\n"
                 "Content-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
        s->disconnectFromHost();
    }

    static QByteArray envelope(const QByteArray &inner)
    {
        return "<?xml version=\"1.0\"?>\r\n<s:Envelope "
               "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
               "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>" +
               inner + "</s:Body></s:Envelope>\r\n";
    }

    static QByteArray fault(int code)
    {
        return envelope("<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError"
                        "</faultstring><detail><UPnPError "
                        "xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
                        QByteArray::number(code) +
                        "</errorCode><errorDescription>Refused</errorDescription></UPnPError>"
                        "</detail></s:Fault>");
    }

    static QByteArray description()
    {
        return "<?xml version=\"1.0\"?>\r\n<root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
               "<specVersion><major>1</major><minor>0</minor></specVersion><device>"
               "<deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>"
               "<friendlyName>Stub router</friendlyName><deviceList><device>"
               "<deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType><serviceList>"
               "<service><serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1"
               "</serviceType><serviceId>urn:upnp-org:serviceId:WANCommonIFC1</serviceId>"
               "<controlURL>/ctl/CmnIfCfg</controlURL><eventSubURL>/evt/CmnIfCfg</eventSubURL>"
               "<SCPDURL>/WANCfg.xml</SCPDURL></service></serviceList><deviceList>"
               "<device><deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1"
               "</deviceType><serviceList><service><serviceType>" +
               QByteArray(ServiceType) +
               "</serviceType><serviceId>urn:upnp-org:serviceId:WANIPConn1</serviceId>"
               "<controlURL>/ctl/IPConn</controlURL><eventSubURL>/evt/IPConn</eventSubURL>"
               "<SCPDURL>/WANIPCn.xml</SCPDURL></service></serviceList></device></deviceList>"
               "</device></deviceList></device></root>\r\n";
    }

    static constexpr char ServiceType[] = "urn:schemas-upnp-org:service:WANIPConnection:1";

    QThread m_thread;
    QTcpServer m_server;
    QUdpSocket m_ssdp;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    mutable QMutex m_mutex;
    QList<Call> m_calls;
};
