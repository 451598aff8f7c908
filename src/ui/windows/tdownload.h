#pragma once

#include <QDialog>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace velmora {

class FileFetch;
class Notifier;

// The window shown in front of a solo game: play on alone, download and
// install the lobby program, or start an installed lobby program and leave.
//
// The transfer itself is a FileFetch: it runs on the event loop, so this
// window and the game behind it keep working meanwhile, and only a complete
// transfer from a trusted source leaves a file, which is then started. A
// failed transfer says why under the progress line. Closing only hides the
// window, and stops a transfer that is running.
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

    // Starts a program detached from this one; true when it started.
    using Launcher = std::function<bool(const QString &program, const QStringList &arguments)>;

    explicit Tdownload(Notifier *notifier = nullptr, QWidget *parent = nullptr);
    ~Tdownload() override;

    // Replaces the way programs are started (tests record instead).
    void setLauncher(Launcher launcher) { m_launcher = std::move(launcher); }

    bool downloading() const;
    // The file of the last complete download, empty before one.
    QString downloadedFile() const { return m_downloaded; }

    // The buttons. A download that cannot start for want of a writable
    // folder is reported through the general error box; one from an address
    // that is not trusted ends at once as a failed transfer.
    void getbuttonClick();   // "Download And Install The Pelox8 Lobby Now"
    void abortbuttonClick(); // "Stop Download"
    void Button1Click();     // "Play Solo Game"
    void Button2Click();     // "Play with Others"

    // The transfer, for tests that shorten its stall time.
    FileFetch &fetch() const { return *m_fetch; }

signals:
    // The installer or the lobby program has started: the game window
    // closes, which ends the program, so the installer can replace it.
    void quitRequested();
    // "Play with Others" found no lobby program: the player may join a
    // table directly.
    void joinRequested();
    // A transfer has ended, complete or not.
    void downloadEnded(bool complete);

protected:
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void startDownload();
    void HttpCli1HeaderData(int lines);
    void HttpCli1DocData(qint64 received);
    void HttpCli1RequestDone(bool complete, const QString &path);
    void failed(const QString &reason);
    void install();

    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    Launcher m_launcher;
    FileFetch *m_fetch = nullptr;
    QString m_downloaded;
    int m_abortFlag = 1; // 2 once the transfer was stopped or failed
    bool m_pictureTried = false;

    QLabel *m_picture = nullptr;
    QLabel *m_infolabel = nullptr;
    QLabel *m_infolabel2 = nullptr;
    QLabel *m_infolabel3 = nullptr;
    QPushButton *m_getbutton = nullptr;
    QPushButton *m_abortbutton = nullptr;
};

} // namespace velmora
