// The game start dialog's two options and the request it asks for.

#include "art/tableart.h"
#include "windows/tgamestart.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;

class TestTgamestart : public QObject
{
    Q_OBJECT
private slots:
    void spinnerStopsAtItsEnds()
    {
        Options options;
        Tgamestart d(options);
        QCOMPARE(d.roundsText(), QStringLiteral("16"));
        for (int i = 0; i < 5; ++i)
            d.stepUp();
        QCOMPARE(d.roundsText(), QStringLiteral("24"));
        for (int i = 0; i < 9; ++i)
            d.stepDown();
        QCOMPARE(d.roundsText(), QStringLiteral("4"));
        d.stepDown();
        QCOMPARE(d.roundsText(), QStringLiteral("4"));
    }

    void storedRoundsAreShownAsTheyRead()
    {
        Options options;
        Tgamestart d(options);
        d.setRounds(QStringLiteral("10"));
        QCOMPARE(d.roundsText(), QStringLiteral("10"));
        QSignalSpy start(&d, &Tgamestart::startRequested);
        d.button_startClick();
        QCOMPARE(start[0][0].toByteArray(), QByteArray("10"));
        d.stepUp();
        d.stepUp();
        d.stepUp();
        QCOMPARE(d.roundsText(), QStringLiteral("22")); // 14, 18, 22
        d.stepUp();
        QCOMPARE(d.roundsText(), QStringLiteral("24")); // then the top
    }

    void dummyBox()
    {
        Options options;
        Tgamestart d(options);
        auto *box = d.findChild<QLabel *>(QStringLiteral("box_dummy"));
        QVERIFY(box);
        QCOMPARE(d.dummyFlag(), 1);
        const QImage on = box->pixmap().toImage();
        d.box_dummyClick();
        QCOMPARE(d.dummyFlag(), 0);
        QVERIFY(box->pixmap().toImage() != on);
        d.box_dummyClick();
        QCOMPARE(d.dummyFlag(), 1);
        QCOMPARE(box->pixmap().toImage(), on);
        // A stored value other than 0 or 1 is kept and sent; the box is empty
        // and the next click makes it 0.
        d.changebox(QStringLiteral("box_dummy"), 7);
        QVERIFY(box->pixmap().isNull());
        QSignalSpy start(&d, &Tgamestart::startRequested);
        d.button_startClick();
        QCOMPARE(start[0][1].toInt(), 7);
        d.box_dummyClick();
        QCOMPARE(d.dummyFlag(), 0);
    }

    void startHidesTheDialog()
    {
        Options options;
        Tgamestart d(options);
        d.show();
        QSignalSpy start(&d, &Tgamestart::startRequested);
        d.button_startClick();
        QVERIFY(!d.isVisible());
        QCOMPARE(start.size(), 1);
        QCOMPARE(start[0][0].toByteArray(), QByteArray("16"));
        QCOMPARE(start[0][1].toInt(), 1);
    }

    // Centred on the desktop, not over the game window, with the game
    // window's background behind its controls.
    void standsInTheMiddleOfTheDesktop()
    {
        Options options;
        QWidget game;
        game.setGeometry(0, 0, 300, 200);
        game.show();
        Tgamestart d(options, &game);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QPoint middle = d.screen()->availableGeometry().center();
        QVERIFY2((d.frameGeometry().center() - middle).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("centre %1,%2")
                                .arg(d.frameGeometry().center().x())
                                .arg(d.frameGeometry().center().y())));
        const QImage shown = d.grab().toImage();
        const QImage background = TableArt::panelBackground(d.size()).toImage();
        for (const QPoint at : {QPoint(3, 3), QPoint(5, 130), QPoint(260, 70)})
            QCOMPARE(shown.pixelColor(at * shown.devicePixelRatio()),
                     background.pixelColor(at * background.devicePixelRatio()));
    }

    void keyboardAlone()
    {
        Options options;
        Tgamestart d(options);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto *rounds = d.findChild<QLineEdit *>(QStringLiteral("edit_roundpergame"));
        rounds->setFocus();
        QTest::keyClick(rounds, Qt::Key_Up);
        QCOMPARE(d.roundsText(), QStringLiteral("20"));
        QTest::keyClick(rounds, Qt::Key_Up);
        QTest::keyClick(rounds, Qt::Key_Up);
        QCOMPARE(d.roundsText(), QStringLiteral("24"));
        QTest::keyClick(&d, Qt::Key_Down);
        QCOMPARE(d.roundsText(), QStringLiteral("20"));
        // Space switches the dummy hands, Enter starts the game.
        QTest::keyClick(rounds, Qt::Key_Space);
        QCOMPARE(d.dummyFlag(), 0);
        QSignalSpy start(&d, &Tgamestart::startRequested);
        QTest::keyClick(rounds, Qt::Key_Return);
        QCOMPARE(start.size(), 1);
        QCOMPARE(start[0][0].toByteArray(), QByteArray("20"));
        QCOMPARE(start[0][1].toInt(), 0);
        QVERIFY(!d.isVisible());
    }
};

QTEST_MAIN(TestTgamestart)
#include "tst_tgamestart.moc"
