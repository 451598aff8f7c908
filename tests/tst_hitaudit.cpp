// Every control a player can see on the board must be reachable where he
// sees it: in each state of the table, a press at the centre of every
// visible, enabled control reaches that control and nothing lying over it.
// The states are driven by host messages, over a real connection for a
// joined copy and into the session of a hosting copy. CTest runs it again
// at each zoom of the board (Qt's scale factor set).

#include "clickat.h"
#include "recordingnotifier.h"
#include "window/tchat.h"
#include "tserver.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegion>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace velmora;

namespace {

bool isCardWidget(const QWidget *w)
{
    return qobject_cast<const QLabel *>(w) && w->objectName().startsWith(QLatin1String("card"));
}

// What a player presses: buttons, the entry line, the chat view, the name
// labels (their menu) and every picture that shows a hand cursor (cards,
// the start picture, the logo).
bool isControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QAbstractScrollArea *>(w) ||
           (qobject_cast<const QLabel *>(w) &&
            (w->cursor().shape() == Qt::PointingHandCursor ||
             w->objectName().startsWith(QLatin1String("label_playername"))));
}

QRect placeOn(const QWidget *board, const QWidget *w)
{
    return QRect(w->mapTo(board, QPoint(0, 0)), w->size());
}

// The point a player aims at. A card shows only its left strip under its
// right neighbour; the offer's buttons lie over the hand by design, so the
// card is aimed at where the strip stays uncovered.
QPoint aimAt(const QWidget *board, const QWidget *w, const QList<QWidget *> &visible)
{
    const QRect area = placeOn(board, w);
    if (!isCardWidget(w))
        return area.center();
    QRegion strip(area);
    for (const QWidget *other : visible) {
        if (isCardWidget(other) && other->x() == w->x() + 25)
            strip = QRegion(area.adjusted(0, 0, 25 - area.width(), 0));
    }
    for (const QWidget *other : visible)
        if (qobject_cast<const QPushButton *>(other))
            strip -= placeOn(board, other);
    QRect best;
    for (const QRect &r : strip)
        if (r.width() * r.height() > best.width() * best.height())
            best = r;
    return best.center();
}

QString nameOf(const QWidget *w)
{
    return w ? (w->objectName().isEmpty() ? QLatin1String(w->metaObject()->className())
                                          : w->objectName())
             : QStringLiteral("nothing");
}

// Takes the presses and releases that reach any widget, so that pressing a
// control during the audit sets nothing off, and notes the first receiver.
class PressCatcher : public QObject
{
public:
    QWidget *pressed = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window passes the press on to the widget under it.
        auto *w = qobject_cast<QWidget *>(watched);
        if (!w)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (!pressed)
                pressed = w;
            return true;
        case QEvent::MouseButtonRelease: return true;
        default: return false;
        }
    }
};

// The widget a press at `at` of the board reaches when it comes in as the
// mouse's does: in the screen's pixels, through the window, at the zoom's
// scale and rounding.
QWidget *pressReaches(QWidget *board, QPoint at)
{
    QWidget *window = board->window();
    PressCatcher catcher;
    QApplication::instance()->installEventFilter(&catcher);
    const QPoint inWindow = board->mapTo(window, at);
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, inWindow);
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, inWindow);
    QApplication::instance()->removeEventFilter(&catcher);
    return catcher.pressed;
}

// Faults found on the board, one line each; `audited` gets the names of
// the controls looked at.
QStringList audit(QWidget *board, const QString &state, QStringList &audited)
{
    audited.clear();
    QList<QWidget *> visible;
    for (QWidget *w : board->findChildren<QWidget *>())
        if (w->isVisibleTo(board) && w->isEnabled() && isControl(w))
            visible.append(w);
    QStringList faults;
    for (QWidget *w : visible) {
        audited << nameOf(w);
        const QPoint at = aimAt(board, w, visible);
        for (QWidget *hit : {widgetAt(board, at), pressReaches(board, at)})
            if (hit != w && !w->isAncestorOf(hit))
                faults << QStringLiteral("%1: %2 at (%3, %4) reaches %5")
                              .arg(state, nameOf(w))
                              .arg(at.x())
                              .arg(at.y())
                              .arg(nameOf(hit));
    }
    return faults;
}

QByteArray cards(int own, int count)
{
    QByteArray list = "+" + QByteArray::number(own);
    for (int slot = 1; slot <= count; ++slot)
        list += '+' + QByteArray::number(slot) + '+' + QByteArray::number(slot * 4 + 1);
    return list;
}

// A table state: the host's messages that lead to it from the one before,
// and what the model shows once they are handled.
struct State
{
    const char *name;
    QList<QByteArray> messages;
    std::function<bool(const TableModel &)> reached;
};

QList<State> states(int own)
{
    const QByteArray me = QByteArray::number(own);
    const QByteArray other = QByteArray::number(own % 4 + 1);
    const QByteArray third = QByteArray::number((own + 1) % 4 + 1);
    return {
        {"waiting",
         {},
         [](const TableModel &t) { return t.seat(1).caption != QLatin1String("<Waiting>"); }},
        {"dealt",
         {"CMD_startgame+Alice+100+4+4+", "CMD_startround+1+95+95+95+95+",
          "CMD_newcard" + cards(own, 10), "CMD_nextplayer+" + other + '+' + third + "+l+"},
         [](const TableModel &t) { return t.handCount() == 10 && t.currentPlayer() != 0; }},
        {"dummy offer to the dealer",
         {"CMD_yourcards" + cards(own, 11), "CMD_nextplayer+" + me + '+' + me + "+b+"},
         [](const TableModel &t) { return t.handCount() == 11 && t.buyShown(); }},
        {"dummy offer to another seat",
         {"CMD_nextplayer+" + me + '+' + third + "+b+",
          "CMD_nextplayer+" + other + '+' + me + "+b+"},
         [own](const TableModel &t) { return t.dealer() == own % 4 + 1 && t.buyShown(); }},
        {"own lead",
         {"CMD_yourcards" + cards(own, 10), "CMD_nextplayer+" + other + '+' + me + "+l+"},
         [](const TableModel &t) {
             return !t.buyShown() && t.status() == QLatin1String("Lead a Card..");
         }},
        {"own follow",
         {"CMD_hiscard+" + third + "+4+1+9+", "CMD_nextplayer+" + other + '+' + me + "+f+"},
         [](const TableModel &t) { return t.status() == QLatin1String("You have the next card"); }},
        {"round over",
         {"CMD_addtocash+" + third + "+120+1+29+", "CMD_endround+95+95+120+90+" + third + '+'},
         [](const TableModel &t) {
             return t.roundOverShown() && t.status() == QLatin1String("Round is Over!");
         }},
        {"game over",
         {"CMD_winner+" + third + "+100+100+140+60+"},
         [](const TableModel &t) { return t.winnerShown(); }},
    };
}

const QColor LightYellow(255, 255, 170);

} // namespace

class TestHitAudit : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    QTcpServer m_presence;

private slots:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_home.isValid());
        qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
        QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
        qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
    }

    void everyControlIsReachable_data()
    {
        QTest::addColumn<bool>("hosting");
        QTest::newRow("joined copy, seat 2") << false;
        QTest::newRow("hosting copy, seat 1") << true;
    }

    void everyControlIsReachable()
    {
        QFETCH(bool, hosting);
        QTcpServer fakeHost;
        QVERIFY(fakeHost.listen(QHostAddress::LocalHost, 0));
        qputenv("VELMORA_PORT",
                hosting ? QByteArray("0") : QByteArray::number(fakeHost.serverPort()));
        RecordingNotifier notifier;
        const QStringList params = hosting ? QStringList{}
                                           : QStringList{QStringLiteral("Bob"),
                                                         QStringLiteral("127.0.0.1"),
                                                         QStringLiteral("x")};
        Tchat window(params, &notifier);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *board = window.findChild<QWidget *>(QStringLiteral("panel_board"));
        QVERIFY(board);

        std::function<void(const QByteArray &)> feed;
        QTcpSocket *peer = nullptr;
        int own = 1;
        if (hosting) {
            QTRY_VERIFY(window.session().loggedIn());
            feed = [&](const QByteArray &m) { window.session().receive(m + '\xFF'); };
        } else {
            QTRY_VERIFY(fakeHost.hasPendingConnections());
            peer = fakeHost.nextPendingConnection();
            own = 2;
            feed = [&](const QByteArray &m) { peer->write(m + '\xFF'); };
            // A long name is cut to its label and shown whole as a hint.
            for (const QByteArray &m :
                 {QByteArray("CMD_sendlogininfo+2"), QByteArray("CMD_newplayerinfo+2+Bob"),
                  QByteArray("CMD_existingplayers+1+Alexandrina Wilhelmina Smith")})
                feed(m);
        }

        QStringList faults;
        for (const State &state : states(own)) {
            for (const QByteArray &m : state.messages)
                feed(m);
            QTRY_VERIFY2(state.reached(window.table()),
                         qPrintable(QStringLiteral("%1: status \"%2\", errors: %3")
                                        .arg(QLatin1String(state.name), window.table().status(),
                                             notifier.errors.join(QLatin1Char(' ')))));
            QTRY_VERIFY(!window.dispatching());
            QStringList audited;
            faults << audit(board, QLatin1String(state.name), audited);
            // The audit sees what the state shows: the hand, the offer's
            // buttons, the start picture of the hosting copy.
            const int hand = window.table().handCount();
            QCOMPARE(audited.filter(QRegularExpression(QStringLiteral("^card\\d+$"))).size(), hand);
            QCOMPARE(audited.contains(QStringLiteral("button_buy")), window.table().buyShown());
            QCOMPARE(audited.contains(QStringLiteral("button_decline")), window.table().buyShown());
            QCOMPARE(audited.contains(QStringLiteral("button_start")),
                     window.table().startButtonShown());
            for (const char *chat : {"mychat", "button_smilies", "b_phrase1", "b_phrase10"})
                QVERIFY2(audited.contains(QLatin1String(chat)), chat);
            if (QLatin1String(state.name) == QLatin1String("round over")) {
                // The kitty banner's light yellow text lies over its grey shadow.
                auto *banner = window.findChild<QLabel *>(QStringLiteral("label_roundover1"));
                QVERIFY(banner && banner->isVisible());
                auto *top = qobject_cast<QLabel *>(widgetAt(board, banner->geometry().center()));
                QVERIFY(top);
                QCOMPARE(top->palette().color(QPalette::WindowText), LightYellow);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));

        if (!hosting) {
            auto *name = window.findChild<QLabel *>(QStringLiteral("label_playername1"));
            QVERIFY(name);
            QVERIFY2(name->text().endsWith(QChar(0x2026)), qPrintable(name->text()));
            QVERIFY(name->fontMetrics().horizontalAdvance(name->text()) <= name->width());
            QCOMPARE(name->toolTip(), QStringLiteral("Alexandrina Wilhelmina Smith"));
            QCOMPARE(window.table().seat(1).caption,
                     QStringLiteral("Alexandrina Wilhelmina Smith"));
        }
        QVERIFY(notifier.errors.isEmpty());
        window.close();
    }
};

QTEST_MAIN(TestHitAudit)
#include "tst_hitaudit.moc"
