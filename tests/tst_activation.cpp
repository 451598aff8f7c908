// Who has the keyboard on a desktop. Runs under a window manager (see
// support/under-wm.sh): there a window that merely appears does not take
// the keyboard, so every window the player is to answer must ask for it.

#include "client/clientsession.h"
#include "window/tchat.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/thelp.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace velmora;

class TestActivation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lobbyWindowTakesKeyboard();
    void sideWindowsTakeKeyboard_data();
    void sideWindowsTakeKeyboard();
    void aboutComesInFrontOfHelp();
    void messageBoxTakesKeyboard();
    void cleanupTestCase() { m_window.reset(); }

private:
    // Closes the side windows and waits until none of them has the
    // keyboard (the window manager may give it to the game window or, for a
    // moment, to nobody).
    void closeSideWindows();

    QTcpServer m_presence;
    QTemporaryDir m_home;
    std::unique_ptr<Tchat> m_window;
};

void TestActivation::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "runs on an X server with a window manager (tests/support/under-wm.sh)");
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
    qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
    qputenv("VELMORA_HOME", m_home.path().toLocal8Bit());
    qputenv("VELMORA_PORT", "0");
    // No lobby program anywhere: "Play with Others" answers with a box.
    qputenv("PATH", "/nonexistent");
    qputenv("HOME", m_home.path().toLocal8Bit());
    // Opened as the program opens it: mapped while its board is built.
    m_window =
        std::make_unique<Tchat>(QStringList{}, nullptr, nullptr, Tchat::Opening::WhileBuilding);
    // Before the login a menu item may answer with a box instead.
    QTRY_VERIFY(m_window->session().loggedIn());
}

void TestActivation::closeSideWindows()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != m_window.get() && w->isVisible())
            w->hide();
    QTRY_VERIFY(!QApplication::activeWindow() || QApplication::activeWindow() == m_window.get());
}

void TestActivation::lobbyWindowTakesKeyboard()
{
    // A solo start puts the lobby window in front of the game.
    QTRY_VERIFY(m_window->download()->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(m_window->download()));
    // Escape reaches it through the X server and closes it.
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                : m_window->download(),
                    Qt::Key_Escape);
    QTRY_VERIFY(!m_window->download()->isVisible());
}

void TestActivation::sideWindowsTakeKeyboard_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("window");
    QTest::newRow("game start") << "StartGame1"
                                << "gamestart";
    QTest::newRow("tally") << "ViewTally1"
                           << "tallylist";
    QTest::newRow("watchers") << "SpyList1"
                              << "spylist";
    QTest::newRow("phrases") << "PhraseList1"
                             << "phrases";
    QTest::newRow("help") << "Help2"
                          << "help";
    QTest::newRow("about") << "About1"
                           << "about";
}

void TestActivation::sideWindowsTakeKeyboard()
{
    QFETCH(QString, action);
    QFETCH(QString, window);
    closeSideWindows();
    auto *item = m_window->findChild<QAction *>(action);
    QVERIFY(item);
    QTRY_VERIFY(item->isEnabled());
    item->trigger();
    QTRY_VERIFY(QApplication::activeWindow());
    QTRY_COMPARE(QApplication::activeWindow()->objectName(), window);
}

void TestActivation::aboutComesInFrontOfHelp()
{
    // An about box left open behind the help comes to the front again.
    closeSideWindows();
    m_window->about()->show();
    m_window->findChild<QAction *>(QStringLiteral("Help2"))->trigger();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(m_window->help()));
    m_window->help()->findChild<QPushButton *>(QStringLiteral("button_about"))->click();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(m_window->about()));
}

void TestActivation::messageBoxTakesKeyboard()
{
    closeSideWindows();
    bool boxActive = false;
    QTimer::singleShot(0, this, [&] {
        boxActive = QTest::qWaitFor(
            [] { return qobject_cast<QMessageBox *>(QApplication::activeWindow()) != nullptr; });
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->done(QMessageBox::Ok);
    });
    m_window->download()->Button2Click(); // "Play with Others", no lobby installed
    QVERIFY(boxActive);
}

QTEST_MAIN(TestActivation)
#include "tst_activation.moc"
