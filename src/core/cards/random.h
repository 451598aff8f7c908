#pragma once

#include <cstdint>

namespace velmora {

// The game's random source: the linear congruential generator
// seed := seed * 134775813 + 1 (mod 2^32), drawn as the high half of
// seed * n. It is written out rather than taken from <random> because games
// must replay identically from a seed on every build and platform, and the
// sequence itself is part of the game's behaviour.
class Random
{
public:
    explicit Random(std::uint32_t seed = 0) : m_seed(seed) {}

    void setSeed(std::uint32_t seed) { m_seed = seed; }
    std::uint32_t seed() const { return m_seed; }

    // A number 0..n-1 (0 when n is 0).
    std::uint32_t below(std::uint32_t n)
    {
        m_seed = m_seed * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_seed) * n) >> 32);
    }

private:
    std::uint32_t m_seed = 0;
};

// The one generator shared by every draw in the process; seeded from the
// clock on first use.
Random &processRandom();

} // namespace velmora
