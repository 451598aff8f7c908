// Computers and networks made of network namespaces (root only): two
// computers on a bridge, where a copy hosts in one and in the other the
// join window finds the table by itself and joining from the list seats
// the player; and a computer whose router is found by its search on the
// network and opens the port.

#include "igdstub.h"
#include "recordingnotifier.h"
#include "portmapper.h"
#include "client/startrole.h"
#include "window/tchat.h"
#include "windows/tjoin.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

using namespace velmora;

namespace {
bool run(const QString &command)
{
    QProcess p;
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

class TestLanNetns : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void joinerFindsAndJoinsTheHostedTable();
    void routerFoundBySearching();

private:
    // Moves this test's main thread (and the threads it starts from now
    // on) into namespace `name`.
    bool enter(const QString &name);
    QString m_suffix = QString::number(QCoreApplication::applicationPid());
    QString ns(const char *side) const { return QStringLiteral("vlm%1%2").arg(side, m_suffix); }
    int m_ownNet = -1;
    bool m_made = false;
};

void TestLanNetns::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    if (!run(QStringLiteral("ip netns add %1").arg(ns("a"))))
        QSKIP("cannot make network namespaces here (needs root and iproute2)");
    m_made = true;
    m_ownNet = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    QVERIFY(m_ownNet >= 0);
    // A bridge in a namespace of its own, a veth from each side to it; and
    // a computer alone whose loopback carries multicast, for the search.
    const QString script =
        QStringLiteral("set -e; ip netns add %2; ip netns add %3; ip netns add %4;"
                       "ip -n %4 link set lo up multicast on; ip -n %4 route add 239.0.0.0/8 dev "
                       "lo src 127.0.0.1;"
                       "ip -n %3 link add br0 type bridge; ip -n %3 link set br0 up;"
                       "for side in %1:1 %2:2; do n=${side%%:*}; i=${side##*:};"
                       " ip link add v$i netns $n type veth peer name p$i netns %3;"
                       " ip -n %3 link set p$i master br0 up;"
                       " ip -n $n addr add 10.77.0.$i/24 broadcast 10.77.0.255 dev v$i;"
                       " ip -n $n link set v$i up; ip -n $n link set lo up; done")
            .arg(ns("a"), ns("b"), ns("br"), ns("r"));
    QVERIFY2(run(script), "could not build the two-namespace network");
}

void TestLanNetns::cleanupTestCase()
{
    if (m_ownNet >= 0) {
        setns(m_ownNet, CLONE_NEWNET);
        ::close(m_ownNet);
    }
    if (m_made)
        run(QStringLiteral("for n in %1 %2 %3 %4; do ip netns del $n; done")
                .arg(ns("a"), ns("b"), ns("br"), ns("r")));
}

bool TestLanNetns::enter(const QString &name)
{
    const int fd = ::open(qPrintable(QStringLiteral("/run/netns/") + name), O_RDONLY | O_CLOEXEC);
    const bool entered = fd >= 0 && setns(fd, CLONE_NEWNET) == 0;
    if (fd >= 0)
        ::close(fd);
    return entered;
}

void TestLanNetns::joinerFindsAndJoinsTheHostedTable()
{
    QTemporaryDir hostHome, joinHome;
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Inside the namespaces the usual ports and the networks' own
    // broadcast address are used, as on real computers.
    for (const char *name : {"VELMORA_PORT", "VELMORA_ANNOUNCE_TO", "VELMORA_DISCOVERY_PORT"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("VELMORA_HOME"), hostHome.path());
    env.insert(QStringLiteral("TMPDIR"), hostHome.path());
    host.setProcessEnvironment(env);
    host.start(QStringLiteral("ip"),
               QStringList{QStringLiteral("netns"), QStringLiteral("exec"), ns("a"),
                           QStringLiteral(VELMORA_PROGRAM)} +
                   StartRole::arguments(StartRole::Kind::Host, QStringLiteral("Anna"),
                                        QStringLiteral("127.0.0.1")));
    QVERIFY(host.waitForStarted());

    // This test process becomes the other computer.
    QVERIFY(enter(ns("b")));
    for (const char *name : {"VELMORA_PORT", "VELMORA_ANNOUNCE_TO", "VELMORA_DISCOVERY_PORT"})
        qunsetenv(name);
    qputenv("VELMORA_HOME", joinHome.path().toLocal8Bit());
    QTest::qWait(1500); // the host's window connects after its first frame

    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bo"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    window.options().setPlayerName(QStringLiteral("Bo"));
    QElapsedTimer shown;
    shown.start();
    window.joinWindow()->show();
    QTreeWidget *list = window.joinWindow()->tableList();
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 1, 2000);
    qInfo("the table showed in the list after %lld ms", shown.elapsed());
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Anna"));
    const QPoint at = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(window.restartParameters(),
             QStringList({QStringLiteral("Bo"), QStringLiteral("10.77.0.1"), QStringLiteral("x")}));

    // The copy the restart starts.
    Tchat joined(window.restartParameters(), &notifier);
    joined.show();
    QTRY_COMPARE_WITH_TIMEOUT(joined.session().ownPlayer(), 2, 5000);
    QTRY_COMPARE(joined.table().seat(1).caption, QStringLiteral("Anna"));
    joined.close();
    host.terminate();
    QVERIFY(host.waitForFinished(5000));
}

// No address given: the router is found by the SSDP search, as at home.
void TestLanNetns::routerFoundBySearching()
{
    QVERIFY(enter(ns("r")));
    qunsetenv("VELMORA_IGD_URL");
    IgdStub router(true);
    PortMapper mapper(7772);
    QSignalSpy opened(&mapper, &PortMapper::opened);
    QSignalSpy failed(&mapper, &PortMapper::failed);
    mapper.open();
    QTRY_COMPARE_WITH_TIMEOUT(opened.size() + failed.size(), 1, 8000);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("203.0.113.7"));
    mapper.close();
    const QByteArrayList actions = router.actions();
    QVERIFY2(actions.contains("AddPortMapping"), actions.join(' ').constData());
    QCOMPARE(actions.last(), QByteArray("DeletePortMapping"));
}

QTEST_MAIN(TestLanNetns)
#include "tst_lannetns.moc"
