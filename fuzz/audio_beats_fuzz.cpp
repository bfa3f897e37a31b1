// The audio beat tracker on any sound. The input after its first two bytes,
// repeated, is the sound (8000 Hz, 8-bit); the first two bytes choose its
// length, 6 to 14 seconds, long enough for every stage to run. Whatever it
// holds, the beats are ordered and inside the sound, the downbeats are among
// them, the confidence and the bar are in range, and a tempo that may be
// twice as fast is shown unsure.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "beats/beats.h"
#include "fuzz_check.h"

using namespace rova::beats;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::size_t seconds = 6 + (static_cast<std::size_t>(data[0]) | static_cast<std::size_t>(data[1]) << 8) % 9;
    std::vector<std::uint8_t> samples(seconds * 8000);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = data[2 + i % (size - 2)];
    const CancelFlag never{false};
    const BeatGrid grid = beatsFromSamples(Bytes(samples.data(), samples.size()), never);
    FUZZ_CHECK(grid.confidence >= 0 && grid.confidence <= 1);
    // A tempo that may be half the music's is never shown as sure.
    FUZZ_CHECK(!grid.mayBeTwiceAsFast || grid.confidence < kUnsureConfidence);
    FUZZ_CHECK(std::adjacent_find(grid.beatsMs.begin(), grid.beatsMs.end(), std::greater_equal<int>()) == grid.beatsMs.end());
    FUZZ_CHECK(grid.beatsMs.empty() || (grid.beatsMs.front() >= 0 && grid.beatsMs.back() < static_cast<int>(seconds * 1000)));
    for (int d : grid.downbeatsMs) FUZZ_CHECK(std::binary_search(grid.beatsMs.begin(), grid.beatsMs.end(), d));
    if (!grid.beatsMs.empty()) FUZZ_CHECK(grid.beatsPerBar >= 2 && grid.beatsPerBar <= 4 && grid.bpm > 0);
    return 0;
}
