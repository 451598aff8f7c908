#include "tchat.h"

#include "art/faces.h"
#include "common/afterfirstframe.h"
#include "common/clicklabel.h"
#include "common/colours.h"
#include "common/infront.h"
#include "common/programzoom.h"
#include "base/config.h"
#include "cards/random.h"
#include "art/tableart.h"
#include "chat/chatcontrols.h"
#include "chat/chatentry.h"
#include "chat/chatview.h"
#include "chat/tipstyle.h"
#include "gameconnection.h"
#include "table/boardpanel.h"
#include "table/handfocus.h"
#include "table/tableview.h"
#include "tserver.h"
#include "tsock.h"
#include "sound/deferredplayer.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"
#include "windows/thost.h"
#include "windows/tjoin.h"
#include "lanbeacon.h"
#include "portmapper.h"
#include "windows/tspylist.h"
#include "windows/tphrases.h"
#include "windows/ttallylist.h"
#include "windows/tvolume.h"

#include <QApplication>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace velmora {

namespace {
const char Loopback[] = "127.0.0.1";
// How long a shown window waits for its first frame before it connects.
constexpr int FirstFrameWaitMs = 1000;
constexpr Options::BotSpeed BotSpeeds[] = {Options::BotSpeed::Slow, Options::BotSpeed::Normal,
                                           Options::BotSpeed::Fast};
} // namespace

Tchat::Tchat(const QStringList &params, Notifier *notifier, QWidget *parent, Opening opening)
    : QMainWindow(parent), m_params(params), m_table(processRandom()),
      m_tally(dataFolder() + QStringLiteral("/velmoratally.tld"))
{
    if (!notifier) {
        m_ownNotifier = std::make_unique<Notifier>();
        notifier = m_ownNotifier.get();
    }
    m_notifier = notifier;
    m_sounds = std::make_unique<DeferredPlayer>();

    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Velmora"));
    // The system-wide "velmora" marker of a running copy is the single-instance
    // server set up before this window; nothing ever tests for another one.

    // The application's style is set before the first widget, which would
    // otherwise be polished twice.
    TipStyle::install();
    buildBoard();
    buildMenus();
    resize(ClientSize.width(), ClientSize.height() + menuBar()->sizeHint().height());

    m_connection = new GameConnection(m_session, m_options, processRandom(), this);
    m_connection->setHold([this] { return m_notifier->boxOpen(); });
    connect(m_connection, &GameConnection::error, this,
            [this](const QString &message) { m_notifier->showError(message); });
    connect(m_connection, &GameConnection::hostingStarted, this, [this] {
        m_table.setHosting(true);
        m_startGame->setEnabled(true);
        m_turnLimitMenu->menuAction()->setVisible(true);
        m_computerPlayers->menuAction()->setVisible(true);
    });
    connect(m_connection, &GameConnection::hostClosed, this, &Tchat::hostClosed);
    if (opening == Opening::WhileBuilding) {
        m_board->hide();
        show();
    }
    connect(&m_session, &ClientSession::chatLine, m_mainchat,
            [this](int sender, const QString &text, ColourValue colour) {
                if (sender == 0 || !muted(sender))
                    m_mainchat->addLine(sender, text, colour);
            });
    connect(&m_session, &ClientSession::gameFull, this, &Tchat::gameIsFull);
    connectTable();
    m_settings.setCurrentPlace([this] { return frameGeometry(); });
    connect(&m_settings, &Settings::error, this,
            [this](const QString &message) { m_notifier->showError(message); });
    // Once per connection, right after "You are Connected." and the turning
    // of the table; until then the design's defaults hold.
    connect(&m_table, &TableModel::ownLoginConfirmed, this, &Tchat::readSettings);
    buildChat();
    buildSideWindows();
    buildTableWindows();

    connect(&m_options, &Options::changed, this, &Tchat::showOptions);
    for (Options::Key key :
         {Options::Key::BotSpeed, Options::Key::PlaySounds, Options::Key::ChatterSounds,
          Options::Key::TextSize, Options::Key::RaiseCards, Options::Key::FourColourDeck,
          Options::Key::SoundVolume, Options::Key::ChatterVolume, Options::Key::TurnLimit,
          Options::Key::BotStrength})
        showOptions(key);
    // Until the file is read or the player picks one, the tick is on the
    // zoom the window runs at, which the start read from the same file.
    for (std::size_t i = 0; i < m_zooms.size(); ++i)
        m_zooms[i]->setChecked(Options::Zooms[i] == ProgramZoom::running());
    // Neither turn sound is ticked until the settings are read or the
    // player picks one; the classic sound plays meanwhile.
    m_announcer.setTurnSoundNew(m_options.turnSoundNew());
    if (opening == Opening::WhileBuilding)
        m_board->show();
}

template <typename F>
void Tchat::guard(F &&entryPoint)
{
    m_notifier->guard(std::forward<F>(entryPoint));
    m_connection->resumeDispatch();
}

TServer &Tchat::server() const { return m_connection->server(); }
TSock &Tchat::sock() const { return m_connection->sock(); }
TSock &Tchat::presenceSock() const { return m_connection->presenceSock(); }
const StartRole &Tchat::role() const { return m_connection->role(); }
bool Tchat::dispatching() const { return m_connection->dispatching(); }

void Tchat::connectTable()
{
    m_session.setTable(&m_table);
    m_tableView = new TableView(m_table, m_board);

    m_gameStart.setMake([this] {
        auto *gameStart = new Tgamestart(m_options, this);
        connect(gameStart, &Tgamestart::startRequested, this,
                [this](const QByteArray &rounds, int dummy) {
                    guard([&] { m_table.requestStart(rounds, dummy); });
                });
        // Kept whatever became of the request.
        connect(gameStart, &Tgamestart::startRequested, &m_settings, &Settings::saveGameStart);
        return gameStart;
    });
    m_tallyList.setMake([this] { return new Ttallylist(m_tally, this); });
    // Read now, not when its window first opens: a tally that cannot be
    // read is said at the start.
    const QString tallyError = m_tally.load();
    if (!tallyError.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, tallyError] { m_notifier->showError(tallyError); }, Qt::QueuedConnection);

    connect(&m_announcer, &TableAnnouncer::chatLine, m_mainchat, &ChatView::addLine);
    connect(&m_announcer, &TableAnnouncer::sound, this, &Tchat::playsounds);
    connect(&m_table, &TableModel::notice, this,
            [this](const QString &text) { m_notifier->showNotice(text); });
    // The dialog takes the keyboard, so that a game starts without a mouse.
    connect(&m_table, &TableModel::showGameStart, this, [this] { showInFront(gameStart()); });
    connect(&m_table, &TableModel::attention, this, [this] {
        if (!isActiveWindow())
            QApplication::alert(this);
    });
    connect(&m_table, &TableModel::removeFromGame, m_connection, &GameConnection::removeFromGame);
    // A finished game goes straight into the tally, which writes its file.
    connect(&m_table, &TableModel::tallyGame, &m_tally,
            [this](const QString &winner, const QStringList &atTable) {
                guard([&] { m_tally.addgame(winner, atTable); });
            });
    connect(&m_table, &TableModel::tallyMoney, &m_tally,
            [this](int amount, int column) { guard([&] { m_tally.addmoney(amount, column); }); });
    connect(&m_table, &TableModel::tallyAgainst, &m_tally, [this](const QString &name, int amount) {
        guard([&] { m_tally.addAgainst(name, amount); });
    });
    connect(&m_table, &TableModel::changed, this,
            [this] { m_justWatch->setChecked(m_table.justWatchTicked()); });
    connect(&m_table, &TableModel::changed, this,
            [this] { m_hint->setEnabled(m_table.canHint()); });
}

// Hosting and joining a table from the window: both end this copy and
// start one in the chosen role.
void Tchat::buildTableWindows()
{
    m_hostWindow.setMake([this] {
        auto *host = new Thost(m_options, this);
        connect(host, &Thost::hostRequested, this, [this](const QString &name, bool router) {
            restartAs(
                StartRole::arguments(StartRole::Kind::Host, name, QLatin1String(Loopback), router));
        });
        return host;
    });
    // Its listener hears the local network only while the window shows.
    m_joinWindow.setMake([this] {
        auto *join = new Tjoin(m_options, this);
        connect(join, &Tjoin::joinRequested, this,
                [this](const QString &name, const QString &address) {
                    restartAs(StartRole::arguments(StartRole::Kind::Join, name, address));
                });
        return join;
    });
    connect(&m_table, &TableModel::ownLoginConfirmed, this, &Tchat::sayWhereToJoin);
    connect(m_connection, &GameConnection::routerOpened, this, [this](const QString &address) {
        m_routerOpened = true;
        m_publicAddress = address;
        sayRouter();
    });
    connect(m_connection, &GameConnection::routerFailed, this, [this] {
        m_routerFailed = true;
        sayRouter();
    });
}

void Tchat::sayRouter()
{
    if (!m_saidWhereToJoin)
        return;
    const quint16 port = server().listeningPort();
    if (m_routerFailed)
        m_session.systemLine(PortMapper::failureText(port));
    else if (m_routerOpened && m_publicAddress.isEmpty())
        m_session.systemLine(
            QStringLiteral("Your router opened port %1 to the internet.").arg(port));
    else if (m_routerOpened)
        m_session.systemLine(
            QStringLiteral("From the internet: %1:%2").arg(m_publicAddress).arg(port));
}

void Tchat::showTableWindow(QWidget *window)
{
    guard([&] {
        // Before the first connection the settings are not read yet; the
        // name and the recent tables are wanted now.
        if (!m_settings.hasRead())
            m_settings.loadTableChoices();
        showInFront(window);
    });
}

void Tchat::sayWhereToJoin()
{
    if (m_saidWhereToJoin || role().kind != StartRole::Kind::Host)
        return;
    m_saidWhereToJoin = true;
    const QString port = QString::number(server().listeningPort());
    QStringList places;
    for (const QString &address : localAddresses())
        places.append(address + QLatin1Char(':') + port);
    // The chat takes what comes before the first colon for a name and
    // breaks lines only between words, so an address stays whole.
    m_session.systemLine(
        places.isEmpty()
            ? QStringLiteral("Others can join this table on this computer only: 127.0.0.1:") + port
            : QStringLiteral("Others can join this table at: ") +
                  places.join(QStringLiteral(" or ")));
    sayRouter();
}

void Tchat::restartAs(const QStringList &params)
{
    m_restartParams = params;
    close();
}

void Tchat::playsounds(const QString &name)
{
    if (m_options.playSounds())
        m_sounds->playsounds(name);
}

bool Tchat::muted(int player) const
{
    const std::optional<QString> name = m_table.playerName(player);
    return name && m_mutes.isMuted(player, *name);
}

void Tchat::addMuteItem(QMenu &menu, int player)
{
    const std::optional<QString> name = m_table.playerName(player);
    if (!name || player == m_table.ownPlayer())
        return;
    if (!menu.isEmpty())
        menu.addSeparator();
    // A name may hold "&", which a menu would take for a shortcut mark.
    QString text = MuteList::menuText(m_mutes.isMuted(player, *name), *name);
    QAction *item = menu.addAction(text.replace(QLatin1Char('&'), QStringLiteral("&&")));
    item->setObjectName(QStringLiteral("MutePlayer1"));
    connect(item, &QAction::triggered, this, [this, player, name = *name] {
        m_session.systemLine(MuteList::announcement(m_mutes.toggle(player, name), name));
    });
}

void Tchat::setSoundPlayer(std::unique_ptr<SoundPlayer> player)
{
    m_sounds = std::move(player);
    m_sounds->setVolume(SoundPlayer::Channel::Game, m_options.soundVolume());
    m_sounds->setVolume(SoundPlayer::Channel::Chatter, m_options.chatterVolume());
}

// The watchers list, the lobby download window, help and about: made
// hidden when first wanted, shown from the menus, the logo and a solo start.
void Tchat::buildSideWindows()
{
    m_about.setMake([this] { return new Tabout(m_notifier, this); });
    m_help.setMake([this] {
        auto *help = new Thelp(m_notifier, this);
        connect(help, &Thelp::aboutRequested, this, [this] { showInFront(about()); });
        return help;
    });

    const PlayerMenu muteItem = [this](QMenu &menu, int player) { addMuteItem(menu, player); };
    // The table keeps the watchers, so a list made late starts with those
    // who came before it.
    m_spyList.setMake([this, muteItem] {
        auto *spyList = new Tspylist(this);
        for (const TableModel::Watcher &watcher : m_table.watchers())
            spyList->add(watcher.number, watcher.name);
        spyList->setHosting(m_session.isHost());
        connect(&m_table, &TableModel::watcherArrived, spyList, &Tspylist::add);
        connect(&m_table, &TableModel::watcherLeft, spyList, &Tspylist::remove);
        connect(m_connection, &GameConnection::hostingStarted, spyList,
                [spyList] { spyList->setHosting(true); });
        connect(spyList, &Tspylist::removeRequested, m_connection, &GameConnection::removeFromGame);
        spyList->setPlayerMenu(muteItem);
        return spyList;
    });
    m_tableView->setPlayerMenu(muteItem);
    m_mainchat->setPlayerMenu(muteItem);

    m_download.setMake([this] {
        auto *download = new Tdownload(m_notifier, this);
        // The installer or the lobby program has started: this game ends.
        connect(download, &Tdownload::quitRequested, this, &QWidget::close);
        connect(download, &Tdownload::joinRequested, this, [this, download] {
            download->close();
            showTableWindow(joinWindow());
        });
        return download;
    });

    m_volume.setMake([this] {
        auto *volume = new Tvolume(m_options, this);
        // The sample plays whether or not sounds are on: the player asked to
        // hear the volume he chose.
        connect(volume, &Tvolume::sampleWanted, this, [this](SoundPlayer::Channel channel) {
            m_sounds->playsounds(channel == SoundPlayer::Channel::Chatter
                                     ? QStringLiteral("wave3")
                                     : QStringLiteral("playcard"));
        });
        return volume;
    });
}

// The chat entry, phrase and sound buttons, and the phrase editor.
void Tchat::buildChat()
{
    m_chat = new ChatControls(m_board, m_session, m_options);
    m_phrases.setMake([this] { return new Tphrases(m_options, this); });
    m_connection->takeRequests(m_table, m_chat->composer());
    connect(m_tableView, &TableView::focusChatEntry, m_chat, &ChatControls::focusEntry);
    // The keyboard's two stops: the chat entry and the own hand.
    connect(m_chat->entry(), &ChatEntry::leaveRequested, m_tableView, &TableView::focusHand);
    connect(m_tableView->handFocus(), &HandFocus::leaveRequested, m_chat,
            &ChatControls::focusEntry);
    connect(m_tableView->handFocus(), &HandFocus::typedForChat, m_chat,
            &ChatControls::typeIntoEntry);
    connect(&m_table, &TableModel::hintGiven, m_tableView->handFocus(), &HandFocus::showHint);
    connect(m_mainchat, &ChatView::chatCleared, m_chat, &ChatControls::focusEntry);
    connect(&m_session, &ClientSession::chatterSound, this,
            [this](int sender, const QString &sound) {
                if (muted(sender))
                    return;
                std::optional<QString> seatName;
                if (isSeat(sender))
                    seatName = m_table.seat(sender).caption;
                const ChatComposer::ChatterEffect effect =
                    m_chat->composer().chatterReceived(seatName, sound);
                if (!effect.play.isEmpty())
                    m_sounds->playsounds(QString::fromLatin1(effect.play));
                if (!effect.line.isEmpty())
                    m_session.systemLine(effect.line);
            });
}

Tchat::~Tchat() = default;

void Tchat::buildBoard()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setMinimumSize(MinClientSize);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, BoardColour);
    client->setPalette(pal);
    QFont font = faces::named(faces::text());
    font.setPixelSize(11);
    client->setFont(font);
    setCentralWidget(client);

    m_board = new BoardPanel(client);
    m_board->move(0, 0);

    m_logo = new ClickLabel(m_board, [this] { m_notifier->openUrl(Tabout::makerUrl()); });
    m_logo->setObjectName(QStringLiteral("Image2"));
    m_logo->setGeometry(553, 1, 233, 33);
    // Set as the window opens, by when the picture has been drawn ahead.
    TableArt::whenShown(m_logo, [this] { m_logo->setPixmap(TableArt::logo()); });
    m_logo->setCursor(Qt::PointingHandCursor);

    auto *chatPanel = new QFrame(m_board);
    chatPanel->setObjectName(QStringLiteral("panel_chat"));
    chatPanel->setGeometry(552, 57, 236, 412);
    chatPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    chatPanel->setLineWidth(1);
    m_mainchat = new ChatView(chatPanel);
    m_mainchat->setGeometry(1, 1, 234, 410);
    m_mainchat->setNotifier(m_notifier);
    connect(m_mainchat, &ChatView::textSizeChosen, &m_options, &Options::setTextSize);
}

QAction *Tchat::addItem(QMenu *menu, const QString &text, const char *name)
{
    QAction *item = menu->addAction(text);
    item->setObjectName(QLatin1String(name));
    return item;
}

QAction *Tchat::addCheckItem(QMenu *menu, const QString &text, const char *name)
{
    QAction *item = addItem(menu, text, name);
    item->setCheckable(true);
    return item;
}

void Tchat::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    m_startGame = addItem(file, QStringLiteral("&Start Game"), "StartGame1");
    m_startGame->setEnabled(false);
    connect(m_startGame, &QAction::triggered, this,
            [this] { guard([this] { m_table.startClicked(); }); });
    QAction *hostTable = addItem(file, QStringLiteral("&Host a Table\u2026"), "HostTable1");
    connect(hostTable, &QAction::triggered, this, [this] { showTableWindow(hostWindow()); });
    QAction *joinTable = addItem(file, QStringLiteral("&Join a Table\u2026"), "JoinTable1");
    connect(joinTable, &QAction::triggered, this, [this] { showTableWindow(joinWindow()); });
    file->addSeparator();
    QAction *exit = addItem(file, QStringLiteral("E&xit"), "Exit1");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    // The option items show the options record and change it; their check
    // marks follow the record, not the click.
    QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
    m_playSounds = addCheckItem(options, QStringLiteral("&Play Sounds"), "PlaySounds1");
    connect(m_playSounds, &QAction::triggered, this,
            [this](bool on) { m_options.setPlaySounds(on); });
    m_chatterSounds =
        addCheckItem(options, QStringLiteral("Play &Chatter Sounds"), "PlayChatterSounds1");
    connect(m_chatterSounds, &QAction::triggered, this,
            [this](bool on) { m_options.setChatterSounds(on); });

    QMenu *turnSound = options->addMenu(QStringLiteral("&Turn Sound"));
    auto *turnSounds = new QActionGroup(this);
    m_turnClassic = addCheckItem(turnSound, QStringLiteral("&Classic"), "Classic1");
    m_turnNew = addCheckItem(turnSound, QStringLiteral("&New"), "New1");
    for (QAction *item : {m_turnClassic, m_turnNew}) {
        turnSounds->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, item] { m_options.setTurnSoundNew(item == m_turnNew); });
    }

    QMenu *botSpeed = options->addMenu(QStringLiteral("&Bot Speed"));
    auto *botSpeeds = new QActionGroup(this);
    const char *const speedItems[][2] = {{"&Slow", "Slow1"},
                                         {"&Normal", "Normal1"},
                                         {"&Fast", "Fast1"}};
    for (std::size_t i = 0; i < m_botSpeeds.size(); ++i) {
        QAction *item = addCheckItem(botSpeed, QLatin1String(speedItems[i][0]), speedItems[i][1]);
        botSpeeds->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, i] { guard([&] { m_options.setBotSpeed(BotSpeeds[i]); }); });
        m_botSpeeds[i] = item;
    }
    options->addSeparator();

    QAction *textColour = addItem(options, QStringLiteral("Te&xt Color"), "TextColor1");
    connect(textColour, &QAction::triggered, this,
            [this] { guard([this] { m_chat->chooseTextColour(this); }); });
    QMenu *textSize = options->addMenu(QStringLiteral("Text Si&ze"));
    textSize->addActions(m_mainchat->textSizeActions());
    options->addAction(m_mainchat->scrollOffAction());
    QAction *reset =
        addItem(options, QStringLiteral("&Reset Screen Location"), "ResetScreenLocation1");
    connect(reset, &QAction::triggered, this,
            [this] { guard([this] { ResetScreenLocation1Click(); }); });
    m_raiseCards =
        addCheckItem(options, QStringLiteral("R&aise Playable Cards"), "RaisePlayableCards1");
    connect(m_raiseCards, &QAction::triggered, this,
            [this](bool on) { m_options.setRaiseCards(on); });
    m_fourColourDeck =
        addCheckItem(options, QStringLiteral("&Four-Colour Deck"), "FourColourDeck1");
    connect(m_fourColourDeck, &QAction::triggered, this,
            [this](bool on) { m_options.setFourColourDeck(on); });
    options->addSeparator();
    m_justWatch = addCheckItem(options, QStringLiteral("&Just Watch"), "JustWatch1");
    // The tick follows the host's answer, not the click.
    connect(m_justWatch, &QAction::triggered, this, [this] {
        m_justWatch->setChecked(m_table.justWatchTicked());
        guard([this] { m_table.toggleOwnJustWatch(); });
    });
    options->addSeparator();
    QAction *volume = addItem(options, QStringLiteral("&Volume\u2026"), "Volume1");
    connect(volume, &QAction::triggered, this, [this] {
        volumeWindow()->showVolumes();
        showInFront(volumeWindow());
    });
    // The turn clock runs in the host, so only the copy that hosts has it.
    m_turnLimitMenu = options->addMenu(QStringLiteral("Turn Time &Limit"));
    m_turnLimitMenu->setObjectName(QStringLiteral("TurnTimeLimit1"));
    m_turnLimitMenu->menuAction()->setVisible(false);
    auto *turnLimits = new QActionGroup(this);
    const char *const limitItems[][2] = {{"&Off", "TurnLimitOff1"},
                                         {"&30 s", "TurnLimit301"},
                                         {"&60 s", "TurnLimit601"},
                                         {"&2 min", "TurnLimit1201"}};
    for (std::size_t i = 0; i < m_turnLimits.size(); ++i) {
        QAction *item =
            addCheckItem(m_turnLimitMenu, QLatin1String(limitItems[i][0]), limitItems[i][1]);
        turnLimits->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, i] { guard([&] { m_options.setTurnLimit(Options::TurnLimits[i]); }); });
        m_turnLimits[i] = item;
    }
    // Only the hosting copy's computer plays, so only it shows the choice.
    m_computerPlayers = options->addMenu(QStringLiteral("Co&mputer Players"));
    m_computerPlayers->menuAction()->setObjectName(QStringLiteral("ComputerPlayers1"));
    m_computerPlayers->menuAction()->setVisible(false);
    auto *botStrengths = new QActionGroup(this);
    m_botStrengths = {addCheckItem(m_computerPlayers, QStringLiteral("&Classic"), "Classic2"),
                      addCheckItem(m_computerPlayers, QStringLiteral("&Strong"), "Strong1")};
    for (QAction *item : m_botStrengths) {
        botStrengths->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] {
            m_options.setBotStrength(item == m_botStrengths[1] ? Options::BotStrength::Strong
                                                               : Options::BotStrength::Classic);
        });
    }

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction *viewTally = addItem(view, QStringLiteral("View &Tally"), "ViewTally1");
    connect(viewTally, &QAction::triggered, this, [this] {
        guard([this] {
            m_tally.setPlayersAtTable(m_table.loadchecklist());
            showInFront(tallyList());
        });
    });
    QAction *spyList = addItem(view, QStringLiteral("&Spy List"), "SpyList1");
    connect(spyList, &QAction::triggered, this, [this] { showInFront(this->spyList()); });
    QAction *phraseList = addItem(view, QStringLiteral("&Phrase List"), "PhraseList1");
    connect(phraseList, &QAction::triggered, this,
            [this] { guard([this] { phraseEditor()->showPhrases(); }); });
    // H works while the hand has the keyboard (the hand takes it itself);
    // the menu shows the key.
    m_hint = addItem(view, QStringLiteral("&Hint"), "Hint1");
    m_hint->setShortcut(QKeySequence(Qt::Key_H));
    m_hint->setShortcutContext(Qt::WidgetShortcut);
    m_hint->setEnabled(false);
    connect(m_hint, &QAction::triggered, this, [this] { guard([this] { m_table.giveHint(); }); });
    QMenu *zoom = view->addMenu(QStringLiteral("&Zoom"));
    auto *zooms = new QActionGroup(this);
    for (std::size_t i = 0; i < m_zooms.size(); ++i) {
        const int percent = Options::Zooms[i];
        QAction *item = addCheckItem(zoom, QStringLiteral("%1%").arg(percent),
                                     qPrintable(QStringLiteral("Zoom%1").arg(percent)));
        zooms->addAction(item);
        connect(item, &QAction::triggered, this, [this, percent] {
            guard([&] { m_options.setZoom(percent); });
            // Qt takes the scale factor only at the start.
            if (percent != ProgramZoom::running())
                m_session.systemLine(
                    QStringLiteral("The board will be shown at %1% from the next start of Velmora.")
                        .arg(percent));
        });
        m_zooms[i] = item;
    }

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction *content = addItem(help, QStringLiteral("&Content"), "Help2");
    content->setShortcut(QKeySequence(Qt::Key_F1));
    connect(content, &QAction::triggered, this, [this] { showInFront(this->help()); });
    QAction *connecting = addItem(help, QStringLiteral("Co&nnecting"), "HelpConnecting1");
    connect(connecting, &QAction::triggered, this, [this] {
        this->help()->SelButton1Click(2);
        showInFront(this->help());
    });
    help->addSeparator();
    QAction *about = addItem(help, QStringLiteral("&About"), "About1");
    connect(about, &QAction::triggered, this, [this] { showInFront(this->about()); });
}

void Tchat::showOptions(Options::Key key)
{
    switch (key) {
    case Options::Key::PlaySounds: m_playSounds->setChecked(m_options.playSounds()); break;
    case Options::Key::ChatterSounds: m_chatterSounds->setChecked(m_options.chatterSounds()); break;
    case Options::Key::TurnSound:
        (m_options.turnSoundNew() ? m_turnNew : m_turnClassic)->setChecked(true);
        m_announcer.setTurnSoundNew(m_options.turnSoundNew());
        break;
    case Options::Key::BotSpeed:
        for (std::size_t i = 0; i < m_botSpeeds.size(); ++i)
            m_botSpeeds[i]->setChecked(BotSpeeds[i] == m_options.botSpeed());
        break;
    case Options::Key::TextSize: m_mainchat->setTextSize(m_options.textSize()); break;
    case Options::Key::RaiseCards:
        m_raiseCards->setChecked(m_options.raiseCards());
        m_table.setRaisePlayable(m_options.raiseCards());
        break;
    case Options::Key::FourColourDeck:
        m_fourColourDeck->setChecked(m_options.fourColourDeck());
        if (TableArt::fourColourDeck() != m_options.fourColourDeck()) {
            TableArt::setFourColourDeck(m_options.fourColourDeck());
            m_tableView->artChanged();
        }
        break;
    case Options::Key::SoundVolume:
    case Options::Key::ChatterVolume:
        m_sounds->setVolume(SoundPlayer::Channel::Game, m_options.soundVolume());
        m_sounds->setVolume(SoundPlayer::Channel::Chatter, m_options.chatterVolume());
        if (Tvolume *volume = m_volume.ifMade())
            volume->showVolumes();
        break;
    case Options::Key::TurnLimit:
        for (std::size_t i = 0; i < m_turnLimits.size(); ++i)
            m_turnLimits[i]->setChecked(Options::TurnLimits[i] == m_options.turnLimit());
        break;
    case Options::Key::BotStrength:
        m_botStrengths[m_options.botStrength() == Options::BotStrength::Strong ? 1 : 0]->setChecked(
            true);
        break;
    case Options::Key::Zoom:
        for (std::size_t i = 0; i < m_zooms.size(); ++i)
            m_zooms[i]->setChecked(Options::Zooms[i] == m_options.zoom());
        break;
    default: break;
    }
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // After the window's first frame, not before it: the board's first paint
    // is that frame. A window that shows without painting (minimised)
    // starts a little later all the same.
    new AfterFirstFrame(m_board, [this] { startConnection(); });
    QTimer::singleShot(FirstFrameWaitMs, this, &Tchat::startConnection);
}

void Tchat::startConnection()
{
    if (m_started)
        return;
    m_started = true;
    m_connection->start(m_params);
    // A solo start offers the way to the lobby and its other players.
    if (!m_connection->role().multiPlayer())
        showInFront(download());
}

void Tchat::hostClosed()
{
    // At once, also while a box waits for the user: it closes with the
    // window. Only "Game is full" is read before the end.
    if (m_ending || m_holdEnd)
        return;
    endProgram();
}

void Tchat::gameIsFull()
{
    // The host drops us right after saying so; the user still gets to read
    // the notice before the program ends.
    m_holdEnd = true;
    m_notifier->showNotice(QStringLiteral("Game is full"));
    m_holdEnd = false;
    endProgram();
}

void Tchat::ResetScreenLocation1Click()
{
    // The remembered place is left alone; closing compares against it.
    placeWindow(Options::DefaultPlace);
}

void Tchat::readSettings()
{
    m_settings.loadinifile();
    // A stored number moves the spinner; the box shows the text as stored.
    // A dialog made later takes them from the options as it is made.
    if (Tgamestart *gameStart = m_gameStart.ifMade())
        gameStart->setRounds(m_options.roundsText());
    placeWindow(m_options.windowPlace());
}

void Tchat::placeWindow(QRect frame)
{
    // A place on a display that is gone would hide the window.
    if (!QGuiApplication::screenAt(frame.topLeft() + QPoint(20, 20)))
        frame.moveTopLeft(Options::DefaultPlace.topLeft());
    const QSize extra = frameGeometry().size() - geometry().size();
    move(frame.topLeft());
    resize(frame.size() - extra);
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
    // A box left open would keep the program alive after its window, with
    // the host gone: boxes close with the window.
    m_notifier->closeBoxes();
    m_notifier->guard([this] {
        QRect place = frameGeometry();
        const QScreen *display = screen();
        const QSize workArea = display ? display->availableGeometry().size() : place.size();
        m_options.rememberOnClose(place, workArea);
    });
    m_ending = true;
    m_connection->shutDown();
    m_tally.save();
    event->accept();
}

} // namespace velmora
