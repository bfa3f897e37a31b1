#pragma once
// The music's pulse as the editor uses it: beat times on the sound's clock.
// Toolkit-free; filled by the MIDI tempo map, the audio beat tracker or a manual setting.

#include <vector>

namespace rova::beats {

enum class BeatSource { None, Midi, Audio, Manual };

struct BeatGrid {
    BeatSource source = BeatSource::None;
    double bpm = 0.0;                 // tempo; 0 when there are no beats
    std::vector<int> beatsMs;         // every beat, ascending, ms from the sound's start
    bool downbeatsKnown = false;      // true for MIDI (bar starts); audio usually false
    std::vector<int> downbeatsMs;     // bar starts, a subset of beatsMs; empty when unknown

    bool empty() const { return beatsMs.empty(); }
};

}  // namespace rova::beats
