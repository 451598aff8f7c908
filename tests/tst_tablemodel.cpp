// The table as the host's messages shape it, without any window.

#include "clientfixture.h"
#include "base/error.h"
#include "protocol/command.h"
#include "protocol/fieldreader.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;

class TestTableModel : public QObject
{
    Q_OBJECT
private slots:
    void tableTurn_data()
    {
        QTest::addColumn<int>("own");
        QTest::addColumn<QList<int>>("seatsAtPositions");
        QTest::newRow("seat 1") << 1 << QList<int>{1, 2, 3, 4};
        QTest::newRow("seat 2") << 2 << QList<int>{2, 3, 4, 1};
        QTest::newRow("seat 3") << 3 << QList<int>{3, 4, 1, 2};
        QTest::newRow("seat 4") << 4 << QList<int>{4, 1, 2, 3};
        QTest::newRow("watcher") << 6 << QList<int>{1, 2, 3, 4};
    }
    void tableTurn()
    {
        QFETCH(int, own);
        QFETCH(QList<int>, seatsAtPositions);
        ClientFixture t(own);
        t.host("CMD_newplayerinfo+" + QByteArray::number(own) + "+Me");
        for (int p = 1; p <= 4; ++p) {
            QCOMPARE(t.model.seatAt(p), seatsAtPositions[p - 1]);
            QCOMPARE(t.model.positionOf(seatsAtPositions[p - 1]), p);
        }
    }

    void joiningSeatTwo()
    {
        ClientFixture t(2);
        t.host("CMD_newplayerinfo+2+Me");
        t.host("CMD_existingplayers+1+Ho+st");
        QCOMPARE(t.model.seat(1).caption, QStringLiteral("Ho+st"));
        QCOMPARE(t.model.seat(2).caption, QStringLiteral("Me"));
        QCOMPARE(t.model.seat(3).caption, QStringLiteral("Pog"));
        QCOMPARE(t.model.seat(4).caption, QStringLiteral("Pax"));
        QCOMPARE(t.lines, (QStringList{QStringLiteral("You are Connected."),
                                       QStringLiteral("Ho+st is Connected.")}));
        QCOMPARE(t.sounds, QStringList{QStringLiteral("entered")});
        // Own seat 2: seat 1 is shown bottom right.
        QCOMPARE(t.model.positionOf(1), 4);
    }

    void watchersArriveAndLeave()
    {
        ClientFixture t(6);
        t.host("CMD_newplayerinfo+6+Me");
        t.host("CMD_newplayerinfo+7+Spy");
        QCOMPARE(t.model.watchers(), (QList<TableModel::Watcher>{{6, QStringLiteral("Me")},
                                                                 {7, QStringLiteral("Spy")}}));
        t.host("CMD_playerdisconnected+7+Spy");
        t.host("CMD_playerdisconnected+8+Nobody"); // not listed: nothing
        QCOMPARE(
            t.lines,
            (QStringList{QStringLiteral("You are Connected."), QStringLiteral("You are spying."),
                         QStringLiteral("Spy is Connected."), QStringLiteral("Spy is spying."),
                         QStringLiteral("Spy has left.")}));
        // A second arrival at a listed number (its departure missed) takes
        // that line, in its place.
        t.host("CMD_newplayerinfo+8+Ann");
        t.host("CMD_newplayerinfo+5+Bo");
        t.host("CMD_newplayerinfo+8+Cy");
        QCOMPARE(t.model.watchers(), (QList<TableModel::Watcher>{{6, QStringLiteral("Me")},
                                                                 {8, QStringLiteral("Cy")},
                                                                 {5, QStringLiteral("Bo")}}));
    }

    void disconnectsAndJustWatch()
    {
        ClientFixture t(1);
        t.host("CMD_newplayerinfo+1+Me");
        t.host("CMD_newplayerinfo+4+Dave");
        t.lines.clear();
        t.host("CMD_justwatching+4+1");
        QVERIFY(t.model.seat(4).eyes);
        t.host("CMD_playerdisconnected+4+Dave");
        QCOMPARE(t.model.seat(4).caption, QStringLiteral("Pax"));
        QVERIFY(!t.model.seat(4).eyes);
        t.host("CMD_justwatching+4+1"); // a computer seat: no line, no eyes
        QVERIFY(!t.model.seat(4).eyes);
        t.host("CMD_justwatching+1+1");
        QVERIFY(t.model.justWatchTicked());
        t.host("CMD_justwatching+1+2");
        QVERIFY(!t.model.justWatchTicked());
        t.host("CMD_justwatching+7+1"); // watchers: ignored
        QCOMPARE(t.lines, (QStringList{QStringLiteral("Dave is just watching"),
                                       QStringLiteral("Dave disconnected."),
                                       QStringLiteral("Me is just watching"),
                                       QStringLiteral("Me now playing again")}));
    }

    void dealSortsAndPlaysPack()
    {
        ClientFixture t(1);
        t.host("CMD_newcard+1+1+40+2+3+3+27+4+14+5+52+6+1+7+13+8+20+9+39+10+2");
        QCOMPARE(t.sounds.count(QStringLiteral("getcard")), 10);
        QCOMPARE(t.handCards(), (QList<int>{1, 2, 3, 13, 14, 20, 27, 39, 40, 52}));
        // The card at position 4 (code 13, hand slot 7) is played.
        QCOMPARE(t.model.hand(4).handSlot, 7);
        t.host("CMD_hiscard+1+13+7+9+");
        QCOMPARE(t.handCards(), (QList<int>{1, 2, 3, 14, 20, 27, 39, 40, 52}));
        QCOMPARE(t.model.hand(4).card, 14);
        QCOMPARE(t.model.handCount(), 9);
        QCOMPARE(t.model.seat(1).leftText, QStringLiteral("9"));
        QCOMPARE(t.model.tableCard(), 13);
        // Another seat's deal changes nothing here; a replaced hand is whole.
        t.host("CMD_newcard+2+1+5");
        QCOMPARE(t.model.handCount(), 9);
        t.sounds.clear();
        t.host("CMD_thedummyhand+1+3+30+11+31");
        QCOMPARE(t.handCards(), (QList<int>{30, 31}));
        QCOMPARE(t.sounds, QStringList{QStringLiteral("buydummy")});
        t.host("CMD_yourcards+1");
        QCOMPARE(t.model.handCount(), 0);
    }

    void playingNeedsTheTurn()
    {
        ClientFixture t(1);
        t.host("CMD_newcard+1+1+40+2+3");
        t.model.playCard(1);
        QVERIFY(t.requests.isEmpty());
        t.host("CMD_nextplayer+4+1+l+");
        t.model.playCard(1);
        QCOMPARE(t.requests, QList<QByteArray>{"CMD_playcard+1+2+\xFF"});
        t.host("CMD_hiscard+1+3+2+1+");
        t.model.playCard(1); // the turn went with the card
        QCOMPARE(t.requests.size(), 1);
    }

    void prompts_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("buy");
        QTest::newRow("own offer") << QByteArray("CMD_nextplayer+2+1+b+")
                                   << QStringLiteral("Selling Dummy Hand..") << true;
        QTest::newRow("own lead") << QByteArray("CMD_nextplayer+2+1+l+")
                                  << QStringLiteral("Lead a Card..") << false;
        QTest::newRow("own follow") << QByteArray("CMD_nextplayer+2+1+f+")
                                    << QStringLiteral("You have the next card") << false;
        QTest::newRow("other offer") << QByteArray("CMD_nextplayer+2+3+b+")
                                     << QStringLiteral("Selling Dummy Hand..") << false;
        QTest::newRow("other lead") << QByteArray("CMD_nextplayer+2+3+l+")
                                    << QStringLiteral("Pog's turn to lead a card.") << false;
        QTest::newRow("other follow") << QByteArray("CMD_nextplayer+2+3+f+")
                                      << QStringLiteral("Pog has the next card.") << false;
    }
    void prompts()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, status);
        QFETCH(bool, buy);
        ClientFixture t(1);
        t.host("CMD_newplayerinfo+1+Me");
        t.host(message);
        QCOMPARE(t.model.status(), status);
        QCOMPARE(t.model.buyShown(), buy);
        QCOMPARE(t.model.seat(2).dealer, true);
        QCOMPARE(t.model.currentPlayer(), message.split('+')[2].toInt());
        const bool own = message.contains("+1+");
        QCOMPARE(t.sounds, own ? QStringList{QStringLiteral("leadcard")} : QStringList{});
    }

    void dealerIsOfferedToTake()
    {
        ClientFixture t(1);
        t.host("CMD_nextplayer+1+1+b+");
        QCOMPARE(t.model.buyCaption(), QStringLiteral("Take Dummy Hand?"));
        t.model.answerDummy(false);
        QCOMPARE(t.requests, QList<QByteArray>{"CMD_buythedummy+1+n+\xFF"});
        QVERIFY(!t.model.buyShown());
        t.host("CMD_nextplayer+2+1+b+");
        QCOMPARE(t.model.buyCaption(), QStringLiteral("Buy Dummy Hand for 5 dollars?"));
    }

    void refusals()
    {
        ClientFixture t(2);
        t.host("CMD_wrongcard+1+low+"); // another seat's: nothing
        QVERIFY(t.sounds.isEmpty());
        t.host("CMD_wrongcard+2+low+");
        QCOMPARE(t.model.status(), QStringLiteral("You must play the lowest card in a suit."));
        t.host("CMD_wrongcard+2+next+");
        QCOMPARE(t.model.status(), QStringLiteral("You must play the next card in line."));
        QCOMPARE(t.sounds.count(QStringLiteral("wrongcard")), 2);
    }

    void chips_data()
    {
        QTest::addColumn<int>("cash");
        QTest::addColumn<int>("tens");
        QTest::addColumn<int>("fives");
        QTest::addColumn<int>("ones");
        QTest::newRow("100") << 100 << 8 << 4 << 0;
        QTest::newRow("37") << 37 << 3 << 1 << 2;
        QTest::newRow("-4") << -4 << 0 << 0 << -4;
        QTest::newRow("0") << 0 << 0 << 0 << 0;
        QTest::newRow("200") << 200 << 14 << 12 << 0;
    }
    void chips()
    {
        QFETCH(int, cash);
        QFETCH(int, tens);
        QFETCH(int, fives);
        QFETCH(int, ones);
        QCOMPARE(TableModel::chipsFor(cash), (TableModel::Chips{ones, fives, tens}));
    }

    void potPaymentAndTheDelayedTurnSound()
    {
        ClientFixture t(1);
        t.host("CMD_newplayerinfo+1+Me");
        t.host("CMD_startgame+A+B+100+16+16+");
        t.host("CMD_startround+1+91+91+91+91+");
        QCOMPARE(t.model.roundText(), QStringLiteral("Round 1 of 16"));
        t.sounds.clear();
        t.host("CMD_addtocash+2+103+8+12+");
        QCOMPARE(t.model.potText(),
                 QStringLiteral("Pip took the Queen and King of Hearts Pot worth $12!"));
        QCOMPARE(t.model.seat(2).cashText, QStringLiteral("$103"));
        QCOMPARE(t.model.pot(8).pile, -1);
        QVERIFY(t.model.pot(8).face);
        t.host("CMD_hiscard+2+51+3+5+");
        t.host("CMD_nextplayer+2+1+f+");
        // The card that won the pot is silent; the turn sound waits.
        QCOMPARE(t.sounds, QStringList{QStringLiteral("hegotpot")});
        QCOMPARE(t.announcer.potPaidMark(), TableAnnouncer::PotPaidMark::PotPaid);
        QTRY_COMPARE(t.sounds.size(), 2);
        QCOMPARE(t.sounds.last(), QStringLiteral("leadcard"));
        QCOMPARE(t.announcer.potPaidMark(), TableAnnouncer::PotPaidMark::TurnAnnounced);
    }

    // The sound each event asks for; the card that won a pot is silent and
    // the next card is heard again.
    void announcedSounds_data()
    {
        QTest::addColumn<QByteArrayList>("messages");
        QTest::addColumn<bool>("turnSoundNew");
        QTest::addColumn<QString>("sounds");
        QTest::newRow("a card") << QByteArrayList{"CMD_hiscard+2+5+1+9+"} << false << "playcard";
        QTest::newRow("own pot") << QByteArrayList{"CMD_addtocash+1+95+2+4+"} << false << "money";
        QTest::newRow("round over")
            << QByteArrayList{"CMD_endround+1+2+3+4+"} << false << "roundover";
        QTest::newRow("new turn sound")
            << QByteArrayList{"CMD_nextplayer+2+1+l+"} << true << "turnnew";
        QTest::newRow("another's turn") << QByteArrayList{"CMD_nextplayer+2+3+l+"} << false << "";
        QTest::newRow("after the pot's card")
            << QByteArrayList{"CMD_addtocash+2+95+2+4+", "CMD_hiscard+2+5+1+9+",
                              "CMD_nextplayer+2+3+l+", "CMD_hiscard+3+6+1+9+"}
            << false << "hegotpot playcard";
    }
    void announcedSounds()
    {
        QFETCH(QByteArrayList, messages);
        QFETCH(bool, turnSoundNew);
        QFETCH(QString, sounds);
        ClientFixture t(1);
        t.announcer.setTurnSoundNew(turnSoundNew);
        for (const QByteArray &message : messages)
            t.host(message);
        QCOMPARE(t.sounds, sounds.split(u' ', Qt::SkipEmptyParts));
    }

    void kittyRoundEndAndWinner()
    {
        ClientFixture t(1);
        QSignalSpy game(&t.model, &TableModel::tallyGame);
        QSignalSpy money(&t.model, &TableModel::tallyMoney);
        QSignalSpy against(&t.model, &TableModel::tallyAgainst);
        t.model.setHosting(true);
        QVERIFY(t.model.startButtonShown());
        t.host("CMD_newplayerinfo+1+Me");
        t.host("CMD_newplayerinfo+3+Cy");
        t.host("CMD_startgame+Me+100+4+4+");
        QVERIFY(!t.model.startButtonShown());
        QCOMPARE(t.model.seat(2).colour, TableModel::CashColour::Black);
        t.host("CMD_startround+1+91+91+91+91+");
        QCOMPARE(t.model.seat(2).colour, TableModel::CashColour::Green);
        t.host("CMD_addtocash+3+120+1+29+");
        QVERIFY(t.model.roundOverShown());
        QCOMPARE(t.model.roundOverText(), QStringLiteral("Cy took the Kitty worth $29!"));
        t.host("CMD_endround+80+-4+120+91+3+");
        QCOMPARE(t.model.status(), QStringLiteral("Round is Over!"));
        QCOMPARE(t.model.seat(2).colour, TableModel::CashColour::Red);
        QCOMPARE(t.model.tableCard(), -1);
        t.host("CMD_startround+2+71+-13+111+82+");
        QVERIFY(!t.model.roundOverShown());
        t.host("CMD_nextplayer+2+3+f+");
        QVERIFY(t.model.seat(3).turn);
        t.host("CMD_winner+3+88+0+130+95+");
        QVERIFY(t.model.winnerShown());
        for (int s = 1; s <= 4; ++s)
            QVERIFY2(!t.model.seat(s).turn, qPrintable(QString::number(s)));
        QCOMPARE(t.model.winnerText(), QStringLiteral("Cy"));
        QCOMPARE(
            t.model.status(),
            QStringLiteral("Game Over! The money left in the tray is divided among everyone."));
        QVERIFY(t.model.startButtonShown());
        QVERIFY(!t.model.pot(1).face);
        QCOMPARE(game.size(), 1);
        QCOMPARE(game[0][0].toString(), QStringLiteral("Cy"));
        QCOMPARE(game[0][1].toStringList(),
                 (QStringList{QStringLiteral("Pip"), QStringLiteral("Cy"), QStringLiteral("Pax")}));
        QCOMPARE(money[0][0].toInt(), -12);
        // Each opponent's money against ours: 88 - 0, 88 - 130, 88 - 95.
        QCOMPARE(against.size(), 3);
        for (const auto &[i, name, amount] :
             {std::tuple{0, "Pip", 88}, std::tuple{1, "Cy", -42}, std::tuple{2, "Pax", -7}}) {
            QCOMPARE(against[i][0].toString(), QLatin1String(name));
            QCOMPARE(against[i][1].toInt(), amount);
        }
        QCOMPARE(t.lines.last(), QStringLiteral("Cy has Won the Game!"));
        QCOMPARE(t.sounds.last(), QStringLiteral("gameover"));
    }

    // Cash below zero is shown in the losing colour; nothing at all is not
    // a loss.
    void cashColour_data()
    {
        QTest::addColumn<int>("cash");
        QTest::addColumn<bool>("losing");
        QTest::newRow("91") << 91 << false;
        QTest::newRow("1") << 1 << false;
        QTest::newRow("0") << 0 << false;
        QTest::newRow("-1") << -1 << true;
        QTest::newRow("-4") << -4 << true;
    }
    void cashColour()
    {
        QFETCH(int, cash);
        QFETCH(bool, losing);
        ClientFixture t(1);
        t.host("CMD_newplayerinfo+1+Me");
        t.host("CMD_startgame+Me+100+4+4+");
        t.host("CMD_startround+1+91+" + QByteArray::number(cash) + "+91+91+");
        QCOMPARE(t.model.seat(2).colour,
                 losing ? TableModel::CashColour::Red : TableModel::CashColour::Green);
        t.host("CMD_endround+" + QByteArray::number(cash) + "+91+91+91+1+");
        QCOMPARE(t.model.seat(1).colour,
                 losing ? TableModel::CashColour::Red : TableModel::CashColour::Green);
    }

    void ownWinAndWatchers()
    {
        ClientFixture own(2);
        QSignalSpy game(&own.model, &TableModel::tallyGame);
        own.host("CMD_winner+2+88+130+0+95+");
        QCOMPARE(game[0][0].toString(), QStringLiteral("addtomine"));
        ClientFixture watcher(5);
        QSignalSpy none(&watcher.model, &TableModel::tallyGame);
        watcher.host("CMD_winner+2+88+130+0+95+");
        QVERIFY(none.isEmpty());
    }

    void gameStartNameWithPlus()
    {
        ClientFixture t(1);
        t.host("CMD_startgame+A+B+100+8+8+");
        QCOMPARE(t.model.roundsPerGame(), 8);
        QCOMPARE(t.lines.last(), QStringLiteral("A+B has started a game."));
        t.host("CMD_gamestats+3+12+91+-2+100+0+0+2+");
        QCOMPARE(t.model.roundText(), QStringLiteral("Round 3 of 12"));
        QCOMPARE(t.model.tableCard(), 0); // the card back
        t.model.requestStart("10", 1);
        QCOMPARE(t.requests, QList<QByteArray>{"CMD_startgame+Me+100+10+1+\xFF"});
    }

    // The dialog's texts go as they stand; the host judges them.
    void startRequestCarriesTheDialogsValues_data()
    {
        QTest::addColumn<QByteArray>("rounds");
        QTest::addColumn<int>("dummy");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("default") << QByteArray("16") << 1
                                 << QByteArray("CMD_startgame+Me+100+16+1+\xFF");
        QTest::newRow("no dummy") << QByteArray("4") << 0
                                  << QByteArray("CMD_startgame+Me+100+4+0+\xFF");
        QTest::newRow("rounds not a number")
            << QByteArray("1x") << 1 << QByteArray("CMD_startgame+Me+100+1x+1+\xFF");
        QTest::newRow("empty rounds")
            << QByteArray() << 1 << QByteArray("CMD_startgame+Me+100++1+\xFF");
        QTest::newRow("stored dummy 2")
            << QByteArray("8") << 2 << QByteArray("CMD_startgame+Me+100+8+2+\xFF");
    }
    void startRequestCarriesTheDialogsValues()
    {
        QFETCH(QByteArray, rounds);
        QFETCH(int, dummy);
        QFETCH(QByteArray, sent);
        ClientFixture t(1);
        t.model.requestStart(rounds, dummy);
        QCOMPARE(t.requests, QList<QByteArray>{sent});
    }

    void hostileNumbersAreErrors_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("seat 5 card") << QByteArray("CMD_hiscard+5+1+1+1+");
        QTest::newRow("card 53") << QByteArray("CMD_hiscard+1+53+1+1+");
        QTest::newRow("hand slot 12") << QByteArray("CMD_hiscard+1+2+12+1+");
        QTest::newRow("pot 10") << QByteArray("CMD_addtocash+1+5+10+1+");
        QTest::newRow("pot 0") << QByteArray("CMD_addtocash+1+5+0+1+");
        QTest::newRow("dealer 0") << QByteArray("CMD_nextplayer+0+1+l+");
        QTest::newRow("bad list") << QByteArray("CMD_newcard+1+12+3");
        QTest::newRow("bad card in list") << QByteArray("CMD_newcard+1+1+99");
        QTest::newRow("cash text") << QByteArray("CMD_startround+1+x+1+1+1+");
        QTest::newRow("short start") << QByteArray("CMD_startgame+100+16+");
        QTest::newRow("count text") << QByteArray("CMD_cardcount+1+many+");
        QTest::newRow("player 0") << QByteArray("CMD_newplayerinfo+0+x");
    }
    void hostileNumbersAreErrors()
    {
        QFETCH(QByteArray, message);
        ClientFixture t(1);
        const SplitMessage split = splitMessage(message);
        FieldReader fields(split.rest);
        QVERIFY_THROWS_EXCEPTION(Error, t.model.handle(*split.cmd, fields));
    }

    // A broken or hostile host: messages with the right words and fields of
    // random numbers and junk. Every one either works or raises Error; none
    // may touch memory it should not (the sanitizer build checks that).
    void randomMessagesNeverCrash()
    {
        ClientFixture t(2);
        Random r(2024);
        const QByteArray words[] = {
            "CMD_newplayerinfo", "CMD_existingplayers", "CMD_playerdisconnected",
            "CMD_justwatching",  "CMD_newcard",         "CMD_thedummyhand",
            "CMD_yourcards",     "CMD_hiscard",         "CMD_wrongcard",
            "CMD_cardcount",     "CMD_nextplayer",      "CMD_boughtdummy",
            "CMD_startgame",     "CMD_startround",      "CMD_gamestats",
            "CMD_addtocash",     "CMD_endround",        "CMD_winner"};
        const QByteArray junk[] = {"",  "-", "x", "+",  "-1", "0", "99999999999",
                                   "b", "l", "f", "low"};
        int errors = 0;
        for (int i = 0; i < 20000; ++i) {
            QByteArray message = words[r.below(std::size(words))];
            const int fields = int(r.below(14));
            for (int k = 0; k < fields; ++k) {
                message += '+';
                if (r.below(4) == 0)
                    message += junk[r.below(std::size(junk))];
                else
                    message += QByteArray::number(int(r.below(70)) - 8);
            }
            const SplitMessage split = splitMessage(message);
            FieldReader f(split.rest);
            try {
                t.model.handle(*split.cmd, f);
            } catch (const Error &) {
                ++errors;
            }
            QVERIFY(t.model.handCount() <= TableModel::HandPositions);
        }
        QVERIFY(errors > 0);
    }

    // A deal that overflows the hand stops at the twelfth card; the cards
    // taken before it are kept and must reach the view.
    void partialChangesAreReported()
    {
        ClientFixture t(1);
        t.host("CMD_newcard+1+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8+9+9+10+10");
        QSignalSpy changed(&t.model, &TableModel::changed);
        const SplitMessage split = splitMessage("CMD_newcard+1+1+20+2+21");
        FieldReader fields(split.rest);
        QVERIFY_THROWS_EXCEPTION(Error, t.model.handle(*split.cmd, fields));
        QCOMPARE(t.model.handCount(), 11);
        QCOMPARE(changed.size(), 1);
        QVERIFY(changed[0][0].value<TableModel::Changes>() & TableModel::Change::OwnHand);
    }

    void startCommandBeforeLogin()
    {
        ClientFixture t(0);
        QSignalSpy notice(&t.model, &TableModel::notice);
        t.model.startClicked();
        QCOMPARE(notice.size(), 1);
        QCOMPARE(notice[0][0].toString(), QStringLiteral("You are not connected"));
    }
};

QTEST_GUILESS_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
