// The sound of a video: the performance's WAVE or MIDI sound over the filmed
// span, as one buffer at the encoders' rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video/video_export.h"

namespace rova::video {

inline constexpr int kAudioRate = 48000;
inline constexpr int kAudioChannels = 2;

// durationMs of sound from startMs, interleaved float stereo at kAudioRate,
// exactly durationMs × 48 frames (silence where the sound has ended). WAVE
// goes through the resampler as it is; MIDI is rendered with the SoundFont.
// "" or the reason it could not be made.
std::string buildSoundTrack(const VideoInput& input, std::int64_t startMs, std::int64_t durationMs,
                            const std::string& soundFont, std::vector<float>& out);

}  // namespace rova::video
