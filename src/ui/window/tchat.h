#pragma once

#include "client/clientsession.h"
#include "client/mutelist.h"
#include "client/options.h"
#include "client/startrole.h"
#include "client/tableannouncer.h"
#include "client/tablemodel.h"
#include "settings/settings.h"
#include "tally/tally.h"
#include "common/notifier.h"
#include "window/ondemand.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QActionGroup;
class QLabel;

namespace velmora {

class BoardPanel;
class ChatControls;
class ChatView;
class GameConnection;
class SoundPlayer;
class TableView;
class Tabout;
class Tdownload;
class Tgamestart;
class Thelp;
class Thost;
class Tjoin;
class Tspylist;
class Tphrases;
class Ttallylist;
class Tvolume;
class TServer;
class TSock;

// The game window: the board with the table and the chat column, the menus
// and the side windows, wired to the connection, the table model, the
// options and the tally. It holds no game state of its own; it lays out,
// forwards the user's commands and shows what the model says.
//
// Every entry point from Qt (menu commands, dialogs) runs under the
// notifier's guard, so an error is shown in the general error box and the
// program carries on.
class Tchat : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr QSize ClientSize{790, 500};
    // The board and one pixel more: the window never hides part of it.
    static constexpr QSize MinClientSize{790, 501};

    // When the window first shows: when its owner calls show(), or as soon
    // as its frame and menus exist, so that the display server and the window
    // manager map and frame it while the board is still being built. The
    // board joins it at the end of construction; nothing is painted before
    // the event loop runs, so the first frame is the whole window either way.
    enum class Opening { OnShow, WhileBuilding };

    // `params` are the command-line words after the program's name. Without
    // a notifier the window shows real message boxes.
    explicit Tchat(const QStringList &params, Notifier *notifier = nullptr,
                   QWidget *parent = nullptr, Opening opening = Opening::OnShow);
    ~Tchat() override;

    Options &options() { return m_options; }
    Settings &settings() { return m_settings; }
    ClientSession &session() { return m_session; }
    TableModel &table() { return m_table; }
    Tally &tally() { return m_tally; }
    GameConnection &connection() const { return *m_connection; }
    // The side windows are made the first time something asks for one,
    // these accessors included.
    Tgamestart *gameStart() { return m_gameStart.get(); }
    Ttallylist *tallyList() { return m_tallyList.get(); }
    Tspylist *spyList() { return m_spyList.get(); }
    Tdownload *download() { return m_download.get(); }
    Thelp *help() { return m_help.get(); }
    Tabout *about() { return m_about.get(); }
    Tvolume *volumeWindow() { return m_volume.get(); }
    Thost *hostWindow() { return m_hostWindow.get(); }
    Tjoin *joinWindow() { return m_joinWindow.get(); }
    // The sounds go through this player (tests put a recorder in).
    void setSoundPlayer(std::unique_ptr<SoundPlayer> player);
    ChatView *mainchat() const { return m_mainchat; }
    ChatControls *chatControls() const { return m_chat; }
    Tphrases *phraseEditor() { return m_phrases.get(); }
    TServer &server() const;
    TSock &sock() const;
    TSock &presenceSock() const;
    const StartRole &role() const;
    bool dispatching() const;

    // Another copy was started: come to the front, restored if minimised.
    void activateFromOtherInstance();

    // Ends this copy as "Exit" does; the program then starts a new copy
    // with these command-line words (see restartParameters).
    void restartAs(const QStringList &params);
    // The words the next copy is to start with; empty when none is to.
    const QStringList &restartParameters() const { return m_restartParams; }

    // Ends the program by closing the game window (the application ends
    // with its last window). Tests override or watch programEnding.
    virtual void endProgram();

signals:
    void programEnding();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    template <typename F>
    void guard(F &&entryPoint);

    void buildBoard();
    void buildMenus();
    void buildSideWindows();
    QAction *addItem(QMenu *menu, const QString &text, const char *name);
    QAction *addCheckItem(QMenu *menu, const QString &text, const char *name);
    void connectTable();
    void buildChat();
    void showOptions(Options::Key key);
    void hostClosed();
    void gameIsFull();
    void ResetScreenLocation1Click();
    void readSettings();
    // `frame` is the outer place, as the settings file keeps it.
    void placeWindow(QRect frame);
    // Starts the game's connection once, after the first frame.
    void startConnection();
    // Every game sound is asked for here, by name.
    void playsounds(const QString &name);
    // Whether what the player at this number says is kept from view.
    bool muted(int player) const;
    // "Mute NAME" or "Unmute NAME" in a menu about the player.
    void addMuteItem(QMenu &menu, int player);
    void buildTableWindows();
    void showTableWindow(QWidget *window);
    // A hosting copy says once where others can join it.
    void sayWhereToJoin();
    void sayRouter();

    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    QStringList m_params;
    // The options first: the connection's host reads the bot speed from
    // them for as long as it lives.
    Options m_options;
    Settings m_settings{m_options, Settings::defaultPath()};
    ClientSession m_session;
    TableModel m_table;
    TableAnnouncer m_announcer{m_table};
    Tally m_tally;
    MuteList m_mutes;
    GameConnection *m_connection = nullptr;

    BoardPanel *m_board = nullptr;
    ChatView *m_mainchat = nullptr;
    QLabel *m_logo = nullptr;
    QAction *m_startGame = nullptr;
    QAction *m_justWatch = nullptr;
    QAction *m_playSounds = nullptr;
    QAction *m_chatterSounds = nullptr;
    QAction *m_turnClassic = nullptr;
    QAction *m_turnNew = nullptr;
    QAction *m_raiseCards = nullptr;
    QAction *m_fourColourDeck = nullptr;
    std::array<QAction *, 3> m_botSpeeds{}; // slow, normal, fast
    QMenu *m_turnLimitMenu = nullptr;       // only in the copy that hosts
    std::array<QAction *, Options::TurnLimits.size()> m_turnLimits{};
    TableView *m_tableView = nullptr;
    OnDemand<Tgamestart> m_gameStart;
    OnDemand<Ttallylist> m_tallyList;
    OnDemand<Tspylist> m_spyList;
    OnDemand<Tdownload> m_download;
    OnDemand<Thelp> m_help;
    OnDemand<Tabout> m_about;
    OnDemand<Thost> m_hostWindow;
    OnDemand<Tjoin> m_joinWindow;
    QStringList m_restartParams;
    std::unique_ptr<SoundPlayer> m_sounds;
    ChatControls *m_chat = nullptr;
    OnDemand<Tphrases> m_phrases;
    OnDemand<Tvolume> m_volume;
    QMenu *m_computerPlayers = nullptr;
    std::array<QAction *, 2> m_botStrengths{}; // classic, strong
    QAction *m_hint = nullptr;
    std::array<QAction *, Options::Zooms.size()> m_zooms{};

    bool m_shown = false;
    bool m_started = false;
    bool m_ending = false;
    bool m_holdEnd = false;
    bool m_saidWhereToJoin = false;
    // What the router said, kept until the chat says where to join.
    QString m_publicAddress;
    bool m_routerOpened = false;
    bool m_routerFailed = false;
};

} // namespace velmora
