#pragma once

#include "protocol/colourtext.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>

namespace velmora {

// Everything the player chooses and the program keeps between runs, in one
// record: the computer players' pace, the chat's text size and colour, the
// sound switches, the phrases, the game start choices and the game window's
// remembered place. Menus, dialogs and the host read and change options only
// here; the settings file reads and writes this record and nothing else.
//
// The values before the settings file is read are the design's own
// defaults. Every setter announces the key it touched through `changed`,
// also when the value stays the same: the user chose it, and the settings
// file is written at that moment.
class Options : public QObject
{
    Q_OBJECT
public:
    enum class Key {
        TextSize,
        WindowPlace,
        Dummy,
        Rounds,
        TurnSound,
        ChatterSounds,
        TextColour,
        PlaySounds,
        BotSpeed,
        Phrases,
        RaiseCards,
        FourColourDeck,
        SoundVolume,
        ChatterVolume,
        TurnLimit,
        PlayerName,
        RecentTables,
        BotStrength,
        Zoom,
    };
    Q_ENUM(Key)

    enum class BotSpeed { Slow, Normal, Fast };
    // How the hosting copy's computer seats play.
    enum class BotStrength { Classic, Strong };

    static constexpr int Phrases = 10;
    static constexpr int DesignTextSize = 10;
    static constexpr QRect DefaultPlace{3, 3, 798, 546};

    explicit Options(QObject *parent = nullptr);

    // The computer players' interval and the name the settings file keeps.
    static int botInterval(BotSpeed speed);
    static QString botSpeedName(BotSpeed speed);
    BotSpeed botSpeed() const { return m_botSpeed; }
    int botInterval() const { return botInterval(m_botSpeed); }
    void setBotSpeed(BotSpeed speed);

    int textSize() const { return m_textSize; }
    void setTextSize(int size);

    bool playSounds() const { return m_playSounds; }
    void setPlaySounds(bool on);
    bool chatterSounds() const { return m_chatterSounds; }
    void setChatterSounds(bool on);
    // The own turn's sound: "New" or "Classic".
    bool turnSoundNew() const { return m_turnSoundNew; }
    void setTurnSoundNew(bool on);

    // At the own turn the cards the host would take stand higher.
    bool raiseCards() const { return m_raiseCards; }
    void setRaiseCards(bool on);
    // Clubs green and diamonds blue, for players who cannot tell red from
    // black at card size.
    bool fourColourDeck() const { return m_fourColourDeck; }
    void setFourColourDeck(bool on);

    // The game sounds' and the chatter sounds' volumes in percent, 0..100;
    // a value outside is taken as the nearest end.
    int soundVolume() const { return m_soundVolume; }
    void setSoundVolume(int percent);
    int chatterVolume() const { return m_chatterVolume; }
    void setChatterVolume(int percent);

    BotStrength botStrength() const { return m_botStrength; }
    void setBotStrength(BotStrength strength);
    // The board's zoom in percent, one of Zooms. Any other value is taken as
    // 100, as the settings file takes a word it does not know as the default.
    static constexpr std::array<int, 4> Zooms{100, 125, 150, 200};
    static int knownZoom(int percent);
    int zoom() const { return m_zoom; }
    void setZoom(int percent);

    ColourValue chatColour() const { return m_chatColour; }
    void setChatColour(ColourValue colour);

    // Phrases 1..10; phrase 10 belongs to the chatter-sound button.
    QString phrase(int n) const;
    static QString defaultPhrase(int n);
    void setPhrases(const std::array<QString, Phrases + 1> &phrases); // index 0 unused

    // The game start choices: the rounds as the text shown (sent and saved
    // exactly so) and the dummy-hands flag (1 = on).
    const QString &roundsText() const { return m_roundsText; }
    void setRoundsText(const QString &text);
    int dummy() const { return m_dummy; }
    void setDummy(int flag);

    // The window's place as last read from the settings or last saved at
    // closing; an unmoved window never rewrites the file.
    QRect windowPlace() const { return m_windowPlace; }
    void setWindowPlace(QRect place);
    // The closing rule. Returns false when `window` equals the remembered
    // place. Otherwise a window wider or taller than the desktop's work area
    // is made 15 pixels narrower or lower (once, not until it fits), the
    // result is remembered and written back to `window`, and true says that
    // the place changed.
    bool rememberOnClose(QRect &window, const QSize &workArea);

    // The hosting copy's turn clock: the seconds a person may take over a
    // turn before the computer moves for him, one of TurnLimits; 0 is off.
    static constexpr std::array<int, 4> TurnLimits{0, 30, 60, 120};
    static bool isTurnLimit(int seconds);
    int turnLimit() const { return m_turnLimit; }
    // Any other number is taken as off.
    void setTurnLimit(int seconds);
    // The name this player hosts and joins tables under, and the addresses
    // he joined last, newest first, at most MaxRecentTables, each once.
    static constexpr int MaxRecentTables = 8;
    const QString &playerName() const { return m_playerName; }
    void setPlayerName(const QString &name);
    const QStringList &recentTables() const { return m_recentTables; }
    void setRecentTables(const QStringList &addresses);
    // `address` moves to the front of the recent tables.
    void addRecentTable(const QString &address);

signals:
    void changed(velmora::Options::Key key);

private:
    BotSpeed m_botSpeed = BotSpeed::Normal;
    int m_textSize = DesignTextSize;
    bool m_playSounds = true;
    bool m_chatterSounds = false;
    bool m_turnSoundNew = false;
    bool m_raiseCards = true;
    bool m_fourColourDeck = false;
    int m_soundVolume = 100;
    int m_chatterVolume = 100;
    int m_zoom = 100;
    ColourValue m_chatColour = 0; // black
    std::array<QString, Phrases + 1> m_phrases;
    QString m_roundsText = QStringLiteral("16");
    int m_dummy = 1;
    QRect m_windowPlace = DefaultPlace;
    int m_turnLimit = 0;
    QString m_playerName;
    QStringList m_recentTables;
    BotStrength m_botStrength = BotStrength::Classic;
};

} // namespace velmora
