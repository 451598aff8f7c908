#pragma once

#include "tallytext.h"

#include <QString>
#include <QStringList>

namespace velmora {

// The player's private record of finished games: row 0 holds the own totals
// (games, wins, net winnings), every further row one opponent the player
// chose to tally, with games together and who won them, in total (columns
// 1..4) and for this run of the program (columns 5..8). A tenth column,
// added with the first game that has one, holds the money against each
// opponent game by game: the own result minus his, as signed numbers
// separated by spaces. Cells are decimal
// text, as the tally file stores them. The list of tallied players is the
// rows' names in row order, so it is never kept twice.
class TallyTable
{
public:
    static constexpr int Columns = 9;
    // The winner text that means the local player won.
    static constexpr char Mine[] = "addtomine";
    static constexpr int HistoryColumn = 9;
    // Games kept per opponent; the oldest go first, so the file stays small
    // over years of play.
    static constexpr int HistoryLimit = 500;

    TallyTable() { clear(); }

    // Takes a table read from the tally file; the run's columns restart at 0.
    void loadtally(const TallyGrid &grid);
    const TallyGrid &grid() const { return m_grid; }

    int rowCount() const { return m_grid.rowCount(); }
    QString cell(int column, int row) const { return m_grid.cell(column, row); }
    QStringList tallied() const;
    // Row of a tallied opponent, or 0 when he is not tallied.
    int rowOf(const QString &name) const;

    // One finished game: `winner` is Mine or the winner's name; `atTable`
    // the other players who sat at the table, in seat order.
    void addgame(const QString &winner, const QStringList &atTable);
    // Adds a signed amount to an own total; a cell that holds no number is
    // left alone.
    void addmoney(int amount, int column);
    // One finished game's money against a tallied opponent (own result
    // minus his); nothing for a player who is not tallied.
    void addAgainst(const QString &name, int amount);
    // The running money against the opponent of row r, one figure per game
    // kept; a word in the cell that is no number is passed over.
    QList<int> runningAgainst(int row) const;
    // Adds 1 to an own total and returns the new value.
    int addtomine(int column);
    // Adds 1 to one cell and returns the new value. Raises Error when the
    // cell holds no number.
    int addit(int column, int row);

    // Starts tallying a player (a new last row of "0"); false when he
    // already is.
    bool tally(const QString &name);
    // Stops tallying a player and forgets his record.
    void untally(const QString &name);
    // Removes row r (1..rowCount-1), keeping the others in order.
    void moverow(int row);
    // Forgets everything: one row of "0" cells.
    void clear();

private:
    void setCell(int column, int row, const QString &text);

    TallyGrid m_grid;
};

} // namespace velmora
