#include "client/options.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velmora;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QByteArray withEnding(QByteArray text, const QByteArray &ending)
{
    return text.replace("\n", ending);
}

// One option as text, so that the reading rules fit one table.
QString describe(const Options &options, const QString &what)
{
    if (what == QLatin1String("textSize"))
        return QString::number(options.textSize());
    if (what == QLatin1String("place")) {
        const QRect r = options.windowPlace();
        return QStringLiteral("%1,%2 %3x%4")
            .arg(r.left())
            .arg(r.top())
            .arg(r.width())
            .arg(r.height());
    }
    if (what == QLatin1String("turnSound"))
        return options.turnSoundNew() ? QStringLiteral("New") : QStringLiteral("Classic");
    if (what == QLatin1String("chatter"))
        return options.chatterSounds() ? QStringLiteral("on") : QStringLiteral("off");
    if (what == QLatin1String("sounds"))
        return options.playSounds() ? QStringLiteral("on") : QStringLiteral("off");
    if (what == QLatin1String("colour"))
        return QString::fromLatin1(colourToText(options.chatColour()));
    if (what == QLatin1String("botSpeed"))
        return Options::botSpeedName(options.botSpeed());
    if (what == QLatin1String("rounds"))
        return options.roundsText();
    if (what == QLatin1String("dummy"))
        return QString::number(options.dummy());
    if (what == QLatin1String("phrase3"))
        return options.phrase(3);
    if (what == QLatin1String("raise"))
        return options.raiseCards() ? QStringLiteral("on") : QStringLiteral("off");
    if (what == QLatin1String("fourColour"))
        return options.fourColourDeck() ? QStringLiteral("on") : QStringLiteral("off");
    if (what == QLatin1String("volumes"))
        return QStringLiteral("%1/%2").arg(options.soundVolume()).arg(options.chatterVolume());
    if (what == QLatin1String("turnLimit"))
        return QString::number(options.turnLimit());
    if (what == QLatin1String("botStrength"))
        return options.botStrength() == Options::BotStrength::Strong ? QStringLiteral("strong")
                                                                     : QStringLiteral("classic");
    if (what == QLatin1String("zoom"))
        return QString::number(options.zoom());
    return QStringLiteral("?");
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void emptyFileGivesDefaults_data();
    void emptyFileGivesDefaults();
    void readingRules_data();
    void readingRules();
    void saveKeepsEverythingElse_data();
    void saveKeepsEverythingElse();
    void saveBeforeReadingKeepsStoredValues_data();
    void saveBeforeReadingKeepsStoredValues();
    void gameStartChoicesKeptWhenAGameStarts();
    void phraseEditorWritesAllTen();
    void phraseKeepsItsFirstCharacterThroughSaves();
    void failedWriteLeavesTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("pelolobby.ini"));
}

void TestSettings::emptyFileGivesDefaults_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("no file") << false << QByteArray();
    QTest::newRow("empty file") << true << QByteArray();
    QTest::newRow("other section only")
        << true << QByteArray("[lobby]\nBotspeed=fast\nTextsize=14\n");
    QTest::newRow("empty section") << true << QByteArray("[velmora]\r\n\r\n");
}

void TestSettings::emptyFileGivesDefaults()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);
    if (exists)
        writeAll(m_path, contents);
    Options options;
    Settings settings(options, m_path);
    QSignalSpy errors(&settings, &Settings::error);
    settings.loadinifile();

    QCOMPARE(options.textSize(), 8);
    QCOMPARE(options.windowPlace(), QRect(3, 3, 798, 546));
    QVERIFY(!options.turnSoundNew());
    QVERIFY(options.chatterSounds());
    QCOMPARE(options.chatColour(), ColourValue{0});
    for (int n = 1; n <= Options::Phrases; ++n)
        QCOMPARE(options.phrase(n), Options::defaultPhrase(n));
    QCOMPARE(options.roundsText(), QStringLiteral("16"));
    QCOMPARE(options.dummy(), 1);
    QCOMPARE(options.botSpeed(), Options::BotSpeed::Normal);
    QVERIFY(options.playSounds());
    QVERIFY(settings.hasRead());
    QVERIFY(errors.isEmpty());
    // Reading writes nothing, not even a missing file.
    QCOMPARE(QFile::exists(m_path), exists);
    QCOMPARE(readAll(m_path), contents);
}

void TestSettings::readingRules_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const char *body, const char *what,
                        const char *expected) {
        QTest::newRow(name) << QByteArray(body) << QString::fromLatin1(what)
                            << QString::fromLatin1(expected);
    };
    row("text size", "[velmora]\nTextsize=12", "textSize", "12");
    row("text size a word", "[velmora]\nTextsize=big", "textSize", "8");
    row("text size nought", "[velmora]\nTextsize=0", "textSize", "8");
    row("text size huge", "[velmora]\nTextsize=4000", "textSize", "8");
    row("key in capitals", "[velmora]\nTEXTSIZE=14", "textSize", "14");
    row("section in capitals", "[VELMORA]\ntextsize=14", "textSize", "14");
    row("odd spacing", "  [ velmora ]  \n\t Textsize \t=  14  ", "textSize", "14");
    row("other section's key", "Textsize=14\n[lobby]\nTextsize=12\n[velmora]\n", "textSize", "8");
    row("first line of a key", "[velmora]\nTextsize=12\nTextsize=14", "textSize", "12");
    row("comment", "[velmora]\n;Textsize=12", "textSize", "8");
    row("byte order mark", "\xEF\xBB\xBF[velmora]\r\nTextsize=14", "textSize", "14");
    row("byte order mark only at the start", "[lobby]\n\xEF\xBB\xBF[velmora]\nTextsize=14",
        "textSize", "8");
    row("unclosed bracket is no section", "[velmora]\n[lobby\nTextsize=14", "textSize", "14");
    row("place", "[velmora]\r\nTop=40\r\nLeft=30\r\nWidth=900\r\n", "place", "30,40 900x546");
    row("place not a number", "[velmora]\nTop=x\nLeft=30", "place", "30,3 798x546");
    row("place beyond any desktop", "[velmora]\nLeft=2147483647\nTop=-2147483648\nWidth=1000001",
        "place", "3,3 798x546");
    row("place at the limit", "[velmora]\nLeft=-1000000\nWidth=1000000", "place",
        "-1000000,3 1000000x546");
    row("turn sound 1", "[velmora]\nTurnsound=1", "turnSound", "New");
    row("turn sound 2", "[velmora]\nTurnsound=2", "turnSound", "Classic");
    row("chatter false", "[velmora]\nChatterSounds=false", "chatter", "off");
    row("chatter False", "[velmora]\nChatterSounds=False", "chatter", "on");
    row("chatter 0", "[velmora]\nChatterSounds=0", "chatter", "on");
    row("sounds false", "[velmora]\nPlaysounds=false", "sounds", "off");
    row("sounds FALSE", "[velmora]\nPlaysounds=FALSE", "sounds", "on");
    row("colour clRed", "[velmora]\nTextcolor=clRed", "colour", "clRed");
    row("colour CLRED", "[velmora]\nTextcolor=CLRED", "colour", "clRed");
    row("colour unknown", "[velmora]\nTextcolor=clPink", "colour", "clBlack");
    row("colour empty", "[velmora]\nTextcolor=", "colour", "clBlack");
    row("speed slow", "[velmora]\nBotspeed=slow", "botSpeed", "slow");
    row("speed Slow", "[velmora]\nBotspeed=Slow", "botSpeed", "normal");
    row("rounds not a number", "[velmora]\nRounds=lots", "rounds", "lots");
    row("dummy not a number", "[velmora]\nDummy=off", "dummy", "1");
    row("phrase", "[velmora]\nPhrase3=See you", "phrase3", "See you");
    row("phrase empty", "[velmora]\nPhrase3=", "phrase3", "Nice Try!");
    row("raise missing", "[velmora]\n", "raise", "on");
    row("raise false", "[velmora]\nRaiseCards=false", "raise", "off");
    row("raise a word", "[velmora]\nRaiseCards=no", "raise", "on");
    row("four colours missing", "[velmora]\n", "fourColour", "off");
    row("four colours true", "[velmora]\nFourColourDeck=true", "fourColour", "on");
    row("four colours a word", "[velmora]\nFourColourDeck=yes", "fourColour", "off");
    row("volumes missing", "[velmora]\n", "volumes", "100/100");
    row("volumes", "[velmora]\nSoundVolume=40\nChatterVolume=0", "volumes", "40/0");
    row("volumes beyond the ends", "[velmora]\nSoundVolume=-5\nChatterVolume=250", "volumes",
        "0/100");
    row("volume a word", "[velmora]\nSoundVolume=loud", "volumes", "100/100");
    row("turn limit 60", "[velmora]\nTurnLimit=60", "turnLimit", "60");
    row("turn limit 120", "[velmora]\nTurnLimit=120", "turnLimit", "120");
    row("turn limit not offered", "[velmora]\nTurnLimit=45", "turnLimit", "0");
    row("turn limit a word", "[velmora]\nTurnLimit=30s", "turnLimit", "0");
    row("strength missing", "[velmora]\n", "botStrength", "classic");
    row("strength strong", "[velmora]\nBotStrength=strong", "botStrength", "strong");
    row("strength a word", "[velmora]\nBotStrength=hard", "botStrength", "classic");
    row("zoom missing", "[velmora]\n", "zoom", "100");
    row("zoom 125", "[velmora]\nZoom=125", "zoom", "125");
    row("zoom 200 in capitals", "[VELMORA]\nZOOM=200", "zoom", "200");
    row("zoom not offered", "[velmora]\nZoom=175", "zoom", "100");
    row("zoom as a fraction", "[velmora]\nZoom=150.0", "zoom", "100");
    row("zoom a word", "[velmora]\nZoom=big", "zoom", "100");
    row("zoom of another section", "[lobby]\nZoom=150\n[velmora]\n", "zoom", "100");
}

void TestSettings::readingRules()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, what);
    QFETCH(QString, expected);
    writeAll(m_path, contents);
    Options options;
    Settings settings(options, m_path);
    settings.loadinifile();
    QCOMPARE(describe(options, what), expected);
    QCOMPARE(readAll(m_path), contents);
    // The start of the program reads the zoom on its own, by the same rules.
    if (what == QLatin1String("zoom"))
        QCOMPARE(QString::number(Settings::storedZoom(m_path)), expected);
}

void TestSettings::saveKeepsEverythingElse_data()
{
    QTest::addColumn<QByteArray>("ending");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CRLF") << QByteArray("\r\n");
}

// The lobby program owns the rest of the file: a save changes the lines of
// its own keys and adds the missing ones at the end of its own section.
void TestSettings::saveKeepsEverythingElse()
{
    QFETCH(QByteArray, ending);
    const QByteArray before = withEnding("; the lobby's settings\n"
                                         "[Lobby]\n"
                                         "Name = Bob \n"
                                         "\n"
                                         "  [VelMora]\n"
                                         "  textSIZE =  12\t\n"
                                         "this line means nothing\n"
                                         "BOTSPEED=slow\n"
                                         "Phrase1=Hi there\n"
                                         "\n"
                                         "[other]\n"
                                         "Key=Value",
                                         ending);
    writeAll(m_path, before);
    Options options;
    Settings settings(options, m_path);
    settings.loadinifile();
    QCOMPARE(options.textSize(), 12);
    options.setBotSpeed(Options::BotSpeed::Fast);

    const QByteArray after = withEnding("; the lobby's settings\n"
                                        "[Lobby]\n"
                                        "Name = Bob \n"
                                        "\n"
                                        "  [VelMora]\n"
                                        "  textSIZE =  12\n"
                                        "this line means nothing\n"
                                        "BOTSPEED=fast\n"
                                        "Phrase1=Hi there\n"
                                        "Top=3\n"
                                        "Left=3\n"
                                        "Width=798\n"
                                        "Height=546\n"
                                        "Dummy=1\n"
                                        "Rounds=16\n"
                                        "Turnsound=0\n"
                                        "ChatterSounds=true\n"
                                        "Textcolor=clBlack\n"
                                        "Playsounds=true\n"
                                        "RaiseCards=true\n"
                                        "FourColourDeck=false\n"
                                        "SoundVolume=100\n"
                                        "ChatterVolume=100\n"
                                        "TurnLimit=0\n"
                                        "BotStrength=classic\n"
                                        "Zoom=100\n"
                                        "\n"
                                        "[other]\n"
                                        "Key=Value",
                                        ending);
    QCOMPARE(readAll(m_path), after);

    // A file without our section gets it at its end, on a line of its own.
    writeAll(m_path, withEnding("[Lobby]\nName=Bob", ending));
    options.setPlaySounds(false);
    const QByteArray saved = readAll(m_path);
    QVERIFY2(
        saved.startsWith(withEnding("[Lobby]\nName=Bob\n[velmora]\nTextsize=12\nTop=3\n", ending)),
        saved.constData());
    QVERIFY(saved.endsWith(
        withEnding("Playsounds=false\nBotspeed=fast\nRaiseCards=true\nFourColourDeck=false\n"
                   "SoundVolume=100\nChatterVolume=100\nTurnLimit=0\nBotStrength=classic\n"
                   "Zoom=100\n",
                   ending)));
}

void TestSettings::saveBeforeReadingKeepsStoredValues_data()
{
    QTest::addColumn<Options::Key>("key");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("play sounds") << Options::Key::PlaySounds << QByteArray("Playsounds=false\n");
    QTest::newRow("chatter sounds")
        << Options::Key::ChatterSounds << QByteArray("ChatterSounds=true\n");
    QTest::newRow("turn sound") << Options::Key::TurnSound << QByteArray("Turnsound=1\n");
    QTest::newRow("text size") << Options::Key::TextSize << QByteArray("Textsize=14\n");
    QTest::newRow("bot speed") << Options::Key::BotSpeed << QByteArray("Botspeed=fast\n");
    QTest::newRow("raised cards") << Options::Key::RaiseCards << QByteArray("RaiseCards=false\n");
    QTest::newRow("four colours") << Options::Key::FourColourDeck
                                  << QByteArray("FourColourDeck=true\n");
    QTest::newRow("sound volume") << Options::Key::SoundVolume << QByteArray("SoundVolume=30\n");
    QTest::newRow("chatter volume")
        << Options::Key::ChatterVolume << QByteArray("ChatterVolume=0\n");
    QTest::newRow("computer strength")
        << Options::Key::BotStrength << QByteArray("BotStrength=strong\n");
    QTest::newRow("zoom") << Options::Key::Zoom << QByteArray("Zoom=200\n");
    QTest::newRow("window closed elsewhere")
        << Options::Key::WindowPlace << QByteArray("Top=20\nLeft=10\nWidth=820\nHeight=560\n");
}

// A choice made before the file is read (while the connection is still being
// made) writes only itself; the player's stored choices stay.
void TestSettings::saveBeforeReadingKeepsStoredValues()
{
    QFETCH(Options::Key, key);
    QFETCH(QByteArray, expected);
    const QByteArray stored = "[velmora]\nTextsize=12\nTop=100\nLeft=200\nWidth=900\nHeight=600\n"
                              "Dummy=0\nRounds=8\nTurnsound=0\nChatterSounds=false\n"
                              "Textcolor=clRed\nPlaysounds=true\nBotspeed=slow\n"
                              "RaiseCards=true\nFourColourDeck=false\nSoundVolume=80\n"
                              "ChatterVolume=60\nBotStrength=classic\nZoom=125\n";
    writeAll(m_path, stored);
    Options options;
    Settings settings(options, m_path);
    switch (key) {
    case Options::Key::PlaySounds: options.setPlaySounds(false); break;
    case Options::Key::ChatterSounds: options.setChatterSounds(true); break;
    case Options::Key::TurnSound: options.setTurnSoundNew(true); break;
    case Options::Key::TextSize: options.setTextSize(14); break;
    case Options::Key::BotSpeed: options.setBotSpeed(Options::BotSpeed::Fast); break;
    case Options::Key::RaiseCards: options.setRaiseCards(false); break;
    case Options::Key::FourColourDeck: options.setFourColourDeck(true); break;
    case Options::Key::SoundVolume: options.setSoundVolume(30); break;
    case Options::Key::ChatterVolume: options.setChatterVolume(0); break;
    case Options::Key::BotStrength: options.setBotStrength(Options::BotStrength::Strong); break;
    case Options::Key::Zoom: options.setZoom(200); break;
    case Options::Key::WindowPlace: {
        QRect window(10, 20, 820, 560);
        QVERIFY(options.rememberOnClose(window, QSize(1280, 1024)));
        break;
    }
    default: QFAIL("no such row");
    }

    // Exactly the changed lines differ.
    QList<QByteArray> lines = stored.split('\n');
    const QList<QByteArray> changed = expected.split('\n');
    for (QByteArray &line : lines)
        for (const QByteArray &now : changed)
            if (!now.isEmpty() && line.split('=').first() == now.split('=').first())
                line = now;
    QCOMPARE(readAll(m_path), lines.join('\n'));

    // Read afterwards, the stored choices are all there.
    settings.loadinifile();
    QCOMPARE(Options::botSpeedName(options.botSpeed()),
             key == Options::Key::BotSpeed ? QStringLiteral("fast") : QStringLiteral("slow"));
    QCOMPARE(options.chatColour(), ColourValue{0xFF});
    QCOMPARE(options.roundsText(), QStringLiteral("8"));
    QCOMPARE(options.dummy(), 0);
    QCOMPARE(options.raiseCards(), key != Options::Key::RaiseCards);
    QCOMPARE(options.fourColourDeck(), key == Options::Key::FourColourDeck);
    QCOMPARE(options.soundVolume(), key == Options::Key::SoundVolume ? 30 : 80);
    QCOMPARE(options.chatterVolume(), key == Options::Key::ChatterVolume ? 0 : 60);
    QCOMPARE(options.botStrength() == Options::BotStrength::Strong,
             key == Options::Key::BotStrength);
    QCOMPARE(options.zoom(), key == Options::Key::Zoom ? 200 : 125);
}

void TestSettings::gameStartChoicesKeptWhenAGameStarts()
{
    writeAll(m_path, "[velmora]\nRounds=8\n");
    Options options;
    Settings settings(options, m_path);
    // The spinner moves before any reading; nothing is written yet.
    options.setRoundsText(QStringLiteral("20"));
    options.setDummy(0);
    QCOMPARE(readAll(m_path), QByteArray("[velmora]\nRounds=8\n"));
    settings.saveGameStart();
    QCOMPARE(readAll(m_path), QByteArray("[velmora]\nRounds=20\nDummy=0\n"));

    settings.loadinifile();
    options.setRoundsText(QStringLiteral("12"));
    QCOMPARE(readAll(m_path), QByteArray("[velmora]\nRounds=20\nDummy=0\n"));
    settings.saveGameStart();
    const QByteArray saved = readAll(m_path);
    QVERIFY(saved.contains("Rounds=12\n"));
    QVERIFY(saved.contains("Botspeed=normal\n")); // a full save once read
}

void TestSettings::phraseEditorWritesAllTen()
{
    writeAll(m_path, "[velmora]\nPhrase2=Old\nBotspeed=slow\n");
    Options options;
    Settings settings(options, m_path);
    std::array<QString, Options::Phrases + 1> phrases;
    for (int n = 1; n <= Options::Phrases; ++n)
        phrases[n] = QStringLiteral("Phrase number %1").arg(n);
    phrases[5] = QStringLiteral("two\nlines"); // must not break the file into two keys
    options.setPhrases(phrases);               // the editor's "Done"

    const QByteArray saved = readAll(m_path);
    QVERIFY(saved.startsWith(
        "[velmora]\nPhrase2=Phrase number 2\nBotspeed=slow\nPhrase1=Phrase number 1\n"
        "Phrase3=Phrase number 3\nPhrase4=Phrase number 4\nPhrase5=two lines\n"));
    QVERIFY(saved.endsWith("Phrase10=Phrase number 10\n"));
    QVERIFY(!saved.contains("Textsize") && !saved.contains("Rounds"));

    Options reread;
    Settings(reread, m_path).loadinifile();
    QCOMPARE(reread.phrase(10), QStringLiteral("Phrase number 10"));
    QCOMPARE(reread.phrase(5), QStringLiteral("two lines"));
    QCOMPARE(reread.botSpeed(), Options::BotSpeed::Slow);
}

// Found by fuzzing: a value starting with byte order marks lost one at
// every reading, so each save and start changed the phrase.
void TestSettings::phraseKeepsItsFirstCharacterThroughSaves()
{
    writeAll(m_path, "[velmora]\nPhrase3=\xEF\xBB\xBF\xEF\xBB\xBFHi\n");
    const QString expected = QStringLiteral("\uFEFF\uFEFFHi");
    for (int round = 0; round < 3; ++round) {
        Options options;
        Settings settings(options, m_path);
        settings.loadinifile();
        QCOMPARE(options.phrase(3), expected);
        settings.savePhrases();
    }
    QVERIFY(readAll(m_path).startsWith("[velmora]\nPhrase3=\xEF\xBB\xBF\xEF\xBB\xBFHi\n"));
}

void TestSettings::failedWriteLeavesTheOldFile()
{
    const QByteArray stored = "[lobby]\nName=Bob\n[velmora]\nBotspeed=slow\n";
    writeAll(m_path, stored);
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    const auto restore = qScopeGuard([this] {
        QFile::setPermissions(m_dir->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (QFile probe(m_dir->filePath(QStringLiteral("probe"))); probe.open(QIODevice::WriteOnly))
        QSKIP("this user writes in read-only folders");

    Options options;
    Settings settings(options, m_path);
    QSignalSpy errors(&settings, &Settings::error);
    settings.loadinifile();
    options.setBotSpeed(Options::BotSpeed::Fast);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.at(0).at(0).toString().contains(m_path));
    QCOMPARE(readAll(m_path), stored);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
