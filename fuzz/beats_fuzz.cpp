// The beat readers of files the editor did not write: a MIDI sound's tempo map
// and NAME.BPM. Any bytes give a bounded, ordered grid or none, and a setting
// that is read writes back to the same setting.
#include <algorithm>
#include <functional>

#include "beats/beats.h"
#include "fuzz_check.h"

using namespace rova::beats;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, size);
    const BeatGrid grid = beatsFromMidi(bytes);
    FUZZ_CHECK(grid.beatsMs.size() <= kMaxBeats);
    FUZZ_CHECK(std::is_sorted(grid.beatsMs.begin(), grid.beatsMs.end()));
    FUZZ_CHECK(grid.beatsMs.empty() || grid.beatsMs.front() >= 0);
    for (int d : grid.downbeatsMs)
        FUZZ_CHECK(std::binary_search(grid.beatsMs.begin(), grid.beatsMs.end(), d));
    if (const auto setting = parseBpmFile(bytes)) {
        FUZZ_CHECK(setting->bpm >= kMinBpm && setting->bpm <= kMaxBpm);
        FUZZ_CHECK(validSetting(*setting));
        const BeatGrid hand = handSetGrid(*setting, 10 * 60 * 1000);
        FUZZ_CHECK(std::adjacent_find(hand.beatsMs.begin(), hand.beatsMs.end(), std::greater_equal<int>()) ==
                   hand.beatsMs.end());
        FUZZ_CHECK(hand.downbeatsKnown == (setting->beatsPerBar > 0 && !hand.beatsMs.empty()));
        for (int d : hand.downbeatsMs)
            FUZZ_CHECK(std::binary_search(hand.beatsMs.begin(), hand.beatsMs.end(), d));
        const std::string text = formatBpmFile(*setting);
        const auto again = parseBpmFile(Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        FUZZ_CHECK(again && *again == *setting);
    }
    return 0;
}
