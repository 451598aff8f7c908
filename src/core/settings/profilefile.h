#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace velmora {

// A file of "[section]" lines and "key=value" lines, read and changed in
// place. Section and key names match in any letter case; values are the
// text after "=", without the spaces around it.
//
// Our own instead of QSettings: QSettings matches keys case-sensitively on
// Linux and writes the whole file anew in its own layout, while the
// settings file is shared with the lobby program, which owns every other
// section of it. Here only the lines of the keys written change; every
// other line (sections, keys, comments, blank lines, lines that make no
// sense) stays byte for byte, and new lines take the file's own line ending.
//
// Text is in the system's 8-bit encoding, as the other programs on the same
// desktop write it.
class ProfileFile
{
public:
    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }

    // Reads the file as it stands; a missing file reads as empty. Returns
    // false when it exists but cannot be read: writing it then would throw
    // away what other programs keep in it.
    bool read();
    // Takes the file's text as if read from disk (a missing file: empty).
    void setContents(const QByteArray &contents);
    QByteArray contents() const;

    // The value of the first line of `key` in the first `section`.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // Replaces that line's value, or adds the key at the end of its section,
    // or adds the section at the end of the file.
    void setValue(const QString &section, const QString &key, const QString &value);

    // Writes atomically: a failed write leaves the old file whole.
    bool write();
    const QString &errorString() const { return m_error; }

private:
    // A line and what it is, worked out once when the line is made: every
    // lookup walks the lines, and the options take dozens of lookups.
    struct Line
    {
        QByteArray text;                // without the line ending
        QByteArray ending;              // "\r\n", "\n", or empty for a last line without one
        std::optional<QString> section; // the name, for a "[section]" line
        std::optional<QString> key;     // the key, for a "key=value" line
        qsizetype valueStart = 0;       // where a key line's value starts
    };
    static Line makeLine(QByteArray text, QByteArray ending, bool first);

    // The first line of `section`'s body and the line after its end.
    std::optional<std::pair<std::size_t, std::size_t>> findSection(QStringView section) const;
    std::optional<std::size_t> findKey(std::pair<std::size_t, std::size_t> body,
                                       QStringView key) const;
    void endLine(std::size_t index);

    QString m_path;
    std::vector<Line> m_lines;
    QByteArray m_newline;
    QString m_error;
};

} // namespace velmora
