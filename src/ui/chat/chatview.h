#pragma once

#include "chat/chatformatter.h"
#include "common/playermenu.h"
#include "protocol/colourtext.h"

#include <QTextBrowser>

#include <array>
#include <optional>

class QAction;
class QActionGroup;

namespace velmora {

class Notifier;

// The chat view: a read-only rich-text view where every chat, action and
// system line becomes one paragraph.
//
// How the view's pieces map onto Qt's rich text: a line is a QTextBlock; its
// text items, smiley pictures and links are fragments inserted with a
// QTextCursor, pictures as QTextImageFormat ("smiley:N", served by
// loadResource) and links as anchors whose href is "link:N", the number of
// their slot in the link table. The fifteen numbered text styles are not
// formats of their own: every fragment carries its style number as a
// property, the style's colour and boldness are applied to its fragments,
// and the one common text size is the document's default font, so a size
// change relays everything at once.
//
// All text is inserted as plain text, never as markup: names and chat come
// from the network. The document keeps MaxParagraphs paragraphs (Qt drops the
// oldest); links need nothing else, since each carries its own slot number.
class ChatView : public QTextBrowser
{
    Q_OBJECT
public:
    static constexpr int StyleCount = 15;
    static constexpr int InitialTextSize = 10;
    // Paragraphs kept; the oldest go first, so a long evening or a flood
    // neither grows memory nor slows each new line (a colour change walks
    // every paragraph).
    static constexpr int MaxParagraphs = 2000;
    static inline const QList<int> TextSizes{8, 10, 12, 14};

    explicit ChatView(QWidget *parent = nullptr);

    // Who shows "Cannot open Webpage" and opens links; the view works
    // without one but then opens nothing.
    void setNotifier(Notifier *notifier) { m_notifier = notifier; }
    // Items of the window's own about the sender of the line under the
    // pointer, at the end of the context menu.
    void setPlayerMenu(PlayerMenu items) { m_playerMenu = std::move(items); }
    // The sender of the line at a point of the viewport; 0 for a system
    // line or no line.
    int senderAt(const QPoint &viewportPos) const;

    // One line from `sender` (0..9); `text` is what follows its number.
    void addLine(int sender, const QString &text, ColourValue colour);

    int textSize() const { return m_textSize; }
    void setTextSize(int points);

    bool scrollOff() const;
    // "Scroll Chat Off" (Ctrl+S): one action, so the context menu and the
    // window's Options menu always agree.
    QAction *scrollOffAction() const { return m_scrollOff; }
    // The four text sizes as one radio group, for the Options menu.
    QList<QAction *> textSizeActions() const;

    void clearChat();
    void copyChat();
    // The selection as the clipboard gets it: paragraphs on separate lines,
    // pictures left out.
    QString selectedPlainText() const;

    // A click on the link of `slot`; the address is looked up when clicked.
    void openLink(int slot);

    const ChatFormatter &formatter() const { return m_formatter; }
    // The colour a style currently shows in; nothing for a style no line
    // has used yet.
    std::optional<QColor> styleColour(int style) const;

    static constexpr int StyleProperty = QTextFormat::UserProperty + 1;

    // Serves the smiley pictures and nothing else.
    QVariant loadResource(int type, const QUrl &name) override;

signals:
    void textSizeChosen(int points);
    // After "Clear Chat", so the window can put the focus into the chat entry.
    void chatCleared();

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void recolour(int style);
    void guarded(const std::function<void()> &action);

    ChatFormatter m_formatter;
    Notifier *m_notifier = nullptr;
    PlayerMenu m_playerMenu;
    std::array<std::optional<QColor>, StyleCount> m_styleColours{};
    int m_textSize = InitialTextSize;
    QAction *m_scrollOff = nullptr;
    QActionGroup *m_sizes = nullptr;
};

} // namespace velmora
