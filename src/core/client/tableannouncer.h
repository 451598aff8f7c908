#pragma once

#include "protocol/colourtext.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace velmora {

class TableModel;

// Tells the player what happens at the table: it listens to the table's
// events and turns them into the system lines of the chat (sender 0, green)
// and the names of the sounds to play. It holds what only the telling needs:
// the choice of turn sound, and whether a pot was just paid, which silences
// the card that won it and holds the next own turn sound back a second so
// that the pot's sound is heard first.
class TableAnnouncer : public QObject
{
    Q_OBJECT
public:
    // Whether a pot was just paid. Unset until the first pot or turn of the
    // run.
    enum class PotPaidMark { Unset, PotPaid, TurnAnnounced };

    explicit TableAnnouncer(const TableModel &table, QObject *parent = nullptr);

    bool turnSoundNew() const { return m_turnSoundNew; }
    void setTurnSoundNew(bool on) { m_turnSoundNew = on; }
    PotPaidMark potPaidMark() const { return m_potPaidMark; }

signals:
    void chatLine(int sender, const QString &text, velmora::ColourValue colour);
    void sound(const QString &name);

private:
    void playerConnected(int player, const QString &name);
    void watcherArrived(int player, const QString &name);
    void seatWatching(int seat, bool watching);
    void cardPlayed();
    void turnPassed(int player);
    void potPaid(int seat);
    void gameWon(int seat);
    void playTurnSound();
    void systemLine(const QString &text);

    const TableModel &m_table;
    bool m_turnSoundNew = false;
    PotPaidMark m_potPaidMark = PotPaidMark::Unset;
    // Messages keep being handled while the turn sound waits.
    QTimer m_turnSoundDelay;
};

} // namespace velmora
