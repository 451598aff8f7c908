#include "base/version.h"
#include "protocol/colourtext.h"
#include "protocol/command.h"
#include "protocol/fieldreader.h"
#include "protocol/framer.h"
#include "protocol/messages.h"

#include <QTest>

#include <limits>

using namespace velmora;

namespace {
QByteArray ff(const char *text) { return QByteArray(text) + '\xFF'; }
} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void framing()
    {
        Framer f;
        QList<QByteArray> out;
        // Two messages in one read, then one split over two reads.
        QVERIFY(f.feed(ff("CMD_a+1") + ff("CMD_b+2") + "CMD_c", out));
        QCOMPARE(out, (QList<QByteArray>{"CMD_a+1", "CMD_b+2"}));
        QCOMPARE(f.pending(), 5);
        out.clear();
        QVERIFY(f.feed(QByteArray("+3\x00x", 4), out));
        QVERIFY(out.isEmpty());
        QVERIFY(f.feed(ff("y"), out));
        QCOMPARE(out, (QList<QByteArray>{QByteArray("CMD_c+3\x00xy", 10)}));
        QCOMPARE(f.pending(), 0);
        // Empty messages are still messages (and are ignored by dispatch).
        out.clear();
        QVERIFY(f.feed("\xFF\xFF", out));
        QCOMPARE(out.size(), 2);
    }

    void framingLimit()
    {
        Framer f(16);
        QList<QByteArray> out;
        QVERIFY(f.feed(QByteArray(16, 'x'), out));
        // A completed message is delivered even when the rest overflows.
        QVERIFY(!f.feed(ff("y") + QByteArray(17, 'z'), out));
        QCOMPARE(out.size(), 1);
        QCOMPARE(out[0].size(), 17);
        QCOMPARE(f.pending(), 0);
    }

    void commandWordsAreExact()
    {
        QCOMPARE(splitMessage("CMD_chat+1+hi").cmd, std::optional<Cmd>(Cmd::Chat));
        QCOMPARE(splitMessage("CMD_chat+1+hi").rest, QByteArray("1+hi"));
        QVERIFY(!splitMessage("CMD_Chat+1+hi").cmd);
        QVERIFY(!splitMessage("CMD_chat").cmd); // no "+": empty word
        QVERIFY(!splitMessage("CMD_chatx+1").cmd);
        QVERIFY(!splitMessage("+1").cmd);
        QCOMPARE(splitMessage("CMD_full+").cmd, std::optional<Cmd>(Cmd::Full));
        QCOMPARE(commandText(Cmd::PlayerDisconnected), QByteArrayView("CMD_playerdisconnected"));
    }

    void numbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << QByteArray("0") << true << 0;
        QTest::newRow("plain") << QByteArray("91") << true << 91;
        QTest::newRow("negative cash") << QByteArray("-4") << true << -4;
        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("minus only") << QByteArray("-") << false << 0;
        QTest::newRow("letters") << QByteArray("1a") << false << 0;
        QTest::newRow("space") << QByteArray(" 1") << false << 0;
        QTest::newRow("plus sign") << QByteArray("+1") << false << 0;
        QTest::newRow("too long") << QByteArray("12345678901") << false << 0;
        QTest::newRow("nine digits") << QByteArray("999999999") << true << 999999999;
        QTest::newRow("nine digits, negative") << QByteArray("-999999999") << true << -999999999;
        QTest::newRow("ten digits") << QByteArray("1000000000") << false << 0;
        QTest::newRow("ten digits, negative") << QByteArray("-1000000000") << false << 0;
        QTest::newRow("ten digits with leading zeros") << QByteArray("0000000001") << false << 0;
    }
    void numbers()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto n = FieldReader::toNumber(text);
        QCOMPARE(n.has_value(), valid);
        if (valid)
            QCOMPARE(*n, value);
    }

    void fieldsAndTheLastFieldRule()
    {
        FieldReader r("2+14+5+9+");
        QCOMPARE(r.number(), std::optional<int>(2));
        QCOMPARE(r.number(1, 52), std::optional<int>(14));
        QCOMPARE(r.number(1, 4), std::nullopt); // 5 is out of range
        QCOMPARE(r.number(), std::optional<int>(9));
        QVERIFY(r.atEnd());
        QCOMPARE(r.field(), std::nullopt);

        FieldReader name("3+A+B+C");
        QCOMPARE(name.number(), std::optional<int>(3));
        QCOMPARE(name.rest(), QByteArray("A+B+C"));

        FieldReader last("7");
        QCOMPARE(last.numberOrLast(1, 9), std::optional<int>(7));
        FieldReader notLast("7+1+14");
        QCOMPARE(notLast.numberOrLast(1, 9), std::optional<int>(7));
        QCOMPARE(notLast.rest(), QByteArray("1+14"));
    }

    void fieldsReadFromTheRight()
    {
        // The game start's name may hold "+": the numbers are the last fields.
        const auto f = splitFromRight("A+B+100+16+1+", 3);
        QVERIFY(f);
        QCOMPARE(*f, (QList<QByteArray>{"A+B", "100", "16", "1"}));
        QCOMPARE(*splitFromRight("Al+100+16+1", 3), (QList<QByteArray>{"Al", "100", "16", "1"}));
        QCOMPARE(*splitFromRight("+100+16+1+", 3), (QList<QByteArray>{"", "100", "16", "1"}));
        QVERIFY(!splitFromRight("100+16+1+", 3));
    }

    void cardLists()
    {
        Hand hand{};
        hand[0] = 14;
        hand[4] = 52;
        hand[10] = 1;
        QCOMPARE(wire::cardList(hand), QByteArray("+1+14+5+52+11+1"));
        QCOMPARE(wire::newCard(2, hand), ff("CMD_newcard+2+1+14+5+52+11+1"));
        QCOMPARE(wire::yourCards(3, Hand{}), ff("CMD_yourcards+3"));

        const auto read = readCardList("1+14+5+52+11+1");
        QVERIFY(read);
        // Read back into the same hand the host wrote.
        QCOMPARE(*read, hand);
        QCOMPARE(inSlot(*read, 11), 1);
        QVERIFY(readCardList(""));        // empty list
        QVERIFY(!readCardList("12+1"));   // hand slot out of range
        QVERIFY(!readCardList("0+14"));   // hand slot 0
        QVERIFY(!readCardList("1+53"));   // card out of range
        QVERIFY(!readCardList("1+14+2")); // half a pair
        QVERIFY(!readCardList("1+x"));
    }

    void builders()
    {
        const std::array<int, 4> cash{91, -4, 100, 0};
        QCOMPARE(wire::full(), ff("CMD_full+"));
        QCOMPARE(wire::sendLoginInfo(3), ff("CMD_sendlogininfo+3"));
        QCOMPARE(wire::hisCard(2, 14, 5, 9), ff("CMD_hiscard+2+14+5+9+"));
        QCOMPARE(wire::startRound(1, cash), ff("CMD_startround+1+91+-4+100+0+"));
        QCOMPARE(wire::endRound(cash, 3), ff("CMD_endround+91+-4+100+0+3+"));
        QCOMPARE(wire::winner(1, cash), ff("CMD_winner+1+91+-4+100+0+"));
        QCOMPARE(wire::gameStats(2, 16, cash, 0, 4), ff("CMD_gamestats+2+16+91+-4+100+0+0+4+"));
        QCOMPARE(wire::nextPlayer(1, 2, TurnMode::Lead), ff("CMD_nextplayer+1+2+l+"));
        QCOMPARE(wire::startGame("A+B", 100, 16), ff("CMD_startgame+A+B+100+16+16+"));
        QCOMPARE(wire::startGameRequest("Al", 100, "16", true), ff("CMD_startgame+Al+100+16+1+"));
        QCOMPARE(wire::wrongCard(1, true), ff("CMD_wrongcard+1+low+"));
        QCOMPARE(wire::wrongCard(1, false), ff("CMD_wrongcard+1+next+"));
        QCOMPARE(wire::addToCash(3, 120, 1, 29), ff("CMD_addtocash+3+120+1+29+"));
        QCOMPARE(wire::boughtDummy(2, 86, 1, 96), ff("CMD_boughtdummy+2+86+1+96+"));
        QCOMPARE(wire::cardCount(1, 11), ff("CMD_cardcount+1+11+"));
        QCOMPARE(wire::justWatching(2, 1), ff("CMD_justwatching+2+1"));
        QCOMPARE(wire::wrongVersion(), ff("CMD_wrongversion+"));
        QCOMPARE(wire::playCard(2, 7), ff("CMD_playcard+2+7+"));
        QCOMPARE(wire::buyTheDummy(3, false), ff("CMD_buythedummy+3+n+"));
        QCOMPARE(wire::justWatch(4, 2), ff("CMD_justwatch+4+2"));
        QCOMPARE(wire::playASoundRequest(2, "wave7"), ff("CMD_playasound+2+wave7+"));
        QCOMPARE(wire::playASound(2, "wave7+"), ff("CMD_playasound+2+wave7+"));
    }

    void buildingIntoOneArray()
    {
        // One array reused for every message, as the host does: a long chat
        // line grows it, shorter messages after it must not keep its tail,
        // and a copy kept by a receiver must keep its own bytes.
        QByteArray out;
        const QByteArray longText(300, 'x');
        QCOMPARE(wire::chat(out, 1, "A+B", longText), "CMD_chat+1+A+B chats: " + longText + '\xFF');
        QCOMPARE(wire::full(out), ff("CMD_full+"));
        const QByteArray kept = wire::hisCard(out, 2, 14, 5, 9);
        QCOMPARE(wire::cardCount(out, 1, 11), ff("CMD_cardcount+1+11+"));
        QCOMPARE(kept, ff("CMD_hiscard+2+14+5+9+"));

        // Widest numbers in every field of the longest fixed messages.
        constexpr int Min = std::numeric_limits<int>::min();
        const std::array<int, 4> cash{Min, Min, Min, Min};
        QCOMPARE(wire::gameStats(out, Min, Min, cash, Min, Min),
                 "CMD_gamestats" + QByteArray("+-2147483648").repeated(8) + ff("+"));
        Hand hand;
        hand.fill(Min);
        QCOMPARE(wire::yourCards(out, 2, hand), wire::yourCards(2, hand));
        QCOMPARE(out.count("+-2147483648"), 11);
    }

    void namesWithPlusSurvive()
    {
        // A name is always the last field of its message, so "+" inside it
        // reads back whole.
        const QByteArray name = "A+B+";
        const QByteArray messages[] = {wire::loginInfo(2, VersionText, name),
                                       wire::newPlayerInfo(2, name), wire::existingPlayers(2, name),
                                       wire::playerDisconnected(2, name)};
        for (const QByteArray &m : messages) {
            const auto split = splitMessage(m.chopped(1));
            QVERIFY(split.cmd);
            FieldReader r(split.rest);
            QCOMPARE(r.number(), std::optional<int>(2));
            if (*split.cmd == Cmd::LoginInfo)
                QCOMPARE(r.field(), std::optional<QByteArray>(VersionText));
            QCOMPARE(r.rest(), name);
        }
        QCOMPARE(splitMessage(wire::haveWrongVersion(name).chopped(1)).rest, name);
        QCOMPARE(wire::chat(1, "A+B", "hi+there|clRed"),
                 ff("CMD_chat+1+A+B chats: hi+there|clRed"));
        QCOMPARE(wire::action(1, "A+B", "waves|$00123456"), ff("CMD_action+1+A+B waves|$00123456"));
    }

    void colours_data()
    {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("red") << 0x0000FFu << QByteArray("clRed");
        QTest::newRow("blue") << 0xFF0000u << QByteArray("clBlue");
        QTest::newRow("navy") << 0x800000u << QByteArray("clNavy");
        QTest::newRow("olive") << 0x008080u << QByteArray("clOlive");
        QTest::newRow("silver") << 0xC0C0C0u << QByteArray("clSilver");
        QTest::newRow("white") << 0xFFFFFFu << QByteArray("clWhite");
        QTest::newRow("unnamed") << 0x123456u << QByteArray("$00123456");
        QTest::newRow("almost red") << 0x0000FEu << QByteArray("$000000FE");
    }
    void colours()
    {
        QFETCH(quint32, value);
        QFETCH(QByteArray, text);
        QCOMPARE(colourToText(value), text);
        QCOMPARE(colourFromText(text), std::optional<ColourValue>(value));
    }

    void coloursRead()
    {
        QCOMPARE(colourFromText("CLRED"), std::optional<ColourValue>(0xFF));
        QCOMPARE(colourFromText("clfuchsia"), std::optional<ColourValue>(0xFF00FF));
        QCOMPARE(colourFromText("$ff"), std::optional<ColourValue>(0xFF));
        QCOMPARE(colourFromText("255"), std::optional<ColourValue>(0xFF));
        QCOMPARE(colourFromText(""), std::nullopt);
        QCOMPARE(colourFromText("$"), std::nullopt);
        QCOMPARE(colourFromText("$1234567890"), std::nullopt);
        QCOMPARE(colourFromText("$123456789"), std::nullopt); // nine digits would be cut to 32 bits
        QCOMPARE(colourFromText("clPink"), std::nullopt);
        QCOMPARE(colourFromText("12x"), std::nullopt);
        QCOMPARE(colourFromText("99999999999"), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
