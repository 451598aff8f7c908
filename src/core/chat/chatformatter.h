#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <array>
#include <optional>

namespace velmora {

// One piece of a chat line as the view shows it: text in the line's style,
// a smiley picture, or a link that carries the number of its slot in the
// link table.
struct ChatItem
{
    enum class Kind { Text, Smiley, Link };
    Kind kind = Kind::Text;
    QString text;   // Text and Link: shown as is, trailing space included
    int number = 0; // Smiley: picture 0..17; Link: slot 0..100
};

struct ChatLineLayout
{
    int style = 0;         // 0 for the system, sender + 5 for players
    QList<ChatItem> items; // the first one starts the paragraph
};

// Turns a chat line into what the view draws, without any widget: the name
// part, the words, smilies and links, and the table of the last links shown.
//
// A line is "name part: rest"; the name part (up to and including the first
// ":") is shown first, followed by one space. In the rest, ":)#" and the two
// characters after it become a smiley picture (codes 10..27 for pictures
// 0..17, anything else picture 0). The remaining text is cut into words
// after each space, the space kept with its word.
//
// Links are kept by number in a table of 101 slots. The first link takes
// slot 0; after slot 100 the numbering goes on at 1, so the newest link
// overwrites the slot of the hundredth-latest, and a click on an old link
// whose slot was reused opens the newer text.
//
// Only words that begin with "http://", "https://" or "www." (in any letter
// case) are links. A word that merely contains such a text, say
// "file:///x#http://", could make the desktop open a local file or another
// program, so it stays plain text.
class ChatFormatter
{
public:
    static constexpr int LinkSlots = 101;
    static constexpr int SmileyCount = 18;
    static constexpr int LinkStyle = 4;

    static int styleForSender(int sender) { return sender == 0 ? 0 : sender + 5; }

    // `sender` is 0..9, checked by whoever read it from the wire.
    ChatLineLayout layout(int sender, const QString &text);

    QString linkText(int slot) const;
    int linkCounter() const { return m_linkCounter; }

    static bool isLinkWord(const QString &word);
    // The address a link's text opens: trailing spaces removed, "www."
    // completed to "http://www.". Nothing for texts that are not an http or
    // https address with a host.
    static std::optional<QUrl> urlFor(const QString &linkText);

private:
    void addWords(QString text, QList<ChatItem> &items);

    std::array<QString, LinkSlots> m_links;
    int m_linkCounter = -1;
};

} // namespace velmora
