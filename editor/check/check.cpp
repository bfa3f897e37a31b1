#include "check/check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "check/segment_rules.h"

namespace rova::check {
namespace {

constexpr const char* kDeg = "\xC2\xB0";  // the degree sign in UTF-8
constexpr int kMinFlashSteps = kMinFlashLedSteps;  // fewer LED steps hardly show on the robot

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char buffer[200];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return n < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
}

double seconds(std::int64_t ms) { return static_cast<double>(ms) / 1000.0; }

std::int64_t ticksToMs(std::int64_t ticks) { return ticks * kMsPerTick; }

int stepOfTicks(std::int64_t ticks) { return static_cast<int>(ticks / kTicksPerStep); }

// The problems of the joints: values out of range, segments too fast.
void checkJoints(const CMotionTrack& motion, std::vector<Problem>& out) {
    const int count = motion.keyframeCount();
    const int channels = motion.channelCount();
    const int first = motion.firstChannel();
    if (motion.kind() == MOTION_NONE || count <= 0 || channels <= 0 || first < 0 || first + channels > kChannelCount) return;

    std::vector<ChannelRules> rules;
    for (int c = 0; c < channels; ++c) rules.emplace_back(kChannelInfo[static_cast<std::size_t>(first + c)]);
    std::vector<double> previous(static_cast<std::size_t>(channels));
    std::int64_t previousTime = 0;
    for (int k = 0; k < count; ++k) {
        const std::int64_t time = previousTime + motion.duration(k);
        const int step = stepOfTicks(time);
        const int selStart = stepOfTicks(k > 0 ? previousTime : time);
        for (int c = 0; c < channels; ++c) {
            const auto cu = static_cast<std::size_t>(c);
            const ChannelInfo& ch = kChannelInfo[static_cast<std::size_t>(first + c)];
            const double d = degreesFromValue(motion.value(k, c));
            auto add = [&](ProblemKind kind, double measured, double allowed, double moved, int ticks) {
                out.push_back({kind, first + c, k, step, EYE_NONE, ticksToMs(time), selStart,
                               std::max(1, step - selStart + 1), measured, allowed, moved, ticks});
            };
            if (isOutOfRange(d, rules[cu]))
                add(ProblemKind::Range, d, static_cast<double>(d < rules[cu].lowLimit ? ch.lower : ch.upper), 0, 0);
            if (k > 0) {
                const int duration = motion.duration(k);
                const double speed = segmentSpeed(previous[cu], d, duration);
                const Speed kind = speedClass(speed, rules[cu]);
                if (kind != Speed::Normal)
                    add(kind == Speed::Fast ? ProblemKind::Fast : ProblemKind::Alarm, speed,
                        static_cast<double>(ch.maxSpeed), std::abs(d - previous[cu]), duration);
            }
            previous[cu] = d;
        }
        previousTime = time;
    }
}

void checkSize(const CMotionTrack& motion, std::vector<Problem>& out) {
    const std::optional<Budget> budget = motionBudget(motion);
    if (!budget || !budget->over()) return;
    // Where the budget runs out: the first keyframe that does not fit.
    const int k = budget->limit;
    const std::int64_t time = motion.keyframeTime(k);
    const int step = stepOfTicks(time);
    const int last = stepOfTicks(motion.totalTicks());
    out.push_back({ProblemKind::Size, -1, k, step, EYE_NONE, ticksToMs(time), step, std::max(1, last - step + 1),
                   static_cast<double>(budget->keyframes), static_cast<double>(budget->limit), 0, 0});
}

void checkEyes(const CLedTrack& leds, std::vector<Problem>& out) {
    const int n = leds.length();
    for (int eye : {EYE_GREEN, EYE_RED}) {
        const auto bit = static_cast<std::uint8_t>(1u << eye);
        int i = 0;
        while (i < n) {
            if ((leds.steps[static_cast<std::size_t>(i)] & bit) == 0) {
                ++i;
                continue;
            }
            const int start = i;
            while (i < n && (leds.steps[static_cast<std::size_t>(i)] & bit) != 0) ++i;
            const int lit = i - start;
            if (lit >= kMinFlashSteps) continue;
            const std::int64_t fromMs = std::int64_t{start} * kMsPerSecond / kLedStepsPerSecond;
            const std::int64_t toMs = std::int64_t{i} * kMsPerSecond / kLedStepsPerSecond;
            const auto step = static_cast<int>(fromMs / kMsPerStep);
            const auto lastStep = static_cast<int>((toMs - 1) / kMsPerStep);
            out.push_back({ProblemKind::ShortFlash, -1, -1, step, eye, fromMs, step, std::max(1, lastStep - step + 1),
                           static_cast<double>(lit), kMinFlashSteps, 0, static_cast<int>(toMs - fromMs)});
        }
    }
}

void checkLength(const CMotionTrack& motion, int soundTicks, std::vector<Problem>& out) {
    if (motion.kind() == MOTION_NONE || soundTicks < 0) return;
    const std::int64_t motionTicks = motion.totalTicks();
    const std::int64_t diff = motionTicks - soundTicks;
    if (diff >= -kTicksPerStep && diff <= kTicksPerStep) return;
    const bool shorter = diff < 0;
    const std::int64_t endTicks = std::min<std::int64_t>(motionTicks, soundTicks);
    const std::int64_t longerTicks = std::max<std::int64_t>(motionTicks, soundTicks);
    const int step = stepOfTicks(endTicks);
    const int last = stepOfTicks(longerTicks + kTicksPerStep - 1);
    out.push_back({shorter ? ProblemKind::ShortMotion : ProblemKind::LongMotion, -1, -1, step, EYE_NONE,
                   ticksToMs(endTicks), step, std::max(1, last - step + (shorter ? 0 : 1)),
                   static_cast<double>(motionTicks), static_cast<double>(soundTicks), 0, 0});
}

}  // namespace

const char* kindName(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::Range: return "range";
    case ProblemKind::Fast: return "fast";
    case ProblemKind::Alarm: return "alarm";
    case ProblemKind::Size: return "size";
    case ProblemKind::ShortFlash: return "short-flash";
    case ProblemKind::ShortMotion: return "short-motion";
    case ProblemKind::LongMotion: return "long-motion";
    }
    return "";
}

const char* kindTitle(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::Range: return "Out of range";
    case ProblemKind::Fast: return "Too fast";
    case ProblemKind::Alarm: return "Far too fast";
    case ProblemKind::Size: return "Motion too large";
    case ProblemKind::ShortFlash: return "Eye flash too short";
    case ProblemKind::ShortMotion: return "Motion shorter than sound";
    case ProblemKind::LongMotion: return "Motion longer than sound";
    }
    return "";
}

std::string describe(const Problem& p) {
    switch (p.kind) {
    case ProblemKind::Range:
        return format("%.2f%s is beyond the %s limit %.0f%s", p.measured, kDeg, p.measured < p.allowed ? "lower" : "upper",
                      p.allowed, kDeg);
    case ProblemKind::Fast:
    case ProblemKind::Alarm:
        if (std::isinf(p.measured)) return format("jumps %.1f%s in no time (top speed %.0f%s/s)", p.moved, kDeg, p.allowed, kDeg);
        return format("%.1f%s/s, %.2f x the top speed %.0f%s/s (%.1f%s in %.2f s)", p.measured, kDeg,
                      p.measured / p.allowed, p.allowed, kDeg, p.moved, kDeg, seconds(ticksToMs(p.ticks)));
    case ProblemKind::Size:
        return format("%.0f keyframes; a motion file of this kind holds at most %.0f (Reduce removes editable points)",
                      p.measured, p.allowed);
    case ProblemKind::ShortFlash:
        return format("%s eye on for %.0f LED step%s (%d ms); %.0f or more show on the robot",
                      p.eye == EYE_RED ? "red" : "green", p.measured, p.measured == 1 ? "" : "s", p.ticks, p.allowed);
    case ProblemKind::ShortMotion:
    case ProblemKind::LongMotion: {
        const auto motionTicks = static_cast<std::int64_t>(p.measured), soundTicks = static_cast<std::int64_t>(p.allowed);
        const std::int64_t diff = motionTicks - soundTicks;
        return format("the motion ends at %.2f s, %.2f s %s the sound (%.2f s)", seconds(ticksToMs(motionTicks)),
                      seconds(ticksToMs(diff < 0 ? -diff : diff)), diff < 0 ? "before" : "after",
                      seconds(ticksToMs(soundTicks)));
    }
    }
    return {};
}

bool isError(ProblemKind kind) {
    return kind == ProblemKind::Range || kind == ProblemKind::Fast || kind == ProblemKind::Alarm ||
           kind == ProblemKind::Size;
}

std::optional<Budget> motionBudget(const CMotionTrack& motion) {
    if (motion.kind() == MOTION_NONE) return std::nullopt;
    return Budget{motion.keyframeCount(), motion.keyframeBudget()};
}

std::vector<Problem> checkPerformance(const CMotionTrack& motion, const CLedTrack& leds, int soundTicks) {
    auto earlier = [](const Problem& a, const Problem& b) {
        if (a.timeMs != b.timeMs) return a.timeMs < b.timeMs;
        if (a.channel != b.channel) return a.channel < b.channel;
        if (a.kind != b.kind) return a.kind < b.kind;
        return a.eye < b.eye;
    };
    std::vector<Problem> problems;
    checkJoints(motion, problems);
    // The joints' problems come in keyframe order, already sorted unless
    // keyframes share a time; the few others are sorted apart and merged in.
    if (!std::is_sorted(problems.begin(), problems.end(), earlier))
        std::stable_sort(problems.begin(), problems.end(), earlier);
    const auto joints = static_cast<std::ptrdiff_t>(problems.size());
    checkSize(motion, problems);
    checkEyes(leds, problems);
    checkLength(motion, soundTicks, problems);
    std::stable_sort(problems.begin() + joints, problems.end(), earlier);
    if (joints > 0 && joints < static_cast<std::ptrdiff_t>(problems.size()) &&
        earlier(problems[static_cast<std::size_t>(joints)], problems[static_cast<std::size_t>(joints - 1)]))
        std::inplace_merge(problems.begin(), problems.begin() + joints, problems.end(), earlier);
    return problems;
}

int clampToLimits(CMotionTrack& motion, int channel, int start, int length) {
    const int c = channel - motion.firstChannel();
    if (motion.kind() == MOTION_NONE || c < 0 || c >= motion.channelCount() || length <= 0) return 0;
    const ChannelInfo& ch = kChannelInfo[static_cast<std::size_t>(channel)];
    const ChannelRules rules(ch);
    const std::int64_t from = std::int64_t{start} * kTicksPerStep;
    const std::int64_t to = (std::int64_t{start} + length) * kTicksPerStep;
    int changed = 0;
    for (int k = 0; k < motion.keyframeCount(); ++k) {
        const std::int64_t t = motion.keyframeTime(k);
        if (t < from || t >= to) continue;
        const double d = degreesFromValue(motion.value(k, c));
        if (!isOutOfRange(d, rules)) continue;
        motion.setValueForced(k, c, valueFromDegrees(d < rules.lowLimit ? ch.lower : ch.upper));
        ++changed;
    }
    return changed;
}

}  // namespace rova::check
