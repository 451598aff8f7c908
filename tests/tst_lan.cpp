#include "base/config.h"
#include "client/startrole.h"
#include "lan/lantables.h"
#include "lanbeacon.h"
#include "lanlistener.h"
#include "igdstub.h"
#include "portmapper.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::TableDatagram)

namespace {
TableDatagram sample()
{
    return {QStringLiteral("Anna"), 7772, 2, 1, true, QStringLiteral("1.2.0")};
}

QByteArray withByte(QByteArray bytes, qsizetype at, char value)
{
    bytes[at] = value;
    return bytes;
}

// Announcements stay on the loopback network, on a port nobody else uses.
const QHostAddress LoopbackBroadcast(QStringLiteral("127.255.255.255"));

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}
} // namespace

class TestLan : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void writerKeepsToTheFormat();
    void junkIsDropped_data();
    void junkIsDropped();
    void listExpiresSilentTables();
    void startRoleCarriesPortAndRouter_data();
    void startRoleCarriesPortAndRouter();
    void listenersHearBeacons();
    void questionIsAnsweredAtOnce();
    void routerMapsRenewsAndRemoves_data();
    void routerMapsRenewsAndRemoves();
    void noRouterFails();
};

void TestLan::roundTrip_data()
{
    QTest::addColumn<TableDatagram>("table");
    QTest::newRow("typical") << sample();
    QTest::newRow("lowest") << TableDatagram{QStringLiteral("x"), 1, 0, 0, false,
                                             QStringLiteral("1")};
    QTest::newRow("highest") << TableDatagram{QString(64, QChar(0xE9)),     65535, 4, 5, true,
                                              QString(16, QLatin1Char('~'))};
}

void TestLan::roundTrip()
{
    QFETCH(TableDatagram, table);
    const QByteArray bytes = table.write();
    QVERIFY(bytes.size() <= TableDatagram::MaxSize);
    QCOMPARE(TableDatagram::read(bytes), std::optional(table));
    QVERIFY(!TableDatagram::isQuery(bytes));
    QVERIFY(TableDatagram::isQuery(TableDatagram::query()));
    QVERIFY(!TableDatagram::read(TableDatagram::query()));
}

void TestLan::writerKeepsToTheFormat()
{
    TableDatagram odd{QString(70, QLatin1Char('n')) + QStringLiteral("\n"),
                      7772,
                      9,
                      -1,
                      false,
                      QStringLiteral("1 2\u20ac")};
    const std::optional<TableDatagram> back = TableDatagram::read(odd.write());
    QVERIFY(back);
    QCOMPARE(back->name, QString(64, QLatin1Char('n')));
    QCOMPARE(back->version, QStringLiteral("1?2?"));
    QCOMPARE(back->seatsTaken, 4);
    QCOMPARE(back->watchers, 0);
    odd.name = QStringLiteral("\t");
    odd.version.clear();
    QCOMPARE(TableDatagram::read(odd.write())->name, QStringLiteral("?"));
    QCOMPARE(TableDatagram::read(odd.write())->version, QStringLiteral("?"));
}

void TestLan::junkIsDropped_data()
{
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray good = sample().write(); // name at 11, version at 16
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("other traffic") << QByteArray("M-SEARCH * HTTP/1.1\r\n\r\n");
    QTest::newRow("magic") << withByte(good, 0, 'X');
    QTest::newRow("older format") << withByte(good, 4, 0);
    QTest::newRow("newer format") << withByte(good, 4, 2);
    QTest::newRow("question kind") << withByte(good, 5, 'Q');
    QTest::newRow("port 0") << withByte(withByte(good, 6, 0), 7, 0);
    QTest::newRow("five seats") << withByte(good, 8, 5);
    QTest::newRow("six watchers") << withByte(good, 9, 6);
    QTest::newRow("unknown flag") << withByte(good, 10, 3);
    QTest::newRow("no name") << withByte(good, 11, 0);
    QTest::newRow("name past end") << withByte(good, 11, 60);
    QTest::newRow("name too long") << good.left(11) + char(65) + QByteArray(65, 'a') +
                                          "\x01"
                                          "1";
    QTest::newRow("control in name") << withByte(good, 12, '\x1b');
    QTest::newRow("no version") << withByte(good, 16, 0);
    QTest::newRow("space in version") << withByte(good, 18, ' ');
    QTest::newRow("trailing byte") << good + 'x';
    QTest::newRow("cut short") << good.chopped(1);
    QTest::newRow("question with more") << TableDatagram::query() + 'x';
}

void TestLan::junkIsDropped()
{
    QFETCH(QByteArray, datagram);
    QVERIFY(!TableDatagram::read(datagram));
}

void TestLan::listExpiresSilentTables()
{
    LanTables list;
    TableDatagram bob = sample();
    bob.name = QStringLiteral("bob");
    QVERIFY(list.heard(QStringLiteral("10.0.0.9"), bob, 0));
    QVERIFY(list.heard(QStringLiteral("10.0.0.2"), sample(), 3000));
    QVERIFY(!list.heard(QStringLiteral("10.0.0.2"), sample(), 3500)); // nothing new
    QCOMPARE(list.entries().front().table.name, QStringLiteral("Anna"));
    QCOMPARE(list.entries().front().joinAddress(7772), QStringLiteral("10.0.0.2"));
    QVERIFY(!list.expire(5999));
    QVERIFY(list.expire(6000));
    QCOMPARE(list.entries().size(), std::size_t(1));
    bob.port = 7800; // another table at the same address
    QVERIFY(list.heard(QStringLiteral("10.0.0.2"), bob, 9000));
    QCOMPARE(list.entries().back().joinAddress(7772), QStringLiteral("10.0.0.2:7800"));
    QVERIFY(list.expire(9499 + LanTables::ExpiryMs));
    QVERIFY(list.entries().empty());
    for (quint16 port = 1; port <= LanTables::MaxEntries + 5; ++port) {
        bob.port = port;
        list.heard(QStringLiteral("10.0.0.3"), bob, 10000);
    }
    QCOMPARE(list.entries().size(), LanTables::MaxEntries);
}

void TestLan::startRoleCarriesPortAndRouter_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("router");
    const auto words = [](const char *text) { return QString::fromLatin1(text).split(u' '); };
    QTest::newRow("lobby host") << words("Anna 1.2.3.4 true") << "1.2.3.4" << 0 << false;
    QTest::newRow("host opens router") << words("Anna 1.2.3.4 true upnp") << "1.2.3.4" << 0 << true;
    QTest::newRow("join with port")
        << words("Anna box.lan:7800 x upnp") << "box.lan" << 7800 << false;
    QTest::newRow("not a port") << words("Anna box:77777 x") << "box:77777" << 0 << false;
}

void TestLan::startRoleCarriesPortAndRouter()
{
    QFETCH(QStringList, words);
    const StartRole role = StartRole::fromArguments(words);
    QTEST(role.hostAddress, "address");
    QTEST(int(role.port), "port");
    QTEST(role.openRouter, "router");
    QCOMPARE(StartRole::arguments(role.kind, role.playerName, words[1], role.openRouter).mid(0, 3),
             words.mid(0, 3));
}

// Two copies on one machine both hear a table and its changes; the table
// leaves the list when it falls silent.
void TestLan::listenersHearBeacons()
{
    const quint16 port = freeUdpPort();
    qint64 now = 0;
    LanListener first, second;
    for (LanListener *listener : {&first, &second}) {
        listener->setPort(port);
        listener->setTargets({LoopbackBroadcast});
        listener->setClock([&now] { return now; });
        QVERIFY(listener->start());
    }
    TableDatagram table = sample();
    LanBeacon beacon([&table] { return table; });
    beacon.setPort(port);
    beacon.setTargets({LoopbackBroadcast});
    QVERIFY(beacon.start());
    for (LanListener *listener : {&first, &second}) {
        QTRY_COMPARE_WITH_TIMEOUT(listener->tables().entries().size(), std::size_t(1), 2000);
        QCOMPARE(listener->tables().entries().front().table, sample());
        QCOMPARE(listener->tables().entries().front().address, QStringLiteral("127.0.0.1"));
    }
    // A seat taken is told at once, not at the next regular announcement.
    table.seatsTaken = 3;
    QTRY_COMPARE_WITH_TIMEOUT(first.tables().entries().front().table.seatsTaken, 3,
                              LanBeacon::IntervalMs / 2);
    beacon.stop();
    now += LanTables::ExpiryMs;
    QSignalSpy gone(&first, &LanListener::changed);
    first.expire();
    QCOMPARE(gone.size(), 1);
    QVERIFY(first.tables().entries().empty());
}

// A beacon that broadcasts nowhere is still found: it answers the question
// a listener asks when it starts.
void TestLan::questionIsAnsweredAtOnce()
{
    const quint16 port = freeUdpPort();
    LanBeacon beacon([] { return sample(); });
    beacon.setPort(port);
    beacon.setTargets({});
    QVERIFY(beacon.start());
    LanListener listener;
    listener.setPort(port);
    listener.setTargets({LoopbackBroadcast});
    listener.start();
    QTRY_COMPARE_WITH_TIMEOUT(listener.tables().entries().size(), std::size_t(1), 1000);
}

void TestLan::routerMapsRenewsAndRemoves_data()
{
    QTest::addColumn<QList<int>>("refusals");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QByteArray>("lease");
    QTest::newRow("lease renewed") << QList<int>{} << true << QByteArray("2");
    // Only mappings without an end: asked again without one, never renewed.
    QTest::newRow("permanent only") << QList<int>{725} << true << QByteArray("0");
    QTest::newRow("port taken") << QList<int>{718} << false << QByteArray("2");
}

void TestLan::routerMapsRenewsAndRemoves()
{
    QFETCH(QList<int>, refusals);
    QFETCH(bool, opens);
    QFETCH(QByteArray, lease);
    IgdStub router;
    router.addErrors = refusals;
    PortMapper mapper(7772);
    mapper.setDescriptionUrl(router.descriptionUrl());
    mapper.setLeaseSeconds(2);
    QSignalSpy opened(&mapper, &PortMapper::opened);
    QSignalSpy failed(&mapper, &PortMapper::failed);
    QSignalSpy renewed(&mapper, &PortMapper::renewed);
    mapper.open();
    QTRY_COMPARE_WITH_TIMEOUT(opened.size() + failed.size(), 1, 5000);
    QCOMPARE(mapper.isOpen(), opens);
    const IgdStub::Call add = router.calls().value(opens ? refusals.size() : 0);
    QCOMPARE(add.action, QByteArray("AddPortMapping"));
    QCOMPARE(add.arg("NewLeaseDuration"), lease);
    if (!opens) {
        mapper.close();
        QCOMPARE(router.actions(), QByteArrayList({"AddPortMapping"}));
        return;
    }
    QCOMPARE(add.arg("NewExternalPort"), QByteArray("7772"));
    QCOMPARE(add.arg("NewInternalPort"), QByteArray("7772"));
    QCOMPARE(add.arg("NewInternalClient"), QByteArray("127.0.0.1"));
    QCOMPARE(add.arg("NewProtocol"), QByteArray("TCP"));
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("203.0.113.7"));
    if (lease != "0")
        QTRY_COMPARE_WITH_TIMEOUT(renewed.size(), 1, 3000);
    else
        QTest::qWait(1200); // past the renewal a lease of 2 s would have had
    QCOMPARE(renewed.size(), lease != "0" ? 1 : 0);
    mapper.close();
    const QByteArrayList actions = router.actions();
    QCOMPARE(actions.count("AddPortMapping"), refusals.size() + 1 + renewed.size());
    QCOMPARE(actions.last(), QByteArray("DeletePortMapping"));
    QCOMPARE(router.calls().last().arg("NewExternalPort"), QByteArray("7772"));
}

void TestLan::noRouterFails()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    PortMapper mapper(7772);
    mapper.setDescriptionUrl(QStringLiteral("http://127.0.0.1:%1/rootDesc.xml").arg(port));
    QSignalSpy failed(&mapper, &PortMapper::failed);
    mapper.open();
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
    QCOMPARE(PortMapper::failureText(7772),
             QStringLiteral("Your router did not open port 7772; forward TCP port 7772 to this "
                            "computer, see Help > Connecting"));
}

QTEST_GUILESS_MAIN(TestLan)
#include "tst_lan.moc"
