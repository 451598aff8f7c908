#include "chatentry.h"

#include "art/faces.h"
#include "chat/chatcomposer.h"
#include "common/focusstops.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace velmora {

ChatEntry::ChatEntry(QWidget *parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("mychat"));
    QFont font = faces::named(faces::text());
    font.setPixelSize(13);
    setFont(font);
    // Qt's own limit of 32767 characters stays: a longer line would not fit
    // the host's message limit, and the host would drop the connection.
    setText(ChatComposer::placeholder());

    auto *paste = new QAction(QStringLiteral("Paste"), this);
    paste->setObjectName(QStringLiteral("Paste1"));
    paste->setShortcut(QKeySequence::Paste);
    // The key itself arrives in keyPressEvent; the shortcut is only shown.
    paste->setShortcutContext(Qt::WidgetShortcut);
    connect(paste, &QAction::triggered, this, &ChatEntry::pasteAtEnd);
    addAction(paste);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

bool ChatEntry::event(QEvent *event)
{
    // Before the window's focus chain sees Tab: the entry and the hand are
    // the two stops the keyboard moves between.
    if (isFocusStopKey(event)) {
        emit leaveRequested();
        return true;
    }
    return QLineEdit::event(event);
}

void ChatEntry::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Leaving is not typing: the placeholder stays until a real key.
        event->accept();
        emit leaveRequested();
        return;
    }
    // A paste is no typed key: it goes after the placeholder, as the
    // menu's Paste does; nor is the Ctrl (or Shift...) pressed before it.
    switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr: QLineEdit::keyPressEvent(event); return;
    default: break;
    }
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        pasteAtEnd();
        return;
    }
    const QString before = ChatComposer::keyDown(text());
    if (before != text())
        setText(before);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatEntry::pasteAtEnd()
{
    const QString pasted = QApplication::clipboard()->text();
    if (!pasted.isEmpty())
        setText(ChatComposer::withPaste(text(), pasted));
    end(false);
}

void ChatEntry::insertSmiley(int code) { replaceText(ChatComposer::withSmiley(text(), code)); }

void ChatEntry::replaceText(const QString &newText)
{
    setText(newText);
    end(false);
}

void ChatEntry::setTextColour(const QColor &colour)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Text, colour);
    setPalette(pal);
}

} // namespace velmora
