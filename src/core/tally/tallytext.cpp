#include "tallytext.h"

namespace velmora {

namespace {

// What the text reader reports when a count line holds no number.
QString invalidNumber() { return QStringLiteral("Invalid numeric input"); }

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

} // namespace

QString TallyGrid::cell(int column, int row) const
{
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].size())
        return {};
    return rows[row][column];
}

QByteArray writeTallyText(const TallyGrid &grid)
{
    QByteArray text;
    text += QByteArray::number(grid.columnCount) + LineEnd;
    text += QByteArray::number(grid.rowCount()) + LineEnd;
    for (int c = 0; c < grid.columnCount && grid.rowCount() > 0; ++c) {
        for (int r = 0; r < grid.rowCount(); ++r) {
            // One cell, one line: a line break inside a cell (a name can
            // carry anything) would shift every later cell on reading.
            QByteArray cell = grid.cell(c, r).toLatin1();
            cell.replace('\r', ' ').replace('\n', ' ');
            text += cell + LineEnd;
        }
    }
    return text;
}

TallyTextResult readTallyText(QByteArrayView text)
{
    // A copy, but a tally text is small.
    QList<QByteArray> lines = text.toByteArray().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // nothing follows the last line end
    for (auto &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }

    TallyTextResult result;
    auto count = [&](qsizetype line) {
        bool ok = false;
        const int n = line < lines.size() ? lines[line].trimmed().toInt(&ok) : 0;
        return ok && n >= 0 ? n : -1;
    };
    const int columns = count(0);
    const int rows = count(1);
    // The counts must also fit the lines that follow: the game always
    // writes every cell, and a damaged count must not make us allocate
    // billions of cells or invent empty ones. Rows of no columns would need
    // no lines at all, so they cannot be told from damage either.
    if (columns < 0 || rows < 0 || qint64(columns) * rows > qint64(lines.size()) - 2 ||
        (columns == 0 && rows > 0)) {
        result.error = invalidNumber();
        return result;
    }

    result.grid.columnCount = columns;
    result.grid.rows.resize(rows);
    for (auto &row : result.grid.rows)
        row.resize(columns);
    qsizetype line = 2;
    for (int c = 0; c < columns && rows > 0; ++c) {
        for (int r = 0; r < rows; ++r)
            result.grid.rows[r][c] = QString::fromLatin1(lines[line++]);
    }
    return result;
}

} // namespace velmora
