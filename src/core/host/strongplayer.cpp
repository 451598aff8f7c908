#include "strongplayer.h"

#include "cards/random.h"

#include <QElapsedTimer>

#include <algorithm>
#include <bit>
#include <limits>

namespace velmora {

namespace {

constexpr CardSet FullDeck = ((CardSet(1) << (DeckSize + 1)) - 1) & ~CardSet(1);
constexpr int DummyPrice = 5;
// A round has 41 plays at most; anything longer is a position set up wrong.
constexpr int PlayLimit = 64;

constexpr CardSet suitMask(int suit) { return ((CardSet(1) << 13) - 1) << (13 * suit + 1); }

CardSet setOf(const Hand &hand)
{
    CardSet set = 0;
    for (int c : hand)
        if (isCard(c))
            set |= cardBit(c);
    return set;
}

int lowestIn(CardSet set) { return set ? std::countr_zero(set) : NoCard; }

int slotOf(const Hand &hand, int card)
{
    for (int k = 1; k <= HandSlots; ++k)
        if (inSlot(hand, k) == card)
            return k;
    return 0;
}

// The classic lead: the two of clubs when held, otherwise the lowest card of
// the suit of a card drawn at random from the hand, which picks a suit in
// proportion to the cards held in it as the classic slot draw does.
int classicLead(CardSet hand, Random &random)
{
    if (hand & cardBit(1))
        return 1;
    CardSet rest = hand;
    for (std::uint32_t k = random.below(std::uint32_t(std::popcount(hand))); k > 0; --k)
        rest &= rest - 1;
    const int drawn = std::countr_zero(rest);
    return lowestIn(hand & suitMask(int(suitOf(drawn))));
}

// The rest of a round with every hand known, played fast on card sets. The
// money rules are the table's; only the messages are left out.
struct Playout
{
    PerSeat<CardSet> hands{};
    PerSeat<int> last{};
    PerSeat<int> before{};
    std::array<int, PotCount + 1> pots{};
    PerSeat<int> gain{};
    int table = NoCard;
    int current = 0; // seat index 0..3
    int own = 0;
    unsigned ownWins = 0; // pots the own seat took, as bits

    void pay(int s, int pot)
    {
        if (pots[pot] > 0 && s == own)
            ownWins |= 1u << pot;
        gain[s] += pots[pot];
        pots[pot] = 0;
    }

    // Returns true when the card ended the round.
    bool play(int s, int x)
    {
        if (pots[PotEightNineTen] > 0 && rankOf(before[s]) == Eight && rankOf(last[s]) == Nine &&
            rankOf(x) == Ten)
            pay(s, PotEightNineTen);
        if (pots[PotQueenKingHearts] > 0 && last[s] == cardOf(Suit::Hearts, Queen) &&
            x == cardOf(Suit::Hearts, King))
            pay(s, PotQueenKingHearts);
        before[s] = last[s];
        last[s] = x;
        hands[s] &= ~cardBit(x);
        table = x;
        if (const int pot = singleCardPot(x))
            pay(s, pot);
        if (!hands[s]) {
            endRound(s);
            return true;
        }
        current = s;
        if (isAce(x)) {
            table = NoCard;
            return false;
        }
        for (int t = 0; t < SeatCount; ++t) {
            if (hands[t] & cardBit(x + 1)) {
                current = t;
                return false;
            }
        }
        table = NoCard;
        return false;
    }

    void endRound(int out)
    {
        for (int t = 0; t < SeatCount; ++t) {
            if (t == out)
                continue;
            const int left = std::popcount(hands[t]);
            gain[t] -= left;
            pots[Kitty] += left;
        }
        pay(out, Kitty);
    }

    void run(Random &random)
    {
        for (int n = 0; n < PlayLimit; ++n) {
            const int s = current;
            if (!hands[s]) {
                endRound(s);
                return;
            }
            int x = table != NoCard ? table + 1 : NoCard;
            if (x == NoCard || !(hands[s] & cardBit(x)))
                x = classicLead(hands[s], random);
            if (play(s, x))
                return;
        }
    }
};

// `count` cards drawn at random from `from`.
CardSet drawCards(CardSet from, int count, Random &random)
{
    std::array<int, DeckSize> cards{};
    int n = 0;
    for (CardSet rest = from; rest; rest &= rest - 1)
        cards[std::size_t(n++)] = std::countr_zero(rest);
    CardSet drawn = 0;
    for (int i = 0; i < count && i < n; ++i) {
        const int j = i + int(random.below(std::uint32_t(n - i)));
        std::swap(cards[std::size_t(i)], cards[std::size_t(j)]);
        drawn |= cardBit(cards[std::size_t(i)]);
    }
    return drawn;
}

// The cards `seat` may still hold by what its leads showed.
CardSet possibleFor(const RoundRecord &record, int seat)
{
    CardSet set = 0;
    for (int suit = 0; suit < 4; ++suit) {
        const int lowest = record.lowestPossible(seat, Suit(suit));
        set |= suitMask(suit) & ~(cardBit(lowest) - 1);
    }
    return set;
}

// One deal of the cards the seat cannot see to the other seats, with the
// counts they hold and within what they may hold. The rest lies out of
// play. Where the record cannot be met (a client that joined late knows
// less than it thinks) the limits are dropped rather than the deal.
PerSeat<CardSet> dealUnseen(const PlayerView &view, CardSet unseen, Random &random)
{
    const int own = view.seat - 1;
    const CardSet outs = view.record.outOfPlay();
    for (int attempt = 0;; ++attempt) {
        const bool strict = attempt < 16;
        PerSeat<CardSet> hands{};
        CardSet remaining = strict ? unseen & ~outs : unseen;
        PerSeat<CardSet> allowed{};
        std::array<int, 3> order{};
        int n = 0;
        for (int t = 0; t < SeatCount; ++t) {
            if (t == own)
                continue;
            allowed[t] = strict ? possibleFor(view.record, t + 1) : FullDeck;
            order[std::size_t(n++)] = t;
        }
        // The seat with the fewest cards to choose from is dealt first.
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return std::popcount(allowed[a] & remaining) - view.cardsHeld[a] <
                   std::popcount(allowed[b] & remaining) - view.cardsHeld[b];
        });
        bool ok = true;
        for (int t : order) {
            const CardSet from = remaining & allowed[t];
            if (std::popcount(from) < view.cardsHeld[t] && strict) {
                ok = false;
                break;
            }
            hands[t] = drawCards(from, view.cardsHeld[t], random);
            remaining &= ~hands[t];
        }
        if (ok)
            return hands;
    }
}

Playout startFrom(const PlayerView &view)
{
    Playout p;
    p.own = view.seat - 1;
    p.hands[p.own] = setOf(view.hand);
    p.last = view.lastCard;
    p.before = view.cardBeforeLast;
    for (int pot = 1; pot <= PotCount; ++pot)
        p.pots[pot] = std::max(view.pots[pot], 0);
    p.table = view.tableCard;
    p.current = p.own;
    return p;
}

// Pots the card takes the moment it is played: its own, a run it ends, and
// the kitty when it is the seat's last card.
unsigned potsWonBy(const PlayerView &view, int card)
{
    Playout p = startFrom(view);
    p.play(p.own, card);
    return p.ownWins;
}

} // namespace

StrongPlayer::StrongPlayer(Random &seeds, Limits limits) : m_seeds(seeds), m_limits(limits) {}

std::uint32_t StrongPlayer::nextSeed()
{
    return m_seeds.below(std::numeric_limits<std::uint32_t>::max());
}

bool StrongPlayer::buysDummy(const PlayerView &view)
{
    return adviseDummy(view, nextSeed(), m_limits);
}

int StrongPlayer::chooseSlot(const PlayerView &view)
{
    // A follow is never a choice: the seat holds the one card it may play.
    if (view.tableCard != NoCard)
        if (const int slot = slotOf(view.hand, view.tableCard + 1))
            return slot;
    return advise(view, nextSeed(), m_limits).slot;
}

StrongPlayer::Advice StrongPlayer::advise(const PlayerView &view, std::uint32_t seed, Limits limits)
{
    Advice advice;
    const CardSet own = setOf(view.hand);
    if (!isSeat(view.seat) || !own)
        return advice;

    std::array<int, 4> choices{};
    int n = 0;
    if (view.tableCard != NoCard && (own & cardBit(view.tableCard + 1))) {
        choices[std::size_t(n++)] = view.tableCard + 1;
    } else {
        for (int suit = 0; suit < 4; ++suit)
            if (const int c = lowestIn(own & suitMask(suit)))
                choices[std::size_t(n++)] = c;
    }
    advice.choices = n;

    std::array<double, 4> total{};
    std::array<std::array<int, PotCount + 1>, 4> wins{};
    if (n > 1) {
        const CardSet unseen = FullDeck & ~own & ~view.record.played() & ~view.givenUp;
        Random deals(seed);
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < limits.samples; ++i) {
            if (limits.budgetMs > 0 && i > 0 && clock.elapsed() >= limits.budgetMs)
                break;
            Playout start = startFrom(view);
            const PerSeat<CardSet> others = dealUnseen(view, unseen, deals);
            for (int t = 0; t < SeatCount; ++t)
                if (t != start.own)
                    start.hands[t] = others[t];
            // Every choice meets the same deal and the same draws of the
            // other seats, so the difference between them is the choice's.
            const std::uint32_t draws = deals.below(std::numeric_limits<std::uint32_t>::max());
            for (int c = 0; c < n; ++c) {
                Playout p = start;
                Random random(draws);
                if (!p.play(p.own, choices[std::size_t(c)]))
                    p.run(random);
                total[std::size_t(c)] += p.gain[std::size_t(p.own)];
                for (int pot = 1; pot <= PotCount; ++pot)
                    wins[std::size_t(c)][std::size_t(pot)] += (p.ownWins >> pot) & 1u;
            }
            ++advice.samples;
        }
    }

    int best = 0;
    for (int c = 1; c < n; ++c)
        if (total[std::size_t(c)] > total[std::size_t(best)])
            best = c;
    advice.card = choices[std::size_t(best)];
    advice.slot = slotOf(view.hand, advice.card);
    advice.winsNow = potsWonBy(view, advice.card);
    if (advice.samples > 0) {
        advice.meanGain = total[std::size_t(best)] / advice.samples;
        for (int pot = 1; pot <= PotCount; ++pot)
            advice.potChance[std::size_t(pot)] =
                double(wins[std::size_t(best)][std::size_t(pot)]) / advice.samples;
    }
    return advice;
}

bool StrongPlayer::adviseDummy(const PlayerView &view, std::uint32_t seed, Limits limits)
{
    const int own = view.seat - 1;
    const int dealer = view.dealer - 1;
    const CardSet mine = setOf(view.hand);
    if (!isSeat(view.seat) || !isSeat(view.dealer))
        return ClassicPlayer::wouldBuy(view.hand);
    Random deals(seed);
    QElapsedTimer clock;
    clock.start();
    double keep = 0;
    double buy = 0;
    for (int i = 0; i < limits.samples; ++i) {
        if (limits.budgetMs > 0 && i > 0 && clock.elapsed() >= limits.budgetMs)
            break;
        Playout start = startFrom(view);
        const PerSeat<CardSet> others = dealUnseen(view, FullDeck & ~mine, deals);
        CardSet dummy = FullDeck & ~mine;
        for (int t = 0; t < SeatCount; ++t) {
            if (t != own) {
                start.hands[t] = others[t];
                dummy &= ~others[t];
            }
        }
        start.table = NoCard;
        start.current = (dealer + 1) % SeatCount;
        const std::uint32_t draws = deals.below(std::numeric_limits<std::uint32_t>::max());
        const auto takeDummy = [&](Playout &p, int t) {
            p.hands[t] = dummy;
            p.gain[t] -= DummyPrice;
            p.gain[dealer] += DummyPrice;
        };

        Playout kept = start;
        // The seats still to be offered decide by the classic rule.
        for (int t = (own + 1) % SeatCount; t != dealer; t = (t + 1) % SeatCount) {
            Hand hand{};
            int k = 0;
            for (CardSet rest = kept.hands[t]; rest && k < HandSlots; rest &= rest - 1)
                hand[std::size_t(k++)] = std::countr_zero(rest);
            if (ClassicPlayer::wouldBuy(hand)) {
                takeDummy(kept, t);
                break;
            }
        }
        Random keptDraws(draws);
        kept.run(keptDraws);
        keep += kept.gain[std::size_t(own)];

        Playout bought = start;
        takeDummy(bought, own);
        Random boughtDraws(draws);
        bought.run(boughtDraws);
        buy += bought.gain[std::size_t(own)];
    }
    return buy > keep;
}

} // namespace velmora
