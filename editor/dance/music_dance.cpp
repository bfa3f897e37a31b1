#include "music_dance.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "dance_steps.h"
#include "model/generators.h"

namespace rova::dance {
namespace {

constexpr double kMicroRadPerDegree = 3141592.653589793 / 180.0;
// The mouth is slowed to this share of its max speed.
constexpr double kLimitSpeedShare = 0.95;
// The fewest keyframes a range must be allowed for the dance to be paced
// (spread more thinly) into the file at all.
constexpr int kMinPacedBudget = 40;
// A beat's flash lasts two LED steps (167 ms), the least the check accepts:
// a shorter flash hardly shows on the robot.
constexpr std::int64_t kFlashLedSteps = 2;
// The accents are spread until the dance fits the file: the spacing in
// beats goes up this ladder, from the energy's own.
constexpr int kSpacingLadder[] = {1, 2, 4, 8, 16, 32, 64};
// Keyframes an accent keeps once the range is reduced to fit: the pose it
// turns on, and now and then one on the way to the next.
constexpr double kKeysPerAccent = 1.2;
// The share of the range's keyframe budget a first plan may fill.
constexpr double kBudgetShare = 0.8;


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
    return motion.keyframeBudget() - outside;
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

int reduceWithin(CMotionTrack& motion, int startStep, int endStep, std::int32_t tolerance,
                 const std::vector<int>& anchors) {
    const auto [first, end] = keyframesWithin(motion, ticksOf(startStep), ticksOf(endStep));
    if (end - first < 3) return 0;
    const int channels = motion.channelCount();
    std::vector<std::int64_t> times(static_cast<std::size_t>(motion.keyframeCount()));
    for (int k = 0; k < motion.keyframeCount(); ++k) times[static_cast<std::size_t>(k)] = motion.keyframeTime(k);
    auto anchored = [&](int k) {
        const std::int64_t t = times[static_cast<std::size_t>(k)];
        return t % kTicksPerStep == 0 &&
               std::binary_search(anchors.begin(), anchors.end(), static_cast<int>(t / kTicksPerStep));
    };
    auto fitsLine = [&](int a, int b) {
        const std::int64_t span = times[static_cast<std::size_t>(b)] - times[static_cast<std::size_t>(a)];
        if (span <= 0) return false;
        if (tolerance == kAccentsOnly) return true;
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
        while (b + 1 < end && b + 1 - a <= kMaxReduceSpan && !anchored(b) && fitsLine(a, b + 1)) ++b;
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

FitResult fitRange(CMotionTrack& motion, int startStep, int endStep, const std::vector<int>& anchors) {
    if (motion.fitsInFile()) return {true, 0};
    // Degrees: 0.0006 (the editor's own Reduce), 0.1, 0.25, 0.5, 1, 1.5, 2, 3, 4.
    static constexpr std::int32_t kLadder[] = {10, 1745, 4363, 8727, 17453, 26180, 34907, 52360, kMaxFitTolerance};
    CMotionTrack tried;
    for (std::int32_t tolerance : kLadder) {
        tried = motion;
        reduceWithin(tried, startStep, endStep, tolerance, anchors);
        if (tried.fitsInFile()) {
            motion = std::move(tried);
            return {true, tolerance};
        }
    }
    if (!anchors.empty()) {
        tried = motion;
        reduceWithin(tried, startStep, endStep, kAccentsOnly, anchors);
        motion = std::move(tried);
        return {motion.fitsInFile(), kAccentsOnly};
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

void lineBetweenAccents(CMotionTrack& motion, int column, const std::vector<int>& accents) {
    if (accents.size() < 2 || column < 0 || column >= motion.channelCount()) return;
    std::vector<std::int32_t> at(accents.size());
    for (std::size_t i = 0; i < accents.size(); ++i) at[i] = motion.valueAtStep(accents[i], column);
    for (int k = 0; k < motion.keyframeCount(); ++k) {
        const std::int64_t t = motion.keyframeTime(k);
        if (t % kTicksPerStep != 0) continue;
        const auto step = static_cast<int>(t / kTicksPerStep);
        const auto after = std::upper_bound(accents.begin(), accents.end(), step);
        if (after == accents.begin() || after == accents.end() || *(after - 1) == step) continue;
        const auto i = static_cast<std::size_t>(after - accents.begin());
        const int a = accents[i - 1], b = accents[i];
        const double share = static_cast<double>(step - a) / (b - a);
        motion.setValue(k, column, static_cast<std::int32_t>(std::lround(at[i - 1] + (at[i] - static_cast<double>(at[i - 1])) * share)));
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
    request.keepPosture = input.settings.keepPosture;
    request.body = input.settings.body;
    if (const auto longest = danceRangeLimit(motion, startStep, endStep)) {
        result.tooLongBeyond = longest;
        return result;
    }
    // Accents as close as the energy asks while the file can hold them; when
    // the reduced dance still does not fit, spread them further and plan again.
    const int budget = rangeBudget(motion, startStep, endStep);
    const bool paced = budget >= kMinPacedBudget;
    const double beatSteps = input.beats->bpm > 0 ? std::clamp(60000.0 / input.beats->bpm / kMsPerStep, 1.0, 1000.0) : 6.25;
    const double rangeSteps = endStep - startStep;
    std::size_t rung = 0;
    while (paced && rung + 1 < std::size(kSpacingLadder) &&
           rangeSteps * kKeysPerAccent / (kSpacingLadder[rung] * beatSteps) > kBudgetShare * budget)
        ++rung;
    DancePlan plan;
    const CMotionTrack before = motion;
    for (;; ++rung) {
        request.minSpacingBeats = kSpacingLadder[rung];
        plan = planDance(request);
        motion = before;
        writePlan(motion, startStep, plan.poses);
        result.fit = fitRange(motion, startStep, endStep, plan.accents);
        if (result.fit.fits || !paced || rung + 1 >= std::size(kSpacingLadder)) break;
    }
    // The mouth follows the keyframes the dance kept, so it costs none of its own.
    if (input.settings.mouth && input.wave && input.wave->samples) {
        generateMouth(motion, *input.wave, input.mouthThreshold, startStep, endStep - startStep);
        limitSpeed(motion, Mouth, startStep, endStep);
        // The jaw opens as loud as the sound is on each accent, and turns there.
        lineBetweenAccents(motion, Mouth, plan.accents);
    }
    if (input.settings.eyes) flashEyesOnBeats(leds, *input.beats, startStep, endStep);
    result.steps = std::move(plan.steps);
    return result;
}

}  // namespace rova::dance
