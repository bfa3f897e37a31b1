#include "beats/bars.h"

#include <algorithm>

namespace rova::beats {

std::vector<int> barStartsMs(const BeatGrid& grid) {
    if (grid.downbeatsKnown && !grid.downbeatsMs.empty()) return grid.downbeatsMs;
    std::vector<int> bars;
    for (std::size_t i = 0; i < grid.beatsMs.size(); i += kAssumedBeatsPerBar) bars.push_back(grid.beatsMs[i]);
    return bars;
}

BarBeat barBeatAt(const BeatGrid& grid, const std::vector<int>& bars, std::int64_t ms) {
    const auto bar = std::upper_bound(bars.begin(), bars.end(), ms);
    if (bar == bars.begin()) return {};
    const int barStart = *(bar - 1);
    // Beats from the bar's start up to the time, the bar's start being beat 1.
    const auto first = std::lower_bound(grid.beatsMs.begin(), grid.beatsMs.end(), barStart);
    const auto last = std::upper_bound(grid.beatsMs.begin(), grid.beatsMs.end(), ms);
    const int beat = static_cast<int>(std::max<std::ptrdiff_t>(1, last - first));
    return {static_cast<int>(bar - bars.begin()), beat};  // bars counted from 1
}

}  // namespace rova::beats
