#include "settings.h"

#include "base/config.h"
#include "profilefile.h"

#include <QScopeGuard>

namespace velmora {

namespace {
QString section() { return QStringLiteral("velmora"); }

QString phraseKey(int n) { return QStringLiteral("Phrase") + QString::number(n); }

QString onOff(bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); }

// The chat view cannot show a size of nothing, and a giant one would leave
// no room for a single line; such a size is as unreadable as a word.
constexpr int MaxTextSize = 72;

// The order in which a save writes the keys.
constexpr std::initializer_list<Options::Key> SavedKeys{
    Options::Key::TextSize,      Options::Key::WindowPlace,    Options::Key::Dummy,
    Options::Key::Rounds,        Options::Key::TurnSound,      Options::Key::ChatterSounds,
    Options::Key::TextColour,    Options::Key::PlaySounds,     Options::Key::BotSpeed,
    Options::Key::RaiseCards,    Options::Key::FourColourDeck, Options::Key::SoundVolume,
    Options::Key::ChatterVolume, Options::Key::TurnLimit,      Options::Key::PlayerName,
    Options::Key::RecentTables,  Options::Key::BotStrength,    Options::Key::Zoom,
};

QString zoomKey() { return QStringLiteral("Zoom"); }

// Whole percent only, as the other numbers of the file: "150.0" is as
// unknown as "huge".
int zoomFrom(const std::optional<QString> &text)
{
    bool ok = false;
    const int percent = text ? text->toInt(&ok) : 0;
    return Options::knownZoom(ok ? percent : 100);
}
} // namespace

QString Settings::defaultPath() { return dataFolder() + QStringLiteral("/pelolobby.ini"); }

int Settings::storedZoom(const QString &path)
{
    ProfileFile file(path);
    // An unreadable file is reported once the window reads it in full.
    return file.read() ? zoomFrom(file.value(section(), zoomKey())) : 100;
}

Settings::Settings(Options &options, QString path, QObject *parent)
    : QObject(parent), m_options(options), m_path(std::move(path))
{
    connect(&m_options, &Options::changed, this, &Settings::optionChanged);
}

Settings::~Settings() = default;

void Settings::loadinifile()
{
    ProfileFile file(m_path);
    if (!file.read())
        emit error(QStringLiteral("Cannot read %1: %2").arg(m_path, file.errorString()));

    const auto value = [&](const QString &key) { return file.value(section(), key); };
    const auto number = [&](const QString &key, int fallback) {
        bool ok = false;
        const std::optional<QString> text = value(key);
        const int n = text ? text->toInt(&ok) : 0;
        return ok ? n : fallback;
    };

    // The options announce every change; none of these is the player's.
    m_loading = true;
    const auto loaded = qScopeGuard([this] {
        m_loading = false;
        m_read = true;
    });

    int textSize = number(QStringLiteral("Textsize"), DefaultTextSize);
    if (textSize < 1 || textSize > MaxTextSize)
        textSize = DefaultTextSize;
    m_options.setTextSize(textSize);

    // A place far beyond any desktop is as unreadable as a word; QRect
    // could not even hold its far edge.
    constexpr int MaxPlace = 1000000;
    const auto coordinate = [&](const QString &key, int fallback) {
        const int n = number(key, fallback);
        return n >= -MaxPlace && n <= MaxPlace ? n : fallback;
    };
    const QRect place = Options::DefaultPlace;
    m_options.setWindowPlace(QRect(coordinate(QStringLiteral("Left"), place.left()),
                                   coordinate(QStringLiteral("Top"), place.top()),
                                   coordinate(QStringLiteral("Width"), place.width()),
                                   coordinate(QStringLiteral("Height"), place.height())));

    m_options.setTurnSoundNew(value(QStringLiteral("Turnsound")) == QStringLiteral("1"));
    m_options.setChatterSounds(value(QStringLiteral("ChatterSounds")) != QStringLiteral("false"));

    const QString colour = value(QStringLiteral("Textcolor")).value_or(QStringLiteral("clblack"));
    m_options.setChatColour(colourFromText(colour.toLatin1()).value_or(ColourValue{0}));

    std::array<QString, Options::Phrases + 1> phrases;
    for (int n = 1; n <= Options::Phrases; ++n) {
        const std::optional<QString> phrase = value(phraseKey(n));
        phrases[n] = phrase && !phrase->isEmpty() ? *phrase : m_options.phrase(n);
    }
    m_options.setPhrases(phrases);

    m_options.setRoundsText(value(QStringLiteral("Rounds")).value_or(QStringLiteral("16")));
    m_options.setDummy(number(QStringLiteral("Dummy"), 1));

    const std::optional<QString> speed = value(QStringLiteral("Botspeed"));
    m_options.setBotSpeed(speed == QStringLiteral("slow")   ? Options::BotSpeed::Slow
                          : speed == QStringLiteral("fast") ? Options::BotSpeed::Fast
                                                            : Options::BotSpeed::Normal);

    m_options.setPlaySounds(value(QStringLiteral("Playsounds")) != QStringLiteral("false"));
    // Keys of our own, which the lobby program never writes.
    m_options.setRaiseCards(value(QStringLiteral("RaiseCards")) != QStringLiteral("false"));
    m_options.setFourColourDeck(value(QStringLiteral("FourColourDeck")) == QStringLiteral("true"));
    m_options.setSoundVolume(number(QStringLiteral("SoundVolume"), 100));
    m_options.setChatterVolume(number(QStringLiteral("ChatterVolume"), 100));
    m_options.setTurnLimit(number(QStringLiteral("TurnLimit"), 0));
    m_options.setBotStrength(value(QStringLiteral("BotStrength")) == QStringLiteral("strong")
                                 ? Options::BotStrength::Strong
                                 : Options::BotStrength::Classic);
    m_options.setZoom(zoomFrom(value(zoomKey())));
    readTableChoices(file);
}

void Settings::loadTableChoices()
{
    ProfileFile file(m_path);
    if (!file.read())
        emit error(QStringLiteral("Cannot read %1: %2").arg(m_path, file.errorString()));
    const bool wasLoading = m_loading;
    m_loading = true;
    readTableChoices(file);
    m_loading = wasLoading;
}

void Settings::readTableChoices(const ProfileFile &file)
{
    m_options.setPlayerName(
        file.value(section(), QStringLiteral("PlayerName")).value_or(QString()));
    m_options.setRecentTables(file.value(section(), QStringLiteral("RecentTables"))
                                  .value_or(QString())
                                  .split(QLatin1Char(','), Qt::SkipEmptyParts));
}

void Settings::saveinifile() { save(SavedKeys); }

void Settings::savePhrases() { save({Options::Key::Phrases}); }

void Settings::saveGameStart()
{
    if (m_read)
        saveinifile();
    else
        save({Options::Key::Dummy, Options::Key::Rounds});
}

void Settings::optionChanged(Options::Key key)
{
    if (m_loading)
        return;
    switch (key) {
    case Options::Key::Rounds:
    case Options::Key::Dummy: return; // kept when a game starts with them
    case Options::Key::Phrases: savePhrases(); return;
    default:
        if (m_read)
            saveinifile();
        else
            save({key});
    }
}

void Settings::save(std::initializer_list<Options::Key> keys)
{
    ProfileFile file(m_path);
    if (!file.read()) {
        emit error(QStringLiteral("Cannot read %1: %2").arg(m_path, file.errorString()));
        return;
    }
    for (Options::Key key : keys)
        writeKey(file, key);
    if (!file.write())
        emit error(QStringLiteral("Cannot write %1: %2").arg(m_path, file.errorString()));
}

void Settings::writeKey(ProfileFile &file, Options::Key key) const
{
    const auto set = [&](const QString &name, const QString &value) {
        file.setValue(section(), name, value);
    };
    switch (key) {
    case Options::Key::TextSize:
        set(QStringLiteral("Textsize"), QString::number(m_options.textSize()));
        break;
    case Options::Key::WindowPlace: {
        const QRect place = m_currentPlace ? m_currentPlace() : m_options.windowPlace();
        set(QStringLiteral("Top"), QString::number(place.top()));
        set(QStringLiteral("Left"), QString::number(place.left()));
        set(QStringLiteral("Width"), QString::number(place.width()));
        set(QStringLiteral("Height"), QString::number(place.height()));
        break;
    }
    case Options::Key::Dummy:
        set(QStringLiteral("Dummy"), QString::number(m_options.dummy()));
        break;
    case Options::Key::Rounds: set(QStringLiteral("Rounds"), m_options.roundsText()); break;
    case Options::Key::TurnSound:
        set(QStringLiteral("Turnsound"),
            m_options.turnSoundNew() ? QStringLiteral("1") : QStringLiteral("0"));
        break;
    case Options::Key::ChatterSounds:
        set(QStringLiteral("ChatterSounds"), onOff(m_options.chatterSounds()));
        break;
    case Options::Key::TextColour:
        set(QStringLiteral("Textcolor"), QString::fromLatin1(colourToText(m_options.chatColour())));
        break;
    case Options::Key::PlaySounds:
        set(QStringLiteral("Playsounds"), onOff(m_options.playSounds()));
        break;
    case Options::Key::BotSpeed:
        set(QStringLiteral("Botspeed"), Options::botSpeedName(m_options.botSpeed()));
        break;
    case Options::Key::RaiseCards:
        set(QStringLiteral("RaiseCards"), onOff(m_options.raiseCards()));
        break;
    case Options::Key::FourColourDeck:
        set(QStringLiteral("FourColourDeck"), onOff(m_options.fourColourDeck()));
        break;
    case Options::Key::SoundVolume:
        set(QStringLiteral("SoundVolume"), QString::number(m_options.soundVolume()));
        break;
    case Options::Key::ChatterVolume:
        set(QStringLiteral("ChatterVolume"), QString::number(m_options.chatterVolume()));
        break;
    case Options::Key::TurnLimit:
        set(QStringLiteral("TurnLimit"), QString::number(m_options.turnLimit()));
        break;
    // Written once there is something to keep: the file is the lobby
    // program's too, and a player who never hosted or joined has neither.
    case Options::Key::PlayerName:
        if (!m_options.playerName().isEmpty())
            set(QStringLiteral("PlayerName"), m_options.playerName());
        break;
    case Options::Key::RecentTables:
        if (!m_options.recentTables().isEmpty())
            set(QStringLiteral("RecentTables"), m_options.recentTables().join(QLatin1Char(',')));
        break;
    case Options::Key::Phrases:
        for (int n = 1; n <= Options::Phrases; ++n)
            set(phraseKey(n), m_options.phrase(n));
        break;
    case Options::Key::BotStrength:
        set(QStringLiteral("BotStrength"), m_options.botStrength() == Options::BotStrength::Strong
                                               ? QStringLiteral("strong")
                                               : QStringLiteral("classic"));
        break;
    case Options::Key::Zoom: set(zoomKey(), QString::number(m_options.zoom())); break;
    }
}

} // namespace velmora
