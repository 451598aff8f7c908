#pragma once

#include <functional>

class QMenu;

namespace velmora {

// Adds the items about one player (by player number) to a context menu that
// is being built. The seat names, the chat lines and the watchers list each
// know whom the pointer is on; the game window knows who that is and what
// may be done about him.
using PlayerMenu = std::function<void(QMenu &menu, int player)>;

} // namespace velmora
