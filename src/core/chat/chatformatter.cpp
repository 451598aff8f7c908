#include "chatformatter.h"

namespace velmora {

namespace {
const QString SmileyMark = QStringLiteral(":)#");
}

ChatLineLayout ChatFormatter::layout(int sender, const QString &text)
{
    ChatLineLayout line;
    line.style = styleForSender(sender);

    // One line is one paragraph: a line break inside a chat text would let
    // a player start a paragraph that looks like a system line.
    QString rest = text;
    for (QChar &c : rest)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\v') ||
            c == QLatin1Char('\f') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    const QString namePart = colon < 0 ? QString() : rest.left(colon + 1);
    rest.remove(0, namePart.size());
    line.items.append({ChatItem::Kind::Text, namePart + QLatin1Char(' '), 0});

    for (qsizetype mark = rest.indexOf(SmileyMark); mark >= 0; mark = rest.indexOf(SmileyMark)) {
        addWords(rest.left(mark), line.items);
        const QString code = rest.mid(mark + SmileyMark.size(), 2);
        rest.remove(0, mark + SmileyMark.size() + code.size());
        const auto ascii = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
        const bool digits = code.size() == 2 && ascii(code[0]) && ascii(code[1]);
        const int value = digits ? code.toInt() : -1;
        const int picture = value >= 10 && value < 10 + SmileyCount ? value - 10 : 0;
        line.items.append({ChatItem::Kind::Smiley, QString(), picture});
    }
    if (!rest.isEmpty())
        addWords(rest, line.items);
    return line;
}

void ChatFormatter::addWords(QString text, QList<ChatItem> &items)
{
    text += QLatin1Char(' ');
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype space = text.indexOf(QLatin1Char(' '), start);
        const QString word = text.mid(start, space - start + 1);
        start = space + 1;
        if (!isLinkWord(word)) {
            items.append({ChatItem::Kind::Text, word, 0});
            continue;
        }
        if (++m_linkCounter > LinkSlots - 1)
            m_linkCounter = 1;
        m_links[std::size_t(m_linkCounter)] = word;
        items.append({ChatItem::Kind::Link, word, m_linkCounter});
    }
}

QString ChatFormatter::linkText(int slot) const
{
    return slot >= 0 && slot < LinkSlots ? m_links[std::size_t(slot)] : QString();
}

bool ChatFormatter::isLinkWord(const QString &word)
{
    return word.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           word.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
           word.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

std::optional<QUrl> ChatFormatter::urlFor(const QString &linkText)
{
    QString text = linkText;
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    if (!isLinkWord(text))
        return std::nullopt;
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        text.prepend(QLatin1String("http://"));
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

} // namespace velmora
