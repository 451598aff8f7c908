#pragma once

#include "card.h"

#include <array>

namespace velmora {

// A hand as dealt: the card code in each hand slot 1..11 (NoCard for an
// empty slot), kept at indexes 0..10. The one type for the seats' hands, the
// dummy hand and the card lists read from the wire; `inSlot` says which
// counting a line of code means.
using Hand = std::array<int, HandSlots>;

constexpr int &inSlot(Hand &hand, int slot) { return hand[std::size_t(slot - 1)]; }
constexpr int inSlot(const Hand &hand, int slot) { return hand[std::size_t(slot - 1)]; }

} // namespace velmora
