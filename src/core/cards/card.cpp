#include "card.h"

#include <array>
#include <string>

namespace velmora {

const char *cardName(int code)
{
    static const std::array<std::string, DeckSize + 1> names = [] {
        std::array<std::string, DeckSize + 1> n;
        n[0] = "--";
        static const char *ranks[] = {"2", "3",  "4", "5", "6", "7", "8",
                                      "9", "10", "J", "Q", "K", "A"};
        static const char suits[] = {'C', 'D', 'S', 'H'};
        for (int c = 1; c <= DeckSize; ++c)
            n[c] = std::string(ranks[rankOf(c)]) + suits[static_cast<int>(suitOf(c))];
        return n;
    }();
    return isCard(code) ? names[code].c_str() : names[0].c_str();
}

const char *cardFullName(int code)
{
    static const std::array<std::string, DeckSize + 1> names = [] {
        std::array<std::string, DeckSize + 1> n;
        static const char *ranks[] = {"Two",  "Three", "Four", "Five",  "Six",  "Seven", "Eight",
                                      "Nine", "Ten",   "Jack", "Queen", "King", "Ace"};
        static const char *suits[] = {"Clubs", "Diamonds", "Spades", "Hearts"};
        for (int c = 1; c <= DeckSize; ++c)
            n[c] = std::string(ranks[rankOf(c)]) + " of " + suits[static_cast<int>(suitOf(c))];
        return n;
    }();
    return isCard(code) ? names[code].c_str() : names[0].c_str();
}

} // namespace velmora
