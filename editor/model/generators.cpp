#include "model/generators.h"

#include <algorithm>

namespace rova {

int countLoud(const std::uint8_t* samples, int n, int threshold) {
    int loud = 0;
    for (int i = 0; i < n; ++i) {
        const int s = static_cast<int>(samples[i]) - 128;
        if (s < -threshold || s > threshold) ++loud;
    }
    return loud;
}

bool isLoud(const std::uint8_t* samples, int n, int threshold) {
    if (n <= 0) return false;
    return static_cast<double>(countLoud(samples, n, threshold)) / n > 0.2;
}

void generateFromAudio(CLedTrack& leds, const CWaveTrack& wave, int greenThreshold, int redThreshold) {
    for (int i = 0; i < leds.length(); ++i) {
        std::uint8_t& step = leds.steps[static_cast<std::size_t>(i)];
        // Formed in 64 bits: the same offsets as 32-bit arithmetic for
        // every track shorter than 268435 steps and no overflow beyond.
        const std::int64_t offset = static_cast<std::int64_t>(i) * kSampleRate / kLedStepsPerSecond;
        const std::int64_t n = std::min<std::int64_t>(wave.sampleCount - offset, kEyeWindowSamples);
        if (n <= 0 || !wave.samples) {
            step = 0;
            continue;
        }
        const std::uint8_t* window = wave.samples + offset;
        const int count = static_cast<int>(n);
        step = static_cast<std::uint8_t>(step & ~0x03u);
        if (isLoud(window, count, greenThreshold)) step |= 0x01;
        if (isLoud(window, count, redThreshold)) step |= 0x02;
    }
    leds.modified = true;
}

void generateMouth(CMotionTrack& motion, const CWaveTrack& wave, int threshold, int start, int length) {
    constexpr int kColumn = Mouth;  // the head track and the full body both start at channel 0
    if (motion.firstChannel() != 0 || motion.channelCount() <= kColumn) return;
    const std::int64_t from = static_cast<std::int64_t>(kTicksPerStep) * start;
    const std::int64_t to = static_cast<std::int64_t>(kTicksPerStep) * (static_cast<std::int64_t>(start) + length);
    const int last = motion.keyframeCount() - 1;
    int level = 0;
    std::int64_t t = 0;  // the time of the previous keyframe
    for (int k = 0; k <= last; t += motion.duration(k), ++k) {
        const std::int64_t d = motion.duration(k);
        if (t < from || t + d >= to) continue;
        if (k == 0 || k == last) {
            motion.setValue(k, kColumn, 0);  // leaves the ends as they are
            continue;
        }
        // The window starts 10 ticks after the previous keyframe.
        const std::int64_t offset = (t + 10) * kSamplesPerTick;
        const std::int64_t n = std::min(d * kSamplesPerTick, wave.sampleCount - offset);
        if (n <= 0 || !wave.samples) {
            motion.setValue(k, kColumn, 0);
            continue;
        }
        const int target = isLoud(wave.samples + offset, static_cast<int>(n), threshold) ? kMouthOpenLevel
                                                                                         : kMouthQuietLevel;
        if (target > level) ++level;
        else if (target < level) --level;
        motion.setValue(k, kColumn, (kMouthOpenValue * level) / kMouthOpenLevel);
    }
    motion.setModified(true);
}

}  // namespace rova
