#include "clientsession.h"

#include "base/config.h"
#include "base/error.h"
#include "protocol/fieldreader.h"
#include "protocol/messages.h"
#include "tablemodel.h"

namespace velmora {

namespace {
// Error texts quote what the host sent; a hostile host must not be able to
// fill the error box with it.
QString quoted(const QByteArray &field)
{
    constexpr qsizetype Shown = 24;
    QString text = QString::fromLatin1(field.left(Shown));
    if (field.size() > Shown)
        text += QStringLiteral("...");
    return text;
}
} // namespace

ClientSession::ClientSession(QObject *parent) : QObject(parent) {}

void ClientSession::receive(const QByteArray &bytes)
{
    QList<QByteArray> messages;
    const bool ok = m_framer.feed(bytes, messages);
    const bool wasEmpty = m_queue.empty();
    for (QByteArray &message : messages)
        m_queue.push_back(std::move(message));
    if (wasEmpty && !m_queue.empty())
        emit messagesWaiting();
    if (!ok)
        throw Error(QStringLiteral("The host sent a message longer than %1 bytes")
                        .arg(Framer::DefaultLimit));
}

void ClientSession::dispatchOne()
{
    if (m_queue.empty())
        return;
    const QByteArray message = std::move(m_queue.front());
    m_queue.pop_front();
    handle(message);
}

void ClientSession::handle(const QByteArray &message)
{
    const SplitMessage split = splitMessage(message);
    if (!split.cmd)
        return;
    FieldReader fields(split.rest);
    switch (*split.cmd) {
    case Cmd::SendLoginInfo: sendloginfo(fields); break;
    case Cmd::Chat:
    case Cmd::Action: chatrecieved(fields); break;
    case Cmd::HaveWrongVersion: havewrongversion(fields); break;
    case Cmd::WrongVersion: wrongversion(fields); break;
    case Cmd::Full: full(fields); break;

    case Cmd::PlayASound: playasound(fields); break;

    // The table's messages: seats, hand, turns, cash and rounds.
    case Cmd::NewPlayerInfo:
    case Cmd::ExistingPlayers:
    case Cmd::PlayerDisconnected:
    case Cmd::StartGame:
    case Cmd::NextPlayer:
    case Cmd::Winner:
    case Cmd::JustWatching:
    case Cmd::NewCard:
    case Cmd::WrongCard:
    case Cmd::HisCard:
    case Cmd::AddToCash:
    case Cmd::EndRound:
    case Cmd::StartRound:
    case Cmd::CardCount:
    case Cmd::BoughtDummy:
    case Cmd::TheDummyHand:
    case Cmd::GameStats:
    case Cmd::YourCards:
        if (m_table)
            m_table->handle(*split.cmd, fields);
        break;

    // Requests that only the host reads.
    case Cmd::LoginInfo:
    case Cmd::JustWatch:
    case Cmd::PlayCard:
    case Cmd::BuyTheDummy: break;
    }
}

void ClientSession::systemLine(const QString &text) { emit chatLine(0, text, SystemColour); }

int ClientSession::wireNumber(const std::optional<QByteArray> &field, int lo, int hi,
                              const char *what)
{
    const QString name = QLatin1String(what);
    if (!field)
        throw Error(QStringLiteral("Missing %1").arg(name));
    const std::optional<int> n = FieldReader::toNumber(*field);
    if (!n)
        throw Error(QStringLiteral("'%1' is not a valid %2").arg(quoted(*field), name));
    if (*n < lo || *n > hi)
        throw Error(QStringLiteral("%1 %2 is out of range").arg(name).arg(*n));
    return *n;
}

int ClientSession::player(FieldReader &fields)
{
    return wireNumber(fields.field(), 1, 9, "player number");
}
int ClientSession::sender(FieldReader &fields)
{
    return wireNumber(fields.field(), 0, 9, "sender number");
}
int ClientSession::seat(FieldReader &fields) { return wireNumber(fields.field(), 1, 4, "seat"); }
int ClientSession::card(FieldReader &fields)
{
    return wireNumber(fields.field(), 0, 52, "card code");
}
int ClientSession::handSlot(FieldReader &fields)
{
    return wireNumber(fields.field(), 1, 11, "hand slot");
}
int ClientSession::pot(FieldReader &fields) { return wireNumber(fields.field(), 1, 9, "pot"); }

int ClientSession::lastNumber(FieldReader &fields, int lo, int hi, const char *what)
{
    return wireNumber(fields.rest(), lo, hi, what);
}

void ClientSession::sendloginfo(FieldReader &fields)
{
    m_ownPlayer = lastNumber(fields, 1, 9, "player number");
    m_loggedIn = true;
    emit request(wire::loginInfo(m_ownPlayer, VersionText, m_loginName));
    emit loggedInAs(m_ownPlayer);
}

void ClientSession::chatrecieved(FieldReader &fields)
{
    // The payload is "sender+line|colour"; a "|" inside the line makes the
    // rest unreadable as a colour, and the line then shows in black.
    const QByteArray text = fields.rest();
    const qsizetype bar = text.indexOf('|');
    if (bar < 0) {
        addlinetochat(text, 0);
        return;
    }
    addlinetochat(text.left(bar), colourFromText(text.mid(bar + 1)).value_or(0));
}

void ClientSession::addlinetochat(const QByteArray &line, ColourValue colour)
{
    const qsizetype plus = line.indexOf('+');
    const QByteArray number = plus < 0 ? QByteArray() : line.left(plus);
    const int from = wireNumber(number, 0, 9, "sender number");
    emit chatLine(from, QString::fromLatin1(line.mid(plus + 1)), colour);
}

void ClientSession::havewrongversion(FieldReader &fields)
{
    systemLine(QString::fromLatin1(fields.rest())
               + QStringLiteral(" has a different version of the game then you."));
}

void ClientSession::wrongversion(FieldReader &)
{
    systemLine(QStringLiteral("You have a differnt version of the game then the host."));
}

void ClientSession::full(FieldReader &) { emit gameFull(); }

void ClientSession::playasound(FieldReader &fields)
{
    const int from = player(fields);
    emit chatterSound(from, QString::fromLatin1(fields.field().value_or(QByteArray())));
}

} // namespace velmora
