#pragma once

#include "client/startrole.h"
#include "tsock.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace velmora {

class ChatComposer;
class ClientSession;
class LanBeacon;
class PortMapper;
class Options;
class Random;
class TableModel;
class TServer;

// This copy's connection to its table, without a window: it takes the role
// from the command line (solo, hosting, joining or only waiting), runs the
// in-process host when hosting, holds the game connection `sock` and the
// lobby's presence connection `Sock11`, and pumps the host's messages into
// the session one per tick. The timer asks for 1 ms but runs only while
// messages wait, so an idle table costs no processor time; it also waits
// while the window holds it (an error box is open).
//
// Every request to the host leaves through `send`: the session's from the
// start, the table's and the chat entry's once `takeRequests` has them.
//
// Errors raised while receiving, dispatching or sending are reported through
// `error`; the connection carries on with the next event.
class GameConnection : public QObject
{
    Q_OBJECT
public:
    GameConnection(ClientSession &session, Options &options, Random &random,
                   QObject *parent = nullptr);

    // Takes the role from the command-line words after the program's name
    // and acts on it (`processparams`).
    void start(const QStringList &params);
    const StartRole &role() const { return m_role; }
    bool hosting() const { return m_hosting; }

    TServer &server() const { return *m_server; }
    TSock &sock() const { return *m_sock; }
    TSock &presenceSock() const { return *m_sock11; }
    // The hosted table's announcer; null unless hosting a table.
    LanBeacon *beacon() const { return m_beacon; }

    // The table's requests and the chat entry's go out from here on.
    void takeRequests(TableModel &table, ChatComposer &composer);
    // Sends one request to the host; nothing before the connection exists.
    // False when it could not go out (the error is reported).
    bool send(const QByteArray &message);
    // The hosting user's "Remove From Game" of a seat or a watcher.
    void removeFromGame(int slot);

    // Dispatch waits while `held` answers true; call `resumeDispatch` when
    // the hold ends.
    void setHold(std::function<bool()> held) { m_held = std::move(held); }
    void resumeDispatch();
    bool dispatching() const { return m_timer1.isActive(); }

    // The program ends: the host's players hear of it now.
    void shutDown();

signals:
    // This copy hosts the table: it may start games and remove players.
    void hostingStarted();
    // The connection to the host ended, from either side, for whatever
    // reason; not sent when the host was never reached.
    void hostClosed();
    // The hosted table's port is open on the router (asked for with the
    // role), or the router would not open it.
    void routerOpened(const QString &publicAddress);
    void routerFailed();
    // Something raised while handling the host's messages or sending.
    void error(const QString &message);

private:
    template <typename F>
    void guarded(F &&entryPoint);

    void hostpress();
    void joinpress();
    void sockRead(const QByteArray &bytes);
    void sockClose(TSock::CloseReason reason);
    void Timer1Timer();

    ClientSession &m_session;
    StartRole m_role;
    TServer *m_server = nullptr;
    TSock *m_sock = nullptr;
    TSock *m_sock11 = nullptr;
    LanBeacon *m_beacon = nullptr;  // while hosting a table
    PortMapper *m_mapper = nullptr; // while hosting with the router opened
    QTimer m_timer1;
    std::function<bool()> m_held = [] { return false; };
    bool m_hosting = false;
    bool m_hostReached = false;
    bool m_ending = false;
};

} // namespace velmora
