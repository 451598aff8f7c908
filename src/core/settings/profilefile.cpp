#include "profilefile.h"

#include <QFile>
#include <QSaveFile>

namespace velmora {

namespace {
QString decode(const QByteArray &bytes) { return QString::fromLocal8Bit(bytes); }

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
            m_lines.push_back({contents.mid(from), {}});
            break;
        }
        const bool crlf = lf > from && contents.at(lf - 1) == '\r';
        const qsizetype end = crlf ? lf - 1 : lf;
        m_lines.push_back(
            {contents.mid(from, end - from), crlf ? QByteArray("\r\n") : QByteArray("\n")});
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

std::optional<QString> ProfileFile::sectionName(std::size_t index) const
{
    QByteArray text = m_lines[index].text;
    if (index == 0 && text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3); // a byte order mark written by some editors
    text = text.trimmed();
    const qsizetype close = text.indexOf(']');
    if (!text.startsWith('[') || close < 0)
        return std::nullopt;
    return decode(text.mid(1, close - 1).trimmed());
}

std::optional<std::pair<QString, qsizetype>> ProfileFile::keyOf(std::size_t index) const
{
    const QByteArray &text = m_lines[index].text;
    const QByteArray trimmed = text.trimmed();
    if (trimmed.startsWith(';') || trimmed.startsWith('#') || trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    const QByteArray key = text.left(eq).trimmed();
    if (key.isEmpty())
        return std::nullopt;
    qsizetype valueStart = eq + 1;
    while (valueStart < text.size() && (text.at(valueStart) == ' ' || text.at(valueStart) == '\t'))
        ++valueStart;
    return std::pair{decode(key), valueStart};
}

std::optional<std::pair<std::size_t, std::size_t>>
ProfileFile::findSection(QStringView section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::optional<QString> name = sectionName(i);
        if (!name || name->compare(section, Qt::CaseInsensitive) != 0)
            continue;
        std::size_t end = i + 1;
        while (end < m_lines.size() && !sectionName(end))
            ++end;
        return std::pair{i + 1, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileFile::findKey(std::pair<std::size_t, std::size_t> body,
                                                QStringView key) const
{
    for (std::size_t i = body.first; i < body.second; ++i) {
        const auto found = keyOf(i);
        if (found && found->first.compare(key, Qt::CaseInsensitive) == 0)
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
    return decode(m_lines[*line].text.mid(keyOf(*line)->second).trimmed());
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
        m_lines.push_back({'[' + section.toLocal8Bit() + ']', m_newline});
        m_lines.push_back({newLine, m_newline});
        return;
    }
    if (const auto line = findKey(*body, key)) {
        Line &target = m_lines[*line];
        target.text = target.text.left(keyOf(*line)->second) + encoded;
        return;
    }
    // After the section's last key, ahead of the blank lines that part it
    // from the next section.
    std::size_t after = body->first - 1;
    for (std::size_t i = body->first; i < body->second; ++i)
        if (!isBlank(m_lines[i].text))
            after = i;
    endLine(after);
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(after + 1), Line{newLine, m_newline});
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
