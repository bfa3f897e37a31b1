// WAVE reader and MIDI detection: accepted samples must lie inside the file.
#include "fuzz_check.h"
#include "quiet_model.h"
#include "model/audio_file.h"

using namespace rova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    silenceDebugOutput();
    isMidiAudio(Bytes(data, size));
    CWaveTrack track;
    if (!readWave(Bytes(data, size), track)) {
        FUZZ_CHECK(track.samples == nullptr && track.sampleCount == 0);
        return 0;
    }
    FUZZ_CHECK(track.sampleCount >= 0);
    FUZZ_CHECK(track.samples >= data && track.samples <= data + size);
    FUZZ_CHECK(static_cast<std::size_t>(track.sampleCount) <= static_cast<std::size_t>(data + size - track.samples));
    // Touch every sample so the sanitizer sees any read past the end.
    unsigned loud = 0;
    for (int i = 0; i < track.sampleCount; ++i) loud += track.samples[i] > 200;
    FUZZ_CHECK(loud <= static_cast<unsigned>(track.sampleCount));
    FUZZ_CHECK(ledStepsForAudio(track.sampleCount) >= 0);
    return 0;
}
