#include "deck.h"

#include "random.h"

namespace velmora {

void Deck::shuffle(Random &random)
{
    m_cards.fill(NoCard);
    for (int code = 1; code <= DeckSize; ++code) {
        for (;;) {
            const auto position = random.below(DeckSize);
            if (m_cards[position] == NoCard) {
                m_cards[position] = code;
                break;
            }
        }
    }
}

} // namespace velmora
