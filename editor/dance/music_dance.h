// Dance to the Music: a choreography for a range of a full-body motion, made
// of library steps time-warped onto the music's beats so that the motion turns
// and rests on them, with eased moves of our own between steps; and the stages
// after the plan (writing, fitting the file, the mouth, the eyes).
// Toolkit-free: the beats and the loudness come in as plain data, so the
// planner is testable without any sound analysis.
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/beat_grid.h"
#include "choreography.h"
#include "dance_rules.h"
#include "step_catalog.h"
#include "model/motion_track.h"

namespace rova::dance {

inline constexpr int kDefaultMouthThreshold = 30;

enum class Energy { Low, Medium, High };
// Which joints dance: all of them, only the head, mouth and tail (the legs
// hold the pose they start in), or only the legs.
enum class BodyPart { Whole, HeadTail, Legs };

// What the user chose in the dialog (and what the tool's verb gives).
struct MusicDanceSettings {
    Energy energy = Energy::Medium;
    std::uint32_t seed = 1;
    bool eyes = false;
    bool mouth = false;
    bool keepPosture = false;  // no step changes between standing, sitting and lying
    BodyPart body = BodyPart::Whole;
    bool operator==(const MusicDanceSettings&) const = default;
};

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
    bool keepPosture = false;
    BodyPart body = BodyPart::Whole;
    // The fewest beats between two accents: raised when the motion file
    // cannot hold the dance at the energy's own spacing.
    int minSpacingBeats = 1;
    ScoreWeights weights;
};

struct PlacedStep {
    int entry;      // index into danceSteps()
    int startStep;  // time step of its first frame (on a beat)
    int frames;     // time steps it spans, both ends included, once warped onto the beats
    ScoreTerms why{};  // the terms of its score when it was chosen
};

struct DancePlan {
    std::vector<Frame> poses;         // one per time step, startStep .. endStep
    std::vector<PlacedStep> steps;    // in time order
    std::vector<int> accents;         // time steps where the motion turns or rests on a beat, ascending
};

// Plans the dance on the beats: the range's accented beats (spaced by the
// energy and each phrase's loudness) carry the library steps' own accents,
// each phrase of a step time-warped onto a whole number of accents within the
// joints' speeds, so the motion turns or rests on the beats and nowhere else.
// Steps start on beats (on a downbeat for steps of two bars or more when
// downbeats are known), follow the posture they find, do not start again
// within 8 beats of their last end, and are chosen by the loudness of their
// beats shifted by the energy; 4-bar phrases repeat and vary (A A′ B A). The
// Vary number picks the opening and the phrase plan and breaks near-ties.
// Eased moves from accent to accent join the steps. Deterministic for the
// same request.
DancePlan planDance(const DanceRequest& request);

// The largest tolerance (µrad) fitRange may use; beyond it the dance would
// lose the shape of its steps.
inline constexpr std::int32_t kMaxFitTolerance = 69813;  // 4 degrees

// The tolerance of a reduction that keeps only the accents (and a keyframe
// every kMaxReduceSpan steps between them): the moves between accents become
// straight lines.
inline constexpr std::int32_t kAccentsOnly = INT32_MAX;

struct FitResult {
    bool fits = false;              // the motion file's size limit is met
    std::int32_t tolerance = 0;     // 0 when no reduction was needed; kAccentsOnly
};

// Writes the planned poses into the motion as one keyframe per time step over
// the range (the keyframes strictly inside the range are replaced; the range's
// end keyframes are created when missing), keeping every keyframe outside.
void writePlan(CMotionTrack& motion, int startStep, const std::vector<Frame>& poses);

// Removes keyframes strictly inside the range whose every channel lies within
// tolerance of the line between the keyframes kept around it. Kept keyframes
// are a subset of the old, so no joint leaves its limits and no segment gets
// faster. The keyframes at the anchors (time steps, ascending) always stay.
// Returns the number removed.
int reduceWithin(CMotionTrack& motion, int startStep, int endStep, std::int32_t tolerance,
                 const std::vector<int>& anchors = {});

// Reduces the range with the smallest tolerance from a fixed ladder (up to
// kMaxFitTolerance) that makes the whole motion fit its file, keeping the
// keyframes at the anchors; then, with anchors, to the anchors alone
// (kAccentsOnly). Nothing when it fits already.
FitResult fitRange(CMotionTrack& motion, int startStep, int endStep, const std::vector<int>& anchors = {});

// Slows one column's moves between the range's ends to the channel's max
// speed, keeping both ends (used after the mouth generator, whose one level a
// keyframe is faster than the jaw at keyframes 80 ms apart).
void limitSpeed(CMotionTrack& motion, int column, int startStep, int endStep);

// Makes one column move in straight lines from accent to accent (time steps,
// ascending): at every keyframe strictly between two accents its value is on
// the line between theirs, so the column turns only on the accents and moves
// no faster than before. Used on the jaw after Generate Mouth, whose level a
// keyframe would otherwise open and close it on the sound's syllables rather
// than on the beat.
void lineBetweenAccents(CMotionTrack& motion, int column, const std::vector<int>& accents);

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
