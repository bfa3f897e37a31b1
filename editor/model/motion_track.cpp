#include "motion_track.h"

#include <algorithm>

namespace rova {

int firstChannelOfKind(MotionKind kind) {
    switch (kind) {
    case MOTION_FULL_BODY: return 0;
    case MOTION_HEAD: return 0;
    case MOTION_LEGS: return 4;
    case MOTION_TAIL: return 16;
    default: return -1;
    }
}

int channelCountOfKind(MotionKind kind) {
    switch (kind) {
    case MOTION_FULL_BODY: return 18;
    case MOTION_EXTRA_TAIL: return 18;
    case MOTION_HEAD: return 4;
    case MOTION_LEGS: return 12;
    case MOTION_TAIL: return 2;
    default: return 0;
    }
}

unsigned trackFlagsOfKind(MotionKind kind) {
    switch (kind) {
    case MOTION_FULL_BODY: return TRACK_HEAD | TRACK_LEGS | TRACK_TAIL;
    case MOTION_HEAD: return TRACK_HEAD;
    case MOTION_LEGS: return TRACK_LEGS;
    case MOTION_TAIL: return TRACK_TAIL;
    default: return 0;
    }
}

void CMotionTrack::setDuration(int k, int ticks) {
    m_block[word(k, 0)] = ticks;
    m_timesStale = true;
}

void CMotionTrack::setValue(int k, int c, std::int32_t v) {
    if (k <= 0 || k >= m_count - 1) return;
    setValueForced(k, c, v);
}

void CMotionTrack::setValueForced(int k, int c, std::int32_t v) {
    m_block[word(k, 4 + c)] = v;
    m_modified = true;
}

const std::vector<std::int64_t>& CMotionTrack::times() const {
    if (m_timesStale) {
        m_times.resize(static_cast<std::size_t>(m_count));
        std::int64_t t = 0;
        for (int k = 0; k < m_count; ++k) {
            t += duration(k);
            m_times[static_cast<std::size_t>(k)] = t;
        }
        m_timesStale = false;
    }
    return m_times;
}

std::int64_t CMotionTrack::keyframeTime(int k) const { return times()[static_cast<std::size_t>(k)]; }

// The value at tick t comes from the first keyframe k with
// time(k-1) <= t <= time(k) (time(-1) = 0); keyframe times never decrease, so
// that is the first keyframe whose time reaches t.
int CMotionTrack::segmentAt(std::int64_t t) const {
    if (t < 0 || m_count <= 0) return -1;
    const auto& ts = times();
    const auto it = std::lower_bound(ts.begin(), ts.end(), t);
    if (it == ts.end()) return -1;
    return static_cast<int>(it - ts.begin());
}

std::int32_t CMotionTrack::valueAtStep(int step, int c) const {
    const std::int64_t t = static_cast<std::int64_t>(step) * kTicksPerStep;
    const int k = segmentAt(t);
    if (k < 0) return kNoValue;
    if (k == 0) return value(0, c);
    const std::int64_t before = times()[static_cast<std::size_t>(k - 1)];
    const std::int64_t into = t - before;
    if (into <= 0) return value(k, c);
    const std::int64_t a = value(k - 1, c);
    const std::int64_t b = value(k, c);
    return static_cast<std::int32_t>(a + (b - a) * into / duration(k));
}

bool CMotionTrack::setValueAtStep(int step, int c, std::int32_t v) {
    const std::int64_t t = static_cast<std::int64_t>(step) * kTicksPerStep;
    const int k = segmentAt(t);
    if (k < 0 || times()[static_cast<std::size_t>(k)] != t) return false;
    setValue(k, c, v);
    return true;
}

bool CMotionTrack::valuesAtStep(int step, int* out) const {
    if (segmentAt(static_cast<std::int64_t>(step) * kTicksPerStep) < 0) return false;
    for (int c = 0; c < m_channels; ++c) out[c] = wholeDegrees(valueAtStep(step, c));
    return true;
}

bool CMotionTrack::isKeyframeAtStep(int step, bool& pastEnd) const {
    const std::int64_t t = static_cast<std::int64_t>(step) * kTicksPerStep;
    pastEnd = m_count <= 0 || t > times().back();
    const int k = segmentAt(t);
    return k >= 0 && times()[static_cast<std::size_t>(k)] == t;
}

bool CMotionTrack::setValueInRange(int c, std::int32_t v, int start, int length) {
    const std::int64_t from = static_cast<std::int64_t>(start) * kTicksPerStep;
    const std::int64_t to = (static_cast<std::int64_t>(start) + length) * kTicksPerStep;
    const auto& ts = times();
    bool any = false;
    for (auto it = std::lower_bound(ts.begin(), ts.end(), from); it != ts.end() && *it < to; ++it) {
        setValue(static_cast<int>(it - ts.begin()), c, v);
        any = true;
    }
    return any;
}

void CMotionTrack::assign(MotionKind kind, int channels, const std::array<int, kChannelCount>& locators,
                          std::vector<std::int32_t> block, int count) {
    m_kind = kind;
    m_channels = channels;
    m_locators = locators;
    replaceBlock(std::move(block), count);
}

void CMotionTrack::replaceBlock(std::vector<std::int32_t> block, int count) {
    m_block = std::move(block);
    m_count = count;
    recomputeTotal();
}

void CMotionTrack::recomputeTotal() {
    m_timesStale = true;
    std::int64_t total = 0;
    for (int k = 0; k < m_count; ++k) total += duration(k);
    m_totalTicks = static_cast<int>(total);
}

void CMotionTrack::clear() { *this = CMotionTrack(); }

}  // namespace rova
