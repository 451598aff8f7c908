#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

namespace velmora {

// Fetches one file over HTTP(S) into a folder, for the lobby installer.
//
// The body goes to a temporary sibling of the target that replaces the
// target only when the transfer is complete: a 2xx status, the announced
// length (or a framed body), no error. A failed or stopped transfer leaves
// nothing behind, and an earlier complete file stays as it was. Only https
// addresses are fetched, and plain http from this machine (tests serve
// files themselves); everything else is refused before anything is sent.
// Runs on the reply's signals, so the event loop goes on meanwhile.
class FileFetch : public QObject
{
    Q_OBJECT
public:
    // A transfer that receives nothing for this long has stalled.
    static constexpr int StallMs = 60 * 1000;
    // Bodies beyond this are refused: no installer is that large.
    static constexpr qint64 MaxBytes = 512LL * 1024 * 1024;

    explicit FileFetch(QObject *parent = nullptr);
    ~FileFetch() override;

    // Whether a file from `url` may be fetched (and then run): https, or
    // plain http from the loopback address.
    static bool trustedSource(const QUrl &url);
    // The player's words for a reply's error (or an error status) from
    // `host`; empty for none.
    static QString failureText(int networkError, int status, const QString &reason,
                               const QString &host, int stallMs = StallMs);

    // Tests shorten the stall time.
    void setStallMs(int ms) { m_stallMs = ms; }

    enum class Start {
        Started,
        AddressRefused, // not a valid address, or not a trusted source
        CannotWrite,    // no folder takes the file
    };
    // Starts fetching `url` into the first of `folders` that can be
    // written, under the name after the address's last "/". When it does
    // not start, failure() says why, and nothing was sent.
    Start start(const QUrl &url, const QStringList &folders);
    // Stops a running transfer; it ends as stopped.
    void stop();

    bool running() const { return !m_reply.isNull(); }
    qint64 received() const { return m_received; }
    // Why the last transfer failed or could not start, in plain words for
    // the player; empty after a complete one.
    QString failure() const { return m_failure; }

signals:
    // The response's headers came, with how many lines they were.
    void headersReceived(int lines);
    // Body bytes received so far.
    void progress(qint64 received);
    // The transfer has ended. `path` is the complete file, or empty.
    void finished(bool complete, const QString &path);

private:
    void onHeaders();
    void onData();
    void onFinished();

    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_target;
    int m_stallMs = StallMs;
    qint64 m_received = 0;
    bool m_headersSeen = false;
    bool m_stopped = false;
    QString m_failure;
};

} // namespace velmora
