// What the table offers beyond the plain game: the cards that may be played
// stand higher, the hand is played from the keyboard, the table reads out
// to a screen reader, and the deck can be told apart in four colours.

#include "clickat.h"
#include "clientfixture.h"
#include "fakehost.h"
#include "recordingnotifier.h"
#include "art/faces.h"
#include "art/tableart.h"
#include "chat/chatview.h"
#include "table/handfocus.h"
#include "window/tchat.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velmora;

namespace {

QWidget *board(Tchat &window) { return window.findChild<QWidget *>(QStringLiteral("panel_board")); }

// The own hand, sorted: 4C (slot 2), 2D (slot 4), 2S (slot 3), 10H (slot 1),
// AH (slot 5).
const QByteArray Deal = "CMD_newcard+1+1+48+2+3+3+27+4+14+5+52";

// Keys go where a player's keys go: to the widget with the focus.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, key, modifiers);
}

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

QImage area(QWidget *surface, const QRect &rect)
{
    return surface->grab(rect).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestTableFeatures : public QObject
{
    Q_OBJECT
    QTcpServer m_presence;
    QTemporaryDir m_home;
    FakeHost *m_host = nullptr;
    std::unique_ptr<FakeHost> m_ownHost;
    std::unique_ptr<RecordingNotifier> m_notifier;
    std::unique_ptr<Tchat> m_window;

    // A window joined to the fake host as seat 1, dealt the hand above, at
    // the first round of a game whose dealer is seat 3.
    bool joinAndDeal();

private slots:
    void initTestCase();
    void cleanup();
    void raisedCards_data();
    void raisedCards();
    void potMoneyFollowsAntesAndPayments();
    void raisedCardsStandHigher();
    void keyboardPlay();
    void menusOpenWithAlt();
    void accessibleNames();
    void fourColourDeck();
    void hint();
};

void TestTableFeatures::initTestCase()
{
    if (const QString missing = faces::missing(); !missing.isEmpty())
        QFAIL(qPrintable(missing));
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
    qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
    QVERIFY(m_home.isValid());
    qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
}

void TestTableFeatures::cleanup()
{
    m_window.reset();
    m_notifier.reset();
    m_ownHost.reset();
    // Each window starts from the design's options.
    QFile::remove(m_home.filePath(QStringLiteral("pelolobby.ini")));
}

bool TestTableFeatures::joinAndDeal()
{
    m_ownHost = std::make_unique<FakeHost>();
    FakeHost &host = *m_ownHost;
    qputenv("VELMORA_PORT", QByteArray::number(host.port()));
    m_notifier = std::make_unique<RecordingNotifier>();
    m_window = std::make_unique<Tchat>(
        QStringList{QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
        m_notifier.get());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    if (!QTest::qWaitForWindowActive(m_window.get()) ||
        !QTest::qWaitFor([&] { return host.peer(); }))
        return false;
    for (const QByteArray &message :
         {QByteArray("CMD_sendlogininfo+1"), QByteArray("CMD_newplayerinfo+1+Bob"),
          QByteArray("CMD_startgame+Bob+100+4+4+"), QByteArray("CMD_startround+1+91+91+91+91+"),
          Deal, QByteArray("CMD_cardcount+3+8+"), QByteArray("CMD_nextplayer+3+1+l+")})
        host.send(message);
    m_host = &host;
    TableModel &table = m_window->table();
    return QTest::qWaitFor([&] { return table.currentPlayer() == 1 && table.handCount() == 5; }) &&
           m_notifier->errors.isEmpty();
}

void TestTableFeatures::raisedCards_data()
{
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<bool>("raiseOn");
    QTest::addColumn<QList<int>>("raised");
    const QByteArray deal = "CMD_newcard+1+1+48+2+3+3+27+4+14+5+52+6+5";
    QTest::newRow("lead: lowest of each suit")
        << QByteArrayList{deal, "CMD_nextplayer+3+1+l+"} << true << QList<int>{3, 14, 27, 48};
    QTest::newRow("follow: the next card only")
        << QByteArrayList{deal, "CMD_hiscard+2+4+1+9+", "CMD_nextplayer+3+1+f+"} << true
        << QList<int>{5};
    QTest::newRow("follow: the next card is not held")
        << QByteArrayList{deal, "CMD_hiscard+2+20+1+9+", "CMD_nextplayer+3+1+f+"} << true
        << QList<int>{};
    QTest::newRow("follow after an ace: nothing follows")
        << QByteArrayList{deal, "CMD_hiscard+2+13+1+9+", "CMD_nextplayer+3+1+f+"} << true
        << QList<int>{};
    QTest::newRow("another seat's turn")
        << QByteArrayList{deal, "CMD_nextplayer+3+2+l+"} << true << QList<int>{};
    QTest::newRow("the dummy-hand offer")
        << QByteArrayList{deal, "CMD_nextplayer+3+1+b+"} << true << QList<int>{};
    QTest::newRow("a card was played: the turn is over")
        << QByteArrayList{deal, "CMD_nextplayer+3+1+l+", "CMD_hiscard+1+3+2+5+"} << true
        << QList<int>{};
    QTest::newRow("option off") << QByteArrayList{deal, "CMD_nextplayer+3+1+l+"} << false
                                << QList<int>{};
}

void TestTableFeatures::raisedCards()
{
    QFETCH(QByteArrayList, messages);
    QFETCH(bool, raiseOn);
    QFETCH(QList<int>, raised);
    ClientFixture t(1);
    t.arrive();
    t.model.setRaisePlayable(raiseOn);
    for (const QByteArray &message : messages)
        t.host(message);
    QCOMPARE(t.raisedCards(), raised);
    if (!raiseOn) {
        // Switched on again, the same turn shows its cards.
        t.model.setRaisePlayable(true);
        QCOMPARE(t.raisedCards(), (QList<int>{3, 14, 27, 48}));
    }
}

void TestTableFeatures::potMoneyFollowsAntesAndPayments()
{
    ClientFixture t(1);
    t.arrive();
    t.host("CMD_startgame+Me+100+4+4+");
    t.host("CMD_startround+1+91+91+91+91+");
    t.host("CMD_startround+2+82+82+82+82+");
    QCOMPARE(t.model.pot(7).money, 8);
    t.host("CMD_addtocash+2+90+7+8+");
    QCOMPARE(t.model.pot(7).money, 0);
    QCOMPARE(t.model.pot(2).money, 8);
    // Joining a game in progress: nobody says what the pots hold.
    ClientFixture late(2);
    late.arrive();
    late.host("CMD_gamestats+3+4+73+73+73+73+0+1+");
    QCOMPARE(late.model.pot(2).money, -1);
    late.host("CMD_addtocash+2+90+2+12+");
    QCOMPARE(late.model.pot(2).money, 0);
}

void TestTableFeatures::raisedCardsStandHigher()
{
    QCOMPARE(HandFocus::handLeft(1), 45);
    QCOMPARE(HandFocus::handLeft(10), 270);
    QVERIFY(joinAndDeal());
    QWidget *surface = board(*m_window);
    // Above the plain cards' top edge only the raised cards are hit.
    const int y = HandFocus::CardTop - HandFocus::RaiseBy / 2;
    const TableModel &table = m_window->table();
    for (int pos = 1; pos <= 5; ++pos) {
        QWidget *hit = widgetAt(surface, {HandFocus::handLeft(pos) + 3, y});
        const QString card = QStringLiteral("card%1").arg(table.hand(pos).handSlot);
        // The ace of hearts is not the lowest heart.
        QCOMPARE(hit && hit->objectName() == card, pos <= 4);
    }
    // Switched off in the menu, every card stands in line.
    m_window->findChild<QAction *>(QStringLiteral("RaisePlayableCards1"))->trigger();
    QVERIFY(!m_window->options().raiseCards());
    QWidget *hit = widgetAt(surface, {HandFocus::handLeft(1) + 3, y});
    QVERIFY(!hit || !hit->objectName().startsWith(QLatin1String("card")));
    QFile file(m_home.filePath(QStringLiteral("pelolobby.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("RaiseCards=false"));
}

void TestTableFeatures::keyboardPlay()
{
    QVERIFY(joinAndDeal());
    FakeHost &host = *m_host;
    QTRY_COMPARE(focusName(), QStringLiteral("mychat"));

    // Tab goes to the hand, whose first playable card is chosen.
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("hand_focus"));
    auto *hand = qobject_cast<HandFocus *>(QApplication::focusWidget());
    QCOMPARE(hand->chosen(), 1);
    QCOMPARE(hand->accessibleName(), QStringLiteral("Hand: Four of Clubs, playable"));
    // The hand's stop takes no clicks: the card under it does.
    QWidget *surface = board(*m_window);
    QCOMPARE(widgetAt(surface, {HandFocus::handLeft(2) + 3, 440})->objectName(),
             QStringLiteral("card4"));

    press(Qt::Key_Left); // already the first card
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    QCOMPARE(hand->chosen(), 3);
    press(Qt::Key_Return);
    QTRY_VERIFY(host.received("CMD_playcard+1+3+")); // the two of spades' hand slot

    // The host takes it; the choice stays at that place in the hand.
    host.send("CMD_hiscard+1+27+3+4+");
    QTRY_COMPARE(m_window->table().handCount(), 4);
    QCOMPARE(hand->chosen(), 3);
    QCOMPARE(hand->accessibleName(), QStringLiteral("Hand: Ten of Hearts"));

    // The dummy hand offered: K keeps, B buys.
    host.send("CMD_nextplayer+3+1+b+");
    QTRY_VERIFY(m_window->table().buyShown());
    press(Qt::Key_K);
    QTRY_VERIFY(host.received("CMD_buythedummy+1+n+"));
    QVERIFY(!m_window->table().buyShown());
    host.send("CMD_nextplayer+3+1+b+");
    QTRY_VERIFY(m_window->table().buyShown());
    press(Qt::Key_B);
    QTRY_VERIFY(host.received("CMD_buythedummy+1+y+"));
    QCOMPARE(focusName(), QStringLiteral("hand_focus"));

    // Any other letter is chat: the entry takes the focus and the letter.
    press(Qt::Key_H);
    QCOMPARE(focusName(), QStringLiteral("mychat"));
    press(Qt::Key_I);
    auto *entry = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QCOMPARE(entry->text(), QStringLiteral("hi"));
    // Esc and Tab move between the two stops and type nothing.
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("hand_focus"));
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("mychat"));
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("hand_focus"));
    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("mychat"));
    QCOMPARE(entry->text(), QStringLiteral("hi"));
    press(Qt::Key_Return);
    QTRY_VERIFY(host.receivedText("CMD_chat+1+hi"));
    QCOMPARE(entry->text(), QString());
    QVERIFY(m_notifier->errors.isEmpty());
}

void TestTableFeatures::menusOpenWithAlt()
{
    QVERIFY(joinAndDeal());
    QTRY_COMPARE(focusName(), QStringLiteral("mychat"));
    QMenu *options = nullptr;
    for (QAction *title : m_window->menuBar()->actions())
        if (title->iconText() == QLatin1String("Options"))
            options = title->menu();
    QVERIFY(options);
    // The visible texts are unchanged; the mnemonic only underlines.
    QStringList items;
    for (QAction *item : options->actions())
        if (!item->isSeparator())
            items << item->iconText();
    QVERIFY2(items.contains(QStringLiteral("Raise Playable Cards")) &&
                 items.contains(QStringLiteral("Four-Colour Deck")) &&
                 items.contains(QStringLiteral("Just Watch")),
             qPrintable(items.join(QLatin1Char(','))));
    press(Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(options->isVisible());
    QTest::keyClick(options, Qt::Key_Escape);
    QTRY_VERIFY(!options->isVisible());
}

void TestTableFeatures::accessibleNames()
{
    QVERIFY(joinAndDeal());
    Tchat &window = *m_window;
    const auto named = [&](const char *name) {
        auto *label = window.findChild<QLabel *>(QLatin1String(name));
        return label ? label->accessibleName() : QStringLiteral("missing");
    };
    QCOMPARE(named("label_playername3"), QStringLiteral("Pog, 91 dollars, 8 cards, dealer"));
    QCOMPARE(named("card1"), QStringLiteral("Ten of Hearts"));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("card1"))->accessibleDescription(),
             QStringLiteral("playable"));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("card5"))->accessibleDescription(),
             QString());
    QCOMPARE(named("image_pot7"), QStringLiteral("Pot: Ace of Spades, 4 dollars"));
    QCOMPARE(named("image_pot1"), QStringLiteral("Pot: Kitty, 4 dollars"));

    m_host->send("CMD_addtocash+2+95+7+4+");
    QTRY_COMPARE(named("image_pot7"), QStringLiteral("Pot: Ace of Spades, 0 dollars"));
    QCOMPARE(named("label_playername2"), QStringLiteral("Pip, 95 dollars"));
}

void TestTableFeatures::fourColourDeck()
{
    QVERIFY(joinAndDeal());
    QWidget *surface = board(*m_window);
    // The visible strips of the four of clubs and the two of diamonds, and
    // the whole ace of hearts.
    const QRect club = HandFocus::cardRect(1, true).adjusted(0, 0, -27, 0);
    const QRect diamond = HandFocus::cardRect(2, true).adjusted(0, 0, -27, 0);
    const QRect heart = HandFocus::cardRect(5, false);
    const QImage clubBefore = area(surface, club);
    const QImage diamondBefore = area(surface, diamond);
    const QImage heartBefore = area(surface, heart);
    const QImage pictureBefore = TableArt::card(1).toImage();

    QAction *item = m_window->findChild<QAction *>(QStringLiteral("FourColourDeck1"));
    QVERIFY(item && !item->isChecked());
    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(m_window->options().fourColourDeck());
    QVERIFY(area(surface, club) != clubBefore);
    QVERIFY(area(surface, diamond) != diamondBefore);
    QCOMPARE(area(surface, heart), heartBefore);
    QVERIFY(TableArt::card(1).toImage() != pictureBefore);
    // Kept in the settings file under its own key.
    QFile file(m_home.filePath(QStringLiteral("pelolobby.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("FourColourDeck=true"));

    item->trigger();
    QVERIFY(!m_window->options().fourColourDeck());
    QCOMPARE(area(surface, club), clubBefore);
    QCOMPARE(TableArt::card(1).toImage(), pictureBefore);
}

// The hint raises and rings a card the rules take and says why in the
// chat; H asks for it from the hand, View > Hint from anywhere.
void TestTableFeatures::hint()
{
    QVERIFY(joinAndDeal());
    const TableModel &table = m_window->table();
    // The computer a joining copy plays against is the host's to choose.
    QVERIFY(!m_window->findChild<QAction *>(QStringLiteral("ComputerPlayers1"))->isVisible());
    // With raising off, the hinted card alone stands up.
    m_window->findChild<QAction *>(QStringLiteral("RaisePlayableCards1"))->trigger();
    QTRY_COMPARE(focusName(), QStringLiteral("mychat"));
    press(Qt::Key_Tab);
    press(Qt::Key_H);
    auto *hand = qobject_cast<HandFocus *>(QApplication::focusWidget());
    QVERIFY(hand);
    const int hinted = table.hand(hand->chosen()).card;
    QVERIFY2(QList<int>({3, 14, 27, 48}).contains(hinted), cardName(hinted));
    for (int p = 1; p <= 5; ++p)
        QCOMPARE(table.raised(p), table.hand(p).card == hinted);
    const QString chat = m_window->mainchat()->document()->toPlainText();
    QVERIFY2(chat.contains(QStringLiteral("Playing ")), qPrintable(chat));

    press(Qt::Key_Escape);
    QCOMPARE(focusName(), QStringLiteral("mychat"));
    m_window->findChild<QAction *>(QStringLiteral("Hint1"))->trigger();
    QCOMPARE(focusName(), QStringLiteral("hand_focus"));
    for (int p = 1; p <= 5; ++p)
        QCOMPARE(table.raised(p), p == hand->chosen());

    // Another seat's turn: no hint, and H is a letter for the chat.
    m_host->send("CMD_nextplayer+3+2+l+");
    QTRY_COMPARE(table.currentPlayer(), 2);
    QVERIFY(!table.raised(hand->chosen()));
    QVERIFY(!m_window->findChild<QAction *>(QStringLiteral("Hint1"))->isEnabled());
    press(Qt::Key_H);
    QCOMPARE(focusName(), QStringLiteral("mychat"));
    QCOMPARE(qobject_cast<QLineEdit *>(QApplication::focusWidget())->text(), QStringLiteral("h"));
}

QTEST_MAIN(TestTableFeatures)
#include "tst_tablefeatures.moc"
