#include "chatview.h"

#include "art/faces.h"
#include "common/notifier.h"
#include "smileys.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

namespace velmora {

namespace {
const QColor LinkColour(0, 128, 0);

QColor toQColor(ColourValue value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
} // namespace

ChatView::ChatView(QWidget *parent) : QTextBrowser(parent)
{
    setObjectName(QStringLiteral("mainchat"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    document()->setMaximumBlockCount(MaxParagraphs);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    document()->setDocumentMargin(5);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    QFont font = faces::named(faces::text());
    font.setPointSize(m_textSize);
    document()->setDefaultFont(font);

    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        guarded([&] {
            bool ok = false;
            const int slot = url.path().toInt(&ok);
            if (url.scheme() == QLatin1String("link") && ok)
                openLink(slot);
        });
    });

    auto *selectAll = new QAction(QStringLiteral("Select All"), this);
    selectAll->setObjectName(QStringLiteral("SelectAll1"));
    connect(selectAll, &QAction::triggered, this,
            [this] { guarded([this] { QTextBrowser::selectAll(); }); });
    auto *clear = new QAction(QStringLiteral("Clear Chat"), this);
    clear->setObjectName(QStringLiteral("ClearChat1"));
    connect(clear, &QAction::triggered, this, [this] { guarded([this] { clearChat(); }); });
    auto *copy = new QAction(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("Copy1"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    // The view's own Ctrl+C already copies; the shortcut is shown, not bound
    // window-wide, so it never takes the key from an edit line.
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] { guarded([this] { copyChat(); }); });
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    m_scrollOff = new QAction(QStringLiteral("Scroll Chat Off"), this);
    m_scrollOff->setObjectName(QStringLiteral("ScrollChatOff1"));
    m_scrollOff->setCheckable(true);
    m_scrollOff->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addActions({selectAll, clear, copy, separator, m_scrollOff});

    m_sizes = new QActionGroup(this);
    for (int size : TextSizes) {
        auto *item = new QAction(QString::number(size), m_sizes);
        item->setObjectName(QStringLiteral("N%1").arg(size));
        item->setCheckable(true);
        item->setChecked(size == m_textSize);
        connect(item, &QAction::triggered, this, [this, size] {
            guarded([this, size] {
                setTextSize(size);
                emit textSizeChosen(size);
            });
        });
    }
}

void ChatView::guarded(const std::function<void()> &action)
{
    if (m_notifier)
        m_notifier->guard(action);
    else
        try {
            action();
        } catch (...) {
        }
}

bool ChatView::scrollOff() const { return m_scrollOff->isChecked(); }

QList<QAction *> ChatView::textSizeActions() const { return m_sizes->actions(); }

std::optional<QColor> ChatView::styleColour(int style) const
{
    return style >= 0 && style < StyleCount ? m_styleColours[std::size_t(style)] : std::nullopt;
}

void ChatView::addLine(int sender, const QString &text, ColourValue colour)
{
    const ChatLineLayout line = m_formatter.layout(sender, text);
    const QColor shown = toQColor(colour);

    // Every line of a sender shares the colour of the sender's latest line.
    auto &current = m_styleColours[std::size_t(line.style)];
    const bool changed = current && *current != shown;
    current = shown;
    if (changed)
        recolour(line.style);

    QTextCharFormat lineFormat;
    lineFormat.setForeground(shown);
    lineFormat.setFontWeight(QFont::Bold);
    lineFormat.setProperty(StyleProperty, line.style);

    QTextCharFormat linkFormat;
    linkFormat.setForeground(LinkColour);
    linkFormat.setFontUnderline(true);
    linkFormat.setFontWeight(QFont::Normal);
    linkFormat.setProperty(StyleProperty, ChatFormatter::LinkStyle);
    linkFormat.setAnchor(true);

    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!document()->isEmpty())
        cursor.insertBlock();
    // Whose line it is, for the context menu; the text may not say it.
    cursor.block().setUserState(sender);
    for (const ChatItem &item : line.items) {
        switch (item.kind) {
        case ChatItem::Kind::Text: cursor.insertText(item.text, lineFormat); break;
        case ChatItem::Kind::Link: {
            QTextCharFormat f = linkFormat;
            f.setAnchorHref(QStringLiteral("link:%1").arg(item.number));
            cursor.insertText(item.text, f);
            break;
        }
        case ChatItem::Kind::Smiley: {
            QTextImageFormat image;
            image.setName(QStringLiteral("smiley:%1").arg(item.number));
            cursor.insertImage(image);
            break;
        }
        }
    }
    if (!scrollOff())
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

int ChatView::senderAt(const QPoint &viewportPos) const
{
    const QTextBlock block = cursorForPosition(viewportPos).block();
    // Past the last line the cursor still lands on it.
    if (!block.isValid() || !block.layout() ||
        !document()
             ->documentLayout()
             ->blockBoundingRect(block)
             .translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value())
             .contains(viewportPos))
        return 0;
    return std::max(block.userState(), 0);
}

void ChatView::contextMenuEvent(QContextMenuEvent *event)
{
    // The view's own actions, then the window's about the line's sender.
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("popup_chat"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(actions());
    const int sender = senderAt(event->pos());
    if (m_playerMenu && sender > 0)
        m_playerMenu(*menu, sender);
    menu->popup(event->globalPos());
}

void ChatView::recolour(int style)
{
    QList<std::pair<int, int>> ranges;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.charFormat().intProperty(StyleProperty) == style &&
                fragment.charFormat().hasProperty(StyleProperty))
                ranges.append({fragment.position(), fragment.length()});
        }
    QTextCharFormat colour;
    colour.setForeground(*m_styleColours[std::size_t(style)]);
    for (const auto &[position, length] : ranges) {
        QTextCursor cursor(document());
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(colour);
    }
}

void ChatView::setTextSize(int points)
{
    if (points < 1)
        return;
    m_textSize = points;
    QFont font = document()->defaultFont();
    font.setPointSize(points);
    document()->setDefaultFont(font);
    // A size without a menu item leaves the items as they are.
    for (QAction *item : m_sizes->actions())
        if (item->text() == QString::number(points))
            item->setChecked(true);
}

void ChatView::clearChat()
{
    // The link table stays: old slots are reused, not forgotten.
    clear();
    emit chatCleared();
}

QString ChatView::selectedPlainText() const
{
    QString text = textCursor().selection().toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

void ChatView::copyChat()
{
    if (QClipboard *clipboard = QApplication::clipboard())
        clipboard->setText(selectedPlainText());
}

QMimeData *ChatView::createMimeDataFromSelection() const
{
    auto *mime = new QMimeData;
    mime->setText(selectedPlainText());
    return mime;
}

void ChatView::openLink(int slot)
{
    const std::optional<QUrl> url = ChatFormatter::urlFor(m_formatter.linkText(slot));
    if (!m_notifier)
        return;
    if (!url || !m_notifier->openUrl(*url))
        m_notifier->showNotice(QStringLiteral("Cannot open Webpage"));
}

QVariant ChatView::loadResource(int type, const QUrl &name)
{
    if (type == QTextDocument::ImageResource && name.scheme() == QLatin1String("smiley")) {
        bool ok = false;
        const int picture = name.path().toInt(&ok);
        const auto &pictures = smileyPictures();
        return pictures.value(ok && picture >= 0 && picture < pictures.size() ? picture : 0);
    }
    // Nothing else is ever fetched: a chat view loads no files or addresses.
    return {};
}

} // namespace velmora
