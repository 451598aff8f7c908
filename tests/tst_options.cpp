#include "client/options.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;

class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void designDefaults();
    void everyChoiceIsAnnounced();
    void windowPlaceOnClose_data();
    void windowPlaceOnClose();
};

void TestOptions::designDefaults()
{
    Options options;
    QCOMPARE(options.botInterval(), 1000);
    QCOMPARE(Options::botSpeedName(options.botSpeed()), QStringLiteral("normal"));
    QCOMPARE(options.textSize(), 10);
    QVERIFY(options.playSounds());
    QVERIFY(!options.chatterSounds());
    QVERIFY(!options.turnSoundNew());
    QCOMPARE(options.roundsText(), QStringLiteral("16"));
    QCOMPARE(options.dummy(), 1);
    QCOMPARE(options.phrase(1), QStringLiteral("Way To Go!"));
    QCOMPARE(options.phrase(10), QStringLiteral("/me waves \"Good-Bye\""));
    QCOMPARE(options.phrase(11), QString());
}

// The settings file is written whenever the player chooses, even the value
// already chosen; each choice names its key.
void TestOptions::everyChoiceIsAnnounced()
{
    Options options;
    QSignalSpy spy(&options, &Options::changed);
    options.setBotSpeed(Options::BotSpeed::Fast);
    options.setBotSpeed(Options::BotSpeed::Fast);
    options.setRoundsText(QStringLiteral("10"));
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(0).at(0).value<Options::Key>(), Options::Key::BotSpeed);
    QCOMPARE(spy.at(2).at(0).value<Options::Key>(), Options::Key::Rounds);
    QCOMPARE(options.botInterval(), 500);
    QCOMPARE(Options::botInterval(Options::BotSpeed::Slow), 1500);
}

void TestOptions::windowPlaceOnClose_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QSize>("workArea");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QRect>("remembered");
    const QRect standard = Options::DefaultPlace;
    QTest::newRow("unmoved") << standard << QSize(1280, 800) << false << standard;
    QTest::newRow("moved") << QRect(50, 60, 798, 546) << QSize(1280, 800) << true
                           << QRect(50, 60, 798, 546);
    // Too big for the desktop: 15 pixels off each way, once only.
    QTest::newRow("too wide and tall")
        << QRect(0, 0, 900, 700) << QSize(800, 600) << true << QRect(0, 0, 885, 685);
    QTest::newRow("too tall only")
        << QRect(3, 3, 798, 700) << QSize(1280, 600) << true << QRect(3, 3, 798, 685);
}

void TestOptions::windowPlaceOnClose()
{
    QFETCH(QRect, window);
    QFETCH(QSize, workArea);
    Options options;
    QTEST(options.rememberOnClose(window, workArea), "changed");
    QTEST(options.windowPlace(), "remembered");
    QTEST(window, "remembered");
}

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
