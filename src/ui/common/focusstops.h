#pragma once

#include <QEvent>
#include <QKeyEvent>

namespace velmora {

// Whether `event` is a plain Tab or Backtab press. The chat entry and the
// hand are the keyboard's two stops and take Tab before the window's focus
// chain sees it; both ask here, so they agree on which keys move between
// them.
inline bool isFocusStopKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace velmora
