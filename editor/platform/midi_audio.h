// MIDI sound for playback: the music's true length from the file's own tempo
// map, and its rendering to PCM with a General MIDI SoundFont.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/byte_io.h"

namespace rova {

// Milliseconds from the start to the last event of the longest track, with the
// tempo changes of every track applied, at most the largest std::int64_t; none
// when the file is no Standard MIDI File.
std::optional<std::int64_t> midiDurationMs(Bytes file);

// The SoundFont to render with: $ROVA_SOUNDFONT when set (empty means none),
// else the first General MIDI SoundFont installed in the usual places; "" when none.
std::string findSoundFont();

// Renders durationMs of the music as interleaved 16-bit stereo at sampleRate
// into pcm (little-endian bytes); false when the synthesizer or the SoundFont
// cannot be loaded.
bool renderMidi(Bytes file, const std::string& soundFont, int sampleRate, std::int64_t durationMs,
                std::vector<std::uint8_t>& pcm);

}  // namespace rova
