// The MIDI length reader that times a MIDI sound for playback and beats: any bytes give
// a length or none, never a read past the end.
#include "fuzz_check.h"
#include "model/midi_file.h"

using namespace rova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto ms = midiDurationMs(Bytes(data, size));
    FUZZ_CHECK(!ms || *ms >= 0);
    return 0;
}
