#include "keyframe_ops.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace rova {
namespace {

constexpr int kReduceTolerance = 10;  // µrad

std::int64_t selectionTick(int step) { return static_cast<std::int64_t>(step) * kTicksPerStep; }

// Appends keyframe k of the track to a new block.
void copyKeyframe(const CMotionTrack& track, int k, std::vector<std::int32_t>& out) {
    const auto words = static_cast<std::size_t>(track.recordWords());
    const auto from = track.block().begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(k) * words);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(words));
}

}  // namespace

int align(CMotionTrack& track) {
    int changed = 0;
    int carry = 0;
    std::int64_t total = 0;
    for (int k = 0; k < track.keyframeCount(); ++k) {
        const int d = track.duration(k);
        std::int64_t aligned = d;
        if (d != 0 && d % kTicksPerStep != 0) {
            std::int64_t q = d / kTicksPerStep;
            carry += d % kTicksPerStep;
            if (carry >= kTicksPerStep) {
                ++q;
                carry -= kTicksPerStep;
            } else if (q == 0) {
                q = 1;
                carry = 0;
            }
            aligned = kTicksPerStep * q;
        }
        // Rounding up must not push a crafted track past the int range of times:
        // such a duration is cut to the largest multiple of a step that still fits.
        if (total + aligned > INT_MAX) aligned = (INT_MAX - total) / kTicksPerStep * kTicksPerStep;
        total += aligned;
        if (aligned != d) {
            track.setDuration(k, static_cast<int>(aligned));
            ++changed;
        }
    }
    if (changed > 0) track.recomputeTotal();
    return changed;
}

bool reduce(CMotionTrack& track, int start, int length) {
    if (track.kind() == MOTION_NONE) return false;
    const int count = track.keyframeCount();
    const int columns = track.channelCount();
    const std::int64_t from = selectionTick(start);
    const std::int64_t to = selectionTick(start) + selectionTick(length);

    // Every candidate is judged against its neighbours as they were before.
    std::vector<bool> removable(static_cast<std::size_t>(count), false);
    int removed = 0;
    std::int64_t before = 0;  // time of keyframe k - 1
    for (int k = 0; k < count; ++k) {
        const std::int64_t d = track.duration(k);
        if (k > 0 && k < count - 1 && before > from && before + d < to) {
            const std::int64_t span = d + track.duration(k + 1);
            bool onLine = true;
            for (int c = 0; c < columns && onLine; ++c) {
                const std::int64_t a = track.value(k - 1, c);
                const std::int64_t b = track.value(k + 1, c);
                // Two neighbours at one time: the keyframe lies on the earlier one.
                const std::int64_t expected = span == 0 ? a : a + (b - a) * d / span;
                onLine = std::llabs(expected - track.value(k, c)) <= kReduceTolerance;
            }
            if (onLine) {
                removable[static_cast<std::size_t>(k)] = true;
                ++removed;
            }
        }
        before += d;
    }
    if (removed == 0) return false;

    // A removed keyframe's duration goes to the next kept one, so times stay.
    std::vector<std::int32_t> block;
    block.reserve(static_cast<std::size_t>(count - removed) * static_cast<std::size_t>(track.recordWords()));
    std::int64_t carried = 0;
    for (int k = 0; k < count; ++k) {
        if (removable[static_cast<std::size_t>(k)]) {
            carried += track.duration(k);
            continue;
        }
        const std::size_t at = block.size();
        copyKeyframe(track, k, block);
        block[at] = static_cast<std::int32_t>(block[at] + carried);
        carried = 0;
    }
    track.replaceBlock(std::move(block), count - removed);
    track.setModified(true);
    return true;
}

bool expand(CMotionTrack& track, int start, int length) {
    if (track.kind() == MOTION_NONE) return false;
    const int count = track.keyframeCount();
    const int columns = track.channelCount();
    const std::int64_t from = selectionTick(start);
    const std::int64_t to = selectionTick(start) + selectionTick(length);

    // Parts each keyframe becomes: -1 keeps it as it is, otherwise n keyframes
    // 5 ticks apart (none for a marked keyframe shorter than 5 ticks).
    std::vector<std::int64_t> parts(static_cast<std::size_t>(count), -1);
    std::int64_t added = 0;
    std::int64_t before = 0;
    for (int k = 0; k < count; ++k) {
        const std::int64_t d = track.duration(k);
        const std::int64_t n = std::max<std::int64_t>(d / kTicksPerStep, 0);
        if (k > 0 && before >= from && before + d <= to && n != 1) {
            parts[static_cast<std::size_t>(k)] = n;
            added += n - 1;
        }
        before += d;
    }
    if (added == 0 || (added > 0 && count + added > kMaxExpandedKeyframes)) return false;

    const std::size_t words = static_cast<std::size_t>(track.recordWords());
    std::vector<std::int32_t> block;
    block.reserve(static_cast<std::size_t>(count + added) * words);
    for (int k = 0; k < count; ++k) {
        const std::int64_t n = parts[static_cast<std::size_t>(k)];
        if (n < 0) {
            copyKeyframe(track, k, block);
            continue;
        }
        for (std::int64_t l = 1; l <= n; ++l) {
            block.push_back(kTicksPerStep);
            for (int r = 0; r < kReservedWords; ++r) block.push_back(track.reserved(k, r));
            for (int c = 0; c < columns; ++c) {
                const std::int64_t p = track.value(k - 1, c);
                const std::int64_t v = track.value(k, c);
                block.push_back(static_cast<std::int32_t>(p + (v - p) * l / n));
            }
        }
    }
    track.replaceBlock(std::move(block), static_cast<int>(count + added));
    track.setModified(true);
    return true;
}

void smoothBetweenEnds(CMotionTrack& track, int column, int start, int length) {
    if (track.kind() == MOTION_NONE || column < 0 || column >= track.channelCount()) return;
    const std::int64_t from = selectionTick(start);
    const std::int64_t to = selectionTick(start) + selectionTick(length);
    int first = -1;
    int last = -1;
    for (int k = 0; k < track.keyframeCount(); ++k) {
        const std::int64_t t = track.keyframeTime(k);
        if (t >= to) break;
        if (first < 0 && t >= from) first = k;
        last = k;
    }
    if (first < 0 || last <= first) return;

    const std::int64_t a = track.value(first, column);
    const std::int64_t b = track.value(last, column);
    const std::int64_t t0 = track.keyframeTime(first);
    const std::int64_t span = track.keyframeTime(last) - t0;
    for (int k = first + 1; k < last; ++k) {
        // Keyframes at one time as both ends (zero durations) take the first end's value.
        const std::int64_t v = span == 0 ? a : a + (track.keyframeTime(k) - t0) * (b - a) / span;
        track.setValue(k, column, static_cast<std::int32_t>(v));
    }
}

void rebuildToAudio(CMotionTrack& track, int samples) {
    if (track.kind() == MOTION_NONE || track.keyframeCount() < 1) return;
    const int columns = track.channelCount();
    const int lastOld = track.keyframeCount() - 1;
    std::vector<std::int32_t> firstValues(static_cast<std::size_t>(columns));
    std::vector<std::int32_t> lastValues(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        firstValues[static_cast<std::size_t>(c)] = track.value(0, c);
        lastValues[static_cast<std::size_t>(c)] = track.value(lastOld, c);
    }

    const std::int64_t n = std::max(samples, 0);
    const std::int64_t ticks =
        ((n + kSamplesPerTick - 1) / kSamplesPerTick + kTicksPerStep - 1) / kTicksPerStep * kTicksPerStep;
    const std::int64_t count = ticks / kTicksPerStep + 1;
    const std::size_t words = static_cast<std::size_t>(track.recordWords());
    std::vector<std::int32_t> block(static_cast<std::size_t>(count) * words, 0);
    for (std::int64_t k = 0; k < count; ++k) {
        std::int32_t* record = block.data() + static_cast<std::size_t>(k) * words;
        record[0] = k == 0 ? 0 : kTicksPerStep;
        const auto& values = k == count - 1 ? lastValues : firstValues;
        std::copy(values.begin(), values.end(), record + 1 + kReservedWords);
    }
    track.replaceBlock(std::move(block), static_cast<int>(count));
    track.setModified(true);
}

}  // namespace rova
