// The side windows: watchers list, lobby download, help and about. The
// download is served by a small HTTP server on the loopback address.

#include "art/jpegimage.h"
#include "base/version.h"
#include "clickat.h"
#include "httpstub.h"
#include "recordingnotifier.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/thelp.h"
#include "windows/tspylist.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace velmora;

namespace {

template <typename T>
T *child(QObject *parent, const char *name)
{
    T *w = parent->findChild<T *>(QLatin1String(name));
    if (!w)
        qWarning("no child %s", name);
    return w;
}

QString text(QWidget *window, const char *label) { return child<QLabel>(window, label)->text(); }

// The files in a folder apart from the test's own.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestSideWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    QStringList m_launched;
    bool m_launchSucceeds = true;

    QString folder() const { return m_home->path(); }

    void prepare(Tdownload &w, const QByteArray &url)
    {
        qputenv("VELMORA_LOBBY_URL", url);
        w.setLauncher([this](const QString &program, const QStringList &args) {
            m_launched << program + QLatin1Char(' ') + args.join(QLatin1Char(' '));
            return m_launchSucceeds;
        });
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("VELMORA_HOME", m_home->path().toLocal8Bit());
        m_launched.clear();
        m_launchSucceeds = true;
    }

    // ---- JPEG ----

    void jpeg_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("good");
        QFile file(QStringLiteral(":/lobby/lobby.jpg"));
        Tdownload registersResources;
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray picture = file.readAll();
        QTest::newRow("lobby picture") << picture << true;
        QTest::newRow("cut short") << picture.left(picture.size() / 2) << false;
        QTest::newRow("not a jpeg") << pattern(4000) << false;
        QByteArray scrambled = picture;
        for (qsizetype i = 600; i < scrambled.size(); i += 97)
            scrambled[i] = char(scrambled[i] ^ 0x5a);
        QTest::newRow("scrambled") << scrambled << false;
        QTest::newRow("header only") << picture.left(2) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void jpeg()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, good);
        QString error;
        const QImage image = JpegImage::decode(data, &error);
        QCOMPARE(!image.isNull(), good);
        QCOMPARE(error.isEmpty(), good);
        if (good) {
            QCOMPARE(image.size(), QSize(436, 360));
            const QColor felt = image.pixelColor(200, 250); // the table's cloth
            QVERIFY(felt.green() > felt.red() + 40 && felt.green() > felt.blue() + 20);
        }
    }

    // ---- Watchers list ----

    void spysAreKeyedByNumber()
    {
        Tspylist w;
        auto *list = child<QListWidget>(&w, "listbox_spys");
        const auto lines = [list] {
            QStringList l;
            for (int i = 0; i < list->count(); ++i)
                l << list->item(i)->text();
            return l;
        };
        w.add(6, QStringLiteral("Guest"));
        w.add(5, QStringLiteral("Guest"));
        w.add(8, QStringLiteral("Ann"));
        QCOMPARE(lines(), (QStringList{QStringLiteral("6: Guest"), QStringLiteral("5: Guest"),
                                       QStringLiteral("8: Ann")}));
        w.remove(5);
        w.remove(9);
        QCOMPARE(lines(), (QStringList{QStringLiteral("6: Guest"), QStringLiteral("8: Ann")}));
        w.add(6, QStringLiteral("Bo")); // a new watcher on a number whose departure was missed
        QCOMPARE(lines(), (QStringList{QStringLiteral("6: Bo"), QStringLiteral("8: Ann")}));
    }

    void removeFromGame_data()
    {
        QTest::addColumn<bool>("hosting");
        QTest::addColumn<int>("row"); // -1: empty space under the lines
        QTest::addColumn<int>("removed");
        QTest::newRow("second line") << true << 1 << 5;
        QTest::newRow("first line") << true << 0 << 7;
        QTest::newRow("empty space") << true << -1 << 0;
        QTest::newRow("not hosting") << false << 1 << 0;
    }

    void removeFromGame()
    {
        QFETCH(bool, hosting);
        QFETCH(int, row);
        QFETCH(int, removed);
        Tspylist w;
        w.add(7, QStringLiteral("Guest"));
        w.add(5, QStringLiteral("Guest"));
        w.setHosting(hosting);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *list = child<QListWidget>(&w, "listbox_spys");
        list->setCurrentRow(0); // the selection must not matter
        const QPoint inViewport = row >= 0 ? list->visualItemRect(list->item(row)).center()
                                           : QPoint(20, list->viewport()->height() - 10);
        QWidget *hit = widgetAt(list->viewport(), inViewport);
        QCOMPARE(hit, list->viewport());
        QSignalSpy spy(&w, &Tspylist::removeRequested);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, inViewport,
                                    hit->mapToGlobal(inViewport));
        QApplication::sendEvent(hit, &menuEvent);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        QAction *kick = menu->actions().value(0);
        QCOMPARE(kick->text(), QStringLiteral("Remove From Game"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(kick).center());
        QTRY_VERIFY(!menu->isVisible() || !kick->isEnabled());
        menu->hide();
        QCOMPARE(spy.size(), removed ? 1 : 0);
        if (removed)
            QCOMPARE(spy[0][0].toInt(), removed);
    }

    // ---- Help and about ----

    void helpPages_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("heading");
        QTest::newRow("1") << 1 << "Overview"
                           << "Overview";
        QTest::newRow("2") << 2 << "Connecting"
                           << "Connecting";
        QTest::newRow("3") << 3 << "Game Play"
                           << "Game Play";
        QTest::newRow("4") << 4 << "Scoring"
                           << "Scoring";
        QTest::newRow("5") << 5 << "Documentation"
                           << "History";
        QTest::newRow("6") << 6 << "License"
                           << "License";
    }

    void helpPages()
    {
        QFETCH(int, tag);
        QFETCH(QString, caption);
        QFETCH(QString, heading);
        RecordingNotifier notifier;
        Thelp w(&notifier);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(text(&w, "label_caption"), QStringLiteral("Overview"));
        QCOMPARE(w.currentPage(), 1);

        auto *button = child<QPushButton>(&w, QStringLiteral("SelButton%1").arg(tag).toLatin1());
        QCOMPARE(button->text(), caption);
        QVERIFY(clickOn(button));
        QCOMPARE(text(&w, "label_caption"), caption);
        auto *pages = w.findChild<QStackedWidget *>();
        auto *page = qobject_cast<QTextBrowser *>(pages->currentWidget());
        QCOMPARE(page->objectName(), QStringLiteral("memo%1").arg(tag));
        QVERIFY(page->toPlainText().startsWith(heading + QLatin1Char('\n')));
        QVERIFY(page->toPlainText().size() > 400);

        // The choice stays for the next opening.
        QVERIFY(clickOn(child<QPushButton>(&w, "button_done")));
        QVERIFY(!w.isVisible());
        w.show();
        QCOMPARE(text(&w, "label_caption"), caption);
    }

    void helpLinksAndAbout()
    {
        RecordingNotifier notifier;
        Thelp w(&notifier);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(text(&w, "label_year"), QString::number(QDate::currentDate().year()));
        QSignalSpy about(&w, &Thelp::aboutRequested);
        QVERIFY(clickOn(child<QPushButton>(&w, "button_about")));
        QCOMPARE(about.size(), 1);
        auto *connecting = child<QTextBrowser>(&w, "memo2");
        emit connecting->anchorClicked(QUrl(QStringLiteral("https://www.pelox8.example/")));
        emit connecting->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
        QCOMPARE(notifier.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.pelox8.example/"))});
    }

    void about()
    {
        RecordingNotifier notifier;
        Tabout w(&notifier);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.versionText(), QLatin1String(VersionText));
        QCOMPARE(text(&w, "version"), QLatin1String(VersionText));
        QCOMPARE(text(&w, "label_build"), QStringLiteral(".0"));
        QCOMPARE(text(&w, "label_year"), QString::number(QDate::currentDate().year()));
        QVERIFY(clickOn(child<QLabel>(&w, "Label7")));
        QCOMPARE(notifier.opened, QList<QUrl>{Tabout::makerUrl()});
        QCOMPARE(Tabout::makerUrl().toString(), QStringLiteral("https://www.pelox8.example/"));
        QVERIFY(clickOn(child<QPushButton>(&w, "Button1")));
        QVERIFY(!w.isVisible());
    }

    // ---- Lobby download ----

    void completeDownload_data()
    {
        QTest::addColumn<bool>("launches");
        QTest::addColumn<bool>("chunked");
        QTest::newRow("installer starts") << true << false;
        QTest::newRow("installer cannot start") << false << false;
        QTest::newRow("chunked body") << true << true;
    }

    void completeDownload()
    {
        QFETCH(bool, launches);
        QFETCH(bool, chunked);
        const int n = 300000;
        HttpStub server;
        server.body = pattern(n);
        server.pieceSize = 65536;
        if (chunked) {
            // A hand-made chunked body: one chunk, then the end.
            server.announceLength = false;
            server.headers << "Transfer-Encoding: chunked";
            server.body = QByteArray::number(n, 16) + "\r\n" + pattern(n) + "\r\n0\r\n\r\n";
        }
        RecordingNotifier notifier;
        Tdownload w(&notifier);
        prepare(w, server.url());
        m_launchSucceeds = launches;
        QSignalSpy ended(&w, &Tdownload::downloadEnded);
        QSignalSpy quit(&w, &Tdownload::quitRequested);
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        QVERIFY(w.downloading());
        QVERIFY(!child<QPushButton>(&w, "getbutton")->isEnabled());
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toBool(), true);
        QCOMPARE(text(&w, "infolabel"), QStringLiteral("Received %1 bytes").arg(n));
        QCOMPARE(text(&w, "infolabel3"), QStringLiteral("Installing"));
        const QString path = QDir(folder()).filePath(QStringLiteral("pelox8lobby-setup"));
        QCOMPARE(w.downloadedFile(), path);
        QCOMPARE(filesIn(folder()), QStringList{QStringLiteral("pelox8lobby-setup")});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), pattern(n));
        QVERIFY(QFileInfo(path).isExecutable());
        QCOMPARE(m_launched, QStringList{path + QStringLiteral(" /SP- /silent /noicons")});
        QCOMPARE(quit.size(), launches ? 1 : 0);
        QCOMPARE(notifier.notices,
                 launches ? QStringList() : QStringList{QStringLiteral("An Error has Occurred.")});
        QVERIFY(child<QPushButton>(&w, "getbutton")->isEnabled());
        QVERIFY(server.request.contains("User-Agent: Mozilla/3.0 (compatible)"));
    }

    void headerLinesShowAsDotsBeforeTheData()
    {
        HttpStub server;
        server.body = pattern(5000);
        server.holdBody = true;
        server.headers << "Server: stub"
                       << "X-Note: one more line";
        Tdownload w;
        prepare(w, server.url());
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        // Content-Type, Connection, Server, X-Note, Content-Length.
        QTRY_COMPARE(text(&w, "infolabel"), QStringLiteral("Loading....."));
        QCOMPARE(text(&w, "infolabel3"), QStringLiteral("Downloading: pelox8lobby-setup"));
        QSignalSpy ended(&w, &Tdownload::downloadEnded);
        server.release();
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(text(&w, "infolabel"), QStringLiteral("Received 5000 bytes"));
    }

    void failedDownloadLeavesNoFile_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<int>("announced");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not found") << QByteArray("HTTP/1.1 404 Not Found") << HttpStub::BodyLength
                                   << "The server has no such file (404).";
        QTest::newRow("cut short")
            << QByteArray("HTTP/1.1 200 OK") << 9000
            << "127.0.0.1 closed the connection before the file was complete.";
        QTest::newRow("no length") << QByteArray("HTTP/1.0 200 OK") << HttpStub::NoLength
                                   << "The server did not say how large the file is.";
    }

    void failedDownloadLeavesNoFile()
    {
        QFETCH(QByteArray, status);
        QFETCH(int, announced);
        QFETCH(QString, reason);
        HttpStub server;
        server.serve(status, announced);
        // An earlier complete download is kept as it was.
        QFile old(QDir(folder()).filePath(QStringLiteral("pelox8lobby-setup")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
        old.close();
        RecordingNotifier notifier;
        Tdownload w(&notifier);
        prepare(w, server.url());
        QSignalSpy ended(&w, &Tdownload::downloadEnded);
        QSignalSpy quit(&w, &Tdownload::quitRequested);
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toBool(), false);
        QCOMPARE(text(&w, "infolabel"), QStringLiteral("Download Aborted"));
        QCOMPARE(text(&w, "infolabel3"), reason);
        QCOMPARE(filesIn(folder()), QStringList{QStringLiteral("pelox8lobby-setup")});
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("earlier"));
        QVERIFY(m_launched.isEmpty());
        QCOMPARE(quit.size(), 0);
        QVERIFY(child<QPushButton>(&w, "getbutton")->isEnabled());
        QVERIFY(!child<QPushButton>(&w, "abortbutton")->isEnabled());
    }

    void stopDownload()
    {
        HttpStub server;
        server.body = pattern(400000);
        server.pieceSize = 2000;
        server.pieceIntervalMs = 20; // about 8 s in all
        Tdownload w;
        prepare(w, server.url());
        QSignalSpy ended(&w, &Tdownload::downloadEnded);
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        QTRY_VERIFY(text(&w, "infolabel").endsWith(QStringLiteral(" bytes")));
        QVERIFY(clickOn(child<QPushButton>(&w, "abortbutton")));
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toBool(), false);
        QCOMPARE(text(&w, "infolabel"), QStringLiteral("Download Aborted"));
        QCOMPARE(text(&w, "infolabel3"), QStringLiteral("Download Aborted"));
        QVERIFY(filesIn(folder()).isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(!w.downloading());

        // The next attempt starts afresh and can complete.
        HttpStub fast;
        fast.body = pattern(1000);
        qputenv("VELMORA_LOBBY_URL", fast.url());
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        QTRY_COMPARE(ended.size(), 2);
        QCOMPARE(ended[1][0].toBool(), true);
        QCOMPARE(text(&w, "infolabel"), QStringLiteral("Received 1000 bytes"));
    }

    void playingSoloStopsTheDownload()
    {
        HttpStub server;
        server.body = pattern(400000);
        server.pieceSize = 2000;
        server.pieceIntervalMs = 20;
        Tdownload w;
        prepare(w, server.url());
        QSignalSpy ended(&w, &Tdownload::downloadEnded);
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        QTRY_VERIFY(text(&w, "infolabel").endsWith(QStringLiteral(" bytes")));
        QVERIFY(clickOn(child<QPushButton>(&w, "Button1")));
        QVERIFY(!w.isVisible());
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(filesIn(folder()).isEmpty());
        QVERIFY(m_launched.isEmpty());
    }

    void unsafeAddressesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QString>("reason");
        const QString secureOnly = QStringLiteral("Only secure (https) addresses are used.");
        QTest::newRow("plain http to a name")
            << QByteArray("http://www.pelox8.example/downloads/setup") << secureOnly;
        QTest::newRow("plain http to an address")
            << QByteArray("http://192.0.2.7/downloads/setup") << secureOnly;
        QTest::newRow("no file name") << QByteArray("https://www.pelox8.example/downloads/")
                                      << "The address of the file is not valid.";
    }

    void unsafeAddressesAreRefused()
    {
        // Refused before anything is fetched; nothing is started.
        QFETCH(QByteArray, url);
        QFETCH(QString, reason);
        RecordingNotifier notifier;
        Tdownload w(&notifier);
        prepare(w, url);
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        QCOMPARE(text(&w, "infolabel"), QStringLiteral("Download Aborted"));
        QCOMPARE(text(&w, "infolabel3"), reason);
        QVERIFY(notifier.errors.isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(!w.downloading());
        QVERIFY(child<QPushButton>(&w, "getbutton")->isEnabled());
        QVERIFY(filesIn(folder()).isEmpty());
    }

    void unwritableProgramFolder()
    {
        // The program's folder cannot be written: the user's data folder
        // takes the download.
        qputenv("VELMORA_HOME", "/proc/velmora-cannot-be-here");
        const QString userFolder =
            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QFile::remove(QDir(userFolder).filePath(QStringLiteral("pelox8lobby-setup")));
        HttpStub server;
        server.body = pattern(2000);
        Tdownload w;
        prepare(w, server.url());
        QSignalSpy ended(&w, &Tdownload::downloadEnded);
        QVERIFY(clickOn(child<QPushButton>(&w, "getbutton")));
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(w.downloadedFile(),
                 QDir(userFolder).filePath(QStringLiteral("pelox8lobby-setup")));
        QCOMPARE(QFileInfo(w.downloadedFile()).size(), 2000);
        QFile::remove(w.downloadedFile());
    }

    void playWithOthers()
    {
        // Neither on PATH nor in the user's programs folder.
        const QByteArray path = qgetenv("PATH");
        const QByteArray home = qgetenv("HOME");
        qputenv("PATH", folder().toLocal8Bit());
        qputenv("HOME", folder().toLocal8Bit());
        RecordingNotifier notifier;
        Tdownload w(&notifier);
        prepare(w, "https://www.pelox8.example/setup");
        QSignalSpy quit(&w, &Tdownload::quitRequested);
        QVERIFY(clickOn(child<QPushButton>(&w, "Button2")));
        QCOMPARE(notifier.notices,
                 QStringList{QStringLiteral(
                     "Please close the game and open the Pelox8 Lobby using the icon "
                     "on your desktop or using the your Window's start-up menu.")});
        QCOMPARE(quit.size(), 0);
        QVERIFY(w.isVisible());

        // Installed for the user.
        QDir(folder()).mkpath(QStringLiteral(".local/bin"));
        const QString lobby = QDir(folder()).filePath(QStringLiteral(".local/bin/pelox8lobby"));
        QFile file(lobby);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        QVERIFY(clickOn(child<QPushButton>(&w, "Button2")));
        QCOMPARE(m_launched, QStringList{lobby + QLatin1Char(' ')});
        QCOMPARE(quit.size(), 1);
        qputenv("PATH", path);
        qputenv("HOME", home);
    }
};

QTEST_MAIN(TestSideWindows)
#include "tst_sidewindows.moc"
