// Reads a video file back through libavformat: its streams, how many pictures
// and how much sound it holds, and what they show (for checks and tests).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rova::video {

struct VideoProbe {
    bool opened = false;
    std::vector<std::string> streamKinds;  // "video", "audio", ... in stream order
    std::string videoCodec, audioCodec;
    int width = 0, height = 0;
    std::int64_t pictures = 0;        // decoded pictures
    double soundSeconds = 0;          // decoded sound
    std::vector<double> pictureMeans;  // mean brightness (0..255) of each picture
    double firstLoudMs = -1;          // when the sound first rises above a quarter of full scale; -1: never
};

VideoProbe probeVideo(const std::string& path);

}  // namespace rova::video
