// The files we own survive a crash in the middle of a save: a process that
// saves the tally or the settings in a tight loop is killed at random
// moments, and the file left behind must be the old one or the new one,
// whole.

#include "tally/tally.h"
#include "savecontents.h"
#include "settings/profilefile.h"
#include "tally/tallycodec.h"
#include "tally/tallytext.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

using namespace velmora;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCrashSafe : public QObject
{
    Q_OBJECT
    static constexpr int Kills = 100;
private slots:
    void killedWhileSaving_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("tally") << QStringLiteral("tally");
        QTest::newRow("settings") << QStringLiteral("settings");
    }

    void killedWhileSaving()
    {
        QFETCH(QString, kind);
        const bool tally = kind == QLatin1String("tally");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(tally ? QStringLiteral("velmoratally.tld")
                                                : QStringLiteral("pelolobby.ini"));

        // The two whole files, made the way the helper makes them.
        QByteArray whole[2];
        QElapsedTimer saving;
        {
            savetest::SettingsSaver settings(path);
            QFile seed(path);
            if (!tally) {
                QVERIFY(seed.open(QIODevice::WriteOnly));
                seed.write(savetest::settingsSeed());
                seed.close();
            }
            saving.start();
            for (int v : {0, 1, 0}) {
                QVERIFY(tally ? savetest::saveTally(path, v) : settings.save(v));
                const QByteArray bytes = readAll(path);
                QVERIFY(whole[v].isEmpty() || whole[v] == bytes);
                whole[v] = bytes;
            }
        }
        QVERIFY(whole[0] != whole[1]);
        // Kill within a few saves' time, however slow this build saves (a
        // sanitizer build is many times slower).
        const quint32 window = quint32(qMax<qint64>(3000, saving.nsecsElapsed() / 1000 * 4 / 3));

        const quint32 rngSeed = QRandomGenerator::global()->generate();
        qInfo("random seed %u", rngSeed);
        QRandomGenerator rng(rngSeed);
        int seen[2] = {0, 0};
        QElapsedTimer clock;
        clock.start();
        // Two hundred kills in all, half of them on each file; a run costs
        // the start of a process, so more would only slow the suite down.
        for (int i = 0; i < Kills; ++i) {
            QProcess helper;
            helper.start(QStringLiteral(VELMORA_SAVEHELPER), {kind, path});
            QVERIFY(helper.waitForStarted(5000));
            // Mostly in the loop; now and then during the start and the
            // first save, which overwrites what the last run left.
            if (i % 5 != 0)
                QVERIFY2(helper.waitForReadyRead(5000), qPrintable(helper.readAllStandardError()));
            QThread::usleep(rng.bounded(i % 5 != 0 ? window : 5 * window));
            ::kill(pid_t(helper.processId()), SIGKILL);
            QVERIFY(helper.waitForFinished(5000));
            QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

            const QByteArray bytes = readAll(path);
            const int v = bytes == whole[0] ? 0 : bytes == whole[1] ? 1 : -1;
            QVERIFY2(v >= 0, qPrintable(QStringLiteral("kill %1: the file is neither (%2 bytes)")
                                            .arg(i)
                                            .arg(bytes.size())));
            ++seen[v];
            if (tally) {
                const TallyDecodeResult decoded = decompressTallyText(bytes, path);
                QVERIFY2(decoded.ok(), qPrintable(decoded.error));
                QCOMPARE(readTallyText(decoded.text).grid, savetest::tallyVariant(v).grid());
            } else {
                ProfileFile file(path);
                QVERIFY(file.read());
                QCOMPARE(
                    file.value(u"velmora", u"Textsize"),
                    std::optional<QString>(v == 0 ? QStringLiteral("9") : QStringLiteral("14")));
                const QByteArray seed = savetest::settingsSeed();
                QVERIFY(bytes.startsWith(seed.left(seed.indexOf("[velmora]"))));
            }
        }
        qInfo("%d kills in %lld ms: old/new file %d/%d times", Kills, clock.elapsed(), seen[0],
              seen[1]);
        // Kills that always found the same file would not be random moments.
        QVERIFY(seen[0] > 0 && seen[1] > 0);
        // The next start clears what the killed saves left beside the tally.
        if (tally) {
            Tally again(path);
            QCOMPARE(again.load(), QString());
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{QFileInfo(path).fileName()});
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashSafe)
#include "tst_crashsafe.moc"
