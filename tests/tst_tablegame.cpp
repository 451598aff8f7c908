// A whole solo game through the game window, played with the mouse's
// commands, against fast computer players.

#include "clickat.h"
#include "recordingnotifier.h"
#include "recordingsounds.h"
#include "art/tableart.h"
#include "table/handfocus.h"
#include "window/tchat.h"
#include "sound/soundplayer.h"
#include "tserver.h"
#include "windows/ttallylist.h"
#include "windows/tgamestart.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// The hand position of a card the rules accept now, or 0.
int legalPosition(const TableModel &table)
{
    const bool follow = table.status() == QLatin1String("You have the next card");
    for (int pos = 1; pos <= TableModel::HandPositions; ++pos) {
        const int card = table.hand(pos).card;
        if (table.hand(pos).handSlot < 0)
            continue;
        if (follow) {
            if (card == table.tableCard() + 1)
                return pos;
            continue;
        }
        // A lead: the hand is sorted, so the first card of a suit is its lowest.
        if (pos == 1 || !sameSuit(table.hand(pos - 1).card, card))
            return pos;
    }
    return 0;
}

// Pictures of the window at the game's moments, for a person to look at:
// set VELMORA_SHOTS to a folder.
void snapshot(QWidget &window, const char *moment)
{
    const QString folder = qEnvironmentVariable("VELMORA_SHOTS");
    if (!folder.isEmpty())
        window.grab().save(folder + QLatin1Char('/') + QLatin1String(moment) +
                           QStringLiteral(".png"));
}

} // namespace

class TestTableGame : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
        qputenv("VELMORA_PORT", "0"); // the system chooses the host's port
    }

    void wholeSoloGame()
    {
        RecordingNotifier notifier;
        Tchat window({}, &notifier);
        QStringList sounds;
        window.setSoundPlayer(std::make_unique<RecordingSounds>(sounds));
        window.server().setBotInterval([] { return 1; });
        window.server().setRoundPause(1);
        window.show();
        TableModel &table = window.table();
        QTRY_VERIFY(window.session().loggedIn());
        QTRY_COMPARE(table.seat(1).caption, QStringLiteral("You"));
        QCOMPARE(table.seat(2).caption, QStringLiteral("Pip"));
        QVERIFY(table.startButtonShown());

        // The start button opens the dialog; its start picture sends the game.
        auto *board = window.findChild<QWidget *>(QStringLiteral("panel_board"));
        QVERIFY(board);
        auto *start = window.findChild<QLabel *>(QStringLiteral("button_start"));
        QVERIFY(start && start->isVisible());
        QCOMPARE(clickAt(board, start->geometry().center()), start);
        QTRY_VERIFY(window.gameStart()->isVisible());
        window.gameStart()->setRounds(QStringLiteral("4"));
        auto *go = window.gameStart()->findChild<QLabel *>(QStringLiteral("Image1"));
        QVERIFY(go);
        QCOMPARE(clickAt(window.gameStart(), go->mapTo(window.gameStart(), go->rect().center())),
                 go);
        QTRY_VERIFY(table.handCount() > 0);

        // The dealt table: the own cards, chips and pots are drawn at their
        // places on the board.
        QTRY_COMPARE(table.roundText(), QStringLiteral("Round 1 of 4"));
        snapshot(window, "1-deal");
        const QImage shot = board->grab().toImage();
        const QImage empty = TableArt::handStrip().toImage();
        // The first card's corner lies on the hand strip at (45, 403).
        QVERIFY(shot.pixelColor(QPoint(50, 410) * shot.devicePixelRatio()) !=
                empty.pixelColor(QPoint(50, 18) * empty.devicePixelRatio()));
        auto *tens = window.findChild<QLabel *>(QStringLiteral("image_ten1"));
        QVERIFY(tens && !tens->pixmap().isNull());
        auto *kitty = window.findChild<QLabel *>(QStringLiteral("image_pot1"));
        QVERIFY(kitty && kitty->geometry().topLeft() == QPoint(251, 188));

        int plays = 0;
        QStringList missed; // presses that reached another widget
        int bought = 0;
        int kept = 0;
        bool potShot = false;
        bool roundShot = false;
        const bool over = QTest::qWaitFor(
            [&] {
                if (table.winnerShown())
                    return true;
                if (!potShot && table.potText().contains(QStringLiteral(" took the "))) {
                    potShot = true;
                    snapshot(window, "2-pot-paid");
                }
                if (!roundShot && table.roundOverShown()) {
                    roundShot = true;
                    snapshot(window, "3-round-over");
                }
                if (table.currentPlayer() == 1) {
                    if (table.buyShown()) {
                        // The buttons' places on the board: buy at (87, 453),
                        // keep at (135, 426).
                        const bool buy = kept > bought; // keep first, then buy
                        const QWidget *hit = clickAt(board, buy ? QPoint(87 + 112, 453 + 12)
                                                                : QPoint(135 + 64, 426 + 12));
                        const QString wanted = buy ? QStringLiteral("button_buy")
                                                   : QStringLiteral("button_decline");
                        if (!hit || hit->objectName() != wanted)
                            missed << wanted;
                        ++(buy ? bought : kept);
                    } else if (const int pos = legalPosition(table)) {
                        // The visible left edge of the card at its display
                        // position; the cards lie at top 403.
                        const QWidget *hit =
                            clickAt(board, QPoint(HandFocus::handLeft(pos) + 3, 403 + 30));
                        const QString wanted =
                            QStringLiteral("card%1").arg(table.hand(pos).handSlot);
                        if (!hit || hit->objectName() != wanted)
                            missed << wanted;
                        ++plays;
                    }
                }
                return false;
            },
            120000);
        QVERIFY(over);
        QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QLatin1Char(' '))));
        snapshot(window, "4-winner");
        QVERIFY(plays > 0);
        // The table was heard: the deal, the cards, the own turns, the pots,
        // the rounds' ends and the game's.
        for (const char *name : {"getcard", "playcard", "leadcard", "roundover", "gameover"})
            QVERIFY2(sounds.contains(QLatin1String(name)), name);
        QVERIFY(sounds.contains(QStringLiteral("getpot")) ||
                sounds.contains(QStringLiteral("hegotpot")));
        QVERIFY(sounds.indexOf(QStringLiteral("getcard")) <
                sounds.indexOf(QStringLiteral("playcard")));
        QCOMPARE(sounds.last(), QStringLiteral("gameover"));
        for (const QString &name : std::as_const(sounds))
            QVERIFY2(SoundPlayer::isKnown(name), qPrintable(name));
        QVERIFY(kept > 0); // the first round's dealer is the player
        qInfo("dummy hand bought %d, kept %d times", bought, kept);
        QCOMPARE(
            table.status(),
            QStringLiteral("Game Over! The money left in the tray is divided among everyone."));
        QVERIFY(table.startButtonShown());
        QVERIFY(notifier.errors.isEmpty());
        // The finished game is in the tally, on disk too.
        QCOMPARE(window.tally().table().cell(1, 0), QStringLiteral("1"));
        QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("velmoratally.tld"))));
        window.close();
    }
};

QTEST_MAIN(TestTableGame)
#include "tst_tablegame.moc"
