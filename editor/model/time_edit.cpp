#include "time_edit.h"

#include <algorithm>
#include <cstdlib>

namespace rova {
namespace {

// One column of a motion as its keyframes give it: times in ticks, ascending
// and distinct.
struct Key {
    std::int64_t t;
    std::int32_t v;
};
using Keys = std::vector<Key>;

std::int64_t ticksOf(std::int64_t steps) { return steps * kTicksPerStep; }

// The bits of the columns a track has (at most 18).
std::uint32_t columnMask(int channels) { return channels <= 0 ? 0u : (1u << std::min(channels, 31)) - 1u; }

// The column's value at tick t, by the rule of the motion track: the first
// key's value before it, the last key's after it, on the line between the two
// keys around t otherwise (truncating, in 64 bits).
std::int32_t valueOn(const Keys& keys, std::int64_t t) {
    const auto it = std::lower_bound(keys.begin(), keys.end(), t, [](const Key& k, std::int64_t x) { return k.t < x; });
    if (it == keys.end()) return keys.back().v;
    if (it->t == t || it == keys.begin()) return it->v;
    const Key& a = *(it - 1);
    return static_cast<std::int32_t>(a.v + (std::int64_t{it->v} - a.v) * (t - a.t) / (it->t - a.t));
}

bool hasKeyAt(const Keys& keys, std::int64_t t) {
    const auto it = std::lower_bound(keys.begin(), keys.end(), t, [](const Key& k, std::int64_t x) { return k.t < x; });
    return it != keys.end() && it->t == t;
}

// Keyframes sharing a time become one with the later one's value: the motion
// goes on from there.
Keys columnKeys(const CMotionTrack& track, const std::vector<std::int64_t>& times, int c) {
    Keys keys;
    keys.reserve(times.size());
    for (std::size_t k = 0; k < times.size(); ++k) {
        const std::int32_t v = track.value(static_cast<int>(k), c);
        if (!keys.empty() && keys.back().t == times[k]) keys.back().v = v;
        else keys.push_back({times[k], v});
    }
    return keys;
}

// The keys of [from, to) with the motion at the range's first and last step
// (within the track) added where no key lies, so that the motion over the
// range moves whole.
Keys rangeWithEnds(const Keys& keys, std::int64_t from, std::int64_t to, std::int64_t end) {
    Keys range;
    if (to <= from || from > end) return range;
    const std::int64_t last = std::min(to - kTicksPerStep, end);
    if (!hasKeyAt(keys, from)) range.push_back({from, valueOn(keys, from)});
    for (const Key& k : keys)
        if (k.t >= from && k.t < to) range.push_back(k);
    if (last > from && !hasKeyAt(keys, last)) range.push_back({last, valueOn(keys, last)});
    return range;
}

Keys editColumn(const Keys& keys, const TimeEdit& edit, std::int64_t end) {
    const std::int64_t from = ticksOf(edit.start);
    const std::int64_t length = ticksOf(edit.length);
    const std::int64_t to = from + length;
    Keys out;
    out.reserve(keys.size() + 4);
    switch (edit.kind) {
    case TimeEditKind::Move:
    case TimeEditKind::Duplicate: {
        const std::int64_t offset = ticksOf(edit.to) - from;
        Keys block = rangeWithEnds(keys, from, to, end);
        if (block.empty() || (offset == 0 && edit.kind == TimeEditKind::Move)) return keys;
        for (Key& k : block) k.t += offset;
        const bool keepSource = edit.kind == TimeEditKind::Duplicate;
        Keys rest;
        rest.reserve(keys.size());
        for (const Key& k : keys) {
            const bool inSource = k.t >= from && k.t < to;
            const bool inTarget = k.t >= from + offset && k.t < to + offset;
            if (!inTarget && (keepSource || !inSource)) rest.push_back(k);
        }
        // The block lies within the target, where rest holds no key.
        out.resize(rest.size() + block.size());
        std::merge(rest.begin(), rest.end(), block.begin(), block.end(), out.begin(),
                   [](const Key& a, const Key& b) { return a.t < b.t; });
        return out;
    }
    case TimeEditKind::Insert: {
        if (length <= 0 || from > end) return keys;
        const std::int32_t held = valueOn(keys, from);
        const bool atKey = hasKeyAt(keys, from);
        for (const Key& k : keys)
            if (k.t < from) out.push_back(k);
        out.push_back({from, held});
        if (!atKey) out.push_back({from + length, held});
        for (const Key& k : keys)
            if (k.t >= from) out.push_back({k.t + length, k.v});
        return out;
    }
    case TimeEditKind::Delete: {
        if (length <= 0 || from > end) return keys;
        for (const Key& k : keys)
            if (k.t < from) out.push_back(k);
        // What follows moves earlier whole, from the pose at the range's end.
        if (to <= end && !hasKeyAt(keys, to)) out.push_back({from, valueOn(keys, to)});
        for (const Key& k : keys)
            if (k.t >= to) out.push_back({k.t - length, k.v});
        if (out.empty()) out.push_back({keys.front().t, valueOn(keys, from)});
        return out;
    }
    }
    return keys;
}

// Keys past the end or before the start go; the motion there stays as a key
// at the end or the start.
void clipToTrack(Keys& keys, std::int64_t end) {
    if (keys.empty()) return;
    if (keys.front().t < 0) {
        const std::int32_t v = valueOn(keys, 0);
        keys.erase(keys.begin(), std::lower_bound(keys.begin(), keys.end(), std::int64_t{0},
                                                  [](const Key& k, std::int64_t x) { return k.t < x; }));
        if (keys.empty() || keys.front().t != 0) keys.insert(keys.begin(), Key{0, v});
    }
    if (keys.back().t > end) {
        const std::int32_t v = valueOn(keys, end);
        keys.erase(std::upper_bound(keys.begin(), keys.end(), end, [](std::int64_t x, const Key& k) { return x < k.t; }),
                   keys.end());
        if (keys.empty() || keys.back().t != end) keys.push_back({end, v});
    }
}

// Cells of a range [first, first + count) moved by offset that fall outside [0, size).
std::int64_t cellsOutside(std::int64_t first, std::int64_t count, std::int64_t offset, std::int64_t size) {
    if (count <= 0) return 0;
    const std::int64_t lo = first + offset, hi = first + count + offset;  // the cells' new places
    const std::int64_t inside = std::max<std::int64_t>(0, std::min(hi, size) - std::max<std::int64_t>(lo, 0));
    return count - inside;
}

// Time steps of motion the edit pushes out of the track (of length last + 1 steps).
std::int64_t droppedMotionSteps(const TimeEdit& e, std::int64_t lastStep) {
    switch (e.kind) {
    case TimeEditKind::Move:
    case TimeEditKind::Duplicate: {
        const std::int64_t count = std::min<std::int64_t>(e.start + std::int64_t{e.length}, lastStep + 1) - e.start;
        return cellsOutside(e.start, count, std::int64_t{e.to} - e.start, lastStep + 1);
    }
    case TimeEditKind::Insert:
        // The time after the point, up to the end, is what can be pushed out.
        return std::max<std::int64_t>(0, std::min<std::int64_t>(e.length, lastStep - e.start));
    case TimeEditKind::Delete: return 0;
    }
    return 0;
}

}  // namespace

std::int64_t ledStepOfTimeStep(std::int64_t step) {
    const std::int64_t scaled = (std::abs(step) * kMsPerStep * kLedStepsPerSecond * 2 + kMsPerSecond) / (2 * kMsPerSecond);
    return step < 0 ? -scaled : scaled;
}

int lastTimeStep(const CMotionTrack& motion, const CLedTrack& leds) {
    std::int64_t last = 0;
    if (motion.kind() != MOTION_NONE) last = (std::int64_t{motion.totalTicks()} + kTicksPerStep - 1) / kTicksPerStep;
    // The last time step whose LED step lies within the track: near (n - 1) × 25 / 24.
    if (const std::int64_t n = leds.length(); n > 0) {
        std::int64_t s = (n - 1) * kMsPerSecond / (kMsPerStep * kLedStepsPerSecond);
        while (ledStepOfTimeStep(s + 1) <= n - 1) ++s;
        last = std::max(last, s);
    }
    return static_cast<int>(std::min<std::int64_t>(last, INT32_MAX));
}

MotionTimeResult planMotionTimeEdit(const CMotionTrack& track, std::uint32_t columns, const TimeEdit& edit) {
    MotionTimeResult result;
    const int count = track.keyframeCount();
    const int channels = track.channelCount();
    if (track.kind() == MOTION_NONE || count <= 0) {
        result.block = track.block();
        result.count = count;
        return result;
    }
    std::vector<std::int64_t> times(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) times[static_cast<std::size_t>(k)] = track.keyframeTime(k);
    const std::int64_t end = times.back();

    std::vector<Keys> keys(static_cast<std::size_t>(channels));
    std::vector<std::int64_t> newTimes;
    bool allEdited = true;
    for (int c = 0; c < channels; ++c) {
        Keys& column = keys[static_cast<std::size_t>(c)];
        column = columnKeys(track, times, c);
        if (!((columns >> c) & 1u)) {
            allEdited = false;
            continue;
        }
        column = editColumn(column, edit, end);
        clipToTrack(column, end);
        for (const Key& k : column) newTimes.push_back(k.t);
    }
    // Columns left alone keep every keyframe time; the track keeps its start and end.
    if (!allEdited) newTimes.insert(newTimes.end(), times.begin(), times.end());
    newTimes.push_back(times.front());
    newTimes.push_back(end);
    std::sort(newTimes.begin(), newTimes.end());
    newTimes.erase(std::unique(newTimes.begin(), newTimes.end()), newTimes.end());

    const auto words = static_cast<std::size_t>(track.recordWords());
    result.block.reserve(newTimes.size() * words);
    std::int64_t before = 0;
    int old = 0;  // the first old keyframe not before t, for its reserved words
    for (const std::int64_t t : newTimes) {
        while (old < count && times[static_cast<std::size_t>(old)] < t) ++old;
        const bool wasThere = old < count && times[static_cast<std::size_t>(old)] == t;
        result.block.push_back(static_cast<std::int32_t>(t - before));
        for (int r = 0; r < kReservedWords; ++r) result.block.push_back(wasThere ? track.reserved(old, r) : 0);
        for (int c = 0; c < channels; ++c) result.block.push_back(valueOn(keys[static_cast<std::size_t>(c)], t));
        before = t;
    }
    result.count = static_cast<int>(newTimes.size());
    if ((columns & columnMask(channels)) != 0)
        result.droppedTicks = ticksOf(droppedMotionSteps(edit, end / kTicksPerStep));
    return result;
}

LedTimeResult planLedTimeEdit(const CLedTrack& leds, unsigned bits, const TimeEdit& edit) {
    LedTimeResult result;
    result.steps = leds.steps;
    bits &= 0x03u;
    const std::int64_t n = leds.length();
    if (bits == 0 || n == 0) return result;
    const auto& old = leds.steps;
    auto& out = result.steps;
    auto at = [](std::int64_t i) { return static_cast<std::size_t>(i); };
    // Only the chosen bits of a step change.
    auto put = [&](std::int64_t i, std::uint8_t source) {
        out[at(i)] = static_cast<std::uint8_t>((out[at(i)] & ~bits) | (source & bits));
    };
    const std::int64_t first = ledStepOfTimeStep(edit.start);
    const std::int64_t length = ledStepOfTimeStep(edit.length);
    switch (edit.kind) {
    case TimeEditKind::Move:
    case TimeEditKind::Duplicate: {
        const std::int64_t offset = ledStepOfTimeStep(edit.to) - first;
        if (offset == 0 && edit.kind == TimeEditKind::Move) return result;
        const std::int64_t from = std::clamp<std::int64_t>(first, 0, n);
        const std::int64_t to = std::clamp<std::int64_t>(first + length, 0, n);
        if (edit.kind == TimeEditKind::Move)
            for (std::int64_t i = from; i < to; ++i) put(i, 0);  // the place left is dark
        for (std::int64_t i = from; i < to; ++i) {
            const std::int64_t j = i + offset;
            if (j >= 0 && j < n) put(j, old[at(i)]);
            else ++result.droppedSteps;
        }
        return result;
    }
    case TimeEditKind::Insert: {
        if (first < 0 || first >= n || length <= 0) return result;
        for (std::int64_t i = first; i < n; ++i) {
            if (i + length < n) put(i + length, old[at(i)]);
            else ++result.droppedSteps;
        }
        for (std::int64_t i = first; i < std::min(first + length, n); ++i) put(i, 0);  // inserted time is dark
        return result;
    }
    case TimeEditKind::Delete: {
        if (first < 0 || first >= n || length <= 0) return result;
        const std::int64_t tail = std::max(first, n - length);  // from here the last state holds
        for (std::int64_t i = first; i < tail; ++i) put(i, old[at(i + length)]);
        const std::uint8_t last = tail > 0 ? out[at(tail - 1)] : 0;
        for (std::int64_t i = tail; i < n; ++i) put(i, last);
        return result;
    }
    }
    return result;
}

TimeEditPlan planTimeEdit(const CMotionTrack& motion, const CLedTrack& leds, const TimeRows& rows,
                          const TimeEdit& edit) {
    TimeEditPlan plan;
    plan.keyframes = motion.keyframeCount();
    plan.budget = motion.keyframeBudget();
    const int channels = motion.channelCount();
    const std::uint32_t columns = rows.columns & columnMask(channels);
    if (columns != 0 && motion.kind() != MOTION_NONE) {
        plan.motion = planMotionTimeEdit(motion, columns, edit);
        plan.keyframes = plan.motion->count;
        // An edit that does not grow the motion is never refused, even when it was too large already.
        plan.fits = plan.keyframes <= plan.budget || plan.keyframes <= motion.keyframeCount();
        plan.droppedMs = plan.motion->droppedTicks * kMsPerTick;
    }
    if ((rows.ledBits & 0x03u) != 0 && leds.length() > 0) {
        plan.leds = planLedTimeEdit(leds, rows.ledBits, edit);
        // The motion's figure counts in whole time steps; the eye lights' (rounded
        // to their own steps) only when no motion row was edited.
        if (!plan.motion) plan.droppedMs = plan.leds->droppedSteps * kMsPerSecond / kLedStepsPerSecond;
    }
    return plan;
}

bool applyTimeEdit(CMotionTrack& motion, CLedTrack& leds, TimeEditPlan plan) {
    bool changed = false;
    if (plan.motion && (plan.motion->count != motion.keyframeCount() || plan.motion->block != motion.block())) {
        motion.replaceBlock(std::move(plan.motion->block), plan.motion->count);
        motion.setModified(true);
        changed = true;
    }
    if (plan.leds && plan.leds->steps != leds.steps) {
        leds.steps = std::move(plan.leds->steps);
        leds.modified = true;
        changed = true;
    }
    return changed;
}

}  // namespace rova
