// Builds motion file byte images for tests, field by field, so that single
// fields can be broken on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/byte_io.h"
#include "model/channels.h"

namespace rova::test {

struct MotionImage {
    std::string magic = "OMTN";
    std::string name = "abc";
    std::vector<std::string> locators;
    std::vector<std::vector<std::int32_t>> keyframes;  // duration, then N values
    bool padding = false;
    int sectionWord0 = 3;
    int sectionWord1 = 0;
    int dataSizeDelta = 0;     // added to the correct data size
    int keyframeCountOverride = -1;
    std::uint32_t typeWord = 2;
    std::vector<std::uint8_t> trailing;

    // Locators of channels first .. first + n - 1 and k keyframes whose value
    // in column c at keyframe i is (i + 1) * 1000 * (c + 1) with durations of 5.
    static MotionImage of(int first, int n, int k) {
        MotionImage m;
        for (int c = 0; c < n; ++c) m.locators.emplace_back(kJointLocators[static_cast<std::size_t>(first + c)]);
        for (int i = 0; i < k; ++i) {
            std::vector<std::int32_t> kf{i == 0 ? 0 : 5};
            for (int c = 0; c < n; ++c) kf.push_back((i + 1) * 1000 * (c + 1));
            m.keyframes.push_back(kf);
        }
        return m;
    }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> b;
        auto u8 = [&](unsigned v) { b.push_back(static_cast<std::uint8_t>(v)); };
        auto u16 = [&](std::uint32_t v) { appendLe(b, v, 2); };
        auto u32 = [&](std::uint32_t v) { appendLe(b, v, 4); };
        auto pascal = [&](const std::string& s) { u8(static_cast<unsigned>(s.size())); b.insert(b.end(), s.begin(), s.end()); };
        const std::size_t n = locators.size();
        const std::string creator = "ROVA Editor", design = "QTM-410";
        b.insert(b.end(), magic.begin(), magic.end());
        u32(0); u32(24); u32(4); u32(0x00010001);
        u32(keyframeCountOverride >= 0 ? static_cast<std::uint32_t>(keyframeCountOverride)
                                       : static_cast<std::uint32_t>(keyframes.size()));
        u32(0); u32(1);
        u32(static_cast<std::uint32_t>(name.size() + creator.size() + design.size() + 11));
        pascal(name); pascal(creator); pascal(design);
        u32(typeWord); u32(424); u16(static_cast<unsigned>(n));
        for (const auto& l : locators) pascal(l);
        if (padding) u16(0);
        u16(static_cast<unsigned>(sectionWord0));
        u16(static_cast<unsigned>(sectionWord1));
        u16(static_cast<std::uint32_t>(static_cast<std::int64_t>(keyframes.size() * (n + 4) * 4 + 6) + dataSizeDelta));
        for (const auto& kf : keyframes) {
            u32(static_cast<std::uint32_t>(kf[0]));
            u32(0); u32(0); u32(0);
            for (std::size_t c = 1; c < kf.size(); ++c) u32(static_cast<std::uint32_t>(kf[c]));
        }
        b.insert(b.end(), trailing.begin(), trailing.end());
        return b;
    }
};

}  // namespace rova::test
