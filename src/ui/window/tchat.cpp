#include "tchat.h"

#include "boardpanel.h"
#include "cards/random.h"
#include "chat/chatview.h"
#include "base/config.h"
#include "tserver.h"
#include "tsock.h"
#include "table/tableview.h"
#include "windows/ttallylist.h"
#include "windows/tgamestart.h"

#include <QApplication>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

namespace velmora {

namespace {
const QColor BoardColour(255, 255, 170);
const QString Loopback = QStringLiteral("127.0.0.1");

QPixmap drawLogo(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 72, 30), 1));
    p.setBrush(QColor(18, 92, 44));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(22);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(255, 214, 40));
    p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QStringLiteral("Velmora"));
    return pixmap;
}
} // namespace

Tchat::Tchat(const QStringList &params, Notifier *notifier, QWidget *parent)
    : QMainWindow(parent), m_params(params)
{
    if (!notifier) {
        m_ownNotifier = std::make_unique<Notifier>();
        notifier = m_ownNotifier.get();
    }
    m_notifier = notifier;

    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Velmora"));
    // The system-wide "velmora" marker of a running copy is the single-instance
    // server set up before this window; nothing ever tests for another one.

    buildBoard();
    buildMenus();
    resize(ClientSize.width(), ClientSize.height() + menuBar()->sizeHint().height());

    m_server = new TServer(processRandom(), this);
    m_server->setBotInterval([this] { return m_botSpeed; });

    m_sock = new TSock(this);
    m_sock->setObjectName(QStringLiteral("sock"));
    m_sock->setPortName(gamePort());
    m_sock->OnRead = [this](TSock &, int) { guard([this] { sockRead(); }); };
    m_sock->OnInfo = [this](TSock &, TSocketInfo info, const QString &message) {
        guard([&] { sockInfo(info, message); });
    };

    // The lobby's presence connection is held open and never used; whatever
    // arrives on it is thrown away so that it cannot pile up.
    m_sock11 = new TSock(this);
    m_sock11->setObjectName(QStringLiteral("Sock11"));
    m_sock11->setHostName(QLatin1String(PresenceHost));
    m_sock11->setPortName(presencePort());
    m_sock11->OnRead = [](TSock &s, int) { s.Receive(); };

    // The timer asks for 1 ms but runs only while messages wait, so an idle
    // table costs no processor time.
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(1);
    connect(&m_timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    connect(&m_session, &ClientSession::messagesWaiting, this, [this] { resumeDispatch(); });
    connect(&m_session, &ClientSession::request, this, &Tchat::sendRequest);
    connect(&m_session, &ClientSession::chatLine, m_mainchat, &ChatView::addLine);
    connect(&m_session, &ClientSession::gameFull, this, &Tchat::gameIsFull);
    connectTable();
}

void Tchat::connectTable()
{
    m_session.setTable(&m_table);
    m_tableView = new TableView(m_table, m_board);

    m_gameStart = new Tgamestart(this);
    m_tally = new Ttallylist(dataFolder() + QStringLiteral("/velmoratally.tld"), this);
    const QString tallyError = m_tally->load();
    if (!tallyError.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, tallyError] { m_notifier->showError(tallyError); }, Qt::QueuedConnection);

    connect(&m_table, &TableModel::request, this, &Tchat::sendRequest);
    connect(&m_table, &TableModel::chatLine, m_mainchat, &ChatView::addLine);
    connect(&m_table, &TableModel::sound, this, &Tchat::playsounds);
    connect(&m_table, &TableModel::notice, this,
            [this](const QString &text) { m_notifier->showNotice(text); });
    connect(&m_table, &TableModel::showGameStart, m_gameStart, &QWidget::show);
    connect(m_gameStart, &Tgamestart::startRequested, this,
            [this](const QByteArray &rounds, int dummy) {
                guard([&] {
                    m_table.requestStart(rounds, dummy);
                    emit optionsChanged();
                });
            });
    connect(&m_table, &TableModel::attention, this, [this] {
        if (!isActiveWindow())
            QApplication::alert(this);
    });
    connect(&m_table, &TableModel::removeFromGame, this,
            [this](int seat) { guard([&] { m_server->disconnectsock(seat); }); });
    connect(&m_table, &TableModel::tallyGame, this,
            [this](const QString &winner, const QStringList &atTable) {
                guard([&] { m_tally->addgame(winner, atTable); });
            });
    connect(&m_table, &TableModel::tallyMoney, this,
            [this](int amount, int column) { guard([&] { m_tally->addmoney(amount, column); }); });
    connect(&m_table, &TableModel::changed, this,
            [this] { m_justWatch->setChecked(m_table.justWatchTicked()); });
}

void Tchat::playsounds(const QString &name)
{
    // Sounds are not played yet; the table asks for them by name all the same.
    Q_UNUSED(name);
}

Tchat::~Tchat()
{
    // The host's timers read the bot speed through this window.
    m_server->setBotInterval([] { return 1000; });
    m_sock->OnInfo = nullptr;
    m_sock->OnRead = nullptr;
}

void Tchat::buildBoard()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setMinimumSize(ClientSize);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, BoardColour);
    client->setPalette(pal);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    client->setFont(font);
    setCentralWidget(client);

    m_board = new BoardPanel(client);
    m_board->move(0, 0);

    m_logo = new QLabel(m_board);
    m_logo->setObjectName(QStringLiteral("Image2"));
    m_logo->setGeometry(553, 1, 233, 33);
    m_logo->setPixmap(drawLogo(m_logo->size()));
    m_logo->setCursor(Qt::PointingHandCursor);

    auto *chatPanel = new QFrame(m_board);
    chatPanel->setObjectName(QStringLiteral("panel_chat"));
    chatPanel->setGeometry(552, 57, 236, 412);
    chatPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    chatPanel->setLineWidth(1);
    m_mainchat = new ChatView(chatPanel);
    m_mainchat->setGeometry(1, 1, 234, 410);
    m_mainchat->setNotifier(m_notifier);
    connect(m_mainchat, &ChatView::textSizeChosen, this, &Tchat::optionsChanged);
}

QAction *Tchat::addItem(QMenu *menu, const QString &text, const char *name)
{
    QAction *item = menu->addAction(text);
    item->setObjectName(QLatin1String(name));
    return item;
}

void Tchat::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    m_startGame = addItem(file, QStringLiteral("Start Game"), "StartGame1");
    m_startGame->setEnabled(false);
    connect(m_startGame, &QAction::triggered, this, [this] { guard([this] { m_table.startClicked(); }); });
    file->addSeparator();
    QAction *exit = addItem(file, QStringLiteral("Exit"), "Exit1");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *options = menuBar()->addMenu(QStringLiteral("Options"));
    QAction *sounds = addItem(options, QStringLiteral("Play Sounds"), "PlaySounds1");
    sounds->setCheckable(true);
    sounds->setChecked(true);
    QAction *chatter = addItem(options, QStringLiteral("Play Chatter Sounds"), "PlayChatterSounds1");
    chatter->setCheckable(true);
    for (QAction *item : {sounds, chatter})
        connect(item, &QAction::triggered, this, &Tchat::optionsChanged);

    QMenu *turnSound = options->addMenu(QStringLiteral("Turn Sound"));
    auto *turnSounds = new QActionGroup(this);
    for (const auto &[text, name] : {std::pair{"Classic", "Classic1"}, std::pair{"New", "New1"}}) {
        QAction *item = addItem(turnSound, QLatin1String(text), name);
        item->setCheckable(true);
        item->setChecked(turnSounds->actions().isEmpty());
        turnSounds->addAction(item);
        const bool isNew = QLatin1String(name) == QLatin1String("New1");
        connect(item, &QAction::triggered, this, [this, isNew] {
            m_table.setTurnSoundNew(isNew);
            emit optionsChanged();
        });
    }

    QMenu *botSpeed = options->addMenu(QStringLiteral("Bot Speed"));
    m_botSpeeds = new QActionGroup(this);
    struct Speed { const char *text, *object, *name; int ms; };
    for (const Speed &speed : {Speed{"Slow", "Slow1", "slow", 1500},
                               Speed{"Normal", "Normal1", "normal", 1000},
                               Speed{"Fast", "Fast1", "fast", 500}}) {
        QAction *item = addItem(botSpeed, QLatin1String(speed.text), speed.object);
        item->setCheckable(true);
        item->setChecked(speed.ms == m_botSpeed);
        item->setData(QVariantList{speed.ms, QLatin1String(speed.name)});
        m_botSpeeds->addAction(item);
    }
    connect(m_botSpeeds, &QActionGroup::triggered, this,
            [this](QAction *item) { guard([&] { Slow1Click(item); }); });
    options->addSeparator();

    QAction *textColour = addItem(options, QStringLiteral("Text Color"), "TextColor1");
    textColour->setEnabled(false);
    QMenu *textSize = options->addMenu(QStringLiteral("Text Size"));
    textSize->addActions(m_mainchat->textSizeActions());
    options->addAction(m_mainchat->scrollOffAction());
    QAction *reset = addItem(options, QStringLiteral("Reset Screen Location"), "ResetScreenLocation1");
    connect(reset, &QAction::triggered, this, [this] { guard([this] { ResetScreenLocation1Click(); }); });
    options->addSeparator();
    m_justWatch = addItem(options, QStringLiteral("Just Watch"), "JustWatch1");
    m_justWatch->setCheckable(true);
    // The tick follows the host's answer, not the click.
    connect(m_justWatch, &QAction::triggered, this, [this] {
        m_justWatch->setChecked(m_table.justWatchTicked());
        guard([this] { m_table.toggleOwnJustWatch(); });
    });

    QMenu *view = menuBar()->addMenu(QStringLiteral("View"));
    QAction *viewTally = addItem(view, QStringLiteral("View Tally"), "ViewTally1");
    connect(viewTally, &QAction::triggered, this, [this] {
        guard([this] {
            m_tally->loadchecklist(m_table.loadchecklist());
            m_tally->show();
            m_tally->raise();
        });
    });
    for (const auto &[text, name] : {std::pair{"Spy List", "SpyList1"},
                                     std::pair{"Phrase List", "PhraseList1"}})
        addItem(view, QLatin1String(text), name)->setEnabled(false);

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    QAction *content = addItem(help, QStringLiteral("Content"), "Help2");
    content->setShortcut(QKeySequence(Qt::Key_F1));
    content->setEnabled(false);
    help->addSeparator();
    addItem(help, QStringLiteral("About"), "About1")->setEnabled(false);
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // After this show has painted the window, not inside it.
    QMetaObject::invokeMethod(this, [this] { guard([this] { processparams(); }); },
                              Qt::QueuedConnection);
}

void Tchat::processparams()
{
    m_startGame->setEnabled(false);
    m_session.setLoginName({});
    m_role = StartRole::fromArguments(m_params);
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
}

void Tchat::hostpress()
{
    m_server->startListening();
    m_session.setLoginName(m_role.playerName.toLatin1());
    m_session.setHost(true);
    m_table.setHosting(true);
    m_sock->setHostName(Loopback);
    m_sock->Open();
    m_startGame->setEnabled(true);
}

void Tchat::joinpress()
{
    m_session.setLoginName(m_role.playerName.toLatin1());
    m_sock->setHostName(m_role.hostAddress);
    m_sock->Open();
    m_startGame->setEnabled(false);
}

void Tchat::sockRead() { m_session.receive(m_sock->Receive()); }

void Tchat::sockInfo(TSocketInfo info, const QString &message)
{
    // Every other report (connecting, data, errors) leaves the window as it is.
    if (info != TSocketInfo::Close || message != QLatin1String("Socket Closed") || m_ending)
        return;
    if (m_holdEnd) {
        m_endPending = true;
        return;
    }
    // Not from inside the socket's own callback.
    QMetaObject::invokeMethod(this, &Tchat::endProgram, Qt::QueuedConnection);
}

void Tchat::Timer1Timer()
{
    if (m_notifier->boxOpen()) {
        // A box is waiting for the user; dispatch resumes when it closes.
        m_timer1.stop();
        return;
    }
    m_notifier->guard([this] { m_session.dispatchOne(); });
    if (!m_session.hasQueued())
        m_timer1.stop();
    resumeDispatch();
}

void Tchat::resumeDispatch()
{
    if (m_session.hasQueued() && !m_notifier->boxOpen() && !m_timer1.isActive() && !m_ending)
        m_timer1.start();
}

void Tchat::sendRequest(const QByteArray &message)
{
    if (!m_sock->hasHandle())
        return;
    try {
        m_sock->Send(message);
    } catch (const Error &e) {
        m_notifier->showError(e.message());
    }
}

void Tchat::gameIsFull()
{
    // The host drops us right after saying so; the user still gets to read
    // the notice before the program ends.
    m_holdEnd = true;
    m_notifier->showNotice(QStringLiteral("Game is full"));
    m_holdEnd = false;
    m_endPending = false;
    endProgram();
}

void Tchat::Slow1Click(QAction *item)
{
    const QVariantList data = item->data().toList();
    m_botSpeed = data.value(0).toInt();
    m_botSpeedName = data.value(1).toString();
    item->setChecked(true);
    emit optionsChanged();
}

void Tchat::ResetScreenLocation1Click()
{
    // The remembered place is left alone; closing compares against it.
    const QRect frame = frameGeometry();
    const QSize extra = frame.size() - geometry().size();
    move(WindowOptions::DefaultLeft, WindowOptions::DefaultTop);
    resize(QSize(WindowOptions::DefaultWidth, WindowOptions::DefaultHeight) - extra);
}

void Tchat::activateFromOtherInstance()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void Tchat::endProgram()
{
    if (m_ending)
        return;
    emit programEnding();
    close();
}

void Tchat::closeEvent(QCloseEvent *event)
{
    m_notifier->guard([this] {
        QRect place = frameGeometry();
        const QScreen *display = screen();
        const QSize workArea = display ? display->availableGeometry().size() : place.size();
        if (m_windowOptions.rememberOnClose(place, workArea))
            emit optionsChanged();
    });
    shutDown();
    event->accept();
}

void Tchat::shutDown()
{
    m_ending = true;
    m_timer1.stop();
    // The program ends with this window: let the host's players know now.
    m_sock->OnInfo = nullptr;
    m_sock->Close();
    m_sock11->Close();
    m_server->stopListening();
    m_tally->save();
}

} // namespace velmora
