#include "portmapper.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <QByteArray>
#include <QThread>

namespace velmora {

// Does the blocking work of the port mapper on its thread. Everything it
// keeps is touched on that thread only.
class MappingWorker : public QObject
{
    Q_OBJECT
public:
    ~MappingWorker() override { forget(); }

    void open(quint16 port, const QString &descriptionUrl, int lease)
    {
        m_port = QByteArray::number(port);
        m_lease = lease;
        if (!findRouter(descriptionUrl) || !add()) {
            forget();
            emit failed();
            return;
        }
        char external[40] = {};
        if (UPNP_GetExternalIPAddress(m_urls.controlURL, m_data.first.servicetype, external) !=
            UPNPCOMMAND_SUCCESS)
            external[0] = '\0';
        emit opened(QString::fromLatin1(external), m_lease);
    }

    void renew()
    {
        if (m_found && add())
            emit renewed();
    }

    void remove()
    {
        if (m_found)
            UPNP_DeletePortMapping(m_urls.controlURL, m_data.first.servicetype, m_port.constData(),
                                   "TCP", nullptr);
        forget();
    }

signals:
    // `lease` is the one the router took: 0 when it keeps only mappings
    // without an end.
    void opened(const QString &publicAddress, int lease);
    void failed();
    void renewed();

private:
    bool findRouter(const QString &descriptionUrl)
    {
        char lanAddress[64] = {};
        if (!descriptionUrl.isEmpty()) {
            m_found = UPNP_GetIGDFromUrl(descriptionUrl.toUtf8().constData(), &m_urls, &m_data,
                                         lanAddress, sizeof lanAddress) == 1;
        } else {
            int error = 0;
            UPNPDev *devices =
                upnpDiscover(PortMapper::DiscoveryMs, nullptr, nullptr, 0, 0, 2, &error);
            // 1: a connected router. A router that says it is not
            // connected may still map; anything else is no router.
            const int found =
                devices ? UPNP_GetValidIGD(devices, &m_urls, &m_data, lanAddress, sizeof lanAddress)
                        : 0;
            freeUPNPDevlist(devices);
            if (found == 3)
                FreeUPNPUrls(&m_urls);
            m_found = found == 1 || found == 2;
        }
        m_lanAddress = lanAddress;
        return m_found && !m_lanAddress.isEmpty();
    }

    bool add()
    {
        const QByteArray lease = QByteArray::number(m_lease);
        int result = UPNP_AddPortMapping(
            m_urls.controlURL, m_data.first.servicetype, m_port.constData(), m_port.constData(),
            m_lanAddress.constData(), "Velmora", "TCP", nullptr, lease.constData());
        // Some routers keep only mappings without an end.
        if (result == 725 && m_lease != 0) {
            m_lease = 0;
            result = UPNP_AddPortMapping(m_urls.controlURL, m_data.first.servicetype,
                                         m_port.constData(), m_port.constData(),
                                         m_lanAddress.constData(), "Velmora", "TCP", nullptr, "0");
        }
        return result == UPNPCOMMAND_SUCCESS;
    }

    void forget()
    {
        if (m_found)
            FreeUPNPUrls(&m_urls);
        m_found = false;
    }

    QByteArray m_port;
    QByteArray m_lanAddress;
    int m_lease = 0;
    bool m_found = false;
    UPNPUrls m_urls{};
    IGDdatas m_data{};
};

PortMapper::PortMapper(quint16 port, QObject *parent)
    : QObject(parent), m_port(port), m_descriptionUrl(qEnvironmentVariable("VELMORA_IGD_URL"))
{
    m_thread = new QThread;
    m_worker = new MappingWorker;
    m_worker->moveToThread(m_thread);
    connect(m_worker, &MappingWorker::opened, this,
            [this](const QString &publicAddress, int lease) {
                m_open = true;
                if (lease > 0)
                    m_renew.start(lease * 1000 / 2);
                emit opened(publicAddress);
            });
    connect(m_worker, &MappingWorker::failed, this, &PortMapper::failed);
    connect(m_worker, &MappingWorker::renewed, this, &PortMapper::renewed);
    connect(&m_renew, &QTimer::timeout, m_worker, &MappingWorker::renew);
}

PortMapper::~PortMapper() { close(); }

void PortMapper::open()
{
    if (m_closed)
        return;
    if (!m_thread->isRunning())
        m_thread->start();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, port = m_port, url = m_descriptionUrl,
                                         lease = m_lease] { worker->open(port, url, lease); });
}

void PortMapper::close()
{
    m_renew.stop();
    if (m_closed)
        return;
    m_closed = true;
    m_open = false;
    if (!m_thread->isRunning()) {
        delete m_worker;
        delete m_thread;
        return;
    }
    // The worker and its thread go once the removal is done: a router that
    // does not answer must not hold the program open (the lease ends the
    // mapping then), and a running thread cannot be deleted.
    QMetaObject::invokeMethod(m_worker, &MappingWorker::remove);
    m_thread->quit();
    if (m_thread->wait(CloseWaitMs)) {
        delete m_worker;
        delete m_thread;
        return;
    }
    connect(m_thread, &QThread::finished, [worker = m_worker, thread = m_thread] {
        delete worker;
        thread->deleteLater();
    });
}

QString PortMapper::failureText(quint16 port)
{
    return QStringLiteral("Your router did not open port %1; forward TCP port %1 to this "
                          "computer, see Help > Connecting")
        .arg(port);
}

} // namespace velmora

#include "portmapper.moc"
