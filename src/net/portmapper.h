#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QThread;

namespace velmora {

class MappingWorker;

// Asks the router (an Internet Gateway Device, through UPnP) to pass TCP
// connections on the table's port to this computer, renews the lease while
// the table is open and removes the mapping when it closes.
//
// Discovery and the router's answers can take seconds, so they run on a
// thread of their own; the results come back as signals on the owner's
// thread. Only closing waits for the router, and at most CloseWaitMs.
class PortMapper : public QObject
{
    Q_OBJECT
public:
    // Routers drop a lease when it runs out; ours is renewed at half time,
    // so a crashed program leaves no mapping behind for longer than this.
    static constexpr int LeaseSeconds = 3600;
    static constexpr int DiscoveryMs = 2000;
    static constexpr int CloseWaitMs = 4000;

    explicit PortMapper(quint16 port, QObject *parent = nullptr);
    ~PortMapper() override;

    // The router's description address, skipping discovery on the network;
    // VELMORA_IGD_URL sets it too.
    void setDescriptionUrl(const QString &url) { m_descriptionUrl = url; }
    void setLeaseSeconds(int seconds) { m_lease = seconds; }

    quint16 port() const { return m_port; }
    bool isOpen() const { return m_open; }
    void open();
    // Removes the mapping (when there is one) and stops the thread.
    void close();

    // The chat's words when the router would not open the port.
    static QString failureText(quint16 port);

signals:
    // The port is open; `publicAddress` is the router's address on the
    // internet (empty when the router did not say).
    void opened(const QString &publicAddress);
    void failed();
    void renewed();

private:
    quint16 m_port;
    QString m_descriptionUrl;
    int m_lease = LeaseSeconds;
    bool m_open = false;
    bool m_closed = false;
    QThread *m_thread = nullptr; // outlives us when the router keeps it busy
    MappingWorker *m_worker = nullptr;
    QTimer m_renew;
};

} // namespace velmora
