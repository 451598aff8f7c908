#include "base/version.h"
#include "clientfixture.h"
#include "base/error.h"
#include "protocol/fieldreader.h"
#include "protocol/wirenumbers.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;

namespace {
QByteArray framed(const QByteArray &message) { return message + '\xFF'; }
} // namespace

class TestClientSession : public QObject
{
    Q_OBJECT
private slots:
    void dropsUnknownWords_data();
    void dropsUnknownWords();
    void loginAnswersWithVersionAndName();
    void loginRejectsBadPlayerNumbers_data();
    void loginRejectsBadPlayerNumbers();
    void queueKeepsArrivalOrderAndDropsFailedMessage();
    void oversizedMessageIsAnErrorButKeepsCompleteOnes();
    void floodingHostIsCutOff_data();
    void floodingHostIsCutOff();
    void chatPayload_data();
    void chatPayload();
    void versionWarningsAndFull();
    void checkedReaders_data();
    void checkedReaders();
    void tableTakesEveryOtherWord_data();
    void tableTakesEveryOtherWord();
};

void TestClientSession::dropsUnknownWords_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("no plus") << QByteArray("CMD_sendlogininfo1");
    QTest::newRow("lower case") << QByteArray("cmd_sendlogininfo+1");
    QTest::newRow("upper case") << QByteArray("CMD_SENDLOGININFO+1");
    QTest::newRow("chat lower case") << QByteArray("cmd_chat+1+x: y|clRed");
    QTest::newRow("empty word") << QByteArray("+CMD_full+");
    QTest::newRow("host-only request") << QByteArray("CMD_logininfo+1+") + VersionText + "+x";
}

void TestClientSession::dropsUnknownWords()
{
    QFETCH(QByteArray, message);
    ClientSession session;
    QSignalSpy requests(&session, &ClientSession::request);
    QSignalSpy lines(&session, &ClientSession::chatLine);
    QSignalSpy full(&session, &ClientSession::gameFull);
    session.receive(framed(message));
    QCOMPARE(session.queued(), 1);
    session.dispatchOne();
    QCOMPARE(session.queued(), 0);
    QVERIFY(requests.isEmpty() && lines.isEmpty() && full.isEmpty());
    QVERIFY(!session.loggedIn());
    QCOMPARE(session.ownPlayer(), 0);
}

void TestClientSession::loginAnswersWithVersionAndName()
{
    ClientSession session;
    session.setLoginName("Al+ice");
    QSignalSpy requests(&session, &ClientSession::request);
    QSignalSpy loggedIn(&session, &ClientSession::loggedInAs);
    session.handle("CMD_sendlogininfo+7");
    QVERIFY(session.loggedIn());
    QCOMPARE(session.ownPlayer(), 7);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).at(0).toByteArray(),
             QByteArray("CMD_logininfo+7+") + VersionText + "+Al+ice\xFF");
    QCOMPARE(loggedIn.at(0).at(0).toInt(), 7);
}

void TestClientSession::loginRejectsBadPlayerNumbers_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("ten") << QByteArray("10");
    QTest::newRow("letters") << QByteArray("x");
    QTest::newRow("trailing field") << QByteArray("1+2");
    QTest::newRow("huge") << QByteArray("99999999999999999999");
}

void TestClientSession::loginRejectsBadPlayerNumbers()
{
    QFETCH(QByteArray, field);
    ClientSession session;
    QSignalSpy requests(&session, &ClientSession::request);
    QVERIFY_THROWS_EXCEPTION(Error, session.handle("CMD_sendlogininfo+" + field));
    QVERIFY(!session.loggedIn());
    QCOMPARE(session.ownPlayer(), 0);
    QVERIFY(requests.isEmpty());
}

void TestClientSession::queueKeepsArrivalOrderAndDropsFailedMessage()
{
    ClientSession session;
    QSignalSpy waiting(&session, &ClientSession::messagesWaiting);
    QSignalSpy lines(&session, &ClientSession::chatLine);
    // A message split over two reads is queued once, when its end arrives.
    session.receive("CMD_sendlogininfo+x\xFF"
                    "CMD_chat+1+a: one|clRed\xFF"
                    "CMD_chat+1+a: tw");
    QCOMPARE(session.queued(), 2);
    session.receive("o|clRed\xFF");
    QCOMPARE(session.queued(), 3);
    QCOMPARE(waiting.size(), 1); // only when the queue was empty

    QVERIFY_THROWS_EXCEPTION(Error, session.dispatchOne());
    QCOMPARE(session.queued(), 2); // the failed message has left the queue
    session.dispatchOne();
    session.dispatchOne();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).at(1).toString(), QStringLiteral("a: one"));
    QCOMPARE(lines.at(1).at(1).toString(), QStringLiteral("a: two"));
    session.dispatchOne(); // an empty queue dispatches nothing
    QCOMPARE(lines.size(), 2);
}

void TestClientSession::oversizedMessageIsAnErrorButKeepsCompleteOnes()
{
    ClientSession session;
    QByteArray bytes = "CMD_wrongversion+\xFF";
    bytes += QByteArray(Framer::DefaultLimit + 10, 'a');
    QVERIFY_THROWS_EXCEPTION(Error, session.receive(bytes));
    QCOMPARE(session.queued(), 1);
    session.receive("CMD_full+\xFF");
    QCOMPARE(session.queued(), 2);
}

void TestClientSession::floodingHostIsCutOff_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("fit"); // how many of them fit
    QTest::newRow("messages") << QByteArray("CMD_full+") << int(ClientSession::QueueLimit);
    QTest::newRow("bytes") << QByteArray(64 * 1024, 'x')
                           << int(ClientSession::QueueBytesLimit / (64 * 1024));
}

void TestClientSession::floodingHostIsCutOff()
{
    QFETCH(QByteArray, message);
    QFETCH(int, fit);
    ClientSession session;
    const QByteArray one = framed(message);
    QByteArray bytes;
    for (int i = 0; i < fit; ++i)
        bytes += one;
    session.receive(bytes);
    QCOMPARE(session.queued(), fit);
    // What has been handled makes room again.
    session.dispatchOne();
    session.receive(one);
    QVERIFY(!session.cutOff());
    QVERIFY_THROWS_EXCEPTION(Error, session.receive(framed("x")));
    QVERIFY(session.cutOff());
    QCOMPARE(session.queued(), fit);
    // From then on the host is not listened to, and not reported again.
    session.receive(bytes);
    QCOMPARE(session.queued(), fit);
}

void TestClientSession::chatPayload_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("sender");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("colour");
    QTest::newRow("chat in red") << QByteArray("CMD_chat+2+Bob chats: hi|clRed") << true << 2
                                 << "Bob chats: hi" << 0x0000FFu;
    QTest::newRow("bar in text: cut at first")
        << QByteArray("CMD_chat+2+Bob chats: a|b|clRed") << true << 2 << "Bob chats: a" << 0u;
    QTest::newRow("no bar: black")
        << QByteArray("CMD_chat+2+Bob chats: hi") << true << 2 << "Bob chats: hi" << 0u;
    QTest::newRow("hex colour") << QByteArray("CMD_chat+2+x|$00FF0000") << true << 2 << "x"
                                << 0xFF0000u;
    QTest::newRow("name any case")
        << QByteArray("CMD_chat+2+x|CLRED") << true << 2 << "x" << 0x0000FFu;
    QTest::newRow("garbage colour") << QByteArray("CMD_chat+2+x|reddish") << true << 2 << "x" << 0u;
    QTest::newRow("plus in text") << QByteArray("CMD_chat+3+a+b: c+d|clLime") << true << 3
                                  << "a+b: c+d" << 0x00FF00u;
    QTest::newRow("latin-1 text") << QByteArray("CMD_chat+1+Jos\xE9: ol\xE1|clRed") << true << 1
                                  << QString::fromUtf8("José: olá") << 0x0000FFu;
    QTest::newRow("sender 10") << QByteArray("CMD_chat+10+x|clRed") << false << 0 << "" << 0u;
    QTest::newRow("sender not a number")
        << QByteArray("CMD_chat+x+y|clRed") << false << 0 << "" << 0u;
    QTest::newRow("no sender") << QByteArray("CMD_chat+nosender|clRed") << false << 0 << "" << 0u;
    QTest::newRow("empty sender") << QByteArray("CMD_chat++x|clRed") << false << 0 << "" << 0u;
}

void TestClientSession::chatPayload()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, ok);
    ClientSession session;
    QSignalSpy lines(&session, &ClientSession::chatLine);
    if (!ok) {
        QVERIFY_THROWS_EXCEPTION(Error, session.handle(message));
        QVERIFY(lines.isEmpty());
        return;
    }
    session.handle(message);
    QCOMPARE(lines.size(), 1);
    QTEST(lines.at(0).at(0).toInt(), "sender");
    QTEST(lines.at(0).at(1).toString(), "text");
    QTEST(uint(lines.at(0).at(2).value<ColourValue>()), "colour");
}

void TestClientSession::versionWarningsAndFull()
{
    ClientSession session;
    QSignalSpy lines(&session, &ClientSession::chatLine);
    QSignalSpy full(&session, &ClientSession::gameFull);
    session.handle("CMD_havewrongversion+Bo+b");
    session.handle("CMD_wrongversion+");
    session.handle("CMD_full+");
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).at(0).toInt(), 0);
    QCOMPARE(lines.at(0).at(1).toString(),
             QStringLiteral("Bo+b has a different version of the game then you."));
    QCOMPARE(lines.at(0).at(2).value<ColourValue>(), ClientSession::SystemColour);
    QCOMPARE(lines.at(1).at(1).toString(),
             QStringLiteral("You have a differnt version of the game then the host."));
    QCOMPARE(full.size(), 1);
}

void TestClientSession::checkedReaders_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("expected"); // -1000: an error
    QTest::addColumn<QString>("error");
    const int bad = -1000;
    QTest::newRow("seat 4") << "seat" << QByteArray("4") << 4 << QString();
    QTest::newRow("seat 0") << "seat" << QByteArray("0") << bad << "seat 0 is out of range";
    QTest::newRow("seat 5") << "seat" << QByteArray("5") << bad << "seat 5 is out of range";
    QTest::newRow("card 0") << "card" << QByteArray("0") << 0 << QString();
    QTest::newRow("card 52") << "card" << QByteArray("52") << 52 << QString();
    QTest::newRow("card 53") << "card" << QByteArray("53") << bad << "card code 53 is out of range";
    QTest::newRow("slot 11") << "slot" << QByteArray("11") << 11 << QString();
    QTest::newRow("slot 12") << "slot" << QByteArray("12") << bad << "hand slot 12 is out of range";
    QTest::newRow("pot 9") << "pot" << QByteArray("9") << 9 << QString();
    QTest::newRow("pot 10") << "pot" << QByteArray("10") << bad << "pot 10 is out of range";
    QTest::newRow("player 0") << "player" << QByteArray("0") << bad
                              << "player number 0 is out of range";
    QTest::newRow("player 12") << "player" << QByteArray("12") << bad
                               << "player number 12 is out of range";
    QTest::newRow("sender 0") << "sender" << QByteArray("0") << 0 << QString();
    QTest::newRow("sender 10") << "sender" << QByteArray("10") << bad
                               << "sender number 10 is out of range";
    QTest::newRow("leading plus") << "seat" << QByteArray("+1") << bad << "'' is not a valid seat";
    QTest::newRow("letters") << "card" << QByteArray("ace") << bad
                             << "'ace' is not a valid card code";
    QTest::newRow("long junk is cut") << "pot" << QByteArray(40, 'x') << bad
                                      << QLatin1Char('\'') + QString(24, QLatin1Char('x')) +
                                             QStringLiteral("...' is not a valid pot");
    QTest::newRow("missing") << "seat" << QByteArray() << bad << "Missing seat";
    QTest::newRow("last number") << "last" << QByteArray("3+4") << bad
                                 << "'3+4' is not a valid round";
}

void TestClientSession::checkedReaders()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, field);
    QFETCH(int, expected);
    QFETCH(QString, error);
    // An empty text has no field at all; everything else is one field.
    FieldReader fields(field.isEmpty() ? QByteArray() : field + '+');
    const auto read = [&] {
        if (kind == QLatin1String("seat"))
            return wirenumbers::seat(fields);
        if (kind == QLatin1String("card"))
            return wirenumbers::card(fields);
        if (kind == QLatin1String("slot"))
            return wirenumbers::handSlot(fields);
        if (kind == QLatin1String("pot"))
            return wirenumbers::pot(fields);
        if (kind == QLatin1String("player"))
            return wirenumbers::player(fields);
        if (kind == QLatin1String("last")) {
            FieldReader last(field);
            return wirenumbers::lastNumber(last, 0, 99, "round");
        }
        return wirenumbers::sender(fields);
    };
    if (expected != -1000) {
        QCOMPARE(read(), expected);
        return;
    }
    try {
        read();
        QFAIL("no error");
    } catch (const Error &e) {
        QCOMPARE(e.message(), error);
    }
}

// The session keeps its own words and hands every other one to the table,
// which takes its messages and drops the host's requests and unknown words.
void TestClientSession::tableTakesEveryOtherWord_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("changes");  // the table says it changed
    QTest::addColumn<QString>("error"); // empty: none
    QTest::newRow("table word") << QByteArray("CMD_cardcount+3+7+") << true << QString();
    QTest::newRow("host's request") << QByteArray("CMD_playcard+1+2+") << false << QString();
    QTest::newRow("host's request with junk")
        << QByteArray("CMD_buythedummy+x+") << false << QString();
    QTest::newRow("chatter sound") << QByteArray("CMD_playasound+1+wave3+") << false << QString();
    QTest::newRow("bad seat") << QByteArray("CMD_hiscard+7+1+1+1+") << false
                              << "seat 7 is out of range";
    // Every field is read before anything changes.
    QTest::newRow("bad last field")
        << QByteArray("CMD_boughtdummy+2+95+1+lots+") << false << "'lots' is not a valid cash";
}

void TestClientSession::tableTakesEveryOtherWord()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, changes);
    QFETCH(QString, error);
    ClientFixture c(0);
    ClientSession &session = c.session;
    const TableModel &table = c.model;
    QSignalSpy changed(&table, &TableModel::changed);
    QSignalSpy lines(&session, &ClientSession::chatLine);
    if (error.isEmpty()) {
        session.handle(message);
    } else {
        try {
            session.handle(message);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message(), error);
        }
    }
    QCOMPARE(!changed.isEmpty(), changes);
    QVERIFY(lines.isEmpty());
    QCOMPARE(table.seat(3).leftText, changes ? QStringLiteral("7") : QString());
    QCOMPARE(table.seat(2).cashText, QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TestClientSession)
#include "tst_clientsession.moc"
