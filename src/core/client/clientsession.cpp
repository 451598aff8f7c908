#include "clientsession.h"

#include "base/config.h"
#include "base/error.h"
#include "protocol/fieldreader.h"
#include "protocol/messages.h"
#include "protocol/table.h"
#include "protocol/wirenumbers.h"
#include "tablemodel.h"

namespace velmora {

ClientSession::ClientSession(QObject *parent) : QObject(parent) {}

void ClientSession::setTable(TableModel *table)
{
    m_table = table;
    tellTable();
}

void ClientSession::setLoginName(const QByteArray &name)
{
    m_loginName = name;
    tellTable();
}

void ClientSession::tellTable()
{
    if (m_table)
        m_table->setLogin(login());
}

void ClientSession::receive(const QByteArray &bytes)
{
    if (m_cutOff)
        return;
    QList<QByteArray> messages;
    const bool ok = m_framer.feed(bytes, messages);
    const bool wasEmpty = m_queue.empty();
    for (QByteArray &message : messages) {
        if (qsizetype(m_queue.size()) >= QueueLimit ||
            m_queuedBytes + message.size() > QueueBytesLimit) {
            m_cutOff = true;
            m_framer.clear();
            break;
        }
        m_queuedBytes += message.size();
        m_queue.push_back(std::move(message));
    }
    if (wasEmpty && !m_queue.empty())
        emit messagesWaiting();
    if (m_cutOff)
        throw Error(QStringLiteral("The host sent too many messages at once; "
                                   "the connection is closed"));
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
    m_queuedBytes -= message.size();
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
    default:
        if (m_table)
            m_table->handle(*split.cmd, fields);
        break;
    }
}

void ClientSession::systemLine(const QString &text) { emit chatLine(0, text, SystemColour); }

void ClientSession::sendloginfo(FieldReader &fields)
{
    m_ownPlayer = wirenumbers::lastNumber(fields, 1, SlotCount, "player number");
    m_loggedIn = true;
    tellTable();
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
    const int from = wirenumbers::wireNumber(number, 0, SlotCount, "sender number");
    emit chatLine(from, QString::fromLatin1(line.mid(plus + 1)), colour);
}

void ClientSession::havewrongversion(FieldReader &fields)
{
    systemLine(QString::fromLatin1(fields.rest()) +
               QStringLiteral(" has a different version of the game then you."));
}

void ClientSession::wrongversion(FieldReader &)
{
    systemLine(QStringLiteral("You have a differnt version of the game then the host."));
}

void ClientSession::full(FieldReader &) { emit gameFull(); }

void ClientSession::playasound(FieldReader &fields)
{
    const int from = wirenumbers::player(fields);
    emit chatterSound(from, QString::fromLatin1(fields.field().value_or(QByteArray())));
}

} // namespace velmora
