#include "gameconnection.h"

#include "base/config.h"
#include "base/error.h"
#include "chat/chatcomposer.h"
#include "client/clientsession.h"
#include "client/options.h"
#include "client/tablemodel.h"
#include "lanbeacon.h"
#include "portmapper.h"
#include "tserver.h"

namespace velmora {

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
}

GameConnection::GameConnection(ClientSession &session, Options &options, Random &random,
                               QObject *parent)
    : QObject(parent), m_session(session)
{
    m_server = new TServer(random, this);
    // The options outlive this connection: both belong to the game window,
    // which declares the options first.
    m_server->setBotInterval([&options] { return options.botInterval(); });
    const auto applyStrength = [this, &options] {
        m_server->engine().setComputerStrength(options.botStrength() == Options::BotStrength::Strong
                                                   ? ComputerStrength::Strong
                                                   : ComputerStrength::Classic);
    };
    applyStrength();
    m_server->setTurnLimit(options.turnLimit());
    connect(&options, &Options::changed, this, [this, &options, applyStrength](Options::Key key) {
        if (key == Options::Key::TurnLimit)
            m_server->setTurnLimit(options.turnLimit());
        if (key == Options::Key::BotStrength)
            applyStrength();
    });

    m_sock = new TSock(this);
    m_sock->setObjectName(QStringLiteral("sock"));
    m_sock->setPortName(gamePort());
    connect(m_sock, &TSock::connected, this, [this] { m_hostReached = true; });
    connect(m_sock, &TSock::received, this, [this](const QByteArray &bytes) {
        guarded([&] { sockRead(bytes); });
        // A host that floods us is cut off once the user has been told why.
        if (m_session.cutOff() && m_sock->hasHandle() && !m_ending)
            m_sock->Close();
    });
    connect(m_sock, &TSock::closed, this, &GameConnection::sockClose);

    // The lobby's presence connection is held open and never used; what
    // arrives on it is read and dropped by the socket, so it cannot pile up.
    m_sock11 = new TSock(this);
    m_sock11->setObjectName(QStringLiteral("Sock11"));
    m_sock11->setHostName(QLatin1String(PresenceHost));
    m_sock11->setPortName(presencePort());

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(1);
    connect(&m_timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(&m_session, &ClientSession::messagesWaiting, this, [this] { resumeDispatch(); });
    connect(&m_session, &ClientSession::request, this, &GameConnection::send);
}

void GameConnection::takeRequests(TableModel &table, ChatComposer &composer)
{
    connect(&table, &TableModel::request, this, &GameConnection::send);
    // The entry keeps its text when the request could not go out; `error`
    // has said why.
    composer.setSender([this](const QByteArray &message) { return send(message); });
}

template <typename F>
void GameConnection::guarded(F &&entryPoint)
{
    if (const std::optional<QString> text = catchError(std::forward<F>(entryPoint)))
        emit error(*text);
    resumeDispatch();
}

void GameConnection::start(const QStringList &params)
{
    guarded([&] {
        m_session.setLoginName({});
        m_role = StartRole::fromArguments(params);
        if (m_role.port != 0) {
            m_server->setPortName(QString::number(m_role.port));
            m_sock->setPortName(QString::number(m_role.port));
        }
        if (!m_role.multiPlayer()) {
            m_session.systemLine(QStringLiteral("Loading Solo Game..Please wait."));
            hostpress();
            return;
        }
        m_session.systemLine(QStringLiteral("Loading Multi-player Game.. Please Wait."));
        if (m_role.kind == StartRole::Kind::Waiting)
            return;
        if (m_role.kind == StartRole::Kind::Host)
            hostpress();
        else
            joinpress();
        m_sock11->Open();
    });
}

void GameConnection::hostpress()
{
    m_server->startListening();
    m_session.setLoginName(m_role.playerName.toLatin1());
    m_session.setHost(true);
    m_hosting = true;
    emit hostingStarted();
    // The own client connects to the port the host really got (a port of 0
    // lets the system choose one, which tests use to never clash).
    m_sock->setPortName(QString::number(m_server->listeningPort()));
    m_sock->setHostName(Loopback);
    m_sock->Open();
    // A solo game is nobody else's business; a hosted table tells the
    // local network where it is.
    if (m_role.kind == StartRole::Kind::Host) {
        m_beacon =
            new LanBeacon([this] { return describeTable(*m_server, m_role.playerName); }, this);
        m_beacon->start();
    }
    if (m_role.kind == StartRole::Kind::Host && m_role.openRouter) {
        m_mapper = new PortMapper(m_server->listeningPort(), this);
        connect(m_mapper, &PortMapper::opened, this, &GameConnection::routerOpened);
        connect(m_mapper, &PortMapper::failed, this, &GameConnection::routerFailed);
        m_mapper->open();
    }
}

void GameConnection::joinpress()
{
    m_session.setLoginName(m_role.playerName.toLatin1());
    m_sock->setHostName(m_role.hostAddress);
    m_sock->Open();
}

void GameConnection::sockRead(const QByteArray &bytes) { m_session.receive(bytes); }

void GameConnection::sockClose(TSock::CloseReason reason)
{
    if (m_ending)
        return;
    if (!m_hostReached) {
        // The window stays with its loading line; only a name that leads
        // nowhere is worth a box (a refusal or silence is not).
        if (reason == TSock::CloseReason::HostNotFound)
            emit error(TSock::hostNotFoundText());
        return;
    }
    // Not from inside the socket's own signal.
    QMetaObject::invokeMethod(this, &GameConnection::hostClosed, Qt::QueuedConnection);
}

void GameConnection::Timer1Timer()
{
    if (m_held()) {
        // Dispatch resumes when the hold ends.
        m_timer1.stop();
        return;
    }
    guarded([this] { m_session.dispatchOne(); });
    if (!m_session.hasQueued())
        m_timer1.stop();
}

void GameConnection::resumeDispatch()
{
    if (m_session.hasQueued() && !m_held() && !m_timer1.isActive() && !m_ending)
        m_timer1.start();
}

bool GameConnection::send(const QByteArray &message)
{
    if (!m_sock->hasHandle())
        return false;
    if (const std::optional<QString> text = catchError([&] { m_sock->Send(message); })) {
        emit error(*text);
        return false;
    }
    return true;
}

void GameConnection::removeFromGame(int slot)
{
    if (m_hosting)
        guarded([&] { m_server->disconnectsock(slot); });
}

void GameConnection::shutDown()
{
    m_ending = true;
    m_timer1.stop();
    m_sock->Close();
    m_sock11->Close();
    if (m_beacon)
        m_beacon->stop();
    if (m_mapper)
        m_mapper->close();
    m_server->stopListening();
}

} // namespace velmora
