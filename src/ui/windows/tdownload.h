#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QSaveFile;

namespace velmora {

class Notifier;

// The window shown in front of a solo game: play on alone, download and
// install the lobby program, or start an installed lobby program and leave.
//
// The download runs on the reply's signals, so this window and the game
// behind it keep working meanwhile. The body goes to a temporary sibling of
// the target file that replaces the target only when the transfer is
// complete (2xx status, the announced length, no error); a failed or
// stopped transfer leaves nothing behind. The installer is started only from
// a complete transfer over https (or from the local machine, for tests).
// Closing only hides the window, and stops a transfer that is running.
class Tdownload : public QDialog
{
    Q_OBJECT
public:
    // Where the installer lives, unless VELMORA_LOBBY_URL names another
    // address. The file keeps the name after the last "/".
    static constexpr char InstallerAddress[] =
        "https://www.pelox8.example/downloads/pelox8lobby-setup";
    // The installer's switches: quiet, no start-up prompt, no icons.
    static const QStringList &installerSwitches();
    // The installed lobby program: `pelox8lobby` on PATH, else
    // ~/.local/bin/pelox8lobby. Empty when neither is there.
    static QString installedLobby();
    static QUrl installerUrl();
    // Bodies beyond this are refused: no installer is that large.
    static constexpr qint64 MaxInstallerBytes = 512LL * 1024 * 1024;

    // Starts a program detached from this one; true when it started.
    using Launcher = std::function<bool(const QString &program, const QStringList &arguments)>;

    explicit Tdownload(Notifier *notifier = nullptr, QWidget *parent = nullptr);
    ~Tdownload() override;

    // Replaces the way programs are started (tests record instead).
    void setLauncher(Launcher launcher) { m_launcher = std::move(launcher); }

    bool downloading() const { return !m_reply.isNull(); }
    // The file of the last complete download, empty before one.
    QString downloadedFile() const { return m_downloaded; }

    // The buttons. A download that cannot start (no writable folder, an
    // address that is not https) is reported through the general error box.
    void getbuttonClick();   // "Download And Install The Pelox8 Lobby Now"
    void abortbuttonClick(); // "Stop Download"
    void Button1Click();     // "Play Solo Game"
    void Button2Click();     // "Play with Others"

signals:
    // The installer or the lobby program has started: the game window
    // closes, which ends the program, so the installer can replace it.
    void quitRequested();
    // A transfer has ended, complete or not.
    void downloadEnded(bool complete);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void startDownload();
    void HttpCli1HeaderData();
    void HttpCli1DocData();
    void HttpCli1RequestDone();
    bool openTarget(const QString &fileName);
    void install();

    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    Launcher m_launcher;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_target;
    QString m_downloaded;
    qint64 m_received = 0;
    bool m_headersSeen = false;
    bool m_writeFailed = false;
    int m_abortFlag = 1; // 2 once the transfer was stopped or failed

    QLabel *m_infolabel = nullptr;
    QLabel *m_infolabel2 = nullptr;
    QLabel *m_infolabel3 = nullptr;
    QPushButton *m_getbutton = nullptr;
    QPushButton *m_abortbutton = nullptr;
};

} // namespace velmora
