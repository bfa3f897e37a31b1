// Check Performance: every place where the robot cannot do what the
// performance asks, as one list sorted by time, and the motion budget (the
// keyframes used of those a motion file can hold). Used by the editor's
// Problems panel and status bar, by rova-tool and by the generators that
// verify their own result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/motion_track.h"

namespace rova::check {

enum class ProblemKind : int {
    Range,        // a keyframe value beyond the channel's limits
    Fast,         // a segment above 1.1 x the channel's max speed
    Alarm,        // a segment at 1.5 x the max speed or above
    Size,         // more keyframes than a motion file of the track's kind holds
    ShortFlash,   // an eye lit for a single LED step (warning)
    ShortMotion,  // the motion ends more than a time step before the sound (warning)
    LongMotion,   // the motion ends more than a time step after the sound (warning)
};

// "range", "fast", "alarm", "size", "short-flash", "short-motion", "long-motion".
const char* kindName(ProblemKind kind);
// As the Problems panel shows it: "Out of range", "Too fast", ...
const char* kindTitle(ProblemKind kind);
// Range, fast, alarm and size are errors (the robot cannot play the
// performance as it is); the rest are warnings.
bool isError(ProblemKind kind);

enum Eye : int { EYE_NONE = -1, EYE_GREEN = 0, EYE_RED = 1 };

struct Problem {
    ProblemKind kind = ProblemKind::Range;
    int channel = -1;   // joint channel index, -1 when the problem is not one joint's
    int keyframe = -1;  // keyframe index, -1 when none
    int step = -1;      // time step where it is, -1 when none
    int eye = EYE_NONE;
    std::int64_t timeMs = 0;  // where it is, for sorting and showing
    // The time steps that show it: a keyframe's segment (from the keyframe
    // before to it, both included), an eye flash, the part of the longer track.
    int selStart = 0;
    int selLength = 0;
    // What was measured and what is allowed, for describe():
    //   range: the value and the limit passed, in degrees;
    //   fast, alarm: the speed and the top speed in degrees per second, with
    //     the degrees moved over the segment's ticks;
    //   size: keyframes used and allowed;
    //   short-flash: LED steps lit, milliseconds lit in `ticks`;
    //   short-motion, long-motion: the motion's and the sound's length in ticks.
    double measured = 0;
    double allowed = 0;
    double moved = 0;
    int ticks = 0;

    bool operator==(const Problem&) const = default;
};

// The problem in words ("55.00° is beyond the upper limit 43°"), UTF-8.
// Made on demand: a check of a long, wild performance finds a great many.
std::string describe(const Problem& problem);

struct Budget {
    int keyframes = 0;  // used
    int limit = 0;      // allowed for the track's channel count
    bool over() const { return keyframes > limit; }
    bool operator==(const Budget&) const = default;
};

// None without a motion track.
std::optional<Budget> motionBudget(const CMotionTrack& motion);

// What a performance's sound lasts, in motion ticks; no length (MIDI, or no
// sound) skips the motion-against-sound checks.
constexpr int kNoSoundLength = -1;

// Every problem of the tracks, sorted by time (then channel, kind and eye;
// the problems of no joint first).
// The motion may be empty (kind 0) and the LED track may have no steps.
std::vector<Problem> checkPerformance(const CMotionTrack& motion, const CLedTrack& leds,
                                      int soundTicks = kNoSoundLength);

// Sets every keyframe of `channel` that the check finds out of range, whose
// time t lies in 5 x start <= t < 5 x (start + length), to the nearer of the
// channel's limits. The track's first and last keyframes are included: a
// pose the robot cannot take is no better at the ends. Returns how many
// values changed; a channel outside the track changes nothing.
int clampToLimits(CMotionTrack& motion, int channel, int start, int length);

}  // namespace rova::check
