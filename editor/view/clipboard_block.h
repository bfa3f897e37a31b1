// The clipboard block of Copy and Paste Special, free of any
// toolkit: 8 + 72 x N bytes, little-endian 32-bit signed integers: the
// source's motion track flags, the step count N, then N x 18 joint values,
// channel fastest. And the channel mapping of Paste Special.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "model/paste_parts.h"

namespace rova {

// The private clipboard format's name.
inline constexpr const char* kMotionClipboardFormat = "ROVA_Editor_Motion";

inline constexpr std::size_t kClipboardHeaderBytes = 8;
inline constexpr std::size_t kClipboardStepBytes = 18 * 4;

// The block size for n steps (n >= 1).
inline std::size_t clipboardBlockSize(int steps) {
    return kClipboardHeaderBytes + kClipboardStepBytes * static_cast<std::size_t>(steps);
}

// Fills a block of clipboardBlockSize(steps) bytes: flags, steps, and
// valueAt(i, c) for i = 0 .. steps - 1 and c = 0 .. 17, channel fastest.
using StepValue = std::function<std::int32_t(int step, int channel)>;
void fillClipboardBlock(std::vector<std::uint8_t>& block, std::uint32_t flags, int steps, const StepValue& valueAt);

// A well-formed block, read where it lies.
class ClipboardMotion {
public:
    // Nothing unless size is exactly 8 + 72 x N with N >= 1: a block that
    // another program put there badly counts as no motion data.
    static std::optional<ClipboardMotion> parse(const std::uint8_t* data, std::size_t size);

    std::uint32_t flags() const;
    int steps() const { return m_steps; }
    // The value of channel c (0..17) at step i (0..steps - 1).
    std::int32_t value(int step, int channel) const;

private:
    ClipboardMotion(const std::uint8_t* data, int steps) : m_data(data), m_steps(steps) {}
    const std::uint8_t* m_data;
    int m_steps;
};

// The target channel of source channel c, or -1 when its group's box is off
// (or c is no channel). The boxes choose what is taken, not where it goes.
int mapChannel(int channel, const PasteParts& mapping);

}  // namespace rova
