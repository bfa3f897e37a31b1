// The seeded generator behind a dance's Vary number. Our own rather than the
// standard distributions: those differ between library versions, and a Vary
// number must give the same dance everywhere.
#pragma once

#include <cstdint>

namespace rova::dance {

// SplitMix64 (Steele, Lea and Flood, "Fast splittable pseudorandom number
// generators", OOPSLA 2014), seeded by the Vary number.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(kGolden ^ seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += kGolden);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1), from the top 53 bits.
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    static constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ull;
    std::uint64_t m_state;
};

}  // namespace rova::dance
