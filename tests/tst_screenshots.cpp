// The table as it looks, compared with reference pictures kept in
// tests/data/screens, so an accidental change of artwork or layout shows.
// When the look changes on purpose, regenerate them:
//   VELMORA_UPDATE_SCREENS=1 ctest -R tst_screenshots
// and commit the new pictures (the ctest variant tst_screenshots_zoom150
// makes those of the board at 150%). The pictures hold only for the faces the
// art names (art/faces.h); the same faces decide whether the fixed texts
// fit their boxes, which is checked here too.

#include "recordingnotifier.h"
#include "art/faces.h"
#include "cards/random.h"
#include "window/tchat.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

using namespace velmora;

namespace {

// A channel may differ by this much before a pixel counts as changed (text
// antialiasing varies a little between builds of the font renderer) ...
constexpr int ChannelTolerance = 24;
// ... and this share of the pixels may change before the picture does.
constexpr double ChangedShare = 0.002;

// The table part of the board: the chat column holds a blinking cursor.
constexpr QRect TableArea(0, 0, 548, 492);

struct Difference
{
    qsizetype changed = 0;
    int worst = 0;
};

Difference compare(const QImage &a, const QImage &b)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        const auto *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int diff = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])),
                                       std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                       std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
            d.worst = std::max(d.worst, diff);
            d.changed += diff > ChannelTolerance;
        }
    }
    return d;
}

QString screensFolder()
{
    return qEnvironmentVariable("VELMORA_TESTDATA", QStringLiteral(".")) +
           QStringLiteral("/screens");
}

} // namespace

class TestScreenshots : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    QTcpServer m_presence;
    QTcpServer m_host;
    std::unique_ptr<RecordingNotifier> m_notifier;
    std::unique_ptr<Tchat> m_window;
    QTcpSocket *m_peer = nullptr;

    void feed(const QList<QByteArray> &messages)
    {
        for (const QByteArray &m : messages)
            m_peer->write(m + '\xFF');
    }

    // Compares the table with its reference picture, or writes the picture
    // when asked to.
    void check(const QString &name)
    {
        QTRY_VERIFY(!m_window->dispatching());
        auto *board = m_window->findChild<QWidget *>(QStringLiteral("panel_board"));
        QVERIFY(board);
        // The last repaints may still be on their way: the picture counts once
        // it holds still from one turn of the event loop to the next.
        QImage shot;
        QVERIFY(QTest::qWaitFor([&] {
            const QImage again =
                board->grab(TableArea).toImage().convertToFormat(QImage::Format_RGB32);
            return std::exchange(shot, again) == again;
        }));
        // Zoomed boards have pictures of their own: "own-lead-150.png".
        const int zoom = qRound(board->devicePixelRatioF() * 100);
        const QString reference = screensFolder() + QLatin1Char('/') + name +
                                  (zoom == 100 ? QString() : QStringLiteral("-%1").arg(zoom)) +
                                  QStringLiteral(".png");
        if (qEnvironmentVariableIntValue("VELMORA_UPDATE_SCREENS") == 1) {
            QVERIFY(QDir().mkpath(screensFolder()));
            QVERIFY(shot.save(reference));
            qInfo("wrote %s", qPrintable(reference));
            return;
        }
        const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!expected.isNull(),
                 qPrintable(QStringLiteral("no reference picture %1; make it with "
                                           "VELMORA_UPDATE_SCREENS=1")
                                .arg(reference)));
        QCOMPARE(shot.size(), expected.size());
        const Difference d = compare(shot, expected);
        const qsizetype allowed = qsizetype(ChangedShare * shot.width() * shot.height());
        if (d.changed > allowed) {
            const QString actual =
                QDir::temp().filePath(QStringLiteral("velmora-%1.png").arg(name));
            shot.save(actual);
            QFAIL(qPrintable(QStringLiteral("%1: %2 pixels differ (at most %3 may), by up to %4; "
                                            "the table now looks like %5")
                                 .arg(name)
                                 .arg(d.changed)
                                 .arg(allowed)
                                 .arg(d.worst)
                                 .arg(actual)));
        }
    }

private slots:
    void initTestCase()
    {
        // A missing face changes every picture: say which, not how many
        // pixels moved.
        if (const QString missing = faces::missing(); !missing.isEmpty())
            QFAIL(qPrintable(missing));
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_home.isValid());
        qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
        QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
        qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
        QVERIFY(m_host.listen(QHostAddress::LocalHost, 0));
        qputenv("VELMORA_PORT", QByteArray::number(m_host.serverPort()));

        m_notifier = std::make_unique<RecordingNotifier>();
        m_window = std::make_unique<Tchat>(
            QStringList{QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")},
            m_notifier.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY(m_host.hasPendingConnections());
        m_peer = m_host.nextPendingConnection();
        feed({"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Bob", "CMD_existingplayers+1+Alice"});
        QTRY_COMPARE(m_window->table().seat(1).caption, QStringLiteral("Alice"));
    }

    void fixedTextsFitTheirBoxes_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *label, const char *text) {
            QTest::addRow("%s: %s", label, text)
                << QString::fromLatin1(label) << QString::fromLatin1(text);
        };
        for (const char *text :
             {"Welcome To Velmora by Pelox8 Software!", "Selling Dummy Hand..", "Lead a Card..",
              "You have the next card", "You must play the lowest card in a suit.",
              "You must play the next card in line.", "Round is Over!",
              "Game Over! The money left in the tray is divided among everyone.",
              "Pog's turn to lead a card.", "Pog has the next card."})
            row("label_status", text);
        for (const char *text :
             {"Go for the Cash!", "Pip took the Queen and King of Hearts Pot worth $400!",
              "Pax took the 8-9-10 of Any Suit Pot worth $400!", "Pog Got the Dummy Hand."})
            row("label_pot", text);
        row("label_round", "Round 24 of 24");
        row("label_roundover1", "Pax took the Kitty worth $400!");
        row("label_roundover2", "Pax took the Kitty worth $400!");
        for (const char *label : {"label_winner1", "label_winner2"})
            row(label, "Pip");
        for (const char *label : {"label_winner3", "label_winner4"})
            row(label, "Walks Away With the Cash!");
        for (const char *text : {"<Waiting>", "Pip", "Pog", "Pax", "You"})
            row("label_playername3", text);
        row("label_score3", "$-100");
        row("label_score3", "$1000");
        row("label_left3", "11");
        row("Cash:", "Cash:");
        row("Cards Left:", "Cards Left:");
        row("button_buy", "Buy Dummy Hand for 5 dollars?");
        row("button_buy", "Take Dummy Hand?");
        row("button_decline", "Keep Current Hand");
    }

    // Each fixed text, in its label's font and layout, within its box.
    void fixedTextsFitTheirBoxes()
    {
        QFETCH(QString, label);
        QFETCH(QString, text);
        auto *board = m_window->findChild<QWidget *>(QStringLiteral("panel_board"));
        QWidget *widget = m_window->findChild<QWidget *>(label);
        if (!widget) // the fixed captions carry no name
            for (QLabel *l : board->findChildren<QLabel *>())
                if (l->text() == label)
                    widget = l;
        QVERIFY(widget);
        QRect box = widget->contentsRect();
        int flags = Qt::AlignCenter;
        if (auto *l = qobject_cast<QLabel *>(widget)) {
            flags = int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
        } else {
            // A button's frame and margins take a few pixels on each side.
            box.adjust(4, 2, -4, -2);
        }
        const QRect needed = widget->fontMetrics().boundingRect(box, flags, text);
        QVERIFY2(box.contains(needed), qPrintable(QStringLiteral("needs %1 by %2, has %3 by %4")
                                                      .arg(needed.width())
                                                      .arg(needed.height())
                                                      .arg(box.width())
                                                      .arg(box.height())));
    }

    // Before any game: names, noughts, the pay-card pots' faces, the kitty
    // empty.
    void waiting()
    {
        const auto pot = [&](int n) {
            return m_window->findChild<QLabel *>(QStringLiteral("image_pot%1").arg(n));
        };
        QVERIFY(pot(1) && pot(1)->pixmap().isNull());
        for (int n = 2; n <= 9; ++n)
            QVERIFY(pot(n) && !pot(n)->pixmap().isNull());
        check(QStringLiteral("waiting"));
    }

    // The own lead in round 1: the sorted hand, ante piles, chips, marks.
    void ownLead()
    {
        processRandom().setSeed(7); // the ante piles
        QByteArray hand = "CMD_newcard+2";
        const int codes[] = {3, 40, 17, 28, 9, 51, 22, 35, 12, 44};
        for (int slot = 1; slot <= 10; ++slot)
            hand += '+' + QByteArray::number(slot) + '+' + QByteArray::number(codes[slot - 1]);
        feed({"CMD_startgame+Alice+100+8+8+", "CMD_startround+1+91+91+91+91+", hand,
              "CMD_cardcount+1+11+", "CMD_cardcount+3+10+", "CMD_cardcount+4+10+",
              "CMD_nextplayer+1+2+l+"});
        QTRY_COMPARE(m_window->table().status(), QStringLiteral("Lead a Card.."));
        check(QStringLiteral("own-lead"));
    }

    // The round is over: the kitty banner in the middle, cash paid.
    void roundOver()
    {
        feed({"CMD_hiscard+2+3+1+9+", "CMD_nextplayer+1+3+f+", "CMD_hiscard+3+4+2+0+",
              "CMD_addtocash+3+120+1+29+", "CMD_endround+91+80+120+91+3+"});
        QTRY_VERIFY(m_window->table().roundOverShown());
        QTRY_COMPARE(m_window->table().status(), QStringLiteral("Round is Over!"));
        check(QStringLiteral("round-over"));
        QVERIFY(m_notifier->errors.isEmpty());
    }

    void cleanupTestCase()
    {
        if (m_window)
            m_window->close();
        m_window.reset();
    }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
