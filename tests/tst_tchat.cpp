#include "base/version.h"
#include "clickat.h"
#include "fakehost.h"
#include "recordingnotifier.h"
#include "recordingsounds.h"
#include "chat/chatentry.h"
#include "chat/chatview.h"
#include "common/programzoom.h"
#include "windows/tgamestart.h"
#include "window/singleinstance.h"
#include "window/tchat.h"
#include "windows/tspylist.h"
#include "windows/tvolume.h"
#include "tserver.h"
#include "tsock.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QMenu>
#include <QSlider>
#include <QAbstractTextDocumentLayout>
#include <QPushButton>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using namespace velmora;

namespace {

QString chatText(Tchat &window) { return window.mainchat()->document()->toPlainText(); }

QAction *item(Tchat &window, const char *name)
{
    return window.findChild<QAction *>(QLatin1String(name));
}

// Whether the chat's last line reads `text` (the view spaces a name off).
bool lastLineIs(Tchat &window, const char *text)
{
    return window.mainchat()->document()->lastBlock().text().simplified() ==
           QString::fromUtf8(text);
}

// The mute item of the context menu a right click at `at` (of `widget`'s
// own coordinates) opens; the menu is closed again.
QAction *muteItemAt(QWidget *widget, QPoint at)
{
    QContextMenuEvent press(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &press);
    QAction *found = nullptr;
    for (QMenu *menu : widget->window()->findChildren<QMenu *>())
        if (menu->isVisible()) {
            for (QAction *a : menu->actions())
                if (a->objectName() == QLatin1String("MutePlayer1"))
                    found = a;
            menu->hide();
        }
    return found;
}

// A right click on the chat's last line.
QAction *muteItemOnLastLine(Tchat &window)
{
    ChatView *chat = window.mainchat();
    const QTextBlock last = chat->document()->lastBlock();
    const QPointF inDocument = chat->document()->documentLayout()->blockBoundingRect(last).center();
    const QPoint at = inDocument.toPoint() - QPoint(chat->horizontalScrollBar()->value(),
                                                    chat->verticalScrollBar()->value());
    return muteItemAt(chat->viewport(), at);
}

} // namespace

class TestTchat : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void soloBecomesPlayerOne();
    void hostingServesOthersAndEndsThem();
    void hostRemovesAWatcherThroughTheSpyList();
    void joinForAnyOtherThirdWord_data();
    void joinForAnyOtherThirdWord();
    void twoParametersOnlyWait();
    void shownWhileBuiltLooksTheSame();
    void fullShowsNoticeThenEnds();
    void hostGoneWhileAnErrorBoxIsOpen();
    void hostileHostGetsErrorBoxesNotCrashes();
    void secondInstanceHandsOver();
    void menuCommands();
    void settingsReadOnceConnected();
    void dummyOfferButtonsLieOverTheHand_data();
    void dummyOfferButtonsLieOverTheHand();
    void volumesReachThePlayer();
    void muteHidesOnePlayer();
    void sideWindowsMadeWhenWanted();
    void zoomTakesEffectAtTheNextStart();

private:
    QTcpServer m_presence;
    QTemporaryDir m_home;
};

void TestTchat::initTestCase()
{
    // Ending the program closes the window; the test process stays.
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
    qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
    // The settings and tally files of these windows stay apart from any other run.
    QVERIFY(m_home.isValid());
    qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
}

void TestTchat::init()
{
    while (m_presence.hasPendingConnections())
        delete m_presence.nextPendingConnection();
    // The host takes whatever port the system gives it.
    qputenv("VELMORA_PORT", "0");
    QFile::remove(m_home.filePath(QStringLiteral("pelolobby.ini")));
}

void TestTchat::soloBecomesPlayerOne()
{
    RecordingNotifier notifier;
    Tchat window({}, &notifier);
    window.show();
    QTRY_COMPARE(window.session().ownPlayer(), 1);
    QVERIFY(window.session().loggedIn());
    QCOMPARE(window.session().loginName(), QByteArray("You"));
    QVERIFY(window.session().isHost());
    QVERIFY(window.server().isListening());
    QVERIFY(window.server().listeningPort() != 0);
    QCOMPARE(window.mainchat()->document()->firstBlock().text(),
             QStringLiteral(" Loading Solo Game..Please wait. "));
    QVERIFY(item(window, "StartGame1")->isEnabled());
    // The hosting copy chooses how its computer plays; the choice is kept.
    QVERIFY(item(window, "ComputerPlayers1")->isVisible());
    QVERIFY(item(window, "Classic2")->isChecked());
    item(window, "Strong1")->trigger();
    QVERIFY(window.options().botStrength() == Options::BotStrength::Strong);
    QVERIFY(item(window, "Strong1")->isChecked() && !item(window, "Classic2")->isChecked());
    QTRY_VERIFY(!window.dispatching()); // idle once the queue is empty
    QTest::qWait(100); // a sleep on purpose: time for a presence to knock, which it must not
    QVERIFY(!m_presence.hasPendingConnections()); // a solo game holds no presence
    QVERIFY(notifier.errors.isEmpty());
}

void TestTchat::hostingServesOthersAndEndsThem()
{
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Alice"), QStringLiteral("10.1.2.3"), QStringLiteral("true")},
                 &notifier);
    QSignalSpy ending(&window, &Tchat::programEnding);
    window.show();
    QTRY_COMPARE(window.session().ownPlayer(), 1);
    QVERIFY(window.server().isListening());
    QTRY_VERIFY(m_presence.hasPendingConnections());
    QVERIFY(item(window, "StartGame1")->isEnabled());

    QTcpSocket client;
    Peer bob(&client);
    client.connectToHost(QHostAddress::LocalHost, window.server().listeningPort());
    QTRY_VERIFY(bob.received("CMD_sendlogininfo+2"));
    bob.send(QByteArray("CMD_logininfo+2+") + VersionText + "+Bob");
    QTRY_VERIFY(bob.received("CMD_existingplayers+1+Alice"));

    bob.send("CMD_chat+2+hello|clRed");
    QTRY_VERIFY(chatText(window).contains(QStringLiteral("Bob chats:  hello ")));
    const QTextBlock line = window.mainchat()->document()->lastBlock();
    QCOMPARE(line.begin().fragment().charFormat().foreground().color(), QColor(255, 0, 0));

    window.close();
    QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!window.server().isListening());
    QVERIFY(ending.isEmpty()); // closed by the user, not ended by the connection
    QVERIFY(notifier.errors.isEmpty());
}

// Four clients fill the seats of a hosting copy; the fifth only watches.
// The hosting player removes him with the spy list's "Remove From Game",
// and every copy sees him leave.
void TestTchat::hostRemovesAWatcherThroughTheSpyList()
{
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Alice"), QStringLiteral("10.1.2.3"), QStringLiteral("true")},
                 &notifier);
    window.show();
    QTRY_COMPARE(window.session().ownPlayer(), 1);
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    std::vector<std::unique_ptr<Peer>> peers;
    const QByteArray names[] = {"Bob", "Cy", "Dee", "Eve"};
    for (int n = 2; n <= 5; ++n) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        peers.push_back(std::make_unique<Peer>(sockets.back().get()));
        sockets.back()->connectToHost(QHostAddress::LocalHost, window.server().listeningPort());
        QTRY_VERIFY(peers.back()->received("CMD_sendlogininfo+" + QByteArray::number(n)));
        peers.back()->send("CMD_logininfo+" + QByteArray::number(n) + "+" + VersionText + "+" +
                           names[n - 2]);
    }
    Tspylist *spys = window.spyList();
    auto *list = spys->findChild<QListWidget *>(QStringLiteral("listbox_spys"));
    QVERIFY(list);
    QTRY_COMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("5: Eve"));

    spys->show();
    QVERIFY(QTest::qWaitForWindowExposed(spys));
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QContextMenuEvent press(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &press);
    auto *kick = spys->findChild<QAction *>(QStringLiteral("popup_kickhim"));
    QVERIFY(kick && kick->isEnabled());
    kick->trigger();
    QTRY_COMPARE(sockets.back()->state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(list->count(), 0);
    QTRY_VERIFY(chatText(window).contains(QStringLiteral("Eve has left.")));
    QTRY_VERIFY(peers.front()->received("CMD_playerdisconnected+5+Eve"));
    QVERIFY(notifier.errors.isEmpty());
}

void TestTchat::joinForAnyOtherThirdWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::newRow("True") << "True";
    QTest::newRow("false") << "false";
    QTest::newRow("TRUE") << "TRUE";
}

void TestTchat::joinForAnyOtherThirdWord()
{
    QFETCH(QString, word);
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), word}, &notifier);
    QSignalSpy ending(&window, &Tchat::programEnding);
    window.show();
    QTRY_VERIFY(host.peer());
    QTRY_VERIFY(m_presence.hasPendingConnections());
    QVERIFY(!window.server().isListening());
    QVERIFY(!window.session().isHost());
    QVERIFY(!item(window, "StartGame1")->isEnabled());
    QVERIFY(
        chatText(window).startsWith(QStringLiteral(" Loading Multi-player Game.. Please Wait.")));

    Peer &peer = *host.peer();
    peer.send("CMD_sendlogininfo+3");
    QTRY_VERIFY(peer.received(QByteArray("CMD_logininfo+3+") + VersionText + "+Bob"));
    // Words in other letter case, or without "+", are dropped.
    peer.send("CMD_SENDLOGININFO+4");
    peer.send("cmd_sendlogininfo+5");
    peer.send("CMD_sendlogininfo6");
    peer.send("CMD_wrongversion+");
    QTRY_VERIFY(chatText(window).contains(QStringLiteral("differnt version")));
    QCOMPARE(window.session().ownPlayer(), 3);

    // The host going away ends the program, without a message.
    peer.socket()->disconnectFromHost();
    QTRY_COMPARE(ending.size(), 1);
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(notifier.notices.isEmpty() && notifier.errors.isEmpty());
}

void TestTchat::twoParametersOnlyWait()
{
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1")}, &notifier);
    window.show();
    QTRY_VERIFY(!chatText(window).isEmpty());
    QCOMPARE(chatText(window), QStringLiteral(" Loading Multi-player Game.. Please Wait. "));
    QTest::qWait(200); // a sleep on purpose: nothing may connect or listen meanwhile
    QVERIFY(!host.peer());
    QVERIFY(!m_presence.hasPendingConnections());
    QVERIFY(!window.server().isListening());
    QVERIFY(!window.sock().hasHandle());
}

// The program's own window is mapped before its board is built: once built
// it is visible, board and all, and looks as a window shown afterwards.
void TestTchat::shownWhileBuiltLooksTheSame()
{
    RecordingNotifier notifier;
    const QStringList waiting{QStringLiteral("Bob"), QStringLiteral("127.0.0.1")};
    Tchat early(waiting, &notifier, nullptr, Tchat::Opening::WhileBuilding);
    QVERIFY(early.isVisible());
    QVERIFY(early.mainchat()->isVisible());
    QVERIFY(early.findChild<ChatEntry *>()->isVisible());
    Tchat later(waiting, &notifier);
    QVERIFY(!later.isVisible());
    later.show();
    QCOMPARE(early.centralWidget()->grab().toImage(), later.centralWidget()->grab().toImage());
}

void TestTchat::fullShowsNoticeThenEnds()
{
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    QSignalSpy ending(&window, &Tchat::programEnding);
    int endedBeforeNotice = -1;
    notifier.onNotice = [&] {
        // The host drops the connection while the user reads the notice.
        host.peer()->socket()->disconnectFromHost();
        QTest::qWait(100); // a sleep on purpose: the program must not end meanwhile
        endedBeforeNotice = int(ending.size());
    };
    window.show();
    QTRY_VERIFY(host.peer());
    host.peer()->send("CMD_full+");
    QTRY_COMPARE(ending.size(), 1);
    QCOMPARE(notifier.notices, QStringList{QStringLiteral("Game is full")});
    QCOMPARE(endedBeforeNotice, 0);
    QTest::qWait(50); // a sleep on purpose: no second ending may follow
    QCOMPARE(ending.size(), 1);
}

// The host going away ends the program at once, though an error box waits
// for the user: the box closes with the window. Real boxes here.
void TestTchat::hostGoneWhileAnErrorBoxIsOpen()
{
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")});
    QSignalSpy ending(&window, &Tchat::programEnding);
    window.show();
    QTRY_VERIFY(host.peer());
    Peer &peer = *host.peer();

    bool boxSeen = false;
    bool leftOpen = false;
    QTimer watch;
    watch.setInterval(10);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!boxSeen && qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxSeen = true;
            peer.socket()->disconnectFromHost();
        }
    });
    // Should the box stay, the test closes it rather than hang.
    QTimer rescue;
    rescue.setInterval(5000);
    connect(&rescue, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            leftOpen = true;
            box->done(QMessageBox::Ok);
        }
    });
    watch.start();
    rescue.start();
    peer.send("CMD_sendlogininfo+12"); // out of range: an error box
    QTRY_COMPARE(ending.size(), 1);
    QVERIFY(boxSeen);
    QVERIFY2(!leftOpen, "the error box outlived the window");
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!window.isVisible());
}

void TestTchat::hostileHostGetsErrorBoxesNotCrashes()
{
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    window.show();
    QTRY_VERIFY(host.peer());
    Peer &peer = *host.peer();
    peer.send("CMD_sendlogininfo+12");
    peer.send("CMD_chat+77+x: y|clRed");
    peer.send("CMD_chat+<b>x</b>|clRed");
    peer.send("CMD_havewrongversion+<img src=x>");
    QTRY_COMPARE(notifier.errors.size(), 3);
    QCOMPARE(notifier.errors.at(0), QStringLiteral("player number 12 is out of range."));
    QCOMPARE(notifier.errors.at(1), QStringLiteral("sender number 77 is out of range."));
    QCOMPARE(notifier.errors.at(2), QStringLiteral("'' is not a valid sender number."));
    QTRY_VERIFY(chatText(window).contains(
        QStringLiteral("<img src=x> has a different version of the game then you.")));
    QVERIFY(!window.session().loggedIn());
    QTRY_VERIFY(!window.dispatching());
    QVERIFY(window.isVisible());
}

void TestTchat::secondInstanceHandsOver()
{
    const QString name = QStringLiteral("velmora-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(name);
    QVERIFY(!first.handOver()); // nobody runs yet
    QVERIFY(first.listen());
    Tchat window({QStringLiteral("Bob")});
    QObject::connect(&first, &SingleInstance::activateRequested, &window,
                     &Tchat::activateFromOtherInstance);
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    QSignalSpy activate(&first, &SingleInstance::activateRequested);

    SingleInstance second(name);
    QVERIFY(second.handOver());
    QTRY_COMPARE(activate.size(), 1);
    QTRY_VERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
}

void TestTchat::menuCommands()
{
    Tchat window({QStringLiteral("Bob")});
    QAction *scrollOff = item(window, "ScrollChatOff1");
    QVERIFY(scrollOff);
    // One action in the Options menu and the chat's context menu keeps both in step.
    QCOMPARE(scrollOff, window.mainchat()->scrollOffAction());
    QVERIFY(window.mainchat()->actions().contains(scrollOff));
    QCOMPARE(item(window, "Help2")->shortcut(), QKeySequence(Qt::Key_F1));

    item(window, "Fast1")->trigger();
    QCOMPARE(window.options().botInterval(), 500);
    QVERIFY(item(window, "Fast1")->isChecked());
    // The host reads the pace from the options whenever it starts a computer turn.
    window.options().setBotSpeed(Options::BotSpeed::Slow);
    QVERIFY(item(window, "Slow1")->isChecked() && !item(window, "Fast1")->isChecked());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.centralWidget()->size(), Tchat::MinClientSize);
    item(window, "ResetScreenLocation1")->trigger();
    QTRY_COMPARE(window.frameGeometry().size(), QSize(798, 546));
}

// The stored options arrive with the own arrival, right after "You are
// Connected."; the window then stands where the file says, never smaller
// than the board, and its new place is written when it closes.
void TestTchat::settingsReadOnceConnected()
{
    const QString path = m_home.filePath(QStringLiteral("pelolobby.ini"));
    const QByteArray stored =
        "[lobby]\r\nName=Bob\r\n[velmora]\r\nLeft=30\r\nTop=40\r\nWidth=820\r\n"
        "Height=560\r\nBotspeed=fast\r\nRounds=8\r\n";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    QString lastLineWhenRead;
    connect(&window.options(), &Options::changed, this, [&](Options::Key key) {
        if (key == Options::Key::BotSpeed)
            lastLineWhenRead = window.mainchat()->document()->lastBlock().text();
    });
    window.show();
    QTRY_VERIFY(host.peer());
    Peer &peer = *host.peer();
    peer.send("CMD_sendlogininfo+2");
    QTRY_VERIFY(peer.received(QByteArray("CMD_logininfo+2+") + VersionText + "+Bob"));
    QVERIFY(!window.settings().hasRead());
    QCOMPARE(window.options().botInterval(), 1000);
    // No turn sound is ticked before the file says which.
    QVERIFY(!item(window, "Classic1")->isChecked() && !item(window, "New1")->isChecked());

    peer.send("CMD_newplayerinfo+2+Bob");
    QTRY_VERIFY(window.settings().hasRead());
    QVERIFY2(lastLineWhenRead.contains(QStringLiteral("You are Connected.")),
             qPrintable(lastLineWhenRead));
    QCOMPARE(window.options().botInterval(), 500);
    QCOMPARE(window.gameStart()->roundsText(), QStringLiteral("8"));
    QCOMPARE(window.gameStart()->spinnerPosition(), 8);
    QTRY_COMPARE(window.frameGeometry(), QRect(30, 40, 820, 560));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored); // reading writes nothing
    }

    // A save writes where the window stands now.
    window.move(60, 70);
    QTRY_COMPARE(window.frameGeometry().topLeft(), QPoint(60, 70));
    window.options().setBotSpeed(Options::BotSpeed::Slow);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Left=60\r\nTop=70\r\nWidth=820\r\nHeight=560\r\n"));
    }
    window.options().setBotSpeed(Options::BotSpeed::Fast);

    window.move(30, 40);
    window.resize(400, 300);
    QTRY_COMPARE(window.centralWidget()->size(), Tchat::MinClientSize);
    QTRY_COMPARE(window.frameGeometry().topLeft(), QPoint(30, 40));
    const QRect closedAt = window.frameGeometry();
    window.close();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    const QByteArray place = "Left=30\r\nTop=40\r\nWidth=" + QByteArray::number(closedAt.width()) +
                             "\r\nHeight=" + QByteArray::number(closedAt.height()) + "\r\n";
    QVERIFY2(saved.startsWith("[lobby]\r\nName=Bob\r\n[velmora]\r\n" + place), saved.constData());
    QVERIFY(saved.contains("Botspeed=fast\r\n"));
    QVERIFY(notifier.errors.isEmpty());
}

void TestTchat::dummyOfferButtonsLieOverTheHand_data()
{
    QTest::addColumn<int>("dealer");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("dealer takes") << 2 << "button_buy"
                                  << "Take Dummy Hand?" << QByteArray("y");
    QTest::newRow("dealer keeps") << 2 << "button_decline"
                                  << "Keep Current Hand" << QByteArray("n");
    QTest::newRow("seat buys") << 1 << "button_buy"
                               << "Buy Dummy Hand for 5 dollars?" << QByteArray("y");
    QTest::newRow("seat keeps") << 1 << "button_decline"
                                << "Keep Current Hand" << QByteArray("n");
}

// The offer's buttons share the hand strip with the cards: whatever the
// hand holds, a press at a button's centre must reach the button.
void TestTchat::dummyOfferButtonsLieOverTheHand()
{
    QFETCH(int, dealer);
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QByteArray, answer);
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    window.show();
    QTRY_VERIFY(host.peer());
    Peer &peer = *host.peer();
    peer.send("CMD_sendlogininfo+2");
    QTRY_VERIFY(peer.received(QByteArray("CMD_logininfo+2+") + VersionText + "+Bob"));
    peer.send("CMD_newplayerinfo+2+Bob");

    for (int size = 1; size <= 11; ++size) {
        QByteArray hand = "CMD_yourcards+2";
        for (int slot = 1; slot <= size; ++slot)
            hand += '+' + QByteArray::number(slot) + '+' + QByteArray::number(slot * 4);
        peer.send(hand);
        peer.send("CMD_nextplayer+" + QByteArray::number(dealer) + "+2+b+");
        QTRY_COMPARE(window.table().handCount(), size);
        QTRY_VERIFY(window.table().buyShown());
        auto *target = window.findChild<QPushButton *>(button);
        QVERIFY(target && target->isVisible());
        QCOMPARE(target->text(), caption);

        QVERIFY2(clickOn(target), qPrintable(QStringLiteral("with %1 cards").arg(size)));
        const QByteArray sent = "CMD_buythedummy+2+" + answer + '+';
        QTRY_COMPARE(peer.count(sent), size);
        QVERIFY(!window.table().buyShown());
    }
    QVERIFY(notifier.errors.isEmpty());
}

QTEST_MAIN(TestTchat)
#include "tst_tchat.moc"

// A volume is taken when the slider is let go or stepped, reaches the sound
// player at once and is heard in a sample of its kind; it is written to the
// settings file.
void TestTchat::volumesReachThePlayer()
{
    Tchat window({QStringLiteral("Bob")});
    QStringList names;
    QList<RecordingSounds::Played> played;
    window.setSoundPlayer(std::make_unique<RecordingSounds>(names, &played));
    window.show();
    item(window, "Volume1")->trigger();
    Tvolume *dialog = window.volumeWindow();
    QTRY_VERIFY(dialog->isVisible());
    auto *close = dialog->findChild<QPushButton *>(QStringLiteral("button_close"));
    QVERIFY(close && close->isVisible());
    QVERIFY(dialog->rect().contains(QRect(close->mapTo(dialog, QPoint(0, 0)), close->size())));
    auto *sound = dialog->findChild<QSlider *>(QStringLiteral("slider_sound"));
    auto *chatter = dialog->findChild<QSlider *>(QStringLiteral("slider_chatter"));
    QVERIFY(sound && chatter);
    QCOMPARE(sound->value(), 100);

    QTest::keyClick(sound, Qt::Key_PageDown);
    QCOMPARE(window.options().soundVolume(), 90);
    QTest::keyClick(chatter, Qt::Key_Home);
    QCOMPARE(window.options().chatterVolume(), 0);
    QCOMPARE(played.size(), 2);
    QCOMPARE(played[0].name, QStringLiteral("playcard"));
    QCOMPARE(played[0].volume, 90);
    QCOMPARE(played[1].name, QStringLiteral("wave3"));
    QCOMPARE(played[1].volume, 0);

    // Dragged, the knob moves but the volume waits for the release.
    const int knobLength = sound->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, sound);
    const QPoint knob(QStyle::sliderPositionFromValue(0, 100, 90, sound->width() - knobLength) +
                          knobLength / 2,
                      sound->height() / 2);
    QTest::mousePress(sound, Qt::LeftButton, {}, knob);
    QTest::mouseMove(sound, QPoint(sound->width() / 2, sound->height() / 2));
    QCOMPARE(window.options().soundVolume(), 90);
    QCOMPARE(played.size(), 2);
    QTest::mouseRelease(sound, Qt::LeftButton, {}, QPoint(sound->width() / 2, sound->height() / 2));
    QVERIFY(window.options().soundVolume() < 90);
    QCOMPARE(played.size(), 3);
    QCOMPARE(played[2].volume, window.options().soundVolume());

    // A player put in later plays at the chosen volumes too.
    window.setSoundPlayer(std::make_unique<RecordingSounds>(names, &played));
    window.options().setChatterSounds(true);
    emit window.session().chatterSound(0, QStringLiteral("wave7"));
    QCOMPARE(played.last().volume, 0);

    QFile file(m_home.filePath(QStringLiteral("pelolobby.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY2(
        saved.contains("ChatterVolume=0") &&
            saved.contains("SoundVolume=" + QByteArray::number(window.options().soundVolume())),
        saved.constData());
}

// A muted player's chat, actions and chatter sounds stay away from this copy;
// what the table says about him still shows. Unmuting brings them back.
void TestTchat::muteHidesOnePlayer()
{
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    QStringList sounds;
    window.setSoundPlayer(std::make_unique<RecordingSounds>(sounds));
    window.show();
    QTRY_VERIFY(host.peer());
    Peer &peer = *host.peer();
    peer.send("CMD_sendlogininfo+2");
    peer.send("CMD_newplayerinfo+2+Bob");
    peer.send("CMD_newplayerinfo+3+Cy");
    peer.send("CMD_newplayerinfo+6+Eve");
    peer.send("CMD_chat+3+Cy: first|clRed");
    QTRY_VERIFY(lastLineIs(window, "Cy: first"));
    window.options().setChatterSounds(true);

    // Muted from his chat line.
    QAction *mute = muteItemOnLastLine(window);
    QVERIFY(mute);
    QCOMPARE(mute->text(), QStringLiteral("Mute Cy"));
    mute->trigger();
    QVERIFY(lastLineIs(window, "You have muted Cy: you no longer see or hear his chat."));
    // The own lines and the system's offer nothing.
    QVERIFY(!muteItemOnLastLine(window));

    // Muted from the watchers list.
    window.spyList()->show();
    auto *list = window.spyList()->findChild<QListWidget *>(QStringLiteral("listbox_spys"));
    QTRY_COMPARE(list->count(), 1);
    mute = muteItemAt(list->viewport(), list->visualItemRect(list->item(0)).center());
    QVERIFY(mute);
    QCOMPARE(mute->text(), QStringLiteral("Mute Eve"));
    mute->trigger();

    peer.send("CMD_chat+3+Cy: hidden|clRed");
    peer.send("CMD_action+6+Eve waves|clBlue");
    peer.send("CMD_playasound+3+wave5+");
    peer.send("CMD_playasound+6+wave6+");
    peer.send("CMD_chat+0+marker|clGreen");
    QTRY_VERIFY(lastLineIs(window, "marker"));
    QVERIFY(!chatText(window).contains(QStringLiteral("hidden")));
    QVERIFY(!chatText(window).contains(QStringLiteral("waves")));
    QVERIFY(!sounds.contains(QStringLiteral("wave5")) && !sounds.contains(QStringLiteral("wave6")));
    // The table's word about him is no chat of his.
    peer.send("CMD_playerdisconnected+6+Eve");
    QTRY_VERIFY(lastLineIs(window, "Eve has left."));

    // Unmuted from his seat's name; another Eve at number 6 is not muted.
    auto *seatName = window.findChild<QLabel *>(QStringLiteral("label_playername3"));
    QVERIFY(seatName);
    QString offered;
    QTimer::singleShot(0, &window, [&] {
        QWidget *popup = QApplication::activePopupWidget();
        for (QAction *a : popup ? popup->actions() : QList<QAction *>())
            if (a->objectName() == QLatin1String("MutePlayer1")) {
                offered = a->text();
                a->trigger();
            }
        if (popup)
            popup->close();
    });
    QVERIFY(clickOn(seatName, Qt::RightButton));
    QCOMPARE(offered, QStringLiteral("Unmute Cy"));
    QVERIFY(lastLineIs(window, "You have unmuted Cy."));
    peer.send("CMD_newplayerinfo+6+Eve2");
    peer.send("CMD_chat+3+Cy: back|clRed");
    peer.send("CMD_action+6+Eve2 waves|clBlue");
    peer.send("CMD_playasound+3+wave5+");
    QTRY_VERIFY(lastLineIs(window, "Eve2 waves"));
    QVERIFY(chatText(window).simplified().contains(QStringLiteral("Cy: back")));
    QTRY_VERIFY(sounds.contains(QStringLiteral("wave5")));
    QVERIFY(notifier.errors.isEmpty());
}

// Qt takes the scale factor once, when the application object is made: a
// zoom chosen in the menu is stored and said to come with the next start,
// and the factor set for this run does not reach the programs it starts.
void TestTchat::zoomTakesEffectAtTheNextStart()
{
    Tchat window({QStringLiteral("Bob")});
    QVERIFY(item(window, "Zoom100")->isChecked());
    item(window, "Zoom150")->trigger();
    QCOMPARE(window.options().zoom(), 150);
    for (const char *other : {"Zoom100", "Zoom125", "Zoom200"})
        QVERIFY2(!item(window, other)->isChecked(), other);
    QVERIFY(item(window, "Zoom150")->isChecked());
    QVERIFY(chatText(window).contains(QStringLiteral("next start")));
    QFile file(m_home.filePath(QStringLiteral("pelolobby.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[velmora]\nZoom=150\n"));
    // Back to the zoom it runs at: nothing to wait for, nothing said.
    const QString said = chatText(window);
    item(window, "Zoom100")->trigger();
    QCOMPARE(chatText(window), said);

    const auto factor = [] { return qgetenv("QT_SCALE_FACTOR"); };
    qputenv("QT_SCALE_FACTOR", "2");
    ProgramZoom desktopScaled(150);
    QCOMPARE(factor(), QByteArray("3"));
    QCOMPARE(ProgramZoom::running(), 150);
    desktopScaled.restoreEnvironment();
    QCOMPARE(factor(), QByteArray("2"));
    qunsetenv("QT_SCALE_FACTOR");
    ProgramZoom plain(125);
    QCOMPARE(factor(), QByteArray("1.25"));
    plain.restoreEnvironment();
    QVERIFY(!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
    ProgramZoom unknown(175);
    QVERIFY(!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
    QCOMPARE(ProgramZoom::running(), 100);
}

// No side window is made with the game window: each costs its first frame.
// The watchers list, made late, starts with those who came before it and
// follows those after.
void TestTchat::sideWindowsMadeWhenWanted()
{
    FakeHost host;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    RecordingNotifier notifier;
    Tchat window({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
                 &notifier);
    window.show();
    QTRY_VERIFY(host.peer());
    Peer &peer = *host.peer();
    for (const char *message :
         {"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Bob", "CMD_newplayerinfo+5+Eve",
          "CMD_newplayerinfo+6+Cy", "CMD_newplayerinfo+7+Dan", "CMD_playerdisconnected+6+Cy"})
        peer.send(message);
    QTRY_VERIFY(window.table().playerName(7) && !window.table().playerName(6));
    for (const char *name : {"gamestart", "tallylist", "spylist", "download", "help", "about",
                             "volume", "hosttable", "jointable", "phrases"})
        QVERIFY2(!window.findChild<QWidget *>(QLatin1String(name)), name);

    auto *list = window.spyList()->findChild<QListWidget *>(QStringLiteral("listbox_spys"));
    peer.send("CMD_newplayerinfo+8+Fay");
    QTRY_COMPARE(list->count(), 3);
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines.append(list->item(row)->text());
    QCOMPARE(lines, (QStringList{QStringLiteral("5: Eve"), QStringLiteral("7: Dan"),
                                 QStringLiteral("8: Fay")}));
    QVERIFY(!window.spyList()->hosting());
    QVERIFY(notifier.errors.isEmpty());
}
