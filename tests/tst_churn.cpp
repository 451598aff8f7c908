// Connections that log in and drop, over and over, during a game: the host
// gives back every descriptor and goes on serving the table.

#include "churnclients.h"

#include "cards/random.h"
#include "tserver.h"

#include <QTest>

using namespace velmora;

class TestChurn : public QObject
{
    Q_OBJECT
private slots:
    void churnLeavesNothingBehind()
    {
        Random random(5);
        TServer server(random);
        server.setPortName(QStringLiteral("0"));
        server.setBotInterval([] { return 5; });
        server.setRoundPause(20);
        server.startListening();

        churn::Table table(server.listeningPort());
        QVERIFY(table.start());
        QRandomGenerator rng(11);
        // The first connections make Qt set up what it keeps for good.
        QVERIFY(table.run(16, rng));
        const int fds = churn::openDescriptors();
        const long rss = churn::residentKiB();
        const qsizetype objects = server.findChildren<QObject *>().size();

        QVERIFY(table.run(200, rng));
        QCOMPARE(table.turnedAway(), 0);
        // Released sockets are deleted on the next turn of the event loop.
        QTRY_COMPARE(churn::openDescriptors(), fds);
        QTRY_COMPARE(server.findChildren<QObject *>().size(), objects);
        qInfo(
            "200 connections: %d descriptors before and after; resident %ld KiB before, %ld after",
            fds, rss, churn::residentKiB());

        // The table goes on: cards are played, and a newcomer is brought up
        // to date on the game in play.
        const int cards = table.cardsPlayed();
        QTRY_VERIFY(table.cardsPlayed() > cards + 3);
        QVERIFY(server.engine().table().game().inProgress);
        churn::Peer late(server.listeningPort(), "Late");
        QTRY_COMPARE(late.slot, 2);
        QTRY_VERIFY(
            std::any_of(late.messages.begin(), late.messages.end(),
                        [](const QByteArray &m) { return m.startsWith("CMD_gamestats+"); }));
    }
};

QTEST_GUILESS_MAIN(TestChurn)
#include "tst_churn.moc"
