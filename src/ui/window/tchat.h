#pragma once

#include "cards/random.h"
#include "client/clientsession.h"
#include "client/tablemodel.h"
#include "notifier.h"
#include "client/startrole.h"
#include "client/windowoptions.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <memory>

class QAction;
class QActionGroup;
class QLabel;

namespace velmora {

class BoardPanel;
class ChatView;
class TableView;
class Tgamestart;
class Ttallylist;
class TServer;
class TSock;
enum class TSocketInfo;

// The game window. It takes its role from the command line when it is first
// shown, starts the in-process host when hosting, connects `sock` to the
// host and feeds what arrives to the session, one message per tick. The
// session decides; the window draws and forwards the user's commands.
//
// Every entry point from Qt (socket events, the dispatch tick, menu
// commands) runs under the notifier's guard, so an error is shown in the
// general error box and the program carries on.
class Tchat : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr QSize ClientSize{790, 500};

    // `params` are the command-line words after the program's name. Without
    // a notifier the window shows real message boxes.
    explicit Tchat(const QStringList &params, Notifier *notifier = nullptr,
                   QWidget *parent = nullptr);
    ~Tchat() override;

    ClientSession &session() { return m_session; }
    TableModel &table() { return m_table; }
    Tgamestart *gameStart() const { return m_gameStart; }
    Ttallylist *tally() const { return m_tally; }
    ChatView *mainchat() const { return m_mainchat; }
    TServer &server() const { return *m_server; }
    TSock &sock() const { return *m_sock; }
    TSock &presenceSock() const { return *m_sock11; }
    const StartRole &role() const { return m_role; }
    WindowOptions &windowOptions() { return m_windowOptions; }

    // Whether the dispatch timer runs; it runs only while messages wait.
    bool dispatching() const { return m_timer1.isActive(); }

    // The computer players' pace chosen under Options > Bot Speed.
    int botSpeed() const { return m_botSpeed; }
    QString botSpeedName() const { return m_botSpeedName; }

    // Another copy was started: come to the front, restored if minimised.
    void activateFromOtherInstance();

    // Ends the program by closing the game window (the application ends
    // with its last window). Tests override or watch programEnding.
    virtual void endProgram();

signals:
    void programEnding();
    // An option or the remembered window place changed: the settings need
    // writing.
    void optionsChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    template <typename F>
    void guard(F &&entryPoint)
    {
        m_notifier->guard(std::forward<F>(entryPoint));
        resumeDispatch();
    }

    void buildBoard();
    void buildMenus();
    QAction *addItem(QMenu *menu, const QString &text, const char *name);

    void processparams();
    void hostpress();
    void joinpress();
    void sockRead();
    void sockInfo(TSocketInfo info, const QString &message);
    void Timer1Timer();
    void resumeDispatch();
    void sendRequest(const QByteArray &message);
    void gameIsFull();
    void Slow1Click(QAction *item);
    void ResetScreenLocation1Click();
    void shutDown();
    void connectTable();
    // Every game sound is asked for here, by name.
    void playsounds(const QString &name);

    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    QStringList m_params;
    StartRole m_role;
    ClientSession m_session;
    TableModel m_table{m_session, processRandom()};
    WindowOptions m_windowOptions;

    TServer *m_server = nullptr;
    TSock *m_sock = nullptr;
    TSock *m_sock11 = nullptr;
    QTimer m_timer1;

    BoardPanel *m_board = nullptr;
    ChatView *m_mainchat = nullptr;
    QLabel *m_logo = nullptr;
    QAction *m_startGame = nullptr;
    QAction *m_justWatch = nullptr;
    TableView *m_tableView = nullptr;
    Tgamestart *m_gameStart = nullptr;
    Ttallylist *m_tally = nullptr;
    QActionGroup *m_botSpeeds = nullptr;

    int m_botSpeed = 1000;
    QString m_botSpeedName = QStringLiteral("normal");
    bool m_shown = false;
    bool m_ending = false;
    bool m_holdEnd = false;
    bool m_endPending = false;
};

} // namespace velmora
