// Bars and beats for people: where bars start and which bar and beat a time
// falls in, for the ruler's bar row and the status bar. Toolkit-free.
#pragma once

#include <cstdint>
#include <vector>

#include "beats/beat_grid.h"

namespace rova::beats {

// Beats a bar when the sound does not say (the audio tracker finds no bar
// starts): four, the metre of almost all dance music.
inline constexpr int kAssumedBeatsPerBar = 4;

// The time of every bar start, ascending: the grid's downbeats when it knows
// them, else every fourth beat from the first. Bar 1 starts at the first entry.
std::vector<int> barStartsMs(const BeatGrid& grid);

struct BarBeat {
    int bar = 0;   // from 1; 0 before the first bar or without beats
    int beat = 0;  // from 1 within the bar
};

// The bar and beat a time falls in: the last bar start and beat at or before
// it. bars is barStartsMs(grid).
BarBeat barBeatAt(const BeatGrid& grid, const std::vector<int>& bars, std::int64_t ms);

}  // namespace rova::beats
