#include "beat_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rova::dance {
namespace {

int accentMs(Energy energy) {
    switch (energy) {
    case Energy::Low: return kLowAccentMs;
    case Energy::High: return kHighAccentMs;
    case Energy::Medium: break;
    }
    return kMediumAccentMs;
}

}  // namespace

double livelinessTarget(double loud, Energy energy) {
    switch (energy) {
    case Energy::Low: return 0.7 * loud;
    case Energy::Medium: return 0.1 + 0.8 * loud;
    case Energy::High: return 0.35 + 0.65 * loud;
    }
    return loud;
}

BeatFrame beatFrameOf(const DanceRequest& r, int minSpacingBeats) {
    BeatFrame frame;
    const beats::BeatGrid& grid = *r.beats;
    frame.downbeatsKnown = grid.downbeatsKnown && !grid.downbeatsMs.empty();
    double maxLoud = 0;
    for (double l : r.loudness) maxLoud = std::max(maxLoud, l);
    std::vector<double> loud;
    int prev = r.startStep - 1;
    std::vector<int> sorted = grid.beatsMs;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < grid.beatsMs.size(); ++i) {
        const int ms = grid.beatsMs[i];
        if (ms < 0) continue;
        const int step = static_cast<int>((static_cast<std::int64_t>(ms) + kMsPerStep / 2) / kMsPerStep);
        if (step <= prev || step > r.endStep) continue;  // one beat a time step, in order
        prev = step;
        const bool down =
            frame.downbeatsKnown && std::binary_search(grid.downbeatsMs.begin(), grid.downbeatsMs.end(), ms);
        const double l = i < r.loudness.size() && maxLoud > 0 ? std::clamp(r.loudness[i] / maxLoud, 0.0, 1.0) : 0.5;
        frame.beats.push_back({step, down, livelinessTarget(l, r.energy)});
        loud.push_back(l);
    }
    std::vector<int> gaps;
    for (std::size_t i = 1; i < frame.beats.size(); ++i) gaps.push_back(frame.beats[i].step - frame.beats[i - 1].step);
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
        frame.beatSteps = gaps[gaps.size() / 2];
    }
    if (grid.beatsPerBar > 0) frame.beatsPerBar = std::clamp(grid.beatsPerBar, 2, 16);
    for (std::size_t i = 0; i < frame.beats.size(); ++i)
        if (frame.beats[i].down) {
            frame.firstBar = static_cast<int>(i);
            break;
        }

    // Accents phrase by phrase: the energy's spacing, doubled in quiet
    // phrases and halved in loud ones, never closer than the floor.
    frame.accents.push_back({r.startStep, -1, false});
    const int phrase = kPhraseBars * frame.beatsPerBar;
    const double beatMs = frame.beatSteps * kMsPerStep;
    int base = 1;
    while (base < 64 && base * beatMs < accentMs(r.energy)) base *= 2;
    const int n = static_cast<int>(frame.beats.size());
    // The phrases start at the first bar; the beats before it are a pickup.
    int bars = 0;
    for (int i = frame.firstBar; i < n; ++i) {
        const bool barLine = frame.downbeatsKnown ? frame.beats[static_cast<std::size_t>(i)].down
                                                  : (i - frame.firstBar) % frame.beatsPerBar == 0;
        if (barLine && bars++ % kPhraseBars == 0) frame.phraseStarts.push_back(i);
    }
    // The stretch [from, to) and the index of the phrase start that ends it.
    std::size_t next = frame.firstBar > 0 ? 0 : 1;
    auto endOf = [&](int start) { return next < frame.phraseStarts.size() ? frame.phraseStarts[next] : std::min(n, start + phrase); };
    int from = 0;
    int to = endOf(from);
    while (from < n) {
        double sum = 0;
        for (int b = from; b < to; ++b) sum += loud[static_cast<std::size_t>(b)];
        const double mean = to > from ? sum / (to - from) : 0.5;
        int spacing = base;
        if (mean >= kLoudPhrase) spacing = std::max(1, spacing / 2);
        else if (mean <= kQuietPhrase) spacing *= 2;
        spacing = std::max(spacing, minSpacingBeats);
        if (from >= frame.firstBar) frame.phraseSpacing.push_back(spacing);
        for (int b = from; b < to; b += spacing) {
            const BeatPoint& beat = frame.beats[static_cast<std::size_t>(b)];
            if (beat.step - frame.accents.back().step < kMinAccentSteps) continue;
            frame.accents.push_back({beat.step, b, beat.down});
        }
        from = to;
        ++next;
        to = endOf(from);
    }
    return frame;
}

}  // namespace rova::dance
