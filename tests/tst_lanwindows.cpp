#include "base/version.h"
#include "clickat.h"
#include "fakehost.h"
#include "igdstub.h"
#include "recordingnotifier.h"
#include "chat/chatview.h"
#include "lanbeacon.h"
#include "lanlistener.h"
#include "window/singleinstance.h"
#include "window/tchat.h"
#include "windows/tdownload.h"
#include "windows/thelp.h"
#include "windows/thost.h"
#include "windows/tjoin.h"
#include "tserver.h"

#include <QDialogButtonBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace velmora;

namespace {
void trigger(Tchat &window, const char *name)
{
    window.findChild<QAction *>(QLatin1String(name))->trigger();
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QString settingsText(const QTemporaryDir &home)
{
    QFile file(home.filePath(QStringLiteral("pelolobby.ini")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}
} // namespace

// The windows for hosting and joining a table, as a player uses them: each
// ends the running copy with the words the next copy starts with.
class TestLanWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void hostRestartsIntoHosting();
    void joinFromTheList();
    void joinByAddressRemembersRecentTables();
    void addressForms_data();
    void addressForms();
    void playWithOthersOpensJoin();
    void hostingCopySaysOnceWhereToJoin_data();
    void hostingCopySaysOnceWhereToJoin();
    void restartedCopyHostsUnderTheChosenName();

private:
    QTemporaryDir m_home;
    QTcpServer m_presence;
};

void TestLanWindows::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY(m_home.isValid());
    qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
    qputenv("VELMORA_PORT", "0");
    QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
    qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
    // Tables are announced on loopback only, on a port of this test's own.
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    qputenv("VELMORA_DISCOVERY_PORT", QByteArray::number(probe.localPort()));
    qputenv("VELMORA_ANNOUNCE_TO", "127.255.255.255");
}

void TestLanWindows::init()
{
    QFile::remove(m_home.filePath(QStringLiteral("pelolobby.ini")));
    QFile::remove(m_home.filePath(QStringLiteral("velmoratally.tld")));
}

// The name comes from the settings before any connection, the choice of
// the router goes along, and the copy ends with its tally saved.
void TestLanWindows::hostRestartsIntoHosting()
{
    {
        QFile ini(m_home.filePath(QStringLiteral("pelolobby.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[velmora]\nPlayerName=Zed\nRecentTables=a.lan, 10.0.0.1:7800,,a.lan\n");
    }
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Me"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    window.show();
    trigger(window, "HostTable1");
    Thost *host = window.hostWindow();
    QVERIFY(host->isVisible());
    const auto *cancel = host->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel);
    QVERIFY(cancel && cancel->isVisible());
    QCOMPARE(host->nameEdit()->text(), QStringLiteral("Zed"));
    QCOMPARE(window.options().recentTables(),
             QStringList({QStringLiteral("a.lan"), QStringLiteral("10.0.0.1:7800")}));
    typeInto(host->nameEdit(), QStringLiteral("  "));
    QVERIFY(!host->hostButton()->isEnabled());
    typeInto(host->nameEdit(), QStringLiteral("Anna"));
    QVERIFY(clickOn(host->routerBox()));
    QVERIFY(clickOn(host->hostButton()));
    QVERIFY(!window.isVisible());
    QCOMPARE(
        window.restartParameters(),
        QStringList({QStringLiteral("Anna"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    QVERIFY(settingsText(m_home).contains(QStringLiteral("PlayerName=Anna")));
    QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("velmoratally.tld"))));
    QVERIFY(notifier.errors.isEmpty());
}

// A table announced on the network shows in the list while the window is
// open, and a double-click on it joins it.
void TestLanWindows::joinFromTheList()
{
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Me"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    window.options().setPlayerName(QStringLiteral("Bo"));
    LanBeacon beacon([] {
        return TableDatagram{QStringLiteral("Anna"), 7800, 3, 1, true, QStringLiteral("1.2.0")};
    });
    QVERIFY(beacon.start());
    trigger(window, "JoinTable1");
    QTreeWidget *list = window.joinWindow()->tableList();
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 1, 2000);
    const QTreeWidgetItem *table = list->topLevelItem(0);
    QCOMPARE(table->text(0), QStringLiteral("Anna"));
    QCOMPARE(table->text(1), QStringLiteral("3 of 4"));
    QCOMPARE(table->text(3), QStringLiteral("running"));
    const QPoint at = list->visualItemRect(table).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(
        window.restartParameters(),
        QStringList({QStringLiteral("Bo"), QStringLiteral("127.0.0.1:7800"), QStringLiteral("x")}));
    QCOMPARE(window.options().recentTables().value(0), QStringLiteral("127.0.0.1:7800"));
    QVERIFY(!window.joinWindow()->isVisible());
}

void TestLanWindows::joinByAddressRemembersRecentTables()
{
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Me"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    QStringList recent;
    for (int n = 1; n <= Options::MaxRecentTables; ++n)
        recent.append(QStringLiteral("10.0.0.%1").arg(n));
    window.options().setRecentTables(recent);
    window.options().setPlayerName(QStringLiteral("Bo"));
    trigger(window, "JoinTable1");
    Tjoin *join = window.joinWindow();
    QVERIFY(join->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->isVisible());
    QCOMPARE(join->addressBox()->count(), Options::MaxRecentTables);
    QLineEdit *field = join->addressBox()->lineEdit();
    typeInto(field, QStringLiteral("no such:place"));
    QVERIFY(!join->joinButton()->isEnabled());
    typeInto(field, QStringLiteral("10.0.0.5"));
    QVERIFY(clickOn(join->joinButton()));
    QCOMPARE(window.options().recentTables().mid(0, 2),
             QStringList({QStringLiteral("10.0.0.5"), QStringLiteral("10.0.0.1")}));
    QCOMPARE(window.options().recentTables().size(), Options::MaxRecentTables);
    QVERIFY(settingsText(m_home).contains(QStringLiteral("RecentTables=10.0.0.5,10.0.0.1,")));
}

void TestLanWindows::addressForms_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ipv4") << "192.168.1.20" << true;
    QTest::newRow("name and port") << "game-box.lan:7800" << true;
    QTest::newRow("port 0") << "host:0" << false;
    QTest::newRow("port too big") << "host:65536" << false;
    QTest::newRow("comma") << "a,b" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("only port") << ":7772" << false;
    QTest::newRow("url") << "http://host/" << false;
}

void TestLanWindows::addressForms()
{
    QFETCH(QString, address);
    QTEST(Tjoin::validAddress(address), "valid");
}

// Without a lobby program "Play with Others" still says so, then offers
// the tables; Help > Connecting opens at its page.
void TestLanWindows::playWithOthersOpensJoin()
{
    QTemporaryDir emptyHome;
    const QByteArray path = qgetenv("PATH"), home = qgetenv("HOME");
    qputenv("PATH", emptyHome.path().toLocal8Bit());
    qputenv("HOME", emptyHome.path().toLocal8Bit());
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Me"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    window.show();
    window.download()->Button2Click();
    qputenv("PATH", path);
    qputenv("HOME", home);
    QCOMPARE(notifier.notices.size(), 1);
    QVERIFY(window.joinWindow()->isVisible());
    trigger(window, "HelpConnecting1");
    QVERIFY(window.help()->isVisible());
    QCOMPARE(window.help()->currentPage(), 2);
}

void TestLanWindows::hostingCopySaysOnceWhereToJoin_data()
{
    QTest::addColumn<bool>("routerOpens");
    QTest::addColumn<QString>("routerLine"); // %1: the port
    QTest::newRow("router opens") << true << "From the internet:  203.0.113.7:%1";
    QTest::newRow("no router") << false
                               << " Your router did not open port %1; forward TCP port %1 to "
                                  "this computer, see Help > Connecting";
}

// Once connected, a hosting copy says where others can join it and what
// became of the router: its public address, or what to do by hand.
void TestLanWindows::hostingCopySaysOnceWhereToJoin()
{
    QFETCH(bool, routerOpens);
    QFETCH(QString, routerLine);
    IgdStub router;
    QTcpServer noRouter;
    QVERIFY(noRouter.listen(QHostAddress::LocalHost, 0));
    qputenv("VELMORA_IGD_URL",
            routerOpens ? router.descriptionUrl().toLatin1()
                        : "http://127.0.0.1:" + QByteArray::number(noRouter.serverPort()) +
                              "/rootDesc.xml");
    noRouter.close();
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Anna"), QStringLiteral("127.0.0.1"), QStringLiteral("true"),
                  QStringLiteral("upnp")},
                 &notifier);
    // Read when the table opens: the router is never searched for on the
    // real network.
    const auto forget = qScopeGuard([] { qunsetenv("VELMORA_IGD_URL"); });
    window.show();
    QTRY_COMPARE(window.session().ownPlayer(), 1);
    const QString port = QString::number(window.server().listeningPort());
    const auto chat = [&] { return window.mainchat()->document()->toPlainText(); };
    QTRY_VERIFY2(chat().contains(routerLine.arg(port)), qPrintable(chat()));
    QCOMPARE(chat().count(QStringLiteral("Others can join this table")), 1);
    QVERIFY(chat().indexOf(QStringLiteral("You are Connected.")) <
            chat().indexOf(QStringLiteral("Others can join")));
    QVERIFY(chat().contains(QLatin1Char(':') + port));
    // The table is announced with the hosting player's name.
    LanListener listener;
    listener.start();
    QTRY_COMPARE(listener.tables().entries().size(), std::size_t(1));
    QCOMPARE(listener.tables().entries().front().table.name, QStringLiteral("Anna"));
    QCOMPARE(listener.tables().entries().front().table.seatsTaken, 1);
    QCOMPARE(listener.tables().entries().front().table.port, window.server().listeningPort());
}

// The program itself, started with the words a window chose, after the
// old copy let go of the single-instance guard: it hosts under the chosen
// name and announces the table. Had the old copy kept the guard, the new
// one would have handed over to it and ended at once.
void TestLanWindows::restartedCopyHostsUnderTheChosenName()
{
    QTemporaryDir scratch;
    qputenv("TMPDIR", scratch.path().toLocal8Bit()); // the guard's socket goes here
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMORA_PORT"), QString::number(port));
    copy.setProcessEnvironment(env);
    copy.setProgram(QStringLiteral(VELMORA_PROGRAM));
    copy.setArguments(StartRole::arguments(StartRole::Kind::Host, QStringLiteral("Anna"),
                                           QStringLiteral("127.0.0.1")));

    SingleInstance oldCopy(QStringLiteral("8xolep"));
    QVERIFY(oldCopy.listen());
    copy.start();
    QVERIFY(copy.waitForFinished(10000));
    QCOMPARE(copy.exitCode(), 0);
    oldCopy.release();

    LanListener listener;
    listener.start();
    copy.start();
    const auto seatsTaken = [&] {
        const auto &tables = listener.tables().entries();
        return tables.size() == 1 ? tables.front().table.seatsTaken : -1;
    };
    // Anna, the copy's own player, logs in first and takes number 1; Bob,
    // let in before her, would take it instead.
    QTRY_COMPARE_WITH_TIMEOUT(seatsTaken(), 1, 10000);
    QTcpSocket socket;
    Peer bob(&socket);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            if (socket.state() == QAbstractSocket::UnconnectedState)
                socket.connectToHost(QHostAddress::LocalHost, port);
            return bob.received("CMD_sendlogininfo+2");
        }(),
        10000);
    bob.send(QByteArray("CMD_logininfo+2+") + VersionText + "+Bob");
    QTRY_VERIFY(bob.received("CMD_existingplayers+1+Anna"));
    QTRY_COMPARE_WITH_TIMEOUT(seatsTaken(), 2, 3000);
    copy.terminate();
    QVERIFY(copy.waitForFinished(5000));
}

QTEST_MAIN(TestLanWindows)
#include "tst_lanwindows.moc"
