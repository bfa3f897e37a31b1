// The music's pulse as the editor uses it: beat times on the sound's clock.
// Toolkit-free; filled by the MIDI tempo map, the audio beat tracker or a manual
// setting (the beats library), and used by the dance generator, which needs only
// this plain value, not the analysis: so it lives with the model. It keeps the
// beats namespace that every user already names it by.
#pragma once

#include <vector>

namespace rova::beats {

enum class BeatSource { None, Midi, Audio, Manual };

struct BeatGrid {
    BeatSource source = BeatSource::None;
    double bpm = 0.0;                 // tempo; 0 when there are no beats
    std::vector<int> beatsMs;         // every beat, ascending, ms from the sound's start
    bool downbeatsKnown = false;      // true when bar starts are known (MIDI, audio with a metre found)
    std::vector<int> downbeatsMs;     // bar starts, a subset of beatsMs; empty when unknown
    int beatsPerBar = 0;              // the metre's beats a bar (2, 3, 4, ...); 0 when unknown
    // How sure the audio tracker is of a steady pulse, 0..1; exact grids (MIDI,
    // set by hand) are sure. Audio below kUnsureConfidence is shown with a question.
    double confidence = 1.0;
    // Audio only: the pulse was found nearly as well at twice this tempo, so
    // the music may be twice as fast (the tempo is then unsure too).
    bool mayBeTwiceAsFast = false;

    bool empty() const { return beatsMs.empty(); }
};

inline constexpr double kUnsureConfidence = 0.5;

}  // namespace rova::beats
