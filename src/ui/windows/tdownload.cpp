#include "tdownload.h"

#include "art/jpegimage.h"
#include "base/config.h"
#include "window/notifier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHideEvent>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
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
// A transfer that receives nothing for this long has stalled.
constexpr int StallMs = 60 * 1000;

// An installer is run only when it came over https: anybody on the way
// could replace a plain-http body. The loopback address is trusted so that
// tests can serve the installer themselves.
bool trustedSource(const QUrl &url)
{
    if (url.scheme() == QLatin1String("https"))
        return true;
    if (url.scheme() != QLatin1String("http"))
        return false;
    const QString host = url.host();
    if (host == QLatin1String("localhost"))
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

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

    m_network = new QNetworkAccessManager(this);
    m_network->setProxy(QNetworkProxy::NoProxy);

    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Pelox8 Lobby"));
    setFixedSize(724, 500);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Left: the picture, the download button and the progress.
    QFrame *left = whitePanel(this, QRect(6, 6, 450, 487));
    auto *picture = new QLabel(left);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(7, 7, 436, 360);
    QString pictureError;
    const QImage image = JpegImage::load(PicturePath, &pictureError);
    if (image.isNull())
        qWarning("Lobby picture: %s", qPrintable(pictureError));
    else
        picture->setPixmap(QPixmap::fromImage(image));
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

Tdownload::~Tdownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void Tdownload::getbuttonClick()
{
    m_notifier->guard([this] { startDownload(); });
}

void Tdownload::startDownload()
{
    if (m_reply)
        return;
    m_abortFlag = 1;
    const QUrl url = installerUrl();
    const QString fileName = url.fileName();
    m_infolabel2->setText(fileName);
    if (!url.isValid() || fileName.isEmpty() || fileName == QLatin1String("..") ||
        fileName == QLatin1String("."))
        throw Error(QStringLiteral("The lobby installer's address is not valid"));
    if (!trustedSource(url))
        throw Error(QStringLiteral("The lobby installer is only fetched over https"));
    if (!openTarget(fileName))
        throw Error(QStringLiteral("Cannot write %1: %2").arg(fileName, m_target->errorString()));

    m_getbutton->setEnabled(false);
    m_abortbutton->setEnabled(true);
    m_infolabel->setText(QStringLiteral("Loading"));
    m_received = 0;
    m_headersSeen = false;
    m_writeFailed = false;

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/3.0 (compatible)"));
    request.setRawHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    request.setTransferTimeout(StallMs);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Tdownload::HttpCli1HeaderData);
    connect(m_reply, &QNetworkReply::readyRead, this, &Tdownload::HttpCli1DocData);
    connect(m_reply, &QNetworkReply::finished, this, &Tdownload::HttpCli1RequestDone);
}

bool Tdownload::openTarget(const QString &fileName)
{
    // The program's folder first; where that cannot be written (an
    // installation owned by the system), the user's own data folder.
    QStringList folders{dataFolder()};
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!userFolder.isEmpty())
        folders << userFolder;
    for (const QString &folder : folders) {
        QDir().mkpath(folder);
        m_target = std::make_unique<QSaveFile>(QDir(folder).filePath(fileName));
        if (m_target->open(QIODevice::WriteOnly))
            return true;
    }
    return false;
}

void Tdownload::HttpCli1HeaderData()
{
    if (!m_reply || m_headersSeen)
        return;
    m_headersSeen = true;
    // One dot per header line, as the lines came in.
    m_infolabel->setText(m_infolabel->text() +
                         QString(qsizetype(m_reply->rawHeaderPairs().size()), QLatin1Char('.')));
    m_infolabel3->setText(QStringLiteral("Downloading: ") + m_infolabel2->text());
}

void Tdownload::HttpCli1DocData()
{
    if (!m_reply || !m_reply->isOpen())
        return;
    const QByteArray chunk = m_reply->readAll();
    if (chunk.isEmpty())
        return;
    m_received += chunk.size();
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const bool tooMuch = m_received > MaxInstallerBytes ||
                         (announced.isValid() && m_received > announced.toLongLong());
    if (tooMuch || m_target->write(chunk) != chunk.size()) {
        m_writeFailed = true;
        m_reply->abort();
        return;
    }
    m_infolabel->setText(QString::number(m_received) + QStringLiteral(" bytes"));
}

void Tdownload::HttpCli1RequestDone()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    HttpCli1DocData();
    m_reply = nullptr;
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    // Without a length only a framed body can be known to be whole (chunked,
    // or an HTTP/2 stream): Qt reports a framed body cut short as an error,
    // while a body that just ends with the connection may have been cut.
    const bool lengthOk =
        announced.isValid() ? m_received == announced.toLongLong()
                            : reply->rawHeader("Transfer-Encoding").toLower().contains("chunked") ||
                                  reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
    bool complete = m_abortFlag != 2 && !m_writeFailed &&
                    reply->error() == QNetworkReply::NoError && status >= 200 && status < 300 &&
                    lengthOk && trustedSource(reply->url());
    const QString path = m_target->fileName();
    if (complete && !m_target->commit())
        complete = false;
    m_target.reset(); // uncommitted: its temporary file goes away

    if (complete) {
        m_downloaded = path;
        m_infolabel->setText(QStringLiteral("Received ") + QString::number(QFileInfo(path).size()) +
                             QStringLiteral(" bytes"));
    } else {
        m_infolabel->setText(QStringLiteral("Download Aborted"));
        m_infolabel3->setText(QStringLiteral("Download Aborted"));
        m_abortFlag = 2;
    }
    m_getbutton->setEnabled(true);
    m_abortbutton->setEnabled(false);
    emit downloadEnded(complete);
    if (complete)
        install();
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
    if (m_reply)
        m_reply->abort();
}

void Tdownload::Button1Click() { close(); }

void Tdownload::Button2Click()
{
    const QString lobby = installedLobby();
    if (lobby.isEmpty()) {
        m_notifier->showNotice(QStringLiteral(
            "Please close the game and open the Pelox8 Lobby using the icon on your desktop or "
            "using the your Window's start-up menu."));
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
    if (!event->spontaneous() && m_reply)
        abortbuttonClick();
    QDialog::hideEvent(event);
}

} // namespace velmora
