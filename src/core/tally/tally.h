#pragma once

#include "tallystore.h"
#include "tallytable.h"

#include <QObject>
#include <QStringList>

namespace velmora {

// The player's tally as the program keeps it: the table of records, its file
// and the players of the current game. Every change is written to the file
// at once, so a finished game is never lost to a crash; the tally window only
// shows and edits through this object.
class Tally : public QObject
{
    Q_OBJECT
public:
    explicit Tally(const QString &path, QObject *parent = nullptr);

    // Reads the file. Returns the message for the general error display when
    // it could not be read whole (the file is then kept aside).
    QString load();
    bool save() const;

    const TallyTable &table() const { return m_table; }
    // The winnings read as money ("$" and the amount) once a tally file was
    // read or a game's money was added; before that, and after a reset,
    // they read as a bare "0".
    bool winningsAsMoney() const { return m_winningsAsMoney; }
    const QString &path() const { return m_store.path(); }

    // The other players of the game being played, in seat order.
    const QStringList &playersAtTable() const { return m_atTable; }
    void setPlayersAtTable(const QStringList &players);

    // A finished game: `winner` is TallyTable::Mine or the winner's name.
    void addgame(const QString &winner, const QStringList &atTable);
    // Adds a signed amount to an own total (column 3: the winnings). A cell
    // that holds no number is left alone, and so is everything else.
    void addmoney(int amount, int column);
    // A finished game's money against a tallied opponent (own result minus
    // his), for the chart of how the two stand.
    void addAgainst(const QString &name, int amount);
    // Starts tallying a player; false when he already is.
    bool tally(const QString &name);
    // Forgets a tallied player's record (row 1..).
    void moverow(int row);
    // Forgets everything.
    void clear();

signals:
    // The records or the players at the table changed.
    void changed();

private:
    TallyTable m_table;
    TallyStore m_store;
    QStringList m_atTable;
    bool m_winningsAsMoney = false;
};

} // namespace velmora
