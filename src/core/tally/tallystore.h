#pragma once

#include "tallytable.h"

#include <QString>

namespace velmora {

// Keeps the tally in its compressed file. Loading never loses a stored
// tally: a file that cannot be read whole is set aside under the name
// `badPath()` before anything can overwrite it, and the caller is told once.
// Saving writes a sibling file and renames it into place, so a failed save
// leaves the previous tally file as it was.
class TallyStore
{
public:
    explicit TallyStore(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }
    QString badPath() const { return m_path + QStringLiteral(".bad"); }

    // Fills `table` from the file (a missing file is an empty tally).
    // Returns an empty text on success, else the message for the user; the
    // table then holds what could be read.
    QString load(TallyTable &table) const;
    // Returns false when the file could not be written.
    bool save(const TallyTable &table) const;

private:
    QString m_path;
};

} // namespace velmora
