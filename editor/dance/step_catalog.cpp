#include "step_catalog.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "beat_align.h"
#include "dance_steps.h"

namespace rova::dance {
namespace {

constexpr double kMicroRadPerDegree = 3141592.653589793 / 180.0;
constexpr double kSecondsPerStep = kMsPerStep / 1000.0;
// A smoothstep's fastest frame is 1.5 times its average.
constexpr double kEasePeak = 1.5;
// Library steps are used only when no frame exceeds the max speed; the check
// flags segments only above 1.1 times it.
constexpr double kStepSpeedShare = 1.0;
// A phrase shorter than this many frames (240 ms) is joined to the next: on a
// beat of its own it would be a twitch.
constexpr int kMinSegmentFrames = 3;
// The slowest a phrase is ever warped to; far beyond any beat.
constexpr int kMaxWarpSteps = 600;
// A warp passes at most this many of the step's frames in one time step (at
// its fastest, 1.5 times its mean): more would skip over the step's own
// turns, leaving out what makes it that step.
constexpr double kMaxFramesPerStep = 2.0;

std::int32_t lowerLimit(int c) { return valueFromDegrees(kChannelInfo[static_cast<std::size_t>(c)].lower); }
std::int32_t upperLimit(int c) { return valueFromDegrees(kChannelInfo[static_cast<std::size_t>(c)].upper); }

std::vector<Frame> framesOf(int entry) {
    const DanceStep& step = danceSteps()[static_cast<std::size_t>(entry)];
    std::vector<Frame> frames;
    for (int f = 0; f < step.frameCount; ++f) frames.push_back(stepFrame(entry, f));
    return frames;
}

double distanceDegrees(const Frame& a, const Frame& b) {
    double sum = 0;
    for (std::size_t c = 0; c < a.size(); ++c) {
        const double d = (static_cast<double>(a[c]) - b[c]) / kMicroRadPerDegree;
        sum += d * d;
    }
    return std::sqrt(sum);
}

// Whether the frames of a warp stay within every joint's share of its speed.
bool withinSpeed(const Frame& start, const std::vector<Frame>& frames) {
    const Frame* prev = &start;
    for (const Frame& f : frames) {
        for (int c = 0; c < kChannelCount; ++c) {
            const std::size_t i = static_cast<std::size_t>(c);
            if (std::abs(static_cast<double>(f[i]) - (*prev)[i]) > kMoveSpeedShare * maxMovePerStep(c)) return false;
        }
        prev = &f;
    }
    return true;
}

// The phrases of a step: cut at its kinematic beats (the same rule the Beat
// Align Score uses), holds left out, too-short phrases joined.
std::vector<StepSegment> segmentsOf(int entry, const std::vector<Frame>& frames) {
    const int n = static_cast<int>(frames.size());
    std::vector<std::vector<std::int32_t>> poses;
    for (const Frame& f : frames) poses.emplace_back(f.begin(), f.end());
    std::vector<int> accents{0};
    for (int a : kinematicBeats(overallSpeed(poses)))
        if (a > 0 && a < n - 1) accents.push_back(a);
    accents.push_back(n - 1);
    auto arrive = [&](int a) {
        while (a > 0 && frames[static_cast<std::size_t>(a - 1)] == frames[static_cast<std::size_t>(a)]) --a;
        return a;
    };
    auto leave = [&](int a) {
        while (a + 1 < n && frames[static_cast<std::size_t>(a + 1)] == frames[static_cast<std::size_t>(a)]) ++a;
        return a;
    };
    std::vector<StepSegment> out;
    int from = leave(0);
    for (std::size_t j = 1; j < accents.size(); ++j) {
        const bool last = j + 1 == accents.size();
        const int to = arrive(accents[j]);
        if (to - from < kMinSegmentFrames && !last) continue;
        if (to > from) out.push_back({from, to, 0});
        else if (last && !out.empty()) out.back().to = std::max(out.back().to, to);
        from = std::max(from, leave(accents[j]));
    }
    if (!out.empty() && out.back().to < n - 1 && frames[static_cast<std::size_t>(out.back().to)] != frames.back())
        out.back().to = n - 1;
    for (StepSegment& s : out) {
        const Frame start = frames[static_cast<std::size_t>(s.from)];
        int steps = std::max(1, static_cast<int>(std::ceil(kEasePeak * (s.to - s.from) / kMaxFramesPerStep)));
        while (steps < kMaxWarpSteps && !withinSpeed(start, warpSegment(entry, s, steps))) ++steps;
        s.minSteps = steps;
    }
    return out;
}

struct Catalog {
    std::vector<StepTraits> steps;
    Catalog();
};

Catalog::Catalog() {
    const auto& library = danceSteps();
    std::vector<double> meanSpeed, reach;
    for (int entry = 0; entry < kDanceStepCount; ++entry) {
        const DanceStep& step = library[static_cast<std::size_t>(entry)];
        if (!step.name || step.frameCount < 2) continue;
        const std::vector<Frame> frames = framesOf(entry);
        bool tooFast = false;
        double sum = 0, widest = 0;
        for (std::size_t f = 1; f < frames.size() && !tooFast; ++f) {
            for (int c = 0; c < kChannelCount; ++c) {
                const std::size_t i = static_cast<std::size_t>(c);
                const double share = std::abs(static_cast<double>(frames[f][i]) - frames[f - 1][i]) / maxMovePerStep(c);
                if (share > kStepSpeedShare) tooFast = true;
                sum += share;
            }
            widest = std::max(widest, distanceDegrees(frames.front(), frames[f]));
        }
        if (tooFast) continue;
        StepTraits t{entry, postureOf(frames.front()), postureOf(frames.back()), step.frameCount, 0.0, 0.0,
                     segmentsOf(entry, frames)};
        if (t.segments.empty()) continue;
        steps.push_back(std::move(t));
        meanSpeed.push_back(sum / static_cast<double>(frames.size() - 1));
        reach.push_back(widest);
    }
    // Liveliness and size by rank, so that the choice spreads over the whole library.
    auto rank = [&](const std::vector<double>& key, double StepTraits::*field) {
        std::vector<std::size_t> order(steps.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key[a] < key[b]; });
        for (std::size_t r = 0; r < order.size(); ++r)
            steps[order[r]].*field = order.size() > 1 ? static_cast<double>(r) / static_cast<double>(order.size() - 1) : 0.5;
    };
    rank(meanSpeed, &StepTraits::liveliness);
    rank(reach, &StepTraits::size);
}

const Catalog& catalog() {
    static const Catalog c;
    return c;
}

}  // namespace

const std::vector<StepTraits>& musicSteps() { return catalog().steps; }

double maxMovePerStep(int channel) {
    return kChannelInfo[static_cast<std::size_t>(channel)].maxSpeed * kSecondsPerStep * kMicroRadPerDegree;
}

Frame stepFrame(int entry, int f) {
    const DanceStep& step = danceSteps()[static_cast<std::size_t>(entry)];
    Frame out;
    const std::int32_t* src = step.frame(f);
    std::copy(src, src + kChannelCount, out.begin());
    return clampedToLimits(out);
}

std::vector<Frame> warpSegment(int entry, const StepSegment& segment, int steps) {
    std::vector<Frame> out;
    if (steps <= 0) return out;
    const DanceStep& step = danceSteps()[static_cast<std::size_t>(entry)];
    const int last = step.frameCount - 1;
    out.reserve(static_cast<std::size_t>(steps));
    for (int i = 1; i <= steps; ++i) {
        const double u = static_cast<double>(i) / steps;
        const double t = segment.from + (segment.to - segment.from) * (u * u * (3.0 - 2.0 * u));
        const int f0 = std::clamp(static_cast<int>(std::floor(t)), 0, last);
        const int f1 = std::min(f0 + 1, last);
        const double share = t - f0;
        const Frame a = stepFrame(entry, f0), b = stepFrame(entry, f1);
        Frame f;
        for (std::size_t c = 0; c < f.size(); ++c)
            f[c] = static_cast<std::int32_t>(std::llround(a[c] + (static_cast<double>(b[c]) - a[c]) * share));
        out.push_back(f);
    }
    return out;
}

int easeSteps(const Frame& a, const Frame& b) {
    int steps = 0;
    for (int c = 0; c < kChannelCount; ++c) {
        const std::size_t i = static_cast<std::size_t>(c);
        const double delta = std::abs(static_cast<double>(b[i]) - a[i]);
        const double need = kEasePeak * delta / (kMoveSpeedShare * maxMovePerStep(c));
        steps = std::max(steps, static_cast<int>(std::ceil(need)));
    }
    return steps;
}

Posture postureOf(const Frame& pose) {
    Posture best = Posture::Standing;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (Posture p : {Posture::Standing, Posture::Seated, Posture::Lying}) {
        const Frame& rest = restingPose(p);
        double d = 0;
        for (int c = RFLegY; c <= LRPawY; ++c) {
            const double x = static_cast<double>(pose[static_cast<std::size_t>(c)]) - rest[static_cast<std::size_t>(c)];
            d += x * x;
        }
        if (d < bestDistance) {
            bestDistance = d;
            best = p;
        }
    }
    return best;
}

const Frame& restingPose(Posture posture) {
    switch (posture) {
    case Posture::Seated: return kSeated.values();
    case Posture::Lying: return kLying.values();
    case Posture::Standing: break;
    }
    return kStanding.values();
}

Frame clampedToLimits(const Frame& pose) {
    Frame out = pose;
    for (int c = 0; c < kChannelCount; ++c)
        out[static_cast<std::size_t>(c)] = std::clamp(out[static_cast<std::size_t>(c)], lowerLimit(c), upperLimit(c));
    return out;
}

}  // namespace rova::dance
