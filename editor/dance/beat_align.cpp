#include "beat_align.h"

#include <algorithm>
#include <cmath>

#include "model/channels.h"

namespace rova::dance {
namespace {

constexpr double kDegreesPerMicroRad = 180.0 / 3141592.653589793;

// Distance (ms) from t to the nearest of the sorted beats, each moved by shift.
double nearestBeatMs(const std::vector<int>& beatsMs, double t, double shift) {
    const double target = t - shift;
    const auto at = std::lower_bound(beatsMs.begin(), beatsMs.end(), target,
                                     [](int b, double x) { return static_cast<double>(b) < x; });
    double best = INFINITY;
    if (at != beatsMs.end()) best = std::min(best, std::abs(*at - target));
    if (at != beatsMs.begin()) best = std::min(best, std::abs(*(at - 1) - target));
    return best;
}

// The typical beat interval (ms): the median of the intervals.
double beatInterval(const std::vector<int>& beatsMs) {
    std::vector<int> gaps;
    for (std::size_t i = 1; i < beatsMs.size(); ++i)
        if (beatsMs[i] > beatsMs[i - 1]) gaps.push_back(beatsMs[i] - beatsMs[i - 1]);
    if (gaps.empty()) return 0;
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
    return gaps[gaps.size() / 2];
}

}  // namespace

std::vector<double> overallSpeed(const std::vector<std::vector<std::int32_t>>& poses) {
    std::vector<double> speed(poses.size(), 0.0);
    const double perSecond = static_cast<double>(kMsPerSecond) / (2.0 * kMsPerStep);
    for (std::size_t s = 1; s + 1 < poses.size(); ++s) {
        double sum = 0;
        const std::size_t channels = std::min(poses[s - 1].size(), poses[s + 1].size());
        for (std::size_t c = 0; c < channels; ++c) {
            const double d = (static_cast<double>(poses[s + 1][c]) - poses[s - 1][c]) * kDegreesPerMicroRad;
            sum += d * d;
        }
        speed[s] = std::sqrt(sum) * perSecond;
    }
    return speed;
}

std::vector<std::vector<std::int32_t>> posesOf(const CMotionTrack& motion) {
    const int last = motion.totalTicks() / kTicksPerStep;
    std::vector<std::vector<std::int32_t>> poses;
    if (motion.keyframeCount() == 0 || motion.channelCount() <= 0) return poses;
    poses.reserve(static_cast<std::size_t>(last) + 1);
    for (int s = 0; s <= last; ++s) {
        std::vector<std::int32_t> pose(static_cast<std::size_t>(motion.channelCount()));
        for (int c = 0; c < motion.channelCount(); ++c) pose[static_cast<std::size_t>(c)] = motion.valueAtStep(s, c);
        poses.push_back(std::move(pose));
    }
    return poses;
}

std::vector<int> kinematicBeats(const std::vector<double>& speed) {
    std::vector<int> out;
    const int n = static_cast<int>(speed.size());
    const int w = kKinematicWindowSteps;
    auto same = [&](int a, int b) {
        return std::abs(speed[static_cast<std::size_t>(a)] - speed[static_cast<std::size_t>(b)]) <= kSpeedTieDegreesPerSecond;
    };
    // The speed is only known from step 1 to n - 2.
    for (int a = 1; a + 1 < n;) {
        int b = a;
        while (b + 2 < n && same(a, b + 1)) ++b;
        const double low = speed[static_cast<std::size_t>(a)];
        bool lowest = a - w >= 1 && b + w <= n - 2;
        for (int t = a - w; lowest && t <= b + w; ++t)
            if ((t < a || t > b) && speed[static_cast<std::size_t>(t)] <= low + kSpeedTieDegreesPerSecond) lowest = false;
        if (lowest) out.push_back(a + (b - a) / 2);
        a = b + 1;
    }
    return out;
}

double alignScore(const std::vector<int>& kinematicMs, const std::vector<int>& beatsMs, double shiftMs) {
    if (kinematicMs.empty() || beatsMs.empty()) return 0;
    double sum = 0;
    for (int k : kinematicMs) {
        const double d = nearestBeatMs(beatsMs, k, shiftMs);
        sum += std::exp(-d * d / (2 * kAlignSigmaMs * kAlignSigmaMs));
    }
    return sum / static_cast<double>(kinematicMs.size());
}

BeatAlign beatAlignOf(const std::vector<std::vector<std::int32_t>>& poses, const std::vector<int>& beatsMs) {
    BeatAlign r;
    std::vector<int> sorted = beatsMs;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> kinematicMs;
    for (int s : kinematicBeats(overallSpeed(poses))) kinematicMs.push_back(s * kMsPerStep);
    r.kinematicBeats = static_cast<int>(kinematicMs.size());
    if (kinematicMs.empty() || sorted.empty()) return r;
    r.beatAlign = alignScore(kinematicMs, sorted);
    const double interval = beatInterval(sorted);
    for (int i = 0; i < kChanceShifts; ++i) r.chance += alignScore(kinematicMs, sorted, interval * i / kChanceShifts);
    r.chance /= kChanceShifts;
    int near = 0;
    for (int k : kinematicMs)
        if (nearestBeatMs(sorted, k, 0) <= kNearBeatMs) ++near;
    r.withinMs80 = static_cast<double>(near) / static_cast<double>(kinematicMs.size());
    return r;
}

BeatAlign beatAlignOf(const CMotionTrack& motion, const std::vector<int>& beatsMs) {
    return beatAlignOf(posesOf(motion), beatsMs);
}

}  // namespace rova::dance
