// The generators: the eye LED track and the mouth motion derived
// from the loudness of the WAVE audio.
#pragma once

#include <cstdint>

#include "model/motion_track.h"

namespace rova {

// Thresholds are sample units around the silence level 128: 0 .. 63.
inline constexpr int kDefaultThreshold = 30;
// Samples of one eye window: at most 666 (a twelfth of a second at 8000 Hz).
inline constexpr int kEyeWindowSamples = 666;
// Mouth levels 0 .. 4; level L is (-550000 * L) / 4 micro-radians.
inline constexpr std::int32_t kMouthOpenValue = -550000;
inline constexpr int kMouthOpenLevel = 4;
inline constexpr int kMouthQuietLevel = 1;

// The number of the n samples s with s - 128 < -threshold or s - 128 > threshold.
int countLoud(const std::uint8_t* samples, int n, int threshold);
// A window is loud when more than 20 % of its samples are loud (strictly, in
// floating point). An empty window is not loud.
bool isLoud(const std::uint8_t* samples, int n, int threshold);

// CLedTrack::generateFromAudio: rewrites every LED step from the audio (bit 0
// green, bit 1 red; the other bits stay), steps past the audio's end become 0,
// and the track is marked modified.
void generateFromAudio(CLedTrack& leds, const CWaveTrack& wave, int greenThreshold, int redThreshold);

// CMotionTrack::generateMouth: opens and closes the mouth (column 3) over the
// keyframes inside the range of time steps [start, start + length), one level
// a keyframe toward open (loud) or nearly closed (quiet); marks the track
// modified. The track must hold the head (its first channel is 0).
void generateMouth(CMotionTrack& motion, const CWaveTrack& wave, int threshold, int start, int length);

}  // namespace rova
