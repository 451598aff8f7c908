#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace velmora {

// Keeps one copy of the program per user. The running copy holds a named
// local server; a later copy that reaches it asks it to come forward and
// then ends instead of opening a second window.
//
// Qt places the server's socket in the temporary folder, so copies started
// with different TMPDIR do not see each other.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QString name, QObject *parent = nullptr);

    // True when another copy runs; it has been asked to come forward.
    bool handOver();
    // Become the running copy. A name left behind by a copy that crashed is
    // taken over. Returns false when no server could be set up; the program
    // then simply runs without the guard.
    bool listen();
    // Stop being the running copy, so that a copy started next takes over
    // instead of handing over to this one, which is ending.
    void release();

signals:
    void activateRequested();

private:
    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace velmora
