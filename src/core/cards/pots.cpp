#include "pots.h"

namespace velmora {

namespace {
struct PotText
{
    const char *name;
    const char *announcement;
};

constexpr PotText potTexts[PotCount] = {
    {"", " took the Kitty worth $"},
    {"Jack of Clubs", " took the Jack of Clubs Pot worth $"},
    {"King of Clubs", " took the King of Clubs Pot worth $"},
    {"Seven of Diamonds", " took the 7 of Diamonds Pot worth $"},
    {"Queen of Spades", " took the Queen of Spades Pot worth $"},
    {"8-9-10 Matching Suit", " took the 8-9-10 of Any Suit Pot worth $"},
    {"Ace of Spades", " took the Ace of Spades Pot worth $"},
    {"King and Queen of Hearts", " took the Queen and King of Hearts Pot worth $"},
    {"10 of Diamonds", " took the 10 of Diamonds Pot worth $"},
};
} // namespace

const char *potName(int pot) { return isPot(pot) ? potTexts[pot - 1].name : ""; }

const char *potAnnouncement(int pot) { return isPot(pot) ? potTexts[pot - 1].announcement : ""; }

} // namespace velmora
