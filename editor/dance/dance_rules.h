// What Dance to the Music may and would rather do: the hard rules as named
// predicates (a candidate step breaking one is never scored), and the score
// of the legal ones as a weighted sum of named terms, each 0..1.
#pragma once

#include "step_catalog.h"

namespace rova::dance {

// No step comes back within this many beats of the end of its last use.
inline constexpr int kRepeatGapBeats = 8;
// A step lasting two bars or more starts on the first beat of a bar.
inline constexpr int kLongStepBars = 2;

// --- Hard rules ---

// The step starts in the posture the dance is in.
inline bool postureFits(const StepTraits& s, Posture now) { return s.start == now; }
// With "Keep posture" (or only the head and tail dancing, the legs still)
// no step changes posture.
inline bool keepsPosture(const StepTraits& s, bool keep) { return !keep || s.start == s.end; }
// The step's first beat is at least kRepeatGapBeats after its last use ended.
inline bool pastRepeatGap(int startBeat, int lastEndBeat) { return startBeat >= lastEndBeat + kRepeatGapBeats; }
// A long step starts on a downbeat (when the bars are known).
inline bool onBarIfLong(int spanBeats, int beatsPerBar, bool downbeatsKnown, bool onDownbeat) {
    return !downbeatsKnown || spanBeats < kLongStepBars * beatsPerBar || onDownbeat;
}
// After the step there is still time for the way home and the ease into
// what follows the range.
inline bool leavesRoomToGoHome(int endStep, int reserveSteps, int rangeEnd) { return endStep + reserveSteps <= rangeEnd; }

// --- Preferences ---

// The terms of one candidate's score, each 0 (worst) .. 1 (best).
struct ScoreTerms {
    double liveliness = 0;   // 1 - |step's liveliness - what the music asks for over its beats| (a fixed share for a posture change)
    double freshness = 0;    // 1 for an unused step, less with every use, 0 when among the last few
    double downbeatSize = 0; // on a downbeat: the step's size rank; elsewhere 0.5
    double promptness = 0;   // 1 when it starts on the first beat it can, less for every beat it waits
    double postureStay = 0;  // 1 for a step that keeps the posture; a change gains appeal as the posture lasts
    double calm = 0;         // 0 for lying down (for short spells), else 1
    double structure = 0;    // 1 when it is the step the phrase repeats (A A′ B A), else 0
    double accentFit = 0;    // its phrases over the accents they take: 1 when every phrase turns on the next accent
    double jitter = 0;       // the Vary number's random share
};

struct ScoreWeights {
    // The music's liveliness is the main reason for a choice: a full
    // mismatch (2.5) outweighs the jitter (0.6) and freshness (1.2) together.
    double liveliness = 2.5;
    // Variety: a used step loses up to 1.2, enough to let a close second
    // through but not a step of the wrong liveliness.
    double freshness = 1.2;
    // Larger moves on downbeats: a light preference, below a fifth of a
    // liveliness mismatch.
    double downbeatSize = 0.4;
    // Waiting is a rest; waiting four beats costs about as much as a used step.
    double promptness = 1.0;
    // A posture change must be clearly wanted: it costs more than the
    // jitter can give.
    double postureStay = 1.0;
    // Lying down is for short spells: a little less than a fifth of the
    // liveliness weight, so a well-matched lying step still wins now and then.
    double calm = 0.3;
    // A repeated phrase outweighs every preference but a liveliness mismatch
    // of more than 0.8 of the range: the repeat stays musical.
    double structure = 2.0;
    // The Vary number breaks near-ties only: its full range (0.6) is below a
    // quarter of a liveliness mismatch.
    double jitter = 0.6;
    // A step whose phrases each fit one accent turns on every beat the energy
    // asks for; one that needs two accents a phrase halves that. Worth about
    // a third of a liveliness mismatch.
    double accentFit = 0.8;
};

inline double totalScore(const ScoreTerms& t, const ScoreWeights& w) {
    return w.liveliness * t.liveliness + w.freshness * t.freshness + w.downbeatSize * t.downbeatSize +
           w.promptness * t.promptness + w.postureStay * t.postureStay + w.calm * t.calm + w.structure * t.structure +
           w.jitter * t.jitter + w.accentFit * t.accentFit;
}

}  // namespace rova::dance
