#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// The tally as a table of text cells, the form in which it is stored.
// Row 0 holds the local player's own totals, each further row one tallied
// opponent; the game writes nine columns (see the table's owner for what
// each cell means). Every row holds columnCount cells.
struct TallyGrid
{
    static constexpr int StandardColumns = 9;

    int columnCount = StandardColumns;
    QList<QStringList> rows;

    int rowCount() const { return int(rows.size()); }
    // Empty for a cell outside the table, so a reader of an odd-sized
    // table never indexes out of range.
    QString cell(int column, int row) const;

    friend bool operator==(const TallyGrid &, const TallyGrid &) = default;
};

struct TallyTextResult
{
    QString error; // null on success
    TallyGrid grid;

    bool ok() const { return error.isNull(); }
};

// The tally text: the column count, the row count, then every cell on a
// line of its own, column by column (all rows of column 0 first); every
// line ends in CR LF. Cells are 8-bit text: Latin-1 maps each byte to one
// character and back, so names keep their exact bytes.
QByteArray writeTallyText(const TallyGrid &grid);

// Takes the table's dimensions from the first two lines and reads exactly
// that many cells. Lines may also end in a bare LF.
TallyTextResult readTallyText(QByteArrayView text);

} // namespace velmora
