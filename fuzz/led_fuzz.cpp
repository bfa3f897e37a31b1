// Eye LED reader; whatever it accepts must write and read back unchanged, but
// for a track ending lit (or of one step), which gains the dark step where the
// final notes go off.
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "quiet_model.h"
#include "model/led_file.h"

using namespace rova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    silenceDebugOutput();
    CLedTrack track;
    if (!readLed(Bytes(data, size), track)) {
        FUZZ_CHECK(track.steps.empty());
        return 0;
    }
    FUZZ_CHECK(track.length() <= kMaxLedSteps);
    for (std::uint8_t s : track.steps) FUZZ_CHECK(s <= 3);

    std::ostringstream out;
    if (writtenLedSteps(track) >= static_cast<std::size_t>(kMaxLedSteps)) {
        // Lit to the very last readable step: its note-off would be unreadable.
        FUZZ_CHECK(!writeLed(out, track));
        return 0;
    }
    FUZZ_CHECK(writeLed(out, track));
    const std::string s = out.str();
    CLedTrack back;
    FUZZ_CHECK(readLed(Bytes(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), back));
    std::vector<std::uint8_t> expected = track.steps;
    if (!expected.empty() && (expected.size() == 1 || expected.back() != 0)) expected.push_back(0);
    FUZZ_CHECK(back.steps == expected);
    return 0;
}
