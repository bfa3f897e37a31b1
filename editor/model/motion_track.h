// The motion track: keyframes of up to 18 joint channels over time.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "channels.h"

namespace rova {

enum MotionKind : int {
    MOTION_NONE = 0,
    MOTION_FULL_BODY = 1,
    MOTION_EXTRA_TAIL = 2,  // always rejected
    MOTION_HEAD = 3,
    MOTION_LEGS = 4,
    MOTION_TAIL = 5,
};

// First channel and channel count of each kind; -1 / 0 for the kinds that hold none.
int firstChannelOfKind(MotionKind kind);
int channelCountOfKind(MotionKind kind);
// The track flags a motion of this kind sets (0 when it holds no channels).
unsigned trackFlagsOfKind(MotionKind kind);

constexpr int kReservedWords = 3;
constexpr int kMaxFileKeyframes = 32000;
constexpr int kMaxMotionFileSize = 46000;  // a motion file's data section must stay below this

// The most keyframes of `channels` values a motion file holds: its data section
// (K x (N + 4) x 4 + 6 bytes) must stay below kMaxMotionFileSize. The one place
// of this rule: Save, the check and the generators all ask here.
constexpr int motionKeyframeBudget(int channels) {
    return channels <= 0 ? 0 : (kMaxMotionFileSize - 6 - 1) / ((channels + 1 + kReservedWords) * 4);
}

// A keyframe is (N + 4) 32-bit words: duration, three reserved words, N values.
// The track keeps its keyframes in a buffer of its own (the file's bytes are
// not 4-byte aligned, so records cannot be used in place safely).
class CMotionTrack {
public:
    MotionKind kind() const { return m_kind; }
    int channelCount() const { return m_channels; }
    int firstChannel() const { return m_first; }
    int keyframeCount() const { return m_count; }
    int totalTicks() const { return m_totalTicks; }
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    void setFirstChannel(int first) { m_first = first; }
    const std::array<int, kChannelCount>& locatorIndexes() const { return m_locators; }

    int recordWords() const { return m_channels + 1 + kReservedWords; }
    const std::vector<std::int32_t>& block() const { return m_block; }

    int duration(int k) const { return m_block[word(k, 0)]; }
    // Writes the duration without touching the modified flag; callers recompute the total.
    void setDuration(int k, int ticks);
    std::int32_t reserved(int k, int i) const { return m_block[word(k, 1 + i)]; }
    std::int32_t value(int k, int c) const { return m_block[word(k, 4 + c)]; }

    // Ignores the first and last keyframe: only rebuilds may change them.
    void setValue(int k, int c, std::int32_t v);
    void setValueForced(int k, int c, std::int32_t v);

    std::int32_t valueAtStep(int step, int c) const;
    bool setValueAtStep(int step, int c, std::int32_t v);
    // Whole degrees of every channel at the step (the pose for the viewer).
    bool valuesAtStep(int step, int* out) const;
    bool isKeyframeAtStep(int step, bool& pastEnd) const;
    bool setValueInRange(int c, std::int32_t v, int start, int length);

    // Time of keyframe k in ticks: the sum of durations 0..k.
    std::int64_t keyframeTime(int k) const;

    int fileSize() const { return m_count * recordWords() * 4 + 6; }
    bool fitsInFile() const { return fileSize() < kMaxMotionFileSize; }
    // The most keyframes a file of this track's channels can hold: fitsInFile() holds up to it
    // (522 for a full-body track).
    int keyframeBudget() const { return motionKeyframeBudget(m_channels); }

    // Fills the track from parsed data; the first channel is left to the caller.
    void assign(MotionKind kind, int channels, const std::array<int, kChannelCount>& locators,
                std::vector<std::int32_t> block, int count);
    // Replaces the keyframes (kind and channels stay) and recomputes the total.
    void replaceBlock(std::vector<std::int32_t> block, int count);
    void recomputeTotal();
    void clear();

private:
    std::size_t word(int k, int w) const {
        return static_cast<std::size_t>(k) * static_cast<std::size_t>(recordWords()) +
               static_cast<std::size_t>(w);
    }
    // Index of the keyframe that gives the value at tick t, or -1 when none does.
    int segmentAt(std::int64_t t) const;
    const std::vector<std::int64_t>& times() const;

    MotionKind m_kind = MOTION_NONE;
    int m_channels = 0;
    int m_first = -1;
    std::array<int, kChannelCount> m_locators = filledLocators();
    std::vector<std::int32_t> m_block;
    int m_count = 0;
    int m_totalTicks = 0;
    bool m_modified = false;

    mutable std::vector<std::int64_t> m_times;  // keyframe times, rebuilt when stale
    mutable bool m_timesStale = true;

    static std::array<int, kChannelCount> filledLocators() {
        std::array<int, kChannelCount> a{};
        a.fill(-1);
        return a;
    }
};

// Eye LED track: one byte per LED step (bit 0 green, bit 1 red).
struct CLedTrack {
    std::vector<std::uint8_t> steps;
    bool modified = false;

    int length() const { return static_cast<int>(steps.size()); }
    bool isModified() const { return modified; }
};

// WAVE audio: unsigned 8-bit mono samples at 8000 Hz inside the document's audio bytes.
struct CWaveTrack {
    const std::uint8_t* samples = nullptr;
    int sampleCount = 0;

    // Length in motion ticks: ceil(samples / 128).
    int ticks() const { return (sampleCount + kSamplesPerTick - 1) / kSamplesPerTick; }
};

// MIDI audio has no content of its own; the document keeps the bytes for playback.
struct CMidiTrack {};

}  // namespace rova
