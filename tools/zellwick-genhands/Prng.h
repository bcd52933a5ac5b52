#pragma once

// The generator's own random numbers (xoshiro256** seeded through splitmix64). The standard
// distributions are not used: their results differ between library versions, and a seed must
// give the same hands everywhere.

#include <cstdint>

namespace zellwick::genhands {

class Prng
{
public:
    explicit Prng(std::uint64_t seed)
    {
        for (auto& word : m_state)
            word = SplitMix(seed);
    }

    std::uint64_t Next()
    {
        const std::uint64_t result = Rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = Rotl(m_state[3], 45);
        return result;
    }

    // Uniform in [0, bound); bound > 0. Rejection keeps it free of modulo bias.
    std::uint64_t Below(std::uint64_t bound)
    {
        const std::uint64_t limit = (0 - bound) % bound;
        for (;;) {
            const std::uint64_t value = Next();
            if (value >= limit)
                return value % bound;
        }
    }

    // Uniform in [low, high].
    std::int64_t Between(std::int64_t low, std::int64_t high)
    {
        return low + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(high - low) + 1));
    }

    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    bool Chance(double probability) { return Unit() < probability; }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    static std::uint64_t SplitMix(std::uint64_t& x)
    {
        std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    std::uint64_t m_state[4];
};

} // namespace zellwick::genhands
