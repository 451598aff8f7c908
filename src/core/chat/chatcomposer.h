#pragma once

#include "protocol/colourtext.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace velmora {

class ClientSession;
class Options;

// What the player says at the table, without widgets: the chat entry's
// text as keys, smileys and pastes change it, the request that Enter, a
// phrase button or a chatter sound sends, the phrase cool-down, and what a
// chatter sound from the table does here.
//
// Nothing is shown when sending: every line comes back from the host like
// everybody else's. Before the login nothing is sent at all.
class ChatComposer : public QObject
{
    Q_OBJECT
public:
    // Hands one request to the connection; false when it could not be sent.
    using Sender = std::function<bool(const QByteArray &message)>;

    // Actions and phrases always travel in black.
    static constexpr ColourValue ActionColour = 0;
    // Phrases 1..9 have buttons; phrase 10 belongs to the chatter sounds.
    static constexpr int SentPhrases = 9;
    // After a phrase the phrase buttons rest this long; presses meanwhile
    // are dropped, not delayed.
    static constexpr std::chrono::milliseconds PhraseCooldown{1600};

    ChatComposer(const ClientSession &session, const Options &options, QObject *parent = nullptr);
    void setSender(Sender sender) { m_send = std::move(sender); }

    // The entry starts with this real text; the first key press or smiley
    // removes it.
    static QString placeholder();
    // The entry as a key going down leaves it before the key takes effect.
    static QString keyDown(const QString &entry);
    // Smiley `code` (10..27) appended at the end, the placeholder removed.
    static QString withSmiley(const QString &entry, int code);
    // Pasted text goes at the end, whatever the caret (and after the
    // placeholder if it is still there).
    static QString withPaste(const QString &entry, const QString &pasted);

    // Enter: sends the entry as chat, or as an action for "/me"; other "/"
    // commands are dropped. Returns what the entry holds afterwards: empty,
    // or the text unchanged when it could not go out.
    QString sendit(const QString &entry);
    // Phrase button 1..9; true when a request went out.
    bool sendPhrase(int number);
    bool phraseReady() const { return !m_cooldown.isActive(); }
    // The chatter-sound menu's item `number` (0 is "<Cancel>"); only a
    // seated player sends. True when a request went out.
    bool sendChatterSound(int number);

    // A chatter sound `sound` from a player whose seat shows `seatName`
    // (nothing for one without a seat): with chatter sounds on, the sound to
    // play; with them off, the line to print. Both empty for a name that is
    // not a chatter sound, which is never played.
    struct ChatterEffect
    {
        QByteArray play;
        QString line;
    };
    ChatterEffect chatterReceived(const std::optional<QString> &seatName,
                                  const QString &sound) const;

    // Text as it travels: one byte per character. Characters outside
    // Latin-1 become "?", and so does the byte 0xFF, which would otherwise
    // end the message early and make the rest a message of its own.
    static QByteArray toWire(const QString &text);

private:
    bool send(const QByteArray &message);
    QByteArray payload(const QString &text, ColourValue colour) const;

    const ClientSession &m_session;
    const Options &m_options;
    Sender m_send;
    QTimer m_cooldown;
};

} // namespace velmora
