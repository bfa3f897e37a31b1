// Dance to the Music: a first choreography for a range of a full-body motion,
// made of library steps placed on the music's beats, with eased transitions
// of our own between them. Toolkit-free: the beats and the loudness come in
// as plain data, so the planner is testable without any sound analysis.
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "beats/beat_grid.h"
#include "choreography.h"
#include "model/motion_track.h"

namespace rova::dance {

inline constexpr int kDefaultMouthThreshold = 30;

enum class Posture { Standing, Seated, Lying };
enum class Energy { Low, Medium, High };

// What the user chose in the dialog (and what the tool's verb gives).
struct MusicDanceSettings {
    Energy energy = Energy::Medium;
    std::uint32_t seed = 1;
    bool eyes = false;
    bool mouth = false;
    bool operator==(const MusicDanceSettings&) const = default;
};

// A library step as the planner sees it.
struct StepTraits {
    int entry;          // index into danceSteps()
    Posture start;      // posture of its first frame
    Posture end;        // posture of its last frame
    int frames;
    double liveliness;  // 0 (calmest step) .. 1 (liveliest), by rank of its mean joint speed
    int keys;           // keyframes it keeps when reduced within kPlanningTolerance
};

// The tolerance at which the planner estimates what a step costs of the
// motion file.
inline constexpr std::int32_t kPlanningTolerance = 52360;  // 3 degrees

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

// The loud fraction (the generators' measure: samples beyond the threshold
// around silence) of the sound between each beat and the next, in beat order;
// the last beat reaches to the end of the samples. Beats past the samples get 0.
std::vector<double> loudnessPerBeat(const std::uint8_t* samples, int sampleCount, const beats::BeatGrid& grid,
                                    int threshold);

struct DanceRequest {
    const beats::BeatGrid* beats = nullptr;
    std::vector<double> loudness;  // per beat of the grid; missing beats count as medium
    int startStep = 0;             // first time step of the range: its pose is startPose
    int endStep = 0;               // last time step of the range (inclusive)
    Frame startPose{};
    // The pose the range must arrive at on endStep to join what follows; none
    // when the range reaches the end of the motion (it then ends where the dance does).
    std::optional<Frame> endPose;
    Energy energy = Energy::Medium;
    std::uint32_t seed = 1;
    // Keyframes the range may take in the motion file; when it cannot hold a
    // keyframe every time step, steps are paced (with rests between them) so
    // that the reduced dance fits.
    int keyframeBudget = INT_MAX;
};

struct PlacedStep {
    int entry;      // index into danceSteps()
    int startStep;  // time step of its first frame
    int frames;
};

struct DancePlan {
    std::vector<Frame> poses;         // one per time step, startStep .. endStep
    std::vector<PlacedStep> steps;    // in time order
};

// Plans the dance: every step starts on a beat (on a downbeat for steps of two
// bars or more when downbeats are known), follows the posture it finds, does
// not start again within 8 beats of its last end, and is chosen by the
// loudness of its beats shifted by the energy, with seeded variety. Gaps are
// filled by eased moves within the joints' max speeds. Deterministic for the
// same request.
DancePlan planDance(const DanceRequest& request);

// The largest tolerance (µrad) fitRange may use; beyond it the dance would
// lose the shape of its steps.
inline constexpr std::int32_t kMaxFitTolerance = 69813;  // 4 degrees

struct FitResult {
    bool fits = false;              // the motion file's size limit is met
    std::int32_t tolerance = 0;     // 0 when no reduction was needed
};

// Writes the planned poses into the motion as one keyframe per time step over
// the range (the keyframes strictly inside the range are replaced; the range's
// end keyframes are created when missing), keeping every keyframe outside.
void writePlan(CMotionTrack& motion, int startStep, const std::vector<Frame>& poses);

// Removes keyframes strictly inside the range whose every channel lies within
// tolerance of the line between the keyframes kept around it. Kept keyframes
// are a subset of the old, so no joint leaves its limits and no segment gets
// faster. Returns the number removed.
int reduceWithin(CMotionTrack& motion, int startStep, int endStep, std::int32_t tolerance);

// Reduces the range with the smallest tolerance from a fixed ladder (up to
// kMaxFitTolerance) that makes the whole motion fit its file; nothing when it
// fits already.
FitResult fitRange(CMotionTrack& motion, int startStep, int endStep);

// Slows one column's moves between the range's ends to the channel's max
// speed, keeping both ends (used after the mouth generator, whose one level a
// keyframe is faster than the jaw at keyframes 80 ms apart).
void limitSpeed(CMotionTrack& motion, int column, int startStep, int endStep);

// Eye flashes on the beats inside the range: green for 2 LED steps on every
// beat, red too on downbeats; the other LED steps of the range go dark.
void flashEyesOnBeats(CLedTrack& leds, const beats::BeatGrid& grid, int startStep, int endStep);

// The longest range danced at once (two hours of time steps): the poses of a
// longer range would take memory out of all proportion to a motion file.
inline constexpr int kMaxDanceSteps = 90000;

struct MusicDanceInput {
    const beats::BeatGrid* beats = nullptr;
    const CWaveTrack* wave = nullptr;  // null when the sound has no samples (MIDI): flat loudness, no mouth
    int mouthThreshold = kDefaultMouthThreshold;
    int startStep = 0;  // the range's first and last time step (inclusive)
    int endStep = 0;
    MusicDanceSettings settings;
};

// One reduced segment of a motion bridges at most this many time steps, so
// a range of n steps keeps at least n / kMaxReduceSpan keyframes.
inline constexpr int kMaxReduceSpan = 64;

// The longest range (time steps) a dance can fill with this many keyframes of
// the motion file: at most half of them (after a reserve for the ends) may go
// to bridging rests, the rest is for the steps. 0 when too few to pace.
int longestDanceSteps(int keyframeBudget);

// When the range [startStep, endStep] of the motion is too long for its dance
// to fit the motion file beside the keyframes outside it, the longest range
// (time steps) that fits there; nothing when the range can be danced (or when
// the keyframes outside leave no room at all, which the fit reports).
std::optional<int> danceRangeLimit(const CMotionTrack& motion, int startStep, int endStep);

struct MusicDanceResult {
    std::vector<PlacedStep> steps;
    FitResult fit;
    // Set when the range was too long to fit the file: the longest range that
    // fits (time steps); nothing was changed.
    std::optional<int> tooLongBeyond;
};

// The whole command on the tracks of a full-body performance: plans the range
// from the motion's own poses at its ends, writes it, lets the mouth follow
// the sound and the eyes flash on the beats when asked, and fits the motion
// into its file. The pose at endStep stays when the range ends before the
// motion does, so the dance joins what follows.
MusicDanceResult danceToMusic(CMotionTrack& motion, CLedTrack& leds, const MusicDanceInput& input);

}  // namespace rova::dance
