#include "view/clipboard_block.h"

#include "model/byte_io.h"
#include "model/channels.h"

namespace rova {
namespace {

void put32(std::uint8_t* p, std::uint32_t v) { storeLe(p, v, 4); }

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

void fillClipboardBlock(std::vector<std::uint8_t>& block, std::uint32_t flags, int steps, const StepValue& valueAt) {
    block.resize(clipboardBlockSize(steps));
    std::uint8_t* p = block.data();
    put32(p, flags);
    put32(p + 4, static_cast<std::uint32_t>(steps));
    p += kClipboardHeaderBytes;
    for (int i = 0; i < steps; ++i)
        for (int c = 0; c < kChannelCount; ++c, p += 4) put32(p, static_cast<std::uint32_t>(valueAt(i, c)));
}

std::optional<ClipboardMotion> ClipboardMotion::parse(const std::uint8_t* data, std::size_t size) {
    if (!data || size < kClipboardHeaderBytes) return std::nullopt;
    const auto steps = static_cast<std::int32_t>(get32(data + 4));
    if (steps <= 0) return std::nullopt;
    if ((size - kClipboardHeaderBytes) / kClipboardStepBytes != static_cast<std::size_t>(steps) ||
        (size - kClipboardHeaderBytes) % kClipboardStepBytes != 0)
        return std::nullopt;
    return ClipboardMotion(data, steps);
}

std::uint32_t ClipboardMotion::flags() const { return get32(m_data); }

std::int32_t ClipboardMotion::value(int step, int channel) const {
    const std::size_t at = kClipboardHeaderBytes +
                           (static_cast<std::size_t>(step) * static_cast<std::size_t>(kChannelCount) + static_cast<std::size_t>(channel)) * 4;
    return static_cast<std::int32_t>(get32(m_data + at));
}

int mapChannel(int c, const PasteParts& m) {
    // Source channels, their check box, and what each swap adds.
    struct Group {
        int first, last;
        bool PasteParts::*box;
        int swapLR, swapFB;
    };
    static constexpr Group kGroups[] = {
        {0, 2, &PasteParts::head, 0, 0},      {3, 3, &PasteParts::mouth, 0, 0},
        {4, 6, &PasteParts::rfLeg, 3, 6},     {7, 9, &PasteParts::lfLeg, -3, 6},
        {10, 12, &PasteParts::rrLeg, 3, -6},  {13, 15, &PasteParts::lrLeg, -3, -6},
        {16, 17, &PasteParts::tail, 0, 0},
    };
    for (const Group& g : kGroups) {
        if (c < g.first || c > g.last) continue;
        if (!(m.*g.box)) return -1;
        return c + (m.swapLR ? g.swapLR : 0) + (m.swapFB ? g.swapFB : 0);
    }
    return -1;
}

}  // namespace rova
