// The settings file, which the lobby program and the user edit too. The
// profile reader must give back every byte it does not change, find what it
// wrote, and the options read from any file must be usable and survive a
// save and a read unchanged.

#include "fuzzsupport.h"

#include "client/options.h"
#include "settings/profilefile.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>

using namespace velmora;
using velmora::fuzz::borrow;

namespace {

QString scratchPath()
{
    // In memory where the system has it: each input writes the file twice.
    const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                  : QDir::tempPath();
    return dir + QStringLiteral("/velmora-fuzz-%1.ini").arg(QCoreApplication::applicationPid());
}

struct Snapshot
{
    int textSize;
    QRect place;
    bool turnSoundNew, chatterSounds, playSounds;
    ColourValue colour;
    QStringList phrases;
    QString rounds;
    int dummy;
    Options::BotSpeed speed;
    friend bool operator==(const Snapshot &, const Snapshot &) = default;
};

// A value is kept on one line: a CR inside it is written as a space.
QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).trimmed();
}

Snapshot snapshot(const Options &o)
{
    Snapshot s{o.textSize(),
               o.windowPlace(),
               o.turnSoundNew(),
               o.chatterSounds(),
               o.playSounds(),
               o.chatColour(),
               {},
               oneLine(o.roundsText()),
               o.dummy(),
               o.botSpeed()};
    for (int n = 1; n <= Options::Phrases; ++n)
        s.phrases.append(oneLine(o.phrase(n)));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = borrow(data, size);

    ProfileFile profile(QString{});
    profile.setContents(bytes);
    FUZZ_CHECK(profile.contents() == bytes);
    const auto before = profile.value(u"velmora", u"Textsize");
    profile.setValue(QStringLiteral("velmora"), QStringLiteral("Textcolor"),
                     QStringLiteral("clRed"));
    FUZZ_CHECK(profile.value(u"VELMORA", u"textcolor") == QStringLiteral("clRed"));
    FUZZ_CHECK(profile.value(u"velmora", u"Textsize") == before);
    profile.setValue(QStringLiteral("Other"), QStringLiteral("Key"), QStringLiteral(" a\nb "));
    FUZZ_CHECK(profile.value(u"other", u"key") == QStringLiteral("a b"));
    FUZZ_CHECK(profile.value(u"velmora", u"Textcolor") == QStringLiteral("clRed"));

    // The options from the file, then saved and read back.
    static const QString path = scratchPath();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }
    Options options;
    Settings settings(options, path);
    settings.loadinifile();
    FUZZ_CHECK(options.textSize() >= 1 && options.textSize() <= 72);
    const Snapshot read = snapshot(options);
    settings.saveinifile();
    settings.savePhrases();
    Options again;
    Settings(again, path).loadinifile();
    const Snapshot back = snapshot(again);
    if (!(back == read)) {
        QFile saved(path);
        saved.open(QIODevice::ReadOnly);
        std::fprintf(stderr, "saved file:\n%s\nread: %d %s %s %d | back: %d %s %s %d\n",
                     saved.readAll().constData(), read.textSize,
                     qPrintable(read.phrases.join(u'/')), qPrintable(read.rounds), read.dummy,
                     back.textSize, qPrintable(back.phrases.join(u'/')), qPrintable(back.rounds),
                     back.dummy);
    }
    FUZZ_CHECK(back == read);
    return 0;
}
