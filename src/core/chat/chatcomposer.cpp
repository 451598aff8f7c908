#include "chatcomposer.h"

#include "chattersounds.h"
#include "client/clientsession.h"
#include "client/options.h"
#include "protocol/framer.h"
#include "protocol/messages.h"

namespace velmora {

namespace {
const QLatin1String Me("/me");
const QLatin1String MeSpace("/me ");
} // namespace

ChatComposer::ChatComposer(const ClientSession &session, const Options &options, QObject *parent)
    : QObject(parent), m_session(session), m_options(options)
{
    m_cooldown.setSingleShot(true);
    m_cooldown.setInterval(PhraseCooldown);
}

QString ChatComposer::placeholder() { return QStringLiteral("<Enter Chat Here>"); }

QString ChatComposer::keyDown(const QString &entry)
{
    return entry == placeholder() ? QString() : entry;
}

QString ChatComposer::withSmiley(const QString &entry, int code)
{
    return keyDown(entry) + QStringLiteral(":)#") + QString::number(code);
}

QString ChatComposer::withPaste(const QString &entry, const QString &pasted)
{
    return entry + pasted;
}

QByteArray ChatComposer::toWire(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    bytes.replace(Framer::Terminator, '?');
    return bytes;
}

QByteArray ChatComposer::payload(const QString &text, ColourValue colour) const
{
    return toWire(text) + '|' + colourToText(colour);
}

bool ChatComposer::send(const QByteArray &message) { return m_send && m_send(message); }

QString ChatComposer::sendit(const QString &entry)
{
    if (!m_session.loggedIn())
        return entry;
    if (entry.isEmpty())
        return {};
    const int player = m_session.ownPlayer();
    bool sent = true;
    if (!entry.startsWith(u'/'))
        sent = send(wire::chatRequest(player, payload(entry, m_options.chatColour())));
    else if (entry.startsWith(Me))
        // The first four characters go, whatever the fourth is: "/me" is
        // meant to be followed by a space.
        sent = send(wire::actionRequest(player, payload(entry.mid(4), ActionColour)));
    return sent ? QString() : entry;
}

bool ChatComposer::sendPhrase(int number)
{
    if (!m_session.loggedIn() || !phraseReady() || number < 1 || number > SentPhrases)
        return false;
    const QString phrase = m_options.phrase(number);
    const QString text = phrase.startsWith(MeSpace) ? phrase.mid(4)
                                                    : QStringLiteral("says: ") + phrase;
    if (!send(wire::actionRequest(m_session.ownPlayer(), payload(text, ActionColour))))
        return false;
    m_cooldown.start();
    return true;
}

bool ChatComposer::sendChatterSound(int number)
{
    const int player = m_session.ownPlayer();
    if (number < 1 || number > chatter::Count || !m_session.loggedIn() || player < 1 || player > 4)
        return false;
    return send(wire::playASoundRequest(player, chatter::soundName(number)));
}

ChatComposer::ChatterEffect ChatComposer::chatterReceived(const std::optional<QString> &seatName,
                                                          const QString &sound) const
{
    const std::optional<int> number = chatter::numberOf(sound);
    if (!number)
        return {};
    if (m_options.chatterSounds())
        return {chatter::soundName(*number), {}};
    if (!seatName)
        return {};
    return {{}, *seatName + QStringLiteral(": <Chatter Sound> ") + chatter::caption(*number)};
}

} // namespace velmora
