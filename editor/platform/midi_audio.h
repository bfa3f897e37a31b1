// MIDI sound for playback: its rendering to PCM with a General MIDI SoundFont.
// (The music's length from its tempo map is model/midi_file.h's midiDurationMs.)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/byte_io.h"

namespace rova {

// The SoundFont to render with: $ROVA_SOUNDFONT when set (empty means none),
// else the first General MIDI SoundFont installed in the usual places; "" when none.
std::string findSoundFont();

// Renders durationMs of the music as interleaved 16-bit stereo at sampleRate
// into pcm (little-endian bytes); false when the synthesizer or the SoundFont
// cannot be loaded.
bool renderMidi(Bytes file, const std::string& soundFont, int sampleRate, std::int64_t durationMs,
                std::vector<std::uint8_t>& pcm);

}  // namespace rova
