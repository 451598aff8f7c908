#include "tdownload.h"

#include "art/jpegimage.h"
#include "base/config.h"
#include "filefetch.h"
#include "common/notifier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

// Resources of a static library are registered by hand: nothing else would
// pull their object file into the program.
static void initLobbyResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(lobby);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace velmora {

namespace {
const QString LobbyProgram = QStringLiteral("pelox8lobby");
const QString PicturePath = QStringLiteral(":/lobby/lobby.jpg");

QFrame *whitePanel(QWidget *parent, const QRect &geometry)
{
    auto *panel = new QFrame(parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pal);
    panel->setGeometry(geometry);
    return panel;
}

QLabel *textLabel(QWidget *parent, const QString &text, const QRect &geometry, int pixelSize = 12)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->setGeometry(geometry);
    return label;
}

void colour(QWidget *widget, const QColor &c)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, c);
    widget->setPalette(pal);
}

QFont boldFont(const QFont &base, int pixelSize)
{
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}
} // namespace

const QStringList &Tdownload::installerSwitches()
{
    static const QStringList switches{QStringLiteral("/SP-"), QStringLiteral("/silent"),
                                      QStringLiteral("/noicons")};
    return switches;
}

QString Tdownload::installedLobby()
{
    const QString onPath = QStandardPaths::findExecutable(LobbyProgram);
    if (!onPath.isEmpty())
        return onPath;
    const QFileInfo local(QDir::home().filePath(QStringLiteral(".local/bin/") + LobbyProgram));
    return local.isFile() && local.isExecutable() ? local.absoluteFilePath() : QString();
}

QUrl Tdownload::installerUrl()
{
    const QByteArray env = qgetenv("VELMORA_LOBBY_URL");
    return QUrl(env.isEmpty() ? QLatin1String(InstallerAddress) : QString::fromLocal8Bit(env));
}

Tdownload::Tdownload(Notifier *notifier, QWidget *parent) : QDialog(parent, Qt::Tool)
{
    initLobbyResources();
    if (!notifier) {
        m_ownNotifier = std::make_unique<Notifier>();
        notifier = m_ownNotifier.get();
    }
    m_notifier = notifier;
    m_launcher = [](const QString &program, const QStringList &arguments) {
        return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
    };

    m_fetch = new FileFetch(this);
    connect(m_fetch, &FileFetch::headersReceived, this, &Tdownload::HttpCli1HeaderData);
    connect(m_fetch, &FileFetch::progress, this, &Tdownload::HttpCli1DocData);
    connect(m_fetch, &FileFetch::finished, this, &Tdownload::HttpCli1RequestDone);

    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Pelox8 Lobby"));
    setFixedSize(724, 500);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Left: the picture, the download button and the progress.
    QFrame *left = whitePanel(this, QRect(6, 6, 450, 487));
    // The picture is decoded when the window is first shown (showEvent):
    // a joining copy never shows it, and a solo start shows it after the
    // game window.
    m_picture = new QLabel(left);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(7, 7, 436, 360);
    auto *closed = new QLabel(QStringLiteral("IS CLOSED"), left);
    closed->setObjectName(QStringLiteral("label_closed"));
    closed->setFont(boldFont(closed->font(), 13));
    colour(closed, QColor(230, 0, 0));
    closed->setGeometry(212, 333, 120, 34);

    auto *pitch = textLabel(
        left,
        QStringLiteral("Download The Pelox8 Lobby Now to play this  and other exciting games "
                       "online with other players! "),
        QRect(10, 371, 430, 30));
    pitch->setObjectName(QStringLiteral("label_pitch"));

    m_getbutton =
        new QPushButton(QStringLiteral("Download And Install The Pelox8 Lobby Now"), left);
    m_getbutton->setObjectName(QStringLiteral("getbutton"));
    m_getbutton->setFont(boldFont(m_getbutton->font(), 15));
    m_getbutton->setGeometry(25, 403, 400, 34);
    connect(m_getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);

    m_infolabel = new QLabel(left);
    m_infolabel->setObjectName(QStringLiteral("infolabel"));
    m_infolabel->setGeometry(7, 441, 300, 18);
    m_infolabel3 = new QLabel(left);
    m_infolabel3->setObjectName(QStringLiteral("infolabel3"));
    m_infolabel3->setGeometry(7, 462, 300, 18);
    for (QLabel *label : {m_infolabel, m_infolabel3}) {
        label->setAlignment(Qt::AlignCenter);
        label->setFont(boldFont(label->font(), 12));
    }
    m_infolabel2 = new QLabel(left);
    m_infolabel2->setObjectName(QStringLiteral("infolabel2"));
    m_infolabel2->hide();

    m_abortbutton = new QPushButton(QStringLiteral("Stop Download"), left);
    m_abortbutton->setObjectName(QStringLiteral("abortbutton"));
    m_abortbutton->setGeometry(318, 446, 120, 28);
    connect(m_abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);

    // Right top: carry on alone.
    QFrame *solo = whitePanel(this, QRect(462, 6, 257, 228));
    textLabel(solo,
              QStringLiteral("To proceed to the game without the ability to play against others "
                             "click the button below."),
              QRect(10, 10, 237, 48));
    auto *button1 = new QPushButton(QStringLiteral("Play Solo Game"), solo);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setFont(boldFont(button1->font(), 13));
    button1->setGeometry(38, 66, 181, 32);
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    auto *note = textLabel(
        solo,
        QStringLiteral("Note: Even if you are playing offline, you will need to configure your "
                       "FIREWALL to allow the game to access the internet components."),
        QRect(10, 116, 237, 100));
    colour(note, QColor(200, 0, 0));

    // Right bottom: leave for an installed lobby.
    QFrame *others = whitePanel(this, QRect(462, 237, 257, 257));
    textLabel(
        others,
        QStringLiteral("If you already have The Pelox8 Lobby and you wish to play with others "
                       "then click the button below to close this game and open The Pelox8 "
                       "Lobby."),
        QRect(10, 14, 237, 96));
    auto *button2 = new QPushButton(QStringLiteral("Play with Others"), others);
    button2->setObjectName(QStringLiteral("Button2"));
    button2->setFont(boldFont(button2->font(), 13));
    button2->setGeometry(38, 124, 181, 32);
    connect(button2, &QPushButton::clicked, this, &Tdownload::Button2Click);
}

Tdownload::~Tdownload() = default;

bool Tdownload::downloading() const { return m_fetch->running(); }

void Tdownload::getbuttonClick()
{
    m_notifier->guard([this] { startDownload(); });
}

void Tdownload::startDownload()
{
    if (m_fetch->running())
        return;
    m_abortFlag = 1;
    const QUrl url = installerUrl();
    m_infolabel2->setText(url.fileName());
    switch (m_fetch->start(url, downloadFolders())) {
    case FileFetch::Start::Started: break;
    case FileFetch::Start::AddressRefused:
        // Nothing was fetched: it ends as a failed transfer would.
        failed(m_fetch->failure());
        return;
    case FileFetch::Start::CannotWrite: throw Error(m_fetch->failure().chopped(1));
    }
    m_getbutton->setEnabled(false);
    m_abortbutton->setEnabled(true);
    m_infolabel->setText(QStringLiteral("Loading"));
}

void Tdownload::HttpCli1HeaderData(int lines)
{
    // One dot per header line, as the lines came in.
    m_infolabel->setText(m_infolabel->text() + QString(lines, QLatin1Char('.')));
    m_infolabel3->setText(QStringLiteral("Downloading: ") + m_infolabel2->text());
}

void Tdownload::HttpCli1DocData(qint64 received)
{
    m_infolabel->setText(QString::number(received) + QStringLiteral(" bytes"));
}

void Tdownload::HttpCli1RequestDone(bool complete, const QString &path)
{
    if (complete) {
        m_downloaded = path;
        m_infolabel->setText(QStringLiteral("Received ") + QString::number(QFileInfo(path).size()) +
                             QStringLiteral(" bytes"));
    } else {
        failed(m_fetch->failure());
    }
    m_getbutton->setEnabled(true);
    m_abortbutton->setEnabled(false);
    emit downloadEnded(complete);
    if (complete)
        install();
}

void Tdownload::failed(const QString &reason)
{
    // A transfer the player stopped keeps the words of the stop; any other
    // says why in the line under the progress.
    m_infolabel->setText(QStringLiteral("Download Aborted"));
    m_infolabel3->setText(m_abortFlag == 2 ? QStringLiteral("Download Aborted") : reason);
    m_abortFlag = 2;
}

void Tdownload::install()
{
    m_infolabel3->setText(QStringLiteral("Installing"));
    QFile::setPermissions(m_downloaded, QFile::permissions(m_downloaded) | QFileDevice::ExeOwner |
                                            QFileDevice::ExeUser);
    if (!m_launcher(m_downloaded, installerSwitches())) {
        m_notifier->showNotice(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit quitRequested();
}

void Tdownload::abortbuttonClick()
{
    // The texts come first: stopping the reply reports its end at once, and
    // that report has the last word in the progress line.
    m_infolabel->setText(QStringLiteral("Download has been aborted."));
    m_abortFlag = 2;
    m_infolabel3->setText(QStringLiteral("Download Aborted"));
    if (m_fetch->running())
        m_fetch->stop();
}

void Tdownload::Button1Click() { close(); }

void Tdownload::Button2Click()
{
    const QString lobby = installedLobby();
    if (lobby.isEmpty()) {
        m_notifier->showNotice(QStringLiteral(
            "Please close the game and open the Pelox8 Lobby using the icon on your desktop or "
            "using the your Window's start-up menu."));
        emit joinRequested();
        return;
    }
    if (!m_launcher(lobby, {})) {
        m_notifier->showNotice(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit quitRequested();
}

void Tdownload::hideEvent(QHideEvent *event)
{
    // Leaving the window (for the solo game) gives the download up: an
    // installer that finished later would end the game being played.
    if (!event->spontaneous() && m_fetch->running())
        abortbuttonClick();
    QDialog::hideEvent(event);
}

void Tdownload::showEvent(QShowEvent *event)
{
    if (!m_pictureTried) {
        m_pictureTried = true;
        QString pictureError;
        const QImage image = JpegImage::load(PicturePath, &pictureError);
        if (image.isNull())
            qWarning("Lobby picture: %s", qPrintable(pictureError));
        else
            m_picture->setPixmap(QPixmap::fromImage(image));
    }
    QDialog::showEvent(event);
}

} // namespace velmora
