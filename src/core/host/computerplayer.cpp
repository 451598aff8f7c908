#include "computerplayer.h"

#include "cards/random.h"
#include "strongplayer.h"

namespace velmora {

namespace {
// Cards that make the computer keep its own hand rather than take the dummy.
constexpr bool isKeepCard(int card)
{
    return card == cardOf(Suit::Clubs, Queen) || card == cardOf(Suit::Clubs, Ace) ||
           card == cardOf(Suit::Spades, Jack) || card == cardOf(Suit::Hearts, Ten) ||
           card == cardOf(Suit::Hearts, King);
}
} // namespace

std::unique_ptr<ComputerPlayer> makeComputerPlayer(ComputerStrength strength, Random &random)
{
    if (strength == ComputerStrength::Strong)
        return std::make_unique<StrongPlayer>(random);
    return std::make_unique<ClassicPlayer>(random);
}

bool ClassicPlayer::wouldBuy(const Hand &hand)
{
    bool keep = false;
    for (int c : hand)
        keep = keep || isKeepCard(c);
    return !keep;
}

bool ClassicPlayer::buysDummy(const PlayerView &view) { return wouldBuy(view.hand); }

int ClassicPlayer::chooseSlot(const PlayerView &view)
{
    const Hand &hand = view.hand;
    // On a lead this looks for the two of clubs, which is always the lowest
    // of its suit.
    const int wanted = view.tableCard + 1;
    for (int k = 1; k <= HandSlots; ++k)
        if (inSlot(hand, k) == wanted)
            return k;
    if (hand == Hand{})
        return 0;
    int drawn = NoCard;
    while (drawn == NoCard)
        drawn = hand[m_random.below(HandSlots)];
    // The lowest card of the drawn card's suit: its suit's cards are the
    // thirteen codes from the suit's first.
    int best = 0;
    if (isCard(drawn)) {
        const int first = suitStart(drawn);
        for (int k = 1; k <= HandSlots; ++k) {
            const int c = inSlot(hand, k);
            if (c >= first && c < first + 13 && (best == 0 || c < inSlot(hand, best)))
                best = k;
        }
    }
    return best;
}

} // namespace velmora
