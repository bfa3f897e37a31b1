// How well a motion dances on the beat, measured as music-to-dance research
// measures it (the Beat Align Score used with the AIST++ dance dataset, Li et
// al., "AI Choreographer", ICCV 2021): the motion's own accents (kinematic
// beats, where the overall joint speed is lowest) against the music's beats.
// Toolkit-free, for the tool's dance-score, the tests and the benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "model/motion_track.h"

namespace rova::dance {

// σ of the Gaussian that turns a kinematic beat's distance to the nearest
// music beat into a score: 50 ms, a little over half a time step, so a
// kinematic beat on the nearest time step to a beat still scores 0.73 or more.
inline constexpr double kAlignSigmaMs = 50.0;
// A kinematic beat is the lowest overall joint speed within this many time
// steps on either side (±160 ms).
inline constexpr int kKinematicWindowSteps = 2;
// Speeds this close (degrees per second) count as equal: the rounding of
// interpolated values to whole micro-radians must not make a minimum.
inline constexpr double kSpeedTieDegreesPerSecond = 0.05;
// The chance level: the mean score with the music's beats shifted evenly
// across one beat interval this many times.
inline constexpr int kChanceShifts = 40;
// "Near a beat": within this many milliseconds (one time step).
inline constexpr int kNearBeatMs = 80;

struct BeatAlign {
    double beatAlign = 0;    // mean over kinematic beats of exp(-d² / 2σ²), 0..1
    double chance = 0;       // the same with the beats shifted, averaged over the shifts
    int kinematicBeats = 0;
    double withinMs80 = 0;   // share of kinematic beats within kNearBeatMs of a beat, 0..1
};

// The overall joint speed at each time step 0..last, in degrees per second:
// the length over all channels of the central difference of the poses at the
// steps before and after (0 at the two ends). poses[s][c] in micro-radians.
std::vector<double> overallSpeed(const std::vector<std::vector<std::int32_t>>& poses);
// The poses of a motion at every time step from 0 to its end.
std::vector<std::vector<std::int32_t>> posesOf(const CMotionTrack& motion);

// The time steps of the kinematic beats: a step whose speed is lower than
// every other within ±kKinematicWindowSteps; where several steps in a row
// share the lowest speed (a held pose), the middle one. Steps whose window
// reaches past either end do not count.
std::vector<int> kinematicBeats(const std::vector<double>& speed);

// The score of kinematic beats (ms) against music beats (ms, ascending),
// each music beat moved by shiftMs.
double alignScore(const std::vector<int>& kinematicMs, const std::vector<int>& beatsMs, double shiftMs = 0);

// Everything at once for a motion against its music's beats.
BeatAlign beatAlignOf(const std::vector<std::vector<std::int32_t>>& poses, const std::vector<int>& beatsMs);
BeatAlign beatAlignOf(const CMotionTrack& motion, const std::vector<int>& beatsMs);

}  // namespace rova::dance
