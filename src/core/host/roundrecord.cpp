#include "roundrecord.h"

namespace velmora {

void RoundRecord::cardPlayed(int seat, int card, bool lead)
{
    if (!isCard(card) || !isSeat(seat))
        return;
    m_played |= cardBit(card);
    if (lead) {
        int &led = m_led[seat - 1][int(suitOf(card))];
        if (card > led)
            led = card;
    }
}

void RoundRecord::sequenceStopped(int card)
{
    if (isCard(card) && !isAce(card))
        m_outOfPlay |= cardBit(card + 1);
}

int RoundRecord::lowestPossible(int seat, Suit suit) const
{
    const int led = isSeat(seat) ? m_led[seat - 1][int(suit)] : 0;
    return led ? led + 1 : cardOf(suit, Two);
}

} // namespace velmora
