#include "tally.h"

#include <QFile>

namespace velmora {

Tally::Tally(const QString &path, QObject *parent) : QObject(parent), m_store(path) {}

QString Tally::load()
{
    const bool stored = QFile::exists(m_store.path());
    const QString error = m_store.load(m_table);
    m_winningsAsMoney = stored && error.isEmpty();
    emit changed();
    return error;
}

bool Tally::save() const { return m_store.save(m_table); }

void Tally::setPlayersAtTable(const QStringList &players)
{
    m_atTable = players;
    emit changed();
}

void Tally::addgame(const QString &winner, const QStringList &atTable)
{
    m_atTable = atTable;
    // A cell that holds no number stops the count where it is; what was
    // counted is kept and written, and the caller hears of the error.
    try {
        m_table.addgame(winner, atTable);
    } catch (...) {
        save();
        emit changed();
        throw;
    }
    save();
    emit changed();
}

void Tally::addAgainst(const QString &name, int amount)
{
    if (m_table.rowOf(name) == 0)
        return;
    m_table.addAgainst(name, amount);
    save();
    emit changed();
}

void Tally::addmoney(int amount, int column)
{
    bool number = false;
    m_table.cell(column, 0).toInt(&number);
    if (!number)
        return;
    m_table.addmoney(amount, column);
    if (column == 3)
        m_winningsAsMoney = true;
    save();
    emit changed();
}

bool Tally::tally(const QString &name)
{
    if (!m_table.tally(name))
        return false;
    save();
    emit changed();
    return true;
}

void Tally::moverow(int row)
{
    m_table.moverow(row);
    save();
    emit changed();
}

void Tally::clear()
{
    m_table.clear();
    m_winningsAsMoney = false;
    save();
    emit changed();
}

} // namespace velmora
