#pragma once

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
// arrival order, handles one at a time by its exact command word, and turns
// each into state and signals. It also builds the requests the window sends.
//
// Everything from the host is untrusted. Numbers are read with the checked
// readers below, which raise velmora::Error for a missing, malformed or
// out-of-range field; a handler therefore stops at the first bad field, and
// its caller shows the error and goes on with the next message.
class ClientSession : public QObject
{
    Q_OBJECT
public:
    // System lines (sender 0) are green.
    static constexpr ColourValue SystemColour = 0x008000;

    explicit ClientSession(QObject *parent = nullptr);

    // Receiving. `receive` queues every completed message; a host that sends
    // more than the framer's limit without ending a message raises an Error
    // once the completed messages are queued (the unfinished rest is lost).
    void receive(const QByteArray &bytes);
    bool hasQueued() const { return !m_queue.empty(); }
    qsizetype queued() const { return qsizetype(m_queue.size()); }
    // Takes the oldest message off the queue and handles it. The message has
    // left the queue even when its handler raises.
    void dispatchOne();
    // Handles one message (without its 0xFF). Unknown words, words in other
    // letter case and texts without "+" are dropped.
    void handle(const QByteArray &message);

    // Connection state.
    int ownPlayer() const { return m_ownPlayer; }
    bool loggedIn() const { return m_loggedIn; }
    bool isHost() const { return m_host; }
    void setHost(bool host) { m_host = host; }
    const QByteArray &loginName() const { return m_loginName; }
    void setLoginName(const QByteArray &name) { m_loginName = name; }

    // The table that takes the seat, hand, turn and money messages.
    void setTable(TableModel *table) { m_table = table; }

    // A green line from sender 0, the window's own announcements.
    void systemLine(const QString &text);

    // Checked readers for numbers from the host. `what` names the field in
    // the error text.
    static int wireNumber(const std::optional<QByteArray> &field, int lo, int hi, const char *what);
    static int player(FieldReader &fields); // 1..9
    static int sender(FieldReader &fields); // 0..9
    static int seat(FieldReader &fields);   // 1..4
    static int card(FieldReader &fields);   // 0..52
    static int handSlot(FieldReader &fields); // 1..11
    static int pot(FieldReader &fields);    // 1..9
    // The same for a number that is the message's last field.
    static int lastNumber(FieldReader &fields, int lo, int hi, const char *what);

signals:
    // The queue went from empty to holding messages: time to dispatch.
    void messagesWaiting();
    // A complete message (with its 0xFF) for the host.
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

    Framer m_framer;
    std::deque<QByteArray> m_queue;
    int m_ownPlayer = 0;
    bool m_loggedIn = false;
    bool m_host = false;
    QByteArray m_loginName;
    TableModel *m_table = nullptr;
};

} // namespace velmora
