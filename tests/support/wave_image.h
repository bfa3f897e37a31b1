// Builds WAVE file images for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/byte_io.h"

namespace rova::test {

// An 8000 Hz mono 8-bit PCM file of `samples` bytes (a ramp), optionally with
// an extra chunk between "fmt " and "data".
inline std::vector<std::uint8_t> waveImage(std::size_t samples, bool extraChunk = false) {
    std::vector<std::uint8_t> b;
    b.reserve(64 + samples);
    auto text = [&](const char* s) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(s[i]));
    };
    auto u16 = [&](std::uint32_t v) { appendLe(b, v, 2); };
    auto u32 = [&](std::uint32_t v) { appendLe(b, v, 4); };
    text("RIFF");
    u32(0);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1); u16(1); u32(8000); u32(8000); u16(1); u16(8);
    if (extraChunk) {
        text("LIST");
        u32(4);
        text("INFO");
    }
    text("data");
    u32(static_cast<std::uint32_t>(samples));
    for (std::size_t i = 0; i < samples; ++i) b.push_back(static_cast<std::uint8_t>(128 + (i % 64)));
    storeLe(b.data() + 4, static_cast<std::uint32_t>(b.size() - 8), 4);
    return b;
}

}  // namespace rova::test
