#pragma once

#include "ownlogin.h"
#include "protocol/colourtext.h"
#include "protocol/command.h"
#include "protocol/framer.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>

namespace velmora {

class FieldReader;
class TableModel;

// The client's side of the connection to the host, without sockets, timers
// or widgets: it cuts the host's bytes into messages, keeps them queued in
// arrival order and handles one at a time by its exact command word. It
// keeps the connection's state (own player number, login, hosting) and
// handles the connection's own messages: login, chat, versions and a full
// host. Every other word goes to the table, which knows its own messages and
// drops the rest; the table learns the login from here, never the other way
// round.
//
// Everything from the host is untrusted. Numbers are read with the checked
// readers of wirenumbers.h, which raise velmora::Error for a missing,
// malformed or out-of-range field; a handler therefore stops at the first
// bad field, and its caller shows the error and goes on with the next
// message.
class ClientSession : public QObject
{
    Q_OBJECT
public:
    // System lines (sender 0) are green.
    static constexpr ColourValue SystemColour = velmora::SystemColour;

    // What may wait for dispatch. Generous: dispatch holds while an error box
    // is open and the table plays on meanwhile; a host that gets this far
    // ahead is broken or hostile.
    static constexpr qsizetype QueueLimit = 50000;
    static constexpr qsizetype QueueBytesLimit = 4 * 1024 * 1024;

    explicit ClientSession(QObject *parent = nullptr);

    // Receiving. `receive` queues every completed message; a host that sends
    // more than the framer's limit without ending a message raises an Error
    // once the completed messages are queued (the unfinished rest is lost).
    // A host that fills the queue past its limits is cut off: `receive`
    // raises an Error once and from then on ignores everything it is given.
    void receive(const QByteArray &bytes);
    bool cutOff() const { return m_cutOff; }
    bool hasQueued() const { return !m_queue.empty(); }
    qsizetype queued() const { return qsizetype(m_queue.size()); }
    // Takes the oldest message off the queue and handles it. The message has
    // left the queue even when its handler raises.
    void dispatchOne();
    // Handles one message (without its 0xFF). Unknown words, words in other
    // letter case, texts without "+" and requests meant for the host are
    // dropped.
    void handle(const QByteArray &message);

    // Connection state.
    int ownPlayer() const { return m_ownPlayer; }
    bool loggedIn() const { return m_loggedIn; }
    bool isHost() const { return m_host; }
    void setHost(bool host) { m_host = host; }
    const QByteArray &loginName() const { return m_loginName; }
    void setLoginName(const QByteArray &name);
    OwnLogin login() const { return {m_ownPlayer, m_loggedIn, m_loginName}; }

    // The table that takes every message that is not the connection's own;
    // it is told the login now and whenever it changes.
    void setTable(TableModel *table);

    // A green line from sender 0, the window's own announcements.
    void systemLine(const QString &text);

signals:
    // The queue went from empty to holding messages: time to dispatch.
    void messagesWaiting();
    // A complete message (with its 0xFF) for the host: the login.
    void request(const QByteArray &message);
    // One line for the chat view: the sender (0 for the system) and the text
    // after the sender's number, with the colour to show it in.
    void chatLine(int sender, const QString &text, velmora::ColourValue colour);
    // The host assigned our player number and the login went out.
    void loggedInAs(int player);
    // The host has no room: tell the user, then end.
    void gameFull();
    // A player sent a chatter sound to the table; `sound` is as it came.
    void chatterSound(int sender, const QString &sound);

private:
    void sendloginfo(FieldReader &fields);
    void chatrecieved(FieldReader &fields);
    void addlinetochat(const QByteArray &line, ColourValue colour);
    void havewrongversion(FieldReader &fields);
    void wrongversion(FieldReader &fields);
    void full(FieldReader &fields);
    void playasound(FieldReader &fields);
    void tellTable();

    Framer m_framer;
    std::deque<QByteArray> m_queue;
    qsizetype m_queuedBytes = 0;
    bool m_cutOff = false;
    int m_ownPlayer = 0;
    bool m_loggedIn = false;
    bool m_host = false;
    QByteArray m_loginName;
    TableModel *m_table = nullptr;
};

} // namespace velmora
