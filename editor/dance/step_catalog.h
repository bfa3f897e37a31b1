// The library steps as Dance to the Music sees them: posture at each end,
// liveliness, size, and the accents (the frames where the step turns or
// rests) that cut it into phrases to be time-warped onto the beats.
#pragma once

#include <cstdint>
#include <vector>

#include "choreography.h"

namespace rova::dance {

enum class Posture { Standing, Seated, Lying };
inline constexpr int kPostureCount = 3;

// One phrase of a step: from the frame it leaves an accent (after any hold)
// to the frame it arrives at the next.
struct StepSegment {
    int from;      // frame
    int to;        // frame, > from
    int minSteps;  // fewest time steps it may be warped onto within the joints' speeds
};

struct StepTraits {
    int entry;          // index into danceSteps()
    Posture start;      // posture of its first frame
    Posture end;        // posture of its last frame
    int frames;
    double liveliness;  // 0 (calmest step) .. 1 (liveliest), by rank of its mean joint speed
    double size;        // 0 (smallest) .. 1 (largest), by rank of its widest reach from its first pose
    std::vector<StepSegment> segments;  // in order; the first leaves frame 0's accent, the last arrives at the end
};

// The steps the planner may use: every named step whose frames, clamped to
// the joint limits, stay within the joints' max speeds. Built on first use.
const std::vector<StepTraits>& musicSteps();

// The resting posture a pose is nearest to (by its leg joints).
Posture postureOf(const Frame& pose);
// The recorded resting pose of a posture.
const Frame& restingPose(Posture posture);

// A frame with every joint brought inside its limits (the lying pose rests
// slightly past two of them).
Frame clampedToLimits(const Frame& pose);

// Frame f of library entry `entry`, clamped to the limits.
Frame stepFrame(int entry, int f);

// Share of a joint's max speed that our own moves and warped phrases keep
// to: the check flags only segments above 1.1 times it.
inline constexpr double kMoveSpeedShare = 0.9;

// Largest move of a channel in one time step at its max speed, in µrad.
double maxMovePerStep(int channel);

// The frames of a phrase warped onto `steps` time steps: frame i (1..steps)
// is the step's motion at from + (to - from) · smoothstep(i / steps), so the
// phrase starts and ends at rest, on its accents. The frame at 0 (the accent
// left) is not included.
std::vector<Frame> warpSegment(int entry, const StepSegment& segment, int steps);

// Time steps an eased move from a to b needs to stay within every joint's speed.
int easeSteps(const Frame& a, const Frame& b);

}  // namespace rova::dance
