#include "tallytable.h"

#include "base/error.h"

#include <algorithm>
#include <climits>

namespace velmora {

namespace {
QStringList zeroRow(const QString &first = QStringLiteral("0"))
{
    QStringList row(TallyTable::Columns, QStringLiteral("0"));
    row[0] = first;
    return row;
}
} // namespace

void TallyTable::clear()
{
    m_grid = TallyGrid{};
    m_grid.columnCount = Columns;
    m_grid.rows = {zeroRow()};
}

void TallyTable::loadtally(const TallyGrid &grid)
{
    m_grid = grid;
    if (m_grid.rows.isEmpty()) {
        clear();
        return;
    }
    // A table of another width is padded to nine columns so that every
    // operation finds its cells.
    m_grid.columnCount = qMax(m_grid.columnCount, Columns);
    for (QStringList &row : m_grid.rows)
        while (row.size() < m_grid.columnCount)
            row.append(QString());
    for (int r = 1; r < rowCount(); ++r)
        for (int c = 5; c <= 8; ++c)
            setCell(c, r, QStringLiteral("0"));
}

QStringList TallyTable::tallied() const
{
    QStringList names;
    for (int r = 1; r < rowCount(); ++r)
        names.append(cell(0, r));
    return names;
}

int TallyTable::rowOf(const QString &name) const
{
    for (int r = 1; r < rowCount(); ++r)
        if (cell(0, r) == name)
            return r;
    return 0;
}

void TallyTable::setCell(int column, int row, const QString &text)
{
    if (row >= 0 && row < rowCount() && column >= 0 && column < m_grid.rows[row].size())
        m_grid.rows[row][column] = text;
}

int TallyTable::addit(int column, int row)
{
    const QString text = cell(column, row);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    setCell(column, row, QString::number(value + 1));
    return value + 1;
}

void TallyTable::addAgainst(const QString &name, int amount)
{
    const int r = rowOf(name);
    if (r == 0)
        return;
    if (m_grid.columnCount <= HistoryColumn) {
        m_grid.columnCount = HistoryColumn + 1;
        for (QStringList &row : m_grid.rows)
            while (row.size() < m_grid.columnCount)
                row.append(QString());
    }
    QStringList games = cell(HistoryColumn, r).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    games.append(QString::number(amount));
    if (games.size() > HistoryLimit)
        games = games.mid(games.size() - HistoryLimit);
    setCell(HistoryColumn, r, games.join(QLatin1Char(' ')));
}

QList<int> TallyTable::runningAgainst(int row) const
{
    QList<int> running;
    qint64 sum = 0;
    for (const QString &word :
         cell(HistoryColumn, row).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int amount = word.toInt(&ok);
        if (!ok)
            continue;
        // A hand-edited file could hold sums no game reaches; they stop at
        // the ends of int rather than wrap round.
        sum = std::clamp<qint64>(sum + amount, INT_MIN, INT_MAX);
        running.append(int(sum));
    }
    return running;
}

int TallyTable::addtomine(int column) { return addit(column, 0); }

void TallyTable::addmoney(int amount, int column)
{
    bool ok = false;
    const int value = cell(column, 0).toInt(&ok);
    if (ok)
        setCell(column, 0, QString::number(value + amount));
}

void TallyTable::addgame(const QString &winner, const QStringList &atTable)
{
    const bool mine = winner == QLatin1String(Mine);
    addtomine(1);
    if (mine)
        addtomine(2);
    for (const QString &name : atTable) {
        const int r = rowOf(name);
        if (r == 0)
            continue;
        for (int c = 1; c <= 8; ++c)
            if (cell(c, r).isEmpty())
                setCell(c, r, QStringLiteral("0"));
        addit(1, r);
        addit(5, r);
        if (name == winner) {
            addit(2, r);
            addit(6, r);
        } else if (mine) {
            addit(3, r);
            addit(7, r);
        } else {
            addit(4, r);
            addit(8, r);
        }
    }
}

bool TallyTable::tally(const QString &name)
{
    if (rowOf(name) != 0)
        return false;
    m_grid.rows.append(zeroRow(name));
    return true;
}

void TallyTable::untally(const QString &name)
{
    if (const int r = rowOf(name))
        moverow(r);
}

void TallyTable::moverow(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    m_grid.rows.removeAt(row);
}

} // namespace velmora
