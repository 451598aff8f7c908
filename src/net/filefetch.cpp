#include "filefetch.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>

namespace velmora {

FileFetch::FileFetch(QObject *parent) : QObject(parent)
{
    m_network = new QNetworkAccessManager(this);
    m_network->setProxy(QNetworkProxy::NoProxy);
}

FileFetch::~FileFetch()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool FileFetch::trustedSource(const QUrl &url)
{
    // Anybody on the way could replace a plain-http body, and the file is
    // run afterwards. The loopback address is trusted so that tests can
    // serve the file themselves.
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

QString FileFetch::failureText(int networkError, int status, const QString &reason,
                               const QString &host, int stallMs)
{
    switch (QNetworkReply::NetworkError(networkError)) {
    case QNetworkReply::NoError: break;
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Could not reach %1: host not found.").arg(host);
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Could not reach %1: the connection was refused.").arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("The connection stalled for %1 seconds.").arg(stallMs / 1000);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Could not make a secure (TLS) connection to %1.").arg(host);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("%1 closed the connection before the file was complete.").arg(host);
    default:
        // An error status comes with an error code of its own; the status
        // says it better.
        if (status < 400)
            return QStringLiteral("Could not fetch the file from %1 (network error %2).")
                .arg(host)
                .arg(networkError);
        break;
    }
    if (status == 404)
        return QStringLiteral("The server has no such file (404).");
    if (status >= 400 || (status != 0 && (status < 200 || status >= 300)))
        return QStringLiteral("The server refused the file (%1 %2).")
            .arg(status)
            .arg(reason)
            .trimmed();
    return {};
}

FileFetch::Start FileFetch::start(const QUrl &url, const QStringList &folders)
{
    if (m_reply)
        return Start::Started;
    m_failure.clear();
    m_stopped = false;
    const QString fileName = url.fileName();
    if (!url.isValid() || fileName.isEmpty() || fileName == QLatin1String("..") ||
        fileName == QLatin1String(".")) {
        m_failure = QStringLiteral("The address of the file is not valid.");
        return Start::AddressRefused;
    }
    if (!trustedSource(url)) {
        m_failure = QStringLiteral("Only secure (https) addresses are used.");
        return Start::AddressRefused;
    }
    QString openError;
    for (const QString &folder : folders) {
        QDir().mkpath(folder);
        m_target = std::make_unique<QSaveFile>(QDir(folder).filePath(fileName));
        if (m_target->open(QIODevice::WriteOnly))
            break;
        openError = m_target->errorString();
        m_target.reset();
    }
    if (!m_target) {
        m_failure = QStringLiteral("Cannot write %1: %2.").arg(fileName, openError);
        return Start::CannotWrite;
    }

    m_received = 0;
    m_headersSeen = false;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/3.0 (compatible)"));
    request.setRawHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    request.setTransferTimeout(m_stallMs);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &FileFetch::onHeaders);
    connect(m_reply, &QNetworkReply::readyRead, this, &FileFetch::onData);
    connect(m_reply, &QNetworkReply::finished, this, &FileFetch::onFinished);
    return Start::Started;
}

void FileFetch::stop()
{
    m_stopped = true;
    if (m_reply)
        m_reply->abort(); // reports its end at once
}

void FileFetch::onHeaders()
{
    if (!m_reply || m_headersSeen)
        return;
    m_headersSeen = true;
    emit headersReceived(int(m_reply->rawHeaderPairs().size()));
}

void FileFetch::onData()
{
    if (!m_reply || !m_reply->isOpen() || !m_failure.isEmpty())
        return;
    const QByteArray chunk = m_reply->readAll();
    if (chunk.isEmpty())
        return;
    m_received += chunk.size();
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (m_received > MaxBytes)
        m_failure = QStringLiteral("The file is larger than %1 MB: no installer is that large.")
                        .arg(MaxBytes / (1024 * 1024));
    else if (announced.isValid() && m_received > announced.toLongLong())
        m_failure = QStringLiteral("The server sent more than the %1 bytes it announced.")
                        .arg(announced.toLongLong());
    else if (m_target->write(chunk) != chunk.size())
        m_failure = QStringLiteral("Cannot write %1: %2.")
                        .arg(QFileInfo(m_target->fileName()).fileName(), m_target->errorString());
    if (!m_failure.isEmpty()) {
        m_reply->abort();
        return;
    }
    emit progress(m_received);
}

void FileFetch::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    onData();
    m_reply = nullptr;
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    // Without a length only a framed body can be known to be whole (chunked,
    // or an HTTP/2 stream): Qt reports a framed body cut short as an error,
    // while a body that just ends with the connection may have been cut.
    const bool framed = reply->rawHeader("Transfer-Encoding").toLower().contains("chunked") ||
                        reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
    if (m_stopped)
        m_failure = QStringLiteral("The download was stopped.");
    if (m_failure.isEmpty())
        m_failure = failureText(reply->error(), status, reason, reply->url().host(), m_stallMs);
    if (m_failure.isEmpty() && !announced.isValid() && !framed)
        m_failure = QStringLiteral("The server did not say how large the file is.");
    if (m_failure.isEmpty() && announced.isValid() && m_received != announced.toLongLong())
        m_failure = QStringLiteral("The transfer ended after %1 of %2 bytes.")
                        .arg(m_received)
                        .arg(announced.toLongLong());
    // Redirects are followed only to a source trusted as much.
    if (m_failure.isEmpty() && !trustedSource(reply->url()))
        m_failure = QStringLiteral("Only secure (https) addresses are used.");
    QString path = m_target->fileName();
    if (m_failure.isEmpty() && !m_target->commit())
        m_failure = QStringLiteral("Cannot write %1: %2.")
                        .arg(QFileInfo(path).fileName(), m_target->errorString());
    m_target.reset(); // uncommitted: its temporary file goes away
    const bool complete = m_failure.isEmpty();
    emit finished(complete, complete ? path : QString());
}

} // namespace velmora
