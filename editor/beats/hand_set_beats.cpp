// Beats set by hand: the grid of a setting, and the Beats dialog's
// corrections (Half, Double, Tap, beats a bar, a bar start). Standard library
// only, so that the NAME.BPM fuzz target builds it without the tracker.
#include <algorithm>
#include <cmath>

#include "beats/bars.h"
#include "beats/beats.h"

namespace rova::beats {

namespace {

double oneDecimal(double bpm) { return std::round(bpm * 10) / 10; }

double intervalMs(double bpm) { return 60000.0 / bpm; }

bool inTempoRange(double bpm) { return bpm >= kMinBpm && bpm <= kMaxBpm; }

// The tempo of a list of beats: its median interval's, one decimal.
double medianBpm(const std::vector<int>& beatsMs) {
    if (beatsMs.size() < 2) return 0;
    std::vector<int> gaps;
    gaps.reserve(beatsMs.size() - 1);
    for (std::size_t i = 1; i < beatsMs.size(); ++i) gaps.push_back(beatsMs[i] - beatsMs[i - 1]);
    const auto mid = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2);
    std::nth_element(gaps.begin(), mid, gaps.end());
    return *mid > 0 ? oneDecimal(60000.0 / *mid) : 0;
}

// The index of the beat nearest ms (ties: the earlier); beats not empty.
std::size_t nearestBeat(const std::vector<int>& beatsMs, std::int64_t ms) {
    const auto i = static_cast<std::size_t>(
        std::lower_bound(beatsMs.begin(), beatsMs.end(), ms, [](int b, std::int64_t t) { return b < t; }) -
        beatsMs.begin());
    if (i == 0) return 0;
    if (i == beatsMs.size()) return i - 1;
    return ms - beatsMs[i - 1] <= beatsMs[i] - ms ? i - 1 : i;
}

// The index of the even beat nearest ms, counted from the first beat (never before it).
std::int64_t nearestEvenBeat(const BpmSetting& s, std::int64_t ms) {
    if (ms <= s.offsetMs) return 0;
    return std::llround(static_cast<double>(ms - s.offsetMs) / intervalMs(s.bpm));
}

std::int64_t evenBeatMs(const BpmSetting& s, std::int64_t k) {
    return s.offsetMs + std::llround(static_cast<double>(k) * intervalMs(s.bpm));
}

// A setting whose beats are its own list, made consistent: first beat and median tempo.
std::optional<BpmSetting> withBeatList(BpmSetting s, std::vector<int> beatsMs) {
    if (beatsMs.size() < 2) return std::nullopt;
    s.bpm = medianBpm(beatsMs);
    if (!inTempoRange(s.bpm)) return std::nullopt;
    s.offsetMs = beatsMs.front();
    s.beatsMs = std::move(beatsMs);
    return s;
}

}  // namespace

bool validSetting(const BpmSetting& s) {
    if (!inTempoRange(s.bpm) || s.offsetMs < 0 || s.offsetMs > kMaxOffsetMs) return false;
    if (s.beatsPerBar < 0 || s.beatsPerBar > kMaxBeatsPerBar || s.downbeatMs < 0 || s.downbeatMs > kMaxOffsetMs)
        return false;
    if (s.beatsPerBar == 0 && s.downbeatMs != 0) return false;
    if (s.beatsMs.empty()) return true;
    if (s.beatsMs.size() > kMaxBeats || s.beatsMs.front() != s.offsetMs || s.beatsMs.back() > kMaxOffsetMs) return false;
    return std::adjacent_find(s.beatsMs.begin(), s.beatsMs.end(), [](int a, int b) { return b <= a; }) ==
           s.beatsMs.end();
}

BeatGrid evenBeats(const BpmSetting& setting, std::int64_t lengthMs) {
    BeatGrid grid;
    grid.source = BeatSource::Manual;
    grid.bpm = setting.bpm;
    if (!inTempoRange(setting.bpm) || setting.offsetMs < 0) return grid;
    const std::int64_t end = std::min<std::int64_t>(lengthMs, INT32_MAX);
    for (std::size_t k = 0; k < kMaxBeats; ++k) {
        const std::int64_t at = evenBeatMs(setting, static_cast<std::int64_t>(k));
        if (at >= end) break;
        grid.beatsMs.push_back(static_cast<int>(at));
    }
    return grid;
}

BeatGrid handSetGrid(const BpmSetting& setting, std::int64_t lengthMs) {
    BeatGrid grid;
    if (setting.beatsMs.empty()) {
        grid = evenBeats(setting, lengthMs);
    } else {
        grid.source = BeatSource::Manual;
        grid.bpm = setting.bpm;
        const auto end = std::lower_bound(setting.beatsMs.begin(), setting.beatsMs.end(), lengthMs,
                                          [](int b, std::int64_t t) { return b < t; });
        grid.beatsMs.assign(setting.beatsMs.begin(), end);
    }
    if (setting.beatsPerBar <= 0 || grid.beatsMs.empty()) return grid;
    const auto perBar = static_cast<std::size_t>(setting.beatsPerBar);
    const std::size_t phase = nearestBeat(grid.beatsMs, setting.downbeatMs) % perBar;
    for (std::size_t i = phase; i < grid.beatsMs.size(); i += perBar) grid.downbeatsMs.push_back(grid.beatsMs[i]);
    grid.downbeatsKnown = true;
    grid.beatsPerBar = setting.beatsPerBar;
    return grid;
}

std::optional<BpmSetting> halfTempo(const BpmSetting& setting) {
    // Every other beat goes; the bar starts' beats stay.
    if (!setting.beatsMs.empty()) {
        const std::size_t keep =
            setting.beatsPerBar > 0 ? nearestBeat(setting.beatsMs, setting.downbeatMs) % 2 : 0;
        std::vector<int> kept;
        for (std::size_t i = keep; i < setting.beatsMs.size(); i += 2) kept.push_back(setting.beatsMs[i]);
        return withBeatList(setting, std::move(kept));
    }
    BpmSetting s = setting;
    s.bpm = oneDecimal(setting.bpm / 2);
    if (!inTempoRange(s.bpm)) return std::nullopt;
    if (setting.beatsPerBar > 0 && nearestEvenBeat(setting, setting.downbeatMs) % 2 != 0)
        s.offsetMs = static_cast<int>(std::min<std::int64_t>(evenBeatMs(setting, 1), kMaxOffsetMs));
    return s;
}

std::optional<BpmSetting> doubleTempo(const BpmSetting& setting) {
    if (!setting.beatsMs.empty()) {
        std::vector<int> both;
        both.reserve(setting.beatsMs.size() * 2);
        for (std::size_t i = 0; i < setting.beatsMs.size(); ++i) {
            both.push_back(setting.beatsMs[i]);
            if (i + 1 < setting.beatsMs.size())
                both.push_back(setting.beatsMs[i] + (setting.beatsMs[i + 1] - setting.beatsMs[i]) / 2);
        }
        if (both.size() > kMaxBeats) return std::nullopt;
        return withBeatList(setting, std::move(both));
    }
    BpmSetting s = setting;
    s.bpm = oneDecimal(setting.bpm * 2);
    if (!inTempoRange(s.bpm)) return std::nullopt;
    return s;
}

std::optional<BpmSetting> tappedTempo(const BpmSetting& setting, const std::vector<std::int64_t>& tapsMs) {
    if (tapsMs.size() < 2) return std::nullopt;
    // Least squares over (tap number, time): the slope is the beat interval.
    const double n = static_cast<double>(tapsMs.size());
    double meanK = (n - 1) / 2, meanT = 0;
    for (std::int64_t t : tapsMs) meanT += static_cast<double>(t) / n;
    double cov = 0, var = 0;
    for (std::size_t k = 0; k < tapsMs.size(); ++k) {
        const double dk = static_cast<double>(k) - meanK;
        cov += dk * (static_cast<double>(tapsMs[k]) - meanT);
        var += dk * dk;
    }
    if (!(cov > 0)) return std::nullopt;
    BpmSetting s = setting;
    s.bpm = oneDecimal(60000.0 / (cov / var));  // the slope: ms a beat
    if (!inTempoRange(s.bpm)) return std::nullopt;
    s.beatsMs.clear();
    // A beat falls where the fitted line has a middle tap (so the tempo's
    // rounding to a tenth shifts the taps least). The first beat is the
    // grid's beat nearest where the old first beat was.
    const double slope = cov / var;
    const double anchor = meanT - slope * (meanK - std::floor(meanK));
    const double interval = intervalMs(s.bpm);
    const double from = static_cast<double>(setting.offsetMs) - interval / 2;
    double first = anchor - std::floor((anchor - from) / interval) * interval;
    if (first < 0) first += interval * std::ceil(-first / interval);
    s.offsetMs = static_cast<int>(std::min<std::int64_t>(std::llround(first), kMaxOffsetMs));
    return s;
}

BpmSetting withBeatsPerBar(const BpmSetting& setting, int beatsPerBar) {
    BpmSetting s = setting;
    s.beatsPerBar = std::clamp(beatsPerBar, 0, kMaxBeatsPerBar);
    if (s.beatsPerBar == 0) s.downbeatMs = 0;
    else if (setting.beatsPerBar == 0) s.downbeatMs = setting.offsetMs;
    return s;
}

BpmSetting withDownbeat(const BpmSetting& setting, std::int64_t ms) {
    BpmSetting s = setting;
    if (s.beatsPerBar == 0) s.beatsPerBar = kAssumedBeatsPerBar;
    const std::int64_t at = setting.beatsMs.empty() ? evenBeatMs(setting, nearestEvenBeat(setting, ms))
                                                    : setting.beatsMs[nearestBeat(setting.beatsMs, ms)];
    s.downbeatMs = static_cast<int>(std::clamp<std::int64_t>(at, 0, kMaxOffsetMs));
    return s;
}

}  // namespace rova::beats
