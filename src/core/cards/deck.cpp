#include "deck.h"

#include "random.h"

namespace velmora {

void Deck::shuffle(Random &random)
{
    m_cards.fill(NoCard);
    for (int code = 1; code <= CardCount; ++code) {
        for (;;) {
            const auto position = random.below(CardCount);
            if (m_cards[position] == NoCard) {
                m_cards[position] = code;
                break;
            }
        }
    }
}

} // namespace velmora
