// How a joint's motion is judged: a keyframe out of range, a segment too fast
// or far too fast. The channel panes colour their lines by these rules and
// the performance check lists by them, so the two always agree.
#pragma once

#include <cmath>

#include "model/channels.h"

namespace rova::check {

// The thresholds of one channel, as single-precision products of its table row.
struct ChannelRules {
    float lowLimit;    // degrees; a keyframe below is out of range (1.1 x the lower limit)
    float highLimit;   // degrees; above is out of range (1.1 x the upper limit)
    float fastSpeed;   // degrees per second; a segment above is too fast (1.1 x max speed)
    float alarmSpeed;  // at or above this it is far too fast (1.5 x max speed)

    explicit ChannelRules(const ChannelInfo& ch)
        : lowLimit(1.1f * ch.lower), highLimit(1.1f * ch.upper), fastSpeed(1.1f * ch.maxSpeed),
          alarmSpeed(1.5f * ch.maxSpeed) {}
};

enum class Speed { Normal, Fast, Alarm };

// The pens of a channel pane's segments.
enum SegmentPen : int { PEN_NORMAL = 0, PEN_FAST = 1, PEN_ALARM = 2 };

inline bool isOutOfRange(double degrees, const ChannelRules& rules) {
    return degrees < rules.lowLimit || degrees > rules.highLimit;
}

// Degrees per second between two keyframes `durationTicks` apart. A zero
// duration gives infinity for a jump and NaN (never fast) for no move.
inline double segmentSpeed(double fromDegrees, double toDegrees, int durationTicks) {
    return std::abs(toDegrees - fromDegrees) * 125 / (2.0 * durationTicks);
}

inline Speed speedClass(double speed, const ChannelRules& rules) {
    if (!(speed > rules.fastSpeed)) return Speed::Normal;
    return speed < rules.alarmSpeed ? Speed::Fast : Speed::Alarm;
}

// The pen of the segment that ends at a keyframe: its speed first, then
// whether its end keyframe is out of range.
inline SegmentPen segmentPen(Speed speed, bool endOutOfRange) {
    if (speed == Speed::Fast) return PEN_FAST;
    if (speed == Speed::Alarm || endOutOfRange) return PEN_ALARM;
    return PEN_NORMAL;
}

inline SegmentPen classifySegment(double fromDegrees, double toDegrees, int durationTicks, const ChannelRules& rules) {
    return segmentPen(speedClass(segmentSpeed(fromDegrees, toDegrees, durationTicks), rules),
                      isOutOfRange(toDegrees, rules));
}

}  // namespace rova::check
