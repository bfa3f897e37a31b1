// The beats of a danced range as the planner uses them: time steps, bars,
// 4-bar phrases, the liveliness the music asks for on each beat, and the
// accents (the beats where moves turn or rest), spaced by the energy and the
// phrase's loudness.
#pragma once

#include <vector>

#include "music_dance.h"

namespace rova::dance {

struct BeatPoint {
    int step;       // the time step nearest the beat
    bool down;      // a downbeat
    double target;  // the liveliness the music asks for, 0..1
};

struct Accent {
    int step;
    int beat;  // index into BeatFrame::beats; -1 for the range's first step, which is no beat
    bool down;
};

struct BeatFrame {
    std::vector<BeatPoint> beats;   // inside the range, one a time step at most, ascending
    double beatSteps = 6.25;        // time steps a beat (the median interval)
    int beatsPerBar = 4;
    int firstBar = 0;               // index of the first downbeat (0 when unknown)
    bool downbeatsKnown = false;
    std::vector<Accent> accents;    // the range's first step, then the accented beats
    std::vector<int> phraseSpacing; // beats between accents in each phrase from the first bar
    // Index of the beat each phrase from the first bar starts on: every fourth
    // downbeat, so a bar of another length (a change of metre, a beat slipped
    // at a change of tempo) does not carry the phrases off the bar lines.
    std::vector<int> phraseStarts;
};

// Beats in a phrase: four bars.
inline constexpr int kPhraseBars = 4;
// The accent spacing asked of each energy, in milliseconds: about a beat at
// 200 BPM (high), at 110 BPM (medium) and at 75 BPM (low); the
// spacing is the fewest beats (1, 2, 4, 8, ...) that reach it.
inline constexpr int kHighAccentMs = 300;
inline constexpr int kMediumAccentMs = 540;
inline constexpr int kLowAccentMs = 800;
// Phrases louder than this share of the song's loudest accent twice as
// often; quieter than the second, half as often.
inline constexpr double kLoudPhrase = 0.75;
inline constexpr double kQuietPhrase = 0.35;
// Two accents at least this many time steps apart, so that each is the
// lowest speed within ±2 steps.
inline constexpr int kMinAccentSteps = 3;

// The beat frame of a request, with accents at least minSpacingBeats apart.
BeatFrame beatFrameOf(const DanceRequest& request, int minSpacingBeats);

// The liveliness the music asks for at a loudness (0..1) and energy.
double livelinessTarget(double loud, Energy energy);

}  // namespace rova::dance
