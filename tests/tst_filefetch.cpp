// The download of one file: what ends it, and what the player reads then.
// Served by a stub on the loopback address; nothing leaves this machine.

#include "filefetch.h"
#include "httpstub.h"

#include <QDir>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestFileFetch : public QObject
{
    Q_OBJECT
private slots:
    void failureReasons_data();
    void failureReasons();
    void untrustedAddressesAreNotFetched_data();
    void untrustedAddressesAreNotFetched();
    void reasonsWithoutAServer();
};

void TestFileFetch::failureReasons_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<int>("announced");
    QTest::addColumn<bool>("hold"); // the body never comes
    QTest::addColumn<QString>("reason");
    const QByteArray ok = "HTTP/1.1 200 OK";
    QTest::newRow("not found") << QByteArray("HTTP/1.1 404 Not Found") << HttpStub::BodyLength
                               << false << "The server has no such file (404).";
    QTest::newRow("server error") << QByteArray("HTTP/1.1 500 Internal Server Error")
                                  << HttpStub::BodyLength << false
                                  << "The server refused the file (500 Internal Server Error).";
    QTest::newRow("no length") << QByteArray("HTTP/1.0 200 OK") << HttpStub::NoLength << false
                               << "The server did not say how large the file is.";
    QTest::newRow("cut short") << ok << 9000 << false
                               << "127.0.0.1 closed the connection before the file was complete.";
    QTest::newRow("stall") << ok << HttpStub::BodyLength << true
                           << "The connection stalled for 2 seconds.";
}

void TestFileFetch::failureReasons()
{
    QFETCH(QByteArray, status);
    QFETCH(int, announced);
    QFETCH(bool, hold);
    QFETCH(QString, reason);
    HttpStub server;
    server.serve(status, announced);
    server.holdBody = hold;
    QTemporaryDir folder;
    FileFetch fetch;
    fetch.setStallMs(2000);
    QSignalSpy finished(&fetch, &FileFetch::finished);
    QCOMPARE(fetch.start(QUrl(QString::fromLatin1(server.url())), {folder.path()}),
             FileFetch::Start::Started);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toBool(), false);
    QCOMPARE(fetch.failure(), reason);
    QVERIFY(QDir(folder.path()).isEmpty());
}

void TestFileFetch::untrustedAddressesAreNotFetched_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("plain http to an address") << "http://192.0.2.7/downloads/setup";
    QTest::newRow("plain http to a name") << "http://www.pelox8.example/downloads/setup";
    QTest::newRow("ftp") << "ftp://www.pelox8.example/setup";
}

void TestFileFetch::untrustedAddressesAreNotFetched()
{
    QFETCH(QString, url);
    QVERIFY(!FileFetch::trustedSource(QUrl(url)));
    QTemporaryDir folder;
    FileFetch fetch;
    QCOMPARE(fetch.start(QUrl(url), {folder.path()}), FileFetch::Start::AddressRefused);
    QCOMPARE(fetch.failure(), QStringLiteral("Only secure (https) addresses are used."));
    QVERIFY(!fetch.running());
    QVERIFY(QDir(folder.path()).isEmpty());
}

void TestFileFetch::reasonsWithoutAServer()
{
    // Nobody listens on a port just given up.
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    QTemporaryDir folder;
    FileFetch fetch;
    QSignalSpy finished(&fetch, &FileFetch::finished);
    fetch.start(QUrl(QStringLiteral("https://127.0.0.1:%1/setup").arg(closedPort)),
                {folder.path()});
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(fetch.failure(),
             QStringLiteral("Could not reach 127.0.0.1: the connection was refused."));

    // A server that does not speak TLS to an https address.
    QTcpServer plain;
    QVERIFY(plain.listen(QHostAddress::LocalHost));
    connect(&plain, &QTcpServer::newConnection, this, [&plain] {
        QTcpSocket *s = plain.nextPendingConnection();
        s->write("HTTP/1.1 400 Bad Request\r\n\r\n");
        s->disconnectFromHost();
    });
    fetch.start(QUrl(QStringLiteral("https://127.0.0.1:%1/setup").arg(plain.serverPort())),
                {folder.path()});
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(fetch.failure(),
             QStringLiteral("Could not make a secure (TLS) connection to 127.0.0.1."));

    // A name that does not resolve (not looked up here: no traffic leaves
    // the machine).
    QCOMPARE(FileFetch::failureText(QNetworkReply::HostNotFoundError, 0, {},
                                    QStringLiteral("www.pelox8.example")),
             QStringLiteral("Could not reach www.pelox8.example: host not found."));
    QVERIFY(QDir(folder.path()).isEmpty());
}

QTEST_MAIN(TestFileFetch)
#include "tst_filefetch.moc"
