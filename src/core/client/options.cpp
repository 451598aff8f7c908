#include "options.h"

#include "protocol/table.h"

#include <algorithm>

namespace velmora {

Options::Options(QObject *parent) : QObject(parent)
{
    for (int n = 1; n <= Phrases; ++n)
        m_phrases[n] = defaultPhrase(n);
}

int Options::botInterval(BotSpeed speed)
{
    switch (speed) {
    case BotSpeed::Slow: return 1500;
    case BotSpeed::Fast: return 500;
    case BotSpeed::Normal: break;
    }
    return BotIntervalMs;
}

QString Options::botSpeedName(BotSpeed speed)
{
    switch (speed) {
    case BotSpeed::Slow: return QStringLiteral("slow");
    case BotSpeed::Fast: return QStringLiteral("fast");
    case BotSpeed::Normal: break;
    }
    return QStringLiteral("normal");
}

void Options::setBotSpeed(BotSpeed speed)
{
    m_botSpeed = speed;
    emit changed(Key::BotSpeed);
}

void Options::setTextSize(int size)
{
    m_textSize = size;
    emit changed(Key::TextSize);
}

void Options::setPlaySounds(bool on)
{
    m_playSounds = on;
    emit changed(Key::PlaySounds);
}

void Options::setChatterSounds(bool on)
{
    m_chatterSounds = on;
    emit changed(Key::ChatterSounds);
}

void Options::setTurnSoundNew(bool on)
{
    m_turnSoundNew = on;
    emit changed(Key::TurnSound);
}

void Options::setRaiseCards(bool on)
{
    m_raiseCards = on;
    emit changed(Key::RaiseCards);
}

void Options::setFourColourDeck(bool on)
{
    m_fourColourDeck = on;
    emit changed(Key::FourColourDeck);
}

void Options::setSoundVolume(int percent)
{
    m_soundVolume = std::clamp(percent, 0, 100);
    emit changed(Key::SoundVolume);
}

void Options::setChatterVolume(int percent)
{
    m_chatterVolume = std::clamp(percent, 0, 100);
    emit changed(Key::ChatterVolume);
}

void Options::setPlayerName(const QString &name)
{
    m_playerName = name.trimmed();
    emit changed(Key::PlayerName);
}

void Options::setRecentTables(const QStringList &addresses)
{
    m_recentTables.clear();
    for (const QString &address : addresses) {
        const QString trimmed = address.trimmed();
        // The settings file keeps them on one line, separated by commas.
        if (!trimmed.isEmpty() && !trimmed.contains(QLatin1Char(',')) &&
            !m_recentTables.contains(trimmed) && m_recentTables.size() < MaxRecentTables)
            m_recentTables.append(trimmed);
    }
    emit changed(Key::RecentTables);
}

void Options::addRecentTable(const QString &address)
{
    setRecentTables(QStringList{address} + m_recentTables);
}

int Options::knownZoom(int percent)
{
    return std::find(Zooms.begin(), Zooms.end(), percent) != Zooms.end() ? percent : 100;
}

void Options::setZoom(int percent)
{
    m_zoom = knownZoom(percent);
    emit changed(Key::Zoom);
}

void Options::setChatColour(ColourValue colour)
{
    m_chatColour = colour;
    emit changed(Key::TextColour);
}

QString Options::phrase(int n) const { return n >= 1 && n <= Phrases ? m_phrases[n] : QString(); }

QString Options::defaultPhrase(int n)
{
    static const char *const phrases[Phrases + 1] = {
        "",
        "Way To Go!",
        "Good One!",
        "Nice Try!",
        "Excellent!",
        "Brilliant!",
        "Wow, WTG!",
        "Thanks!",
        "Way To Go Teamie!",
        "Good Game Everyone!",
        "/me waves \"Good-Bye\"",
    };
    return n >= 1 && n <= Phrases ? QLatin1String(phrases[n]) : QString();
}

void Options::setPhrases(const std::array<QString, Phrases + 1> &phrases)
{
    m_phrases = phrases;
    m_phrases[0].clear();
    emit changed(Key::Phrases);
}

void Options::setRoundsText(const QString &text)
{
    m_roundsText = text;
    emit changed(Key::Rounds);
}

void Options::setDummy(int flag)
{
    m_dummy = flag;
    emit changed(Key::Dummy);
}

void Options::setWindowPlace(QRect place)
{
    m_windowPlace = place;
    emit changed(Key::WindowPlace);
}

void Options::setBotStrength(BotStrength strength)
{
    m_botStrength = strength;
    emit changed(Key::BotStrength);
}

bool Options::rememberOnClose(QRect &window, const QSize &workArea)
{
    if (window == m_windowPlace)
        return false;
    if (workArea.width() < window.width())
        window.setWidth(window.width() - 15);
    if (workArea.height() < window.height())
        window.setHeight(window.height() - 15);
    setWindowPlace(window);
    return true;
}

bool Options::isTurnLimit(int seconds)
{
    return std::find(TurnLimits.begin(), TurnLimits.end(), seconds) != TurnLimits.end();
}

void Options::setTurnLimit(int seconds)
{
    m_turnLimit = isTurnLimit(seconds) ? seconds : 0;
    emit changed(Key::TurnLimit);
}

} // namespace velmora
