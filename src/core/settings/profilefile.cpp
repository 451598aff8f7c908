#include "profilefile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace velmora {

namespace {
QString decode(const QByteArray &bytes) { return QString::fromLocal8Bit(bytes); }

// A value keeps every character, a byte order mark at its start too:
// fromLocal8Bit would drop that one, and a value that loses a character at
// every reading is not the value that was written.
QString decodeValue(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::System, QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool isBlank(const QByteArray &text) { return text.trimmed().isEmpty(); }
} // namespace

bool ProfileFile::read()
{
    m_error.clear();
    QFile file(m_path);
    if (!file.exists()) {
        setContents({});
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        setContents({});
        return false;
    }
    setContents(file.readAll());
    return true;
}

void ProfileFile::setContents(const QByteArray &contents)
{
    m_lines.clear();
    m_newline.clear();
    qsizetype from = 0;
    while (from < contents.size()) {
        const qsizetype lf = contents.indexOf('\n', from);
        if (lf < 0) {
            m_lines.push_back(makeLine(contents.mid(from), {}, m_lines.empty()));
            break;
        }
        const bool crlf = lf > from && contents.at(lf - 1) == '\r';
        const qsizetype end = crlf ? lf - 1 : lf;
        m_lines.push_back(makeLine(contents.mid(from, end - from),
                                   crlf ? QByteArray("\r\n") : QByteArray("\n"), m_lines.empty()));
        if (m_newline.isEmpty())
            m_newline = m_lines.back().ending;
        from = lf + 1;
    }
    if (m_newline.isEmpty()) {
#ifdef Q_OS_WIN
        m_newline = "\r\n";
#else
        m_newline = "\n";
#endif
    }
}

QByteArray ProfileFile::contents() const
{
    QByteArray all;
    for (const Line &line : m_lines)
        all += line.text + line.ending;
    return all;
}

ProfileFile::Line ProfileFile::makeLine(QByteArray text, QByteArray ending, bool first)
{
    Line line{std::move(text), std::move(ending), {}, {}, 0};
    const QByteArray &t = line.text;

    // A byte order mark written by some editors may stand ahead of the
    // first section.
    const QByteArray inside = (first && t.startsWith("\xEF\xBB\xBF") ? t.sliced(3) : t).trimmed();
    const qsizetype close = inside.indexOf(']');
    if (inside.startsWith('[') && close >= 0) {
        line.section = decode(inside.mid(1, close - 1).trimmed());
        return line;
    }

    const QByteArray trimmed = t.trimmed();
    if (trimmed.startsWith(';') || trimmed.startsWith('#') || trimmed.startsWith('['))
        return line;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return line;
    const QByteArray key = t.left(eq).trimmed();
    if (key.isEmpty())
        return line;
    qsizetype valueStart = eq + 1;
    while (valueStart < t.size() && (t.at(valueStart) == ' ' || t.at(valueStart) == '\t'))
        ++valueStart;
    line.key = decode(key);
    line.valueStart = valueStart;
    return line;
}

std::optional<std::pair<std::size_t, std::size_t>>
ProfileFile::findSection(QStringView section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::optional<QString> &name = m_lines[i].section;
        if (!name || name->compare(section, Qt::CaseInsensitive) != 0)
            continue;
        std::size_t end = i + 1;
        while (end < m_lines.size() && !m_lines[end].section)
            ++end;
        return std::pair{i + 1, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileFile::findKey(std::pair<std::size_t, std::size_t> body,
                                                QStringView key) const
{
    for (std::size_t i = body.first; i < body.second; ++i) {
        const std::optional<QString> &found = m_lines[i].key;
        if (found && found->compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

std::optional<QString> ProfileFile::value(QStringView section, QStringView key) const
{
    const auto body = findSection(section);
    if (!body)
        return std::nullopt;
    const auto line = findKey(*body, key);
    if (!line)
        return std::nullopt;
    const Line &found = m_lines[*line];
    return decodeValue(found.text.mid(found.valueStart).trimmed());
}

void ProfileFile::endLine(std::size_t index)
{
    if (m_lines[index].ending.isEmpty())
        m_lines[index].ending = m_newline;
}

void ProfileFile::setValue(const QString &section, const QString &key, const QString &value)
{
    // A line break inside a value would turn the rest into lines of their own.
    QString oneLine = value;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray encoded = oneLine.toLocal8Bit();
    const QByteArray newLine = key.toLocal8Bit() + '=' + encoded;

    const auto body = findSection(section);
    if (!body) {
        if (!m_lines.empty())
            endLine(m_lines.size() - 1);
        m_lines.push_back(makeLine('[' + section.toLocal8Bit() + ']', m_newline, m_lines.empty()));
        m_lines.push_back(makeLine(newLine, m_newline, false));
        return;
    }
    if (const auto line = findKey(*body, key)) {
        Line &target = m_lines[*line];
        target.text = target.text.left(target.valueStart) + encoded; // the key stays as it was
        return;
    }
    // After the section's last key, ahead of the blank lines that part it
    // from the next section.
    std::size_t after = body->first - 1;
    for (std::size_t i = body->first; i < body->second; ++i)
        if (!isBlank(m_lines[i].text))
            after = i;
    endLine(after);
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(after + 1),
                   makeLine(newLine, m_newline, false));
}

bool ProfileFile::write()
{
    m_error.clear();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    file.write(contents());
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}

} // namespace velmora
