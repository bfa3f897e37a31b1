#include "music_dance.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "dance_steps.h"
#include "model/generators.h"

namespace rova::dance {
namespace {

constexpr double kSecondsPerStep = kMsPerStep / 1000.0;
constexpr double kMicroRadPerDegree = 3141592.653589793 / 180.0;
// Our own moves stay this far below a joint's max speed; a smoothstep's
// fastest frame is 1.5 times its average.
constexpr double kTransitionSpeedShare = 0.9;
constexpr double kEasePeak = 1.5;
// Library steps are used only when no frame exceeds the max speed; the check
// flags segments only above 1.1 times it.
constexpr double kStepSpeedShare = 1.0;
// The mouth is slowed to this share of its max speed.
constexpr double kLimitSpeedShare = 0.95;
constexpr int kRepeatGapBeats = 8;
constexpr int kTransitionKeys = 3;
constexpr int kMinPacedBudget = 40;
constexpr std::size_t kRecentSteps = 4;  // an eased move reduces to about this many keyframes
// The opening (a step and the beat it starts on) is drawn by rank from this
// many of the best: enough for ten Vary numbers in a row to open differently
// even where few steps fit.
constexpr std::size_t kOpeningRanks = 24;
constexpr int kOpeningWaits = 3;            // beats the opening may wait
constexpr double kOpeningWaitCost = 0.3;    // score lost per beat waited
// A beat's flash lasts two LED steps (167 ms), the least the check accepts:
// a shorter flash hardly shows on the robot.
constexpr std::int64_t kFlashLedSteps = 2;

// Largest move of a channel in one time step at its max speed, in µrad.
double maxMovePerStep(int c) {
    return kChannelInfo[static_cast<std::size_t>(c)].maxSpeed * kSecondsPerStep * kMicroRadPerDegree;
}

std::int32_t lowerLimit(int c) { return valueFromDegrees(kChannelInfo[static_cast<std::size_t>(c)].lower); }
std::int32_t upperLimit(int c) { return valueFromDegrees(kChannelInfo[static_cast<std::size_t>(c)].upper); }

// A small seeded generator of our own: the standard distributions differ
// between library versions, and a variation must stay the same everywhere.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(0x9E3779B97F4A7C15ull ^ seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::uint64_t m_state;
};

Frame frameOf(const DanceStep& step, int f) {
    Frame out;
    const std::int32_t* src = step.frame(f);
    std::copy(src, src + kChannelCount, out.begin());
    return clampedToLimits(out);
}

// Frames an eased move from a to b needs to stay within every joint's speed.
int easeFrames(const Frame& a, const Frame& b) {
    int frames = 0;
    for (int c = 0; c < kChannelCount; ++c) {
        const double delta = std::abs(static_cast<double>(b[static_cast<std::size_t>(c)]) - a[static_cast<std::size_t>(c)]);
        const double need = kEasePeak * delta / (kTransitionSpeedShare * maxMovePerStep(c));
        frames = std::max(frames, static_cast<int>(std::ceil(need)));
    }
    return frames;
}

// The keyframes a step keeps once reduced within the planning tolerance.
int reducedKeys(const DanceStep& step) {
    std::vector<Frame> frames;
    for (int f = 0; f < step.frameCount; ++f) frames.push_back(frameOf(step, f));
    CMotionTrack track;
    std::array<int, kChannelCount> locators{};
    for (int c = 0; c < kChannelCount; ++c) locators[static_cast<std::size_t>(c)] = c;
    track.assign(MOTION_FULL_BODY, kChannelCount, locators, {}, 0);
    track.setFirstChannel(0);
    writePlan(track, 0, frames);
    reduceWithin(track, 0, step.frameCount - 1, kPlanningTolerance);
    return track.keyframeCount();
}

struct Catalog {
    std::vector<StepTraits> steps;
    Catalog();
};

Catalog::Catalog() {
    const auto& library = danceSteps();
    std::vector<double> meanSpeed;
    for (int entry = 0; entry < kDanceStepCount; ++entry) {
        const DanceStep& step = library[static_cast<std::size_t>(entry)];
        if (!step.name || step.frameCount < 2) continue;
        bool tooFast = false;
        double sum = 0;
        Frame prev = frameOf(step, 0);
        for (int f = 1; f < step.frameCount && !tooFast; ++f) {
            const Frame cur = frameOf(step, f);
            for (int c = 0; c < kChannelCount; ++c) {
                const double share =
                    std::abs(static_cast<double>(cur[static_cast<std::size_t>(c)]) - prev[static_cast<std::size_t>(c)]) /
                    maxMovePerStep(c);
                if (share > kStepSpeedShare) tooFast = true;
                sum += share;
            }
            prev = cur;
        }
        if (tooFast) continue;
        steps.push_back({entry, postureOf(frameOf(step, 0)), postureOf(frameOf(step, step.frameCount - 1)),
                         step.frameCount, 0.0, reducedKeys(step)});
        meanSpeed.push_back(sum / (step.frameCount - 1));
    }
    // Liveliness by rank, so that the choice spreads over the whole library.
    std::vector<std::size_t> order(steps.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return meanSpeed[a] < meanSpeed[b]; });
    for (std::size_t r = 0; r < order.size(); ++r)
        steps[order[r]].liveliness = order.size() > 1 ? static_cast<double>(r) / static_cast<double>(order.size() - 1) : 0.5;
}

const Catalog& catalog() {
    static const Catalog c;
    return c;
}

int postureIndex(Posture p) { return static_cast<int>(p); }
constexpr int kPostureCount = 3;

// Where loudness would tip the choice, the energy setting shifts it.
double livelinessTarget(double loud, Energy energy) {
    switch (energy) {
    case Energy::Low: return 0.7 * loud;
    case Energy::Medium: return 0.1 + 0.8 * loud;
    case Energy::High: return 0.35 + 0.65 * loud;
    }
    return loud;
}

class Planner {
public:
    explicit Planner(const DanceRequest& r);
    DancePlan run();

private:
    struct Beat {
        int step;
        bool down;
        double target;  // wanted liveliness
    };
    struct Choice {
        const StepTraits* traits = nullptr;
        std::size_t beat = 0;
        double score = -std::numeric_limits<double>::infinity();
    };

    std::size_t firstBeatFrom(int step) const {
        return static_cast<std::size_t>(
            std::lower_bound(m_beats.begin(), m_beats.end(), step, [](const Beat& b, int s) { return b.step < s; }) -
            m_beats.begin());
    }
    int reserveAfter(Posture p) const;
    Choice choose(const std::vector<const StepTraits*>& candidates, double posturePenalty, bool paced);
    void place(const StepTraits& s, std::size_t beat);
    void easeTo(const Frame& target, int untilStep);

    const DanceRequest& m_req;
    std::vector<Beat> m_beats;
    double m_beatSteps = 6.25;
    int m_twoBars = 8;  // beats in two bars
    Random m_random;
    Posture m_target = Posture::Standing;
    std::array<std::array<int, kPostureCount>, kPostureCount> m_changeCost{};
    std::array<std::array<const StepTraits*, kPostureCount>, kPostureCount> m_changeStep{};

    DancePlan m_plan;
    int m_pos = 0;  // time step of the last pose written
    Frame m_cur{};
    Posture m_posture = Posture::Standing;
    std::vector<int> m_lastEnd;  // per library entry: time step its last use ended, or INT_MIN
    std::vector<int> m_uses;     // per library entry: times placed
    std::vector<int> m_recent;   // the entries of the last few steps placed
    int m_stepsSinceChange = 0;
    double m_keysPerStep = -1;   // the pace the file allows; < 0 when it takes a keyframe every step
    double m_keysAhead = 0;      // keys the pace lets run ahead
    double m_keysUsed = 0;
    bool m_firstPick = true;     // the opening step is still to be chosen
};

Planner::Planner(const DanceRequest& r)
    : m_req(r), m_random(r.seed), m_lastEnd(kDanceStepCount, INT_MIN), m_uses(kDanceStepCount, 0) {
    const beats::BeatGrid& grid = *r.beats;
    double maxLoud = 0;
    for (double l : r.loudness) maxLoud = std::max(maxLoud, l);
    int prev = INT_MIN;
    for (std::size_t i = 0; i < grid.beatsMs.size(); ++i) {
        const int ms = grid.beatsMs[i];
        if (ms < 0) continue;
        const int step = static_cast<int>((static_cast<std::int64_t>(ms) + kMsPerStep / 2) / kMsPerStep);
        if (step < r.startStep || step > r.endStep || step <= prev) continue;  // one beat a time step
        prev = step;
        const bool down = grid.downbeatsKnown && std::binary_search(grid.downbeatsMs.begin(), grid.downbeatsMs.end(), ms);
        const double loud = i < r.loudness.size() && maxLoud > 0 ? r.loudness[i] / maxLoud : 0.5;
        m_beats.push_back({step, down, livelinessTarget(std::clamp(loud, 0.0, 1.0), r.energy)});
    }
    if (grid.bpm > 0) m_beatSteps = 60000.0 / grid.bpm / kMsPerStep;
    else if (m_beats.size() > 1)
        m_beatSteps = static_cast<double>(m_beats.back().step - m_beats.front().step) / static_cast<double>(m_beats.size() - 1);
    // A tempo out of all reason (a beat a step, or one an hour) is held to
    // figures the arithmetic below can take.
    m_beatSteps = std::clamp(m_beatSteps, 1.0, 1000.0);
    if (grid.downbeatsKnown && grid.downbeatsMs.size() > 1 && grid.beatsMs.size() > 1) {
        const double barMs = static_cast<double>(grid.downbeatsMs.back() - grid.downbeatsMs.front()) /
                             static_cast<double>(grid.downbeatsMs.size() - 1);
        const double beatMs = m_beatSteps * kMsPerStep;
        m_twoBars = 2 * static_cast<int>(std::clamp(std::lround(barMs / beatMs), 1L, 16L));
    }

    // The cheapest way between postures over the library's changes, with
    // room for waiting on a beat and easing in.
    const int slack = static_cast<int>(std::ceil((m_twoBars / 2 + 1) * m_beatSteps)) + 2;
    constexpr int kFar = 1 << 28;
    for (auto& row : m_changeCost) row.fill(kFar);
    for (int p = 0; p < kPostureCount; ++p) m_changeCost[static_cast<std::size_t>(p)][static_cast<std::size_t>(p)] = 0;
    for (const StepTraits& s : catalog().steps) {
        if (s.start == s.end) continue;
        auto& cost = m_changeCost[static_cast<std::size_t>(postureIndex(s.start))][static_cast<std::size_t>(postureIndex(s.end))];
        auto& step = m_changeStep[static_cast<std::size_t>(postureIndex(s.start))][static_cast<std::size_t>(postureIndex(s.end))];
        if (s.frames + slack < cost) {
            cost = s.frames + slack;
            step = &s;
        }
    }
    for (std::size_t k = 0; k < kPostureCount; ++k)
        for (std::size_t i = 0; i < kPostureCount; ++i)
            for (std::size_t j = 0; j < kPostureCount; ++j)
                m_changeCost[i][j] = std::min(m_changeCost[i][j], m_changeCost[i][k] + m_changeCost[k][j]);

    const int rangeSteps = r.endStep - r.startStep;
    // With no room at all (the motion outside the range already fills the
    // file) pacing cannot help: the dance goes in whole and the caller says so.
    if (r.keyframeBudget <= rangeSteps && r.keyframeBudget >= kMinPacedBudget) {
        // Keep back room for the way home and the ease into what follows,
        // and for the keyframes every rest keeps however still it is.
        const double bridges = rangeSteps / kMaxReduceSpan + 1;
        const double usable = std::max(0.0, 0.9 * r.keyframeBudget - 20.0 - bridges);
        m_keysPerStep = usable / std::max(rangeSteps, 1);
        m_keysAhead = std::min(20.0, 0.1 * usable);
    }

    m_pos = r.startStep;
    m_cur = r.startPose;
    m_posture = postureOf(r.startPose);
    m_target = r.endPose ? postureOf(*r.endPose) : m_posture;
    m_plan.poses.reserve(static_cast<std::size_t>(r.endStep - r.startStep + 1));
    m_plan.poses.push_back(r.startPose);
}

// Time steps to keep free after a step that ends in posture p: the way back to
// the posture that follows the range and the ease into its pose.
int Planner::reserveAfter(Posture p) const {
    if (!m_req.endPose) return 0;
    const int back = m_changeCost[static_cast<std::size_t>(postureIndex(p))][static_cast<std::size_t>(postureIndex(m_target))];
    return back + easeFrames(restingPose(m_target), clampedToLimits(*m_req.endPose)) + static_cast<int>(std::ceil(m_beatSteps));
}

Planner::Choice Planner::choose(const std::vector<const StepTraits*>& candidates, double posturePenalty, bool paced) {
    Choice best;
    std::vector<Choice> opening;
    const auto& library = danceSteps();
    for (const StepTraits* s : candidates) {
        if (s->start != m_posture) continue;
        const DanceStep& step = library[static_cast<std::size_t>(s->entry)];
        const int ease = easeFrames(m_cur, frameOf(step, 0));
        std::size_t j = firstBeatFrom(std::max(m_pos + ease, m_pos + 1));
        const bool needsDownbeat = s->frames >= m_twoBars * m_beatSteps;
        // A step the file cannot take yet waits for later beats: a rest.
        const double cost = s->keys + kTransitionKeys;
        while (paced && m_keysPerStep >= 0 && j < m_beats.size() &&
               m_keysUsed + cost > m_keysPerStep * (m_beats[j].step + s->frames - 1 - m_req.startStep) + m_keysAhead)
            ++j;
        if (needsDownbeat && m_req.beats->downbeatsKnown)
            while (j < m_beats.size() && !m_beats[j].down) ++j;
        if (j >= m_beats.size()) continue;
        const int start = m_beats[j].step;
        const int last = start + s->frames - 1;
        if (last + reserveAfter(s->end) > m_req.endStep) continue;
        const int lastEnd = m_lastEnd[static_cast<std::size_t>(s->entry)];
        if (lastEnd != INT_MIN && j < firstBeatFrom(lastEnd) + kRepeatGapBeats) continue;

        // The liveliness the music asks for over the beats the step covers.
        double want = 0;
        int n = 0;
        for (std::size_t b = j; b < m_beats.size() && m_beats[b].step <= last; ++b, ++n) want += m_beats[b].target;
        want = n > 0 ? want / n : 0.5;
        const std::size_t after = firstBeatFrom(last + 1);
        const double remainder = after < m_beats.size() ? (m_beats[after].step - last) / m_beatSteps : 0.0;
        const double wait = std::max(0.0, (start - m_pos - ease) / m_beatSteps - 1.0);
        const double jitter = 0.6 * m_random.uniform();
        double score = -2.5 * std::abs(s->liveliness - want) - 0.8 * remainder - 0.6 * wait + jitter;
        if (s->start != s->end) score -= posturePenalty - 0.08 * m_stepsSinceChange;
        // Variety: a step loses appeal with every use, most of all when it was
        // one of the last few; lying down is for short spells.
        score -= 0.35 * m_uses[static_cast<std::size_t>(s->entry)];
        if (std::find(m_recent.begin(), m_recent.end(), s->entry) != m_recent.end()) score -= 1.0;
        if (s->end == Posture::Lying) score -= 0.4;
        if (m_firstPick && paced) {
            // Ranked without the jitter, so that the rank alone tells the
            // Vary numbers apart. The opening may also wait a few beats
            // (bars for a long step), each wait a little less appealing.
            const double fixed = score - jitter;
            opening.push_back({s, j, fixed});
            std::size_t later = j;
            for (int waited = 1; waited <= kOpeningWaits; ++waited) {
                ++later;
                if (needsDownbeat && m_req.beats->downbeatsKnown)
                    while (later < m_beats.size() && !m_beats[later].down) ++later;
                if (later >= m_beats.size() || m_beats[later].step + s->frames - 1 + reserveAfter(s->end) > m_req.endStep)
                    break;
                opening.push_back({s, later, fixed - kOpeningWaitCost * waited});
            }
        }
        if (score > best.score) best = {s, j, score};
    }
    // The Vary number picks the opening step by rank among the best few, so
    // that neighbouring numbers never open alike: the jitter alone cannot
    // outweigh a clear preference on a short range.
    if (m_firstPick && paced && !opening.empty()) {
        m_firstPick = false;
        std::stable_sort(opening.begin(), opening.end(), [](const Choice& a, const Choice& b) { return a.score > b.score; });
        const std::size_t ranks = std::min(opening.size(), kOpeningRanks);
        return opening[m_req.seed % ranks];
    }
    return best;
}

void Planner::easeTo(const Frame& target, int untilStep) {
    const int n = untilStep - m_pos;
    if (n <= 0) return;
    appendEasedMove(m_plan.poses, m_cur, target, n);
    m_pos = untilStep;
    m_cur = target;
}

void Planner::place(const StepTraits& s, std::size_t beat) {
    const DanceStep& step = danceSteps()[static_cast<std::size_t>(s.entry)];
    const int start = m_beats[beat].step;
    easeTo(frameOf(step, 0), start);
    for (int f = 1; f < step.frameCount; ++f) m_plan.poses.push_back(frameOf(step, f));
    m_pos = start + step.frameCount - 1;
    m_cur = frameOf(step, step.frameCount - 1);
    m_plan.steps.push_back({s.entry, start, step.frameCount});
    m_lastEnd[static_cast<std::size_t>(s.entry)] = m_pos;
    ++m_uses[static_cast<std::size_t>(s.entry)];
    m_recent.push_back(s.entry);
    if (m_recent.size() > kRecentSteps) m_recent.erase(m_recent.begin());
    m_keysUsed += s.keys + kTransitionKeys;
    if (s.start != s.end) m_stepsSinceChange = 0;
    else ++m_stepsSinceChange;
    m_posture = s.end;
}

DancePlan Planner::run() {
    std::vector<const StepTraits*> all;
    for (const StepTraits& s : catalog().steps) all.push_back(&s);
    while (true) {
        const Choice c = choose(all, 1.2, true);
        if (!c.traits) break;
        place(*c.traits, c.beat);
    }
    // No step fits any more: go back to the posture that follows, then ease
    // into the pose that follows (or hold the last pose at the motion's end).
    if (m_req.endPose) {
        for (int hop = 0; hop < kPostureCount && m_posture != m_target; ++hop) {
            const std::size_t from = static_cast<std::size_t>(postureIndex(m_posture));
            const StepTraits* best = nullptr;
            for (std::size_t q = 0; q < kPostureCount; ++q) {
                const StepTraits* s = m_changeStep[from][q];
                if (!s) continue;
                if (!best || m_changeCost[q][static_cast<std::size_t>(postureIndex(m_target))] <
                                 m_changeCost[static_cast<std::size_t>(postureIndex(best->end))]
                                             [static_cast<std::size_t>(postureIndex(m_target))])
                    best = s;
            }
            if (!best) break;
            const Choice c = choose({best}, 0.0, false);
            if (!c.traits) break;
            place(*c.traits, c.beat);
        }
        easeTo(*m_req.endPose, m_req.endStep);
    } else {
        easeTo(m_cur, m_req.endStep);
    }
    return std::move(m_plan);
}

std::int64_t ticksOf(int step) { return static_cast<std::int64_t>(step) * kTicksPerStep; }

// Keyframe indexes whose times lie in [from, to] ticks: first and one past last.
std::pair<int, int> keyframesWithin(const CMotionTrack& motion, std::int64_t from, std::int64_t to) {
    int first = motion.keyframeCount(), end = motion.keyframeCount();
    for (int k = 0; k < motion.keyframeCount(); ++k) {
        const std::int64_t t = motion.keyframeTime(k);
        if (t >= from && first == motion.keyframeCount()) first = k;
        if (t > to) {
            end = k;
            break;
        }
    }
    return {first, std::max(first, end)};
}

// Keyframes the range may take in the motion file: the file's limit less
// the keyframes outside the range.
int rangeBudget(const CMotionTrack& motion, int startStep, int endStep) {
    const auto [first, end] = keyframesWithin(motion, ticksOf(startStep), ticksOf(endStep));
    const int outside = motion.keyframeCount() - (end - first);
    const int fileKeyframes = (kMaxMotionFileSize - 7) / (motion.recordWords() * 4);
    return fileKeyframes - outside;
}

}  // namespace

int longestDanceSteps(int keyframeBudget) {
    if (keyframeBudget < kMinPacedBudget) return 0;
    return (keyframeBudget - kMinPacedBudget) / 2 * kMaxReduceSpan;
}

std::optional<int> danceRangeLimit(const CMotionTrack& motion, int startStep, int endStep) {
    const int budget = rangeBudget(motion, startStep, endStep);
    if (budget < kMinPacedBudget) return std::nullopt;
    const int longest = longestDanceSteps(budget);
    if (endStep - startStep <= longest) return std::nullopt;
    return longest;
}

const std::vector<StepTraits>& musicSteps() { return catalog().steps; }

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

std::vector<double> loudnessPerBeat(const std::uint8_t* samples, int sampleCount, const beats::BeatGrid& grid,
                                    int threshold) {
    std::vector<double> out(grid.beatsMs.size(), 0.0);
    if (!samples || sampleCount <= 0) return out;
    const std::int64_t perMs = kSampleRate / kMsPerSecond;
    for (std::size_t i = 0; i < grid.beatsMs.size(); ++i) {
        const std::int64_t from = std::max<std::int64_t>(0, grid.beatsMs[i] * perMs);
        std::int64_t to = i + 1 < grid.beatsMs.size() ? grid.beatsMs[i + 1] * perMs : sampleCount;
        to = std::min<std::int64_t>(to, sampleCount);
        if (to <= from) continue;
        const int n = static_cast<int>(to - from);
        out[i] = static_cast<double>(countLoud(samples + from, n, threshold)) / n;
    }
    return out;
}

DancePlan planDance(const DanceRequest& request) {
    DancePlan empty;
    if (!request.beats || request.endStep < request.startStep) return empty;
    Planner planner(request);
    return planner.run();
}

void writePlan(CMotionTrack& motion, int startStep, const std::vector<Frame>& poses) {
    if (poses.empty() || motion.channelCount() != kChannelCount) return;
    const std::int64_t from = ticksOf(startStep);
    const std::int64_t to = ticksOf(startStep + static_cast<int>(poses.size()) - 1);
    const std::size_t words = static_cast<std::size_t>(motion.recordWords());
    std::vector<std::int32_t> block;
    std::int64_t lastTime = 0;
    int count = 0;
    auto append = [&](std::int64_t time, const std::int32_t* reserved, const std::int32_t* values) {
        block.push_back(static_cast<std::int32_t>(count == 0 ? time : time - lastTime));
        for (int i = 0; i < kReservedWords; ++i) block.push_back(reserved ? reserved[i] : 0);
        block.insert(block.end(), values, values + kChannelCount);
        lastTime = time;
        ++count;
    };
    const std::vector<std::int32_t>& old = motion.block();
    int k = 0;
    for (; k < motion.keyframeCount() && motion.keyframeTime(k) < from; ++k)
        append(motion.keyframeTime(k), &old[static_cast<std::size_t>(k) * words + 1],
               &old[static_cast<std::size_t>(k) * words + 4]);
    for (std::size_t i = 0; i < poses.size(); ++i)
        append(from + static_cast<std::int64_t>(i) * kTicksPerStep, nullptr, poses[i].data());
    for (; k < motion.keyframeCount(); ++k)
        if (motion.keyframeTime(k) > to)
            append(motion.keyframeTime(k), &old[static_cast<std::size_t>(k) * words + 1],
                   &old[static_cast<std::size_t>(k) * words + 4]);
    motion.replaceBlock(std::move(block), count);
    motion.setModified(true);
}

int reduceWithin(CMotionTrack& motion, int startStep, int endStep, std::int32_t tolerance) {
    const auto [first, end] = keyframesWithin(motion, ticksOf(startStep), ticksOf(endStep));
    if (end - first < 3) return 0;
    const int channels = motion.channelCount();
    std::vector<std::int64_t> times(static_cast<std::size_t>(motion.keyframeCount()));
    for (int k = 0; k < motion.keyframeCount(); ++k) times[static_cast<std::size_t>(k)] = motion.keyframeTime(k);
    auto fitsLine = [&](int a, int b) {
        const std::int64_t span = times[static_cast<std::size_t>(b)] - times[static_cast<std::size_t>(a)];
        if (span <= 0) return false;
        for (int k = a + 1; k < b; ++k) {
            const std::int64_t dt = times[static_cast<std::size_t>(k)] - times[static_cast<std::size_t>(a)];
            const double share = static_cast<double>(dt) / static_cast<double>(span);
            for (int c = 0; c < channels; ++c) {
                // In floating point: the product of a value span and a time
                // span can pass 64 bits on a crafted motion.
                const double va = motion.value(a, c), vb = motion.value(b, c);
                if (std::abs(va + (vb - va) * share - motion.value(k, c)) > tolerance) return false;
            }
        }
        return true;
    };
    std::vector<bool> keep(static_cast<std::size_t>(motion.keyframeCount()), true);
    int removed = 0;
    for (int a = first; a < end - 1;) {
        int b = a + 1;
        while (b + 1 < end && b + 1 - a <= kMaxReduceSpan && fitsLine(a, b + 1)) ++b;
        for (int k = a + 1; k < b; ++k) {
            keep[static_cast<std::size_t>(k)] = false;
            ++removed;
        }
        a = b;
    }
    if (removed == 0) return 0;
    const std::size_t words = static_cast<std::size_t>(motion.recordWords());
    std::vector<std::int32_t> block;
    block.reserve(static_cast<std::size_t>(motion.keyframeCount() - removed) * words);
    std::int32_t carried = 0;
    for (int k = 0; k < motion.keyframeCount(); ++k) {
        const std::size_t at = static_cast<std::size_t>(k) * words;
        if (!keep[static_cast<std::size_t>(k)]) {
            carried += motion.duration(k);
            continue;
        }
        block.insert(block.end(), motion.block().begin() + static_cast<std::ptrdiff_t>(at),
                     motion.block().begin() + static_cast<std::ptrdiff_t>(at + words));
        block[block.size() - words] += carried;
        carried = 0;
    }
    motion.replaceBlock(std::move(block), motion.keyframeCount() - removed);
    motion.setModified(true);
    return removed;
}

FitResult fitRange(CMotionTrack& motion, int startStep, int endStep) {
    if (motion.fitsInFile()) return {true, 0};
    // Degrees: 0.0006 (the editor's own Reduce), 0.1, 0.25, 0.5, 1, 1.5, 2, 3, 4.
    static constexpr std::int32_t kLadder[] = {10, 1745, 4363, 8727, 17453, 26180, 34907, 52360, kMaxFitTolerance};
    CMotionTrack tried;
    for (std::int32_t tolerance : kLadder) {
        tried = motion;
        reduceWithin(tried, startStep, endStep, tolerance);
        if (tried.fitsInFile()) {
            motion = std::move(tried);
            return {true, tolerance};
        }
    }
    motion = std::move(tried);
    return {false, kMaxFitTolerance};
}

void limitSpeed(CMotionTrack& motion, int column, int startStep, int endStep) {
    const auto [first, end] = keyframesWithin(motion, ticksOf(startStep), ticksOf(endStep));
    if (end - first < 3 || column < 0 || column >= motion.channelCount()) return;
    const int channel = motion.firstChannel() + column;
    const double perTick = kChannelInfo[static_cast<std::size_t>(channel)].maxSpeed * kMsPerTick / 1000.0 *
                           kMicroRadPerDegree * kLimitSpeedShare;
    const int last = end - 1;
    auto limit = [&](int k) { return static_cast<std::int64_t>(perTick * motion.duration(k)); };
    // reach[k]: how far keyframe k may lie from the last one and still get there in time.
    std::vector<std::int64_t> reach(static_cast<std::size_t>(end - first), 0);
    for (int k = last - 1; k >= first; --k)
        reach[static_cast<std::size_t>(k - first)] = reach[static_cast<std::size_t>(k + 1 - first)] + limit(k + 1);
    const std::int64_t goal = motion.value(last, column);
    std::int64_t prev = motion.value(first, column);
    for (int k = first + 1; k < last; ++k) {
        std::int64_t v = motion.value(k, column);
        v = std::clamp(v, prev - limit(k), prev + limit(k));
        const std::int64_t r = reach[static_cast<std::size_t>(k - first)];
        v = std::clamp(v, goal - r, goal + r);
        motion.setValue(k, column, static_cast<std::int32_t>(v));
        prev = v;
    }
}

void flashEyesOnBeats(CLedTrack& leds, const beats::BeatGrid& grid, int startStep, int endStep) {
    const std::int64_t length = leds.length();
    if (length == 0) return;
    const std::int64_t fromMs = static_cast<std::int64_t>(startStep) * kMsPerStep;
    const std::int64_t toMs = static_cast<std::int64_t>(endStep) * kMsPerStep;
    // The first LED step that starts at or after a time.
    auto ledFrom = [](std::int64_t ms) { return (ms * kLedStepsPerSecond + kMsPerSecond - 1) / kMsPerSecond; };
    // The LED steps that start inside the range [fromMs, toMs).
    const std::int64_t first = std::min(ledFrom(fromMs), length);
    const std::int64_t end = std::min(ledFrom(toMs), length);
    if (end <= first) return;
    auto at = [&](std::int64_t i) -> std::uint8_t& { return leds.steps[static_cast<std::size_t>(i)]; };
    for (std::int64_t i = first; i < end; ++i) at(i) = static_cast<std::uint8_t>(at(i) & ~0x03u);
    for (int ms : grid.beatsMs) {
        if (ms < fromMs || ms >= toMs) continue;
        const bool down = grid.downbeatsKnown && std::binary_search(grid.downbeatsMs.begin(), grid.downbeatsMs.end(), ms);
        const std::uint8_t bits = down ? 0x03 : 0x01;
        // A beat just after the range starts may fall in an LED step that
        // starts before it: the flash begins with the range instead.
        const std::int64_t led = std::max(std::int64_t{ms} * kLedStepsPerSecond / kMsPerSecond, first);
        for (std::int64_t i = led; i < std::min(led + kFlashLedSteps, end); ++i) at(i) = static_cast<std::uint8_t>(at(i) | bits);
    }
    // No flash that reaches into the range may be shorter than the check's
    // minimum: lengthen it inside the range (after it, else before it), and
    // drop a flash wholly inside that cannot be lengthened. What lies outside
    // the range stays as it was, so a flash crossing an edge keeps its
    // outside part whole.
    for (const std::uint8_t bit : {std::uint8_t{0x01}, std::uint8_t{0x02}}) {
        auto lit = [&](std::int64_t i) { return (at(i) & bit) != 0; };
        std::int64_t i = std::max<std::int64_t>(first - 1, 0);
        while (i <= end && i < length) {
            if (!lit(i)) {
                ++i;
                continue;
            }
            std::int64_t a = i, b = i;
            while (a > 0 && lit(a - 1)) --a;
            while (b < length && lit(b)) ++b;
            while (b - a < std::int64_t{kMinFlashLedSteps} && b >= first && b < end) {
                at(b) = static_cast<std::uint8_t>(at(b) | bit);
                while (b < length && lit(b)) ++b;
            }
            while (b - a < std::int64_t{kMinFlashLedSteps} && a > first && a <= end) {
                --a;
                at(a) = static_cast<std::uint8_t>(at(a) | bit);
                while (a > 0 && lit(a - 1)) --a;
            }
            if (b - a < std::int64_t{kMinFlashLedSteps} && a >= first && b <= end)
                for (std::int64_t k = a; k < b; ++k) at(k) = static_cast<std::uint8_t>(at(k) & ~bit);
            i = b + 1;
        }
    }
    leds.modified = true;
}

MusicDanceResult danceToMusic(CMotionTrack& motion, CLedTrack& leds, const MusicDanceInput& input) {
    MusicDanceResult result;
    const int lastStep = motion.totalTicks() / kTicksPerStep;
    const int startStep = std::max(0, input.startStep);
    const int endStep = std::min(input.endStep, lastStep);
    if (motion.kind() != MOTION_FULL_BODY || !input.beats || endStep <= startStep ||
        endStep - startStep > kMaxDanceSteps)
        return result;
    auto poseAt = [&](int step) {
        Frame f;
        for (int c = 0; c < kChannelCount; ++c) f[static_cast<std::size_t>(c)] = motion.valueAtStep(step, c);
        return f;
    };
    DanceRequest request;
    request.beats = input.beats;
    request.loudness = input.wave ? loudnessPerBeat(input.wave->samples, input.wave->sampleCount, *input.beats,
                                                    kDefaultThreshold)
                                  : std::vector<double>(input.beats->beatsMs.size(), 0.5);
    request.startStep = startStep;
    request.endStep = endStep;
    request.startPose = poseAt(startStep);
    if (endStep < lastStep) request.endPose = poseAt(endStep);
    request.energy = input.settings.energy;
    request.seed = input.settings.seed;
    if (const auto longest = danceRangeLimit(motion, startStep, endStep)) {
        result.tooLongBeyond = longest;
        return result;
    }
    request.keyframeBudget = rangeBudget(motion, startStep, endStep);
    DancePlan plan = planDance(request);
    writePlan(motion, startStep, plan.poses);
    result.fit = fitRange(motion, startStep, endStep);
    // The mouth follows the keyframes the dance kept, so it costs none of its own.
    if (input.settings.mouth && input.wave && input.wave->samples) {
        generateMouth(motion, *input.wave, input.mouthThreshold, startStep, endStep - startStep);
        limitSpeed(motion, Mouth, startStep, endStep);
    }
    if (input.settings.eyes) flashEyesOnBeats(leds, *input.beats, startStep, endStep);
    result.steps = std::move(plan.steps);
    return result;
}

}  // namespace rova::dance
