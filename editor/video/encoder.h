// The FFmpeg side of a video: a container with an H.264 or VP9 picture stream
// and an AAC or Opus sound stream, fed RGBA pictures and float stereo sound.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rova::video {

enum class Container { Mp4, WebM };

class Encoder {
public:
    Encoder();
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // Creates the file and its streams; "" or the reason.
    std::string open(const std::string& path, Container container, int width, int height, int fps, bool sound);
    // The next picture (RGBA rows of width × 4 bytes), and before it the sound
    // up to its end taken from the buffer (interleaved float stereo, 48 kHz).
    // A picture the same as the last one (same) is not converted again.
    std::string addFrame(const std::uint8_t* rgba, bool same, const std::vector<float>& sound);
    // The rest of the sound, the encoders' last packets and the trailer.
    std::string finish(const std::vector<float>& sound);

    std::string videoCodec() const;
    std::string audioCodec() const;

private:
    struct State;
    std::unique_ptr<State> m;
};

}  // namespace rova::video
