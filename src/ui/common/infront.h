#pragma once

#include <QWidget>

namespace velmora {

// Shows a window the player is to answer in front of the others, with the
// keyboard. A window manager does not hand the keyboard to a window just
// because it appeared (tool windows least of all), and an already open
// window behind others stays there on show(), so both are asked for.
inline void showInFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace velmora
