#include "sound/deferredplayer.h"
#include "sound/effectplayer.h"
#include "sound/soundplayer.h"

#include <QFile>
#include <QLibraryInfo>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

#include <QtEndian>

using namespace velmora;

namespace {

struct WaveInfo
{
    QString error; // empty when the file is a plain PCM WAVE file
    int format = 0;
    int channels = 0;
    int rate = 0;
    int byteRate = 0;
    int blockAlign = 0;
    int bits = 0;
    qint64 dataBytes = 0;
};

quint32 u32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 u16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// Walks the RIFF chunks the way a strict reader would: sizes must add up to
// the file, and both the format and the data chunk must be there.
WaveInfo readWave(const QString &path)
{
    WaveInfo w;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        w.error = QStringLiteral("cannot open");
        return w;
    }
    const QByteArray b = file.readAll();
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") {
        w.error = QStringLiteral("not RIFF WAVE");
        return w;
    }
    if (u32(b, 4) != quint32(b.size() - 8)) {
        w.error = QStringLiteral("RIFF size does not match the file");
        return w;
    }
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const qint64 size = u32(b, at + 4);
        if (at + 8 + size > b.size()) {
            w.error = QStringLiteral("chunk %1 runs past the end").arg(QLatin1String(id));
            return w;
        }
        if (id == "fmt " && size >= 16) {
            w.format = u16(b, at + 8);
            w.channels = u16(b, at + 10);
            w.rate = int(u32(b, at + 12));
            w.byteRate = int(u32(b, at + 16));
            w.blockAlign = u16(b, at + 20);
            w.bits = u16(b, at + 22);
            haveFormat = true;
        } else if (id == "data") {
            w.dataBytes = size;
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        w.error = QStringLiteral("format or data chunk missing");
    return w;
}

// Keeps the real player but without an output device.
class DeafPlayer : public EffectPlayer
{
protected:
    QAudioDevice output() const override { return {}; }
};

} // namespace

class TestSounds : public QObject
{
    Q_OBJECT
private slots:
    void resources_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds");
        // The game sounds close to their intended lengths: a turn sound of
        // three seconds would still be ringing at the next turn.
        const QList<std::pair<const char *, double>> game{
            {"buydummy", 0.25}, {"entered", 0.79},  {"gameover", 2.79}, {"getcard", 0.22},
            {"getpot", 0.78},   {"hegotpot", 0.29}, {"leadcard", 0.57}, {"money", 0.79},
            {"playcard", 0.28}, {"roundover", 1.0}, {"turnnew", 0.43},  {"wrongcard", 1.0}};
        for (const auto &[name, seconds] : game)
            QTest::newRow(name) << QString::fromLatin1(name) << seconds * 0.9 << seconds * 1.1;
        for (int n = 1; n <= 20; ++n) {
            const QString name = QStringLiteral("wave%1").arg(n);
            QTest::newRow(qPrintable(name)) << name << 0.2 << 5.0;
        }
    }

    void resources()
    {
        QFETCH(QString, name);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);

        QVERIFY(SoundPlayer::isKnown(name));
        QVERIFY(SoundPlayer::isKnown(name.toUpper()));
        const QString path = SoundPlayer::resourcePath(name);
        QCOMPARE(path, SoundPlayer::resourcePath(name.toUpper()));

        const WaveInfo w = readWave(path);
        QVERIFY2(w.error.isEmpty(), qPrintable(path + QStringLiteral(": ") + w.error));
        QCOMPARE(w.format, 1); // PCM
        QCOMPARE(w.channels, 1);
        QCOMPARE(w.rate, 22050);
        QCOMPARE(w.bits, 16);
        QCOMPARE(w.blockAlign, 2);
        QCOMPARE(w.byteRate, 44100);
        QCOMPARE(w.dataBytes % 2, 0);
        const double seconds = double(w.dataBytes) / w.byteRate;
        QVERIFY2(seconds >= minSeconds && seconds <= maxSeconds,
                 qPrintable(QStringLiteral("%1 s").arg(seconds)));
    }

    // A name the set accepts but cannot play would load as a broken effect.
    void everyNameHasItsClip()
    {
        for (const QString &name : SoundPlayer::names())
            QVERIFY2(QFile::exists(SoundPlayer::resourcePath(name)), qPrintable(name));
    }

    void chatterMenu()
    {
        const QStringList captions{QStringLiteral("Doh"),
                                   QStringLiteral("Cough"),
                                   QStringLiteral("Hello"),
                                   QStringLiteral("Thank You"),
                                   QStringLiteral("Where have you been?"),
                                   QStringLiteral("Snoring"),
                                   QStringLiteral("Sneezing"),
                                   QStringLiteral("Sorry"),
                                   QStringLiteral("Welcome"),
                                   QStringLiteral("Yeehaa"),
                                   QStringLiteral("Yippee"),
                                   QStringLiteral("Oh No"),
                                   QStringLiteral("Applause"),
                                   QStringLiteral("Honk"),
                                   QStringLiteral("Oooh"),
                                   QStringLiteral("Razzberry"),
                                   QStringLiteral("Cheer"),
                                   QStringLiteral("Woman Laughing"),
                                   QStringLiteral("Man Laughing"),
                                   QStringLiteral("Crying")};
        const QList<SoundPlayer::Chatter> &chatter = SoundPlayer::chatterSounds();
        QCOMPARE(chatter.size(), captions.size());
        for (int i = 0; i < chatter.size(); ++i) {
            QCOMPARE(chatter[i].number, i + 1);
            QCOMPARE(chatter[i].name, QStringLiteral("wave%1").arg(i + 1));
            QCOMPARE(chatter[i].caption, captions[i]);
            QVERIFY(SoundPlayer::isKnown(chatter[i].name));
        }
    }

    // Chatter sound names come from the network.
    void unknownNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("wave0") << QStringLiteral("wave0");
        QTest::newRow("wave21") << QStringLiteral("wave21");
        QTest::newRow("wave07") << QStringLiteral("wave07");
        QTest::newRow("spaces") << QStringLiteral(" playcard ");
        QTest::newRow("file name") << QStringLiteral("playcard.wav");
        QTest::newRow("path") << QStringLiteral("../sounds/PLAYCARD");
        QTest::newRow("resource") << QStringLiteral(":/sounds/PLAYCARD.wav");
        QTest::newRow("prefix") << QStringLiteral("wave");
    }

    void unknownNames()
    {
        QFETCH(QString, name);
        QVERIFY(!SoundPlayer::isKnown(name));
        QVERIFY(SoundPlayer::resourcePath(name).isEmpty());

        EffectPlayer player;
        player.playsounds(name);
        QVERIFY(player.playing().isEmpty());
        QVERIFY(player.findChildren<QSoundEffect *>().isEmpty());
    }

    // Without a device a started effect would claim to play for ever.
    void silentWithoutDevice()
    {
        DeafPlayer deaf;
        deaf.playsounds(QStringLiteral("playcard"));
        deaf.playsounds(QStringLiteral("wave7"));
        QVERIFY(deaf.playing().isEmpty());
        QVERIFY(deaf.findChildren<QSoundEffect *>().isEmpty());

        if (!QMediaDevices::audioOutputs().isEmpty())
            QSKIP("this machine has an audio output");
        EffectPlayer player;
        player.playsounds(QStringLiteral("gameover"));
        QVERIFY(player.playing().isEmpty());
        QVERIFY(player.findChildren<QSoundEffect *>().isEmpty());
    }

    // The game's player takes the module's at the first sound it can play
    // and hands it the volumes set before.
    void moduleAtFirstSound()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("plays no sounds")));
        DeferredPlayer player({QStringLiteral("/nonexistent"), QStringLiteral(SOUND_MODULE_DIR)});
        player.setVolume(SoundPlayer::Channel::Chatter, 30);
        player.playsounds(QStringLiteral("wave0"));
        QVERIFY(!player.player());
        player.playsounds(QStringLiteral("playcard"));
        QVERIFY(player.player());
        player.setVolume(SoundPlayer::Channel::Game, 60);
        QCOMPARE(player.player()->volume(SoundPlayer::Channel::Chatter), 30);
        QCOMPARE(player.player()->volume(SoundPlayer::Channel::Game), 60);
    }

    // Without its module the game plays on in silence, saying why once.
    void moduleMissing_data()
    {
        QTest::addColumn<QString>("found"); // what lies where the module should
        QTest::addColumn<QString>("reason");
        const QDir images(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                          QStringLiteral("/imageformats"));
        const QStringList plugins = images.entryList({QStringLiteral("*.so")});
        QTest::newRow("none") << QString() << QStringLiteral("is in none of");
        QTest::newRow("no library") << QStringLiteral("text") << QStringLiteral("velmora-sound.so");
        if (!plugins.isEmpty())
            QTest::newRow("another plugin") << images.filePath(plugins.first())
                                            << QStringLiteral("is not this program's sound module");
    }

    void moduleMissing()
    {
        QFETCH(QString, found);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        const QString module = folder.filePath(DeferredPlayer::moduleFileName());
        if (found == QLatin1String("text")) {
            QFile file(module);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a library\n");
        } else if (!found.isEmpty()) {
            QVERIFY(QFile::link(found, module));
        }
        DeferredPlayer player({folder.path()});
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^Velmora plays no sounds: .*") +
                                                QRegularExpression::escape(reason)));
        QTest::failOnWarning(QRegularExpression(QStringLiteral("plays no sounds")));
        player.playsounds(QStringLiteral("playcard"));
        player.setVolume(SoundPlayer::Channel::Game, 50);
        player.playsounds(QStringLiteral("wave3"));
        QVERIFY(!player.player());
    }
};

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
