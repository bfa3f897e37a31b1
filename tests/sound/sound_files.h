// Sound files made with libsndfile for the conversion tests, and a listing of
// a folder to prove that nothing was left behind.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace rova::test {

// value(frame, channel) in -1..1.
using SoundShape = std::function<float(std::int64_t, int)>;

inline bool writeSound(const std::filesystem::path& path, int format, int rate, int channels, std::int64_t frames,
                       const SoundShape& value) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    std::vector<float> block;
    for (std::int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) block.push_back(value(i, c));
    const bool ok = sf_writef_float(f, block.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

inline SoundShape silence() {
    return [](std::int64_t, int) { return 0.0f; };
}

inline SoundShape sine(double amplitude, double hz, int rate) {
    return [=](std::int64_t i, int) {
        return static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
    };
}

// Every name in the folder, hidden files included.
inline std::set<std::string> listing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

}  // namespace rova::test
