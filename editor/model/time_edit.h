// Editing in time: moving, inserting, deleting and duplicating stretches of
// the motion and eye-light tracks on chosen rows. Each edit is planned from
// the tracks as they are into new track contents, so that a caller can refuse
// a result (the motion file's keyframe budget) before anything changes, and
// then apply it in one piece.
//
// Times are time steps (80 ms) as the view selects them; a range [start,
// start + length) holds the keyframes whose time t satisfies
// 5 × start ≤ t < 5 × (start + length). Every track keeps its length: the
// motion its total ticks, the eye lights their step count.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "motion_track.h"

namespace rova {

enum class TimeEditKind { Move, Insert, Delete, Duplicate };

struct TimeEdit {
    TimeEditKind kind = TimeEditKind::Move;
    int start = 0;   // first time step of the range; Insert: the point
    int length = 0;  // time steps in the range; Insert: the time steps inserted
    int to = 0;      // Move and Duplicate: the time step where the range's start lands
};

// The rows an edit changes: motion columns (bit c for column c of the track)
// and eye lights (bit 0 green, bit 1 red, as in the LED bytes).
struct TimeRows {
    std::uint32_t columns = 0;
    unsigned ledBits = 0;
    bool empty() const { return columns == 0 && ledBits == 0; }
};

// The LED step nearest to the time of time step s (LED steps are 1/12 s, time
// steps 80 ms): 24 × s / 25 rounded half away from zero. Lengths convert the
// same way, so a range of n time steps covers the same number of LED steps
// wherever it lies, and an edit and its inverse move the same LED steps.
std::int64_t ledStepOfTimeStep(std::int64_t step);

// The last time step the tracks cover (the larger of the motion's and the
// eye lights'); 0 for empty tracks.
int lastTimeStep(const CMotionTrack& motion, const CLedTrack& leds);

// The motion after an edit of the chosen columns.
struct MotionTimeResult {
    std::vector<std::int32_t> block;  // keyframe records as CMotionTrack keeps them
    int count = 0;
    std::int64_t droppedTicks = 0;  // motion pushed past the end (or before the start) and lost
};

// Plans the edit on the columns of a motion track (kind not 0, columns not 0).
//
// - Move: the keyframes of the range, with the motion at the range's first
//   and last step pinned as keyframes where none lie, move by (to − start)
//   steps; keyframes already at the destination go; the place the range left
//   keeps only the keyframes either side, so the motion runs straight between
//   them.
// - Duplicate: as Move, but the range keeps its keyframes.
// - Insert: keyframes at or after the point move later by the length; the
//   pose at the point holds through the inserted time.
// - Delete: the range's keyframes go and what follows moves earlier by the
//   length, starting with the pose at the range's end; the last pose holds to
//   the end.
//
// Keyframes that land past the end are dropped and the motion at the end is
// kept as a keyframe there (likewise before the start). Columns not chosen
// keep their motion; where the chosen ones need keyframes at new times, the
// others get their interpolated values there. Keyframes sharing one time
// become one.
MotionTimeResult planMotionTimeEdit(const CMotionTrack& track, std::uint32_t columns, const TimeEdit& edit);

// The eye lights after an edit of the chosen bits.
struct LedTimeResult {
    std::vector<std::uint8_t> steps;
    std::int64_t droppedSteps = 0;  // LED steps pushed past the end and lost
};

// Plans the edit on the bits of an eye-light track: the same edits step by
// step. The place a move leaves is dark, as is inserted time; after a delete
// the last state holds to the end.
LedTimeResult planLedTimeEdit(const CLedTrack& leds, unsigned bits, const TimeEdit& edit);

// A whole edit on both tracks, planned but not applied.
struct TimeEditPlan {
    std::optional<MotionTimeResult> motion;  // none when no motion column is edited
    std::optional<LedTimeResult> leds;       // none when no eye is edited
    int keyframes = 0;                       // the motion's keyframe count after the edit
    int budget = 0;                          // the most keyframes its file can hold
    bool fits = true;                        // within the budget (or not grown)
    std::int64_t droppedMs = 0;              // what was lost at the ends, ms: the motion's, else the eye lights'
};

TimeEditPlan planTimeEdit(const CMotionTrack& motion, const CLedTrack& leds, const TimeRows& rows,
                          const TimeEdit& edit);

// Puts a plan into the tracks; a track whose content changes is marked
// modified. True when anything changed.
bool applyTimeEdit(CMotionTrack& motion, CLedTrack& leds, TimeEditPlan plan);

}  // namespace rova
