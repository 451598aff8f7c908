#include "chat/chatcomposer.h"
#include "base/error.h"
#include "client/clientsession.h"
#include "client/options.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;

namespace {

// A composer for player `player` (0: not logged in yet) that records what
// it sends.
struct Table
{
    explicit Table(int player = 2)
    {
        if (player > 0)
            session.handle("CMD_sendlogininfo+" + QByteArray::number(player));
        composer.setSender([this](const QByteArray &message) {
            sent.append(message);
            return sendSucceeds;
        });
    }
    ClientSession session;
    Options options;
    ChatComposer composer{session, options};
    QList<QByteArray> sent;
    bool sendSucceeds = true;
};

QByteArray framed(const char *message) { return QByteArray(message) + '\xFF'; }

} // namespace

class TestChatEntry : public QObject
{
    Q_OBJECT
private slots:
    void editingTheEntry();
    void enter_data();
    void enter();
    void entryStaysWhenNothingGoesOut();
    void phrases_data();
    void phrases();
    void phraseCooldownDropsPresses();
    void chatterSoundRequests_data();
    void chatterSoundRequests();
    void chatterSoundArrives_data();
    void chatterSoundArrives();
    void sessionReportsChatterSounds();
};

void TestChatEntry::editingTheEntry()
{
    const QString placeholder = ChatComposer::placeholder();
    QCOMPARE(ChatComposer::keyDown(placeholder), QString());
    QCOMPARE(ChatComposer::keyDown(placeholder + u' '), placeholder + u' ');
    QCOMPARE(ChatComposer::withSmiley(placeholder, 10), QStringLiteral(":)#10"));
    QCOMPARE(ChatComposer::withSmiley(QStringLiteral("hi "), 27), QStringLiteral("hi :)#27"));
    QCOMPARE(ChatComposer::withPaste(QStringLiteral("ab"), QStringLiteral("x y")),
             QStringLiteral("abx y"));
    QCOMPARE(ChatComposer::withPaste(placeholder, QStringLiteral("x")), placeholder + u'x');
}

void TestChatEntry::enter_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("sent"); // empty: nothing
    QTest::newRow("chat in the chosen colour") << "hello" << framed("CMD_chat+2+hello|clRed");
    QTest::newRow("plus and bar travel as typed") << "a+b|c" << framed("CMD_chat+2+a+b|c|clRed");
    QTest::newRow("/me later in the line") << "say /me" << framed("CMD_chat+2+say /me|clRed");
    QTest::newRow("/me action in black") << "/me waves" << framed("CMD_action+2+waves|clBlack");
    QTest::newRow("/me alone") << "/me" << framed("CMD_action+2+|clBlack");
    QTest::newRow("/me loses a fourth letter") << "/mexy" << framed("CMD_action+2+y|clBlack");
    QTest::newRow("/ME is not /me") << "/ME x" << QByteArray();
    QTest::newRow("other command") << "/quit" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("untouched entry")
        << ChatComposer::keyDown(ChatComposer::placeholder()) << QByteArray();
    // One byte per character; 0xFF would end the message early.
    QTest::newRow("latin-1 and beyond")
        << QStringLiteral("caf\u00e9 \u00ff\u20ac") << framed("CMD_chat+2+caf\xe9 ??|clRed");
}

void TestChatEntry::enter()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, sent);
    Table table;
    table.options.setChatColour(0x0000FF);
    QCOMPARE(table.composer.sendit(entry), QString());
    QCOMPARE(table.sent, sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{sent});
}

void TestChatEntry::entryStaysWhenNothingGoesOut()
{
    Table before(0);
    QCOMPARE(before.composer.sendit(QStringLiteral("hello")), QStringLiteral("hello"));
    QCOMPARE(before.composer.sendit(QStringLiteral("/me waves")), QStringLiteral("/me waves"));
    QVERIFY(!before.composer.sendPhrase(1));
    QVERIFY(!before.composer.sendChatterSound(1));
    QVERIFY(before.sent.isEmpty());

    Table broken;
    broken.sendSucceeds = false;
    QCOMPARE(broken.composer.sendit(QStringLiteral("hello")), QStringLiteral("hello"));
    // A phrase that did not go out does not make the buttons rest.
    QVERIFY(!broken.composer.sendPhrase(1));
    QVERIFY(broken.composer.phraseReady());
}

void TestChatEntry::phrases_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("plain") << "Way To Go!" << framed("CMD_action+2+says: Way To Go!|clBlack");
    QTest::newRow("/me phrase") << "/me bows" << framed("CMD_action+2+bows|clBlack");
    QTest::newRow("/me without space") << "/mebows" << framed("CMD_action+2+says: /mebows|clBlack");
    QTest::newRow("/ME") << "/ME bows" << framed("CMD_action+2+says: /ME bows|clBlack");
}

void TestChatEntry::phrases()
{
    QFETCH(QString, phrase);
    QFETCH(QByteArray, sent);
    Table table;
    table.options.setChatColour(0x0000FF); // phrases ignore it
    std::array<QString, Options::Phrases + 1> phrases;
    phrases[4] = phrase;
    phrases[10] = QStringLiteral("never sent");
    table.options.setPhrases(phrases);
    QVERIFY(!table.composer.sendPhrase(10));
    QVERIFY(!table.composer.sendPhrase(0));
    QVERIFY(table.composer.sendPhrase(4));
    QCOMPARE(table.sent, QList<QByteArray>{sent});
}

void TestChatEntry::phraseCooldownDropsPresses()
{
    Table table;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(table.composer.sendPhrase(1));
    QVERIFY(!table.composer.phraseReady());
    QVERIFY(!table.composer.sendPhrase(2));
    QTest::qWait(200); // a sleep on purpose: the phrase must still rest a while later
    QVERIFY(!table.composer.sendPhrase(3));
    // The entry is not held back by a resting phrase.
    QCOMPARE(table.composer.sendit(QStringLiteral("hi")), QString());
    QTRY_VERIFY_WITH_TIMEOUT(table.composer.phraseReady(), 3000);
    QVERIFY(clock.elapsed() >= ChatComposer::PhraseCooldown.count() - 50);
    // Dropped presses are not delivered late.
    QCOMPARE(table.sent.size(), 2);
    QVERIFY(table.composer.sendPhrase(2));
    QCOMPARE(table.sent.size(), 3);
    QVERIFY(table.sent.last().contains("Good One!"));
}

void TestChatEntry::chatterSoundRequests_data()
{
    QTest::addColumn<int>("player");
    QTest::addColumn<int>("item");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("seat 2, Sneezing") << 2 << 7 << framed("CMD_playasound+2+wave7+");
    QTest::newRow("seat 1, first") << 1 << 1 << framed("CMD_playasound+1+wave1+");
    QTest::newRow("seat 4, last") << 4 << 20 << framed("CMD_playasound+4+wave20+");
    QTest::newRow("cancel") << 2 << 0 << QByteArray();
    QTest::newRow("beyond the menu") << 2 << 21 << QByteArray();
    QTest::newRow("watcher 5") << 5 << 7 << QByteArray();
    QTest::newRow("watcher 9") << 9 << 7 << QByteArray();
}

void TestChatEntry::chatterSoundRequests()
{
    QFETCH(int, player);
    QFETCH(int, item);
    QFETCH(QByteArray, sent);
    Table table(player);
    QCOMPARE(table.composer.sendChatterSound(item), !sent.isEmpty());
    QCOMPARE(table.sent, sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{sent});
}

void TestChatEntry::chatterSoundArrives_data()
{
    QTest::addColumn<bool>("soundsOn");
    QTest::addColumn<bool>("seated");
    QTest::addColumn<QString>("sound");
    QTest::addColumn<QByteArray>("play");
    QTest::addColumn<QString>("line");
    QTest::newRow("off: printed") << false << true << "wave7" << QByteArray()
                                  << "Bob: <Chatter Sound> Sneezing";
    QTest::newRow("off: any case")
        << false << true << "WAVE1" << QByteArray() << "Bob: <Chatter Sound> Doh";
    QTest::newRow("off: last") << false << true << "wave20" << QByteArray()
                               << "Bob: <Chatter Sound> Crying";
    QTest::newRow("off: no seat") << false << false << "wave7" << QByteArray() << "";
    QTest::newRow("on: played") << true << true << "wave7" << QByteArray("wave7") << "";
    QTest::newRow("on: played in lower case")
        << true << false << "Wave3" << QByteArray("wave3") << "";
    for (const char *name : {"wave0", "wave21", "wave07", "wave", "wave+1", "gameover", ""}) {
        QTest::addRow("off: %s unknown", name) << false << true << name << QByteArray() << "";
        QTest::addRow("on: %s unknown", name) << true << true << name << QByteArray() << "";
    }
}

void TestChatEntry::chatterSoundArrives()
{
    QFETCH(bool, soundsOn);
    QFETCH(bool, seated);
    QFETCH(QString, sound);
    QFETCH(QByteArray, play);
    QFETCH(QString, line);
    Table table;
    table.options.setChatterSounds(soundsOn);
    const std::optional<QString> seat = seated ? std::optional<QString>(QStringLiteral("Bob"))
                                               : std::nullopt;
    const ChatComposer::ChatterEffect effect = table.composer.chatterReceived(seat, sound);
    QCOMPARE(effect.play, play);
    QCOMPARE(effect.line, line);
}

void TestChatEntry::sessionReportsChatterSounds()
{
    ClientSession session;
    QSignalSpy sounds(&session, &ClientSession::chatterSound);
    session.handle("CMD_playasound+2+wave7+");
    session.handle("CMD_playasound+9+gameover+");
    QCOMPARE(sounds.size(), 2);
    QCOMPARE(sounds.at(0), (QList<QVariant>{2, QStringLiteral("wave7")}));
    QCOMPARE(sounds.at(1), (QList<QVariant>{9, QStringLiteral("gameover")}));
    QVERIFY_THROWS_EXCEPTION(Error, session.handle("CMD_playasound+0+wave7+"));
    QVERIFY_THROWS_EXCEPTION(Error, session.handle("CMD_playasound+x+wave7+"));
    QCOMPARE(sounds.size(), 2);
}

QTEST_GUILESS_MAIN(TestChatEntry)
#include "tst_chatentry.moc"
