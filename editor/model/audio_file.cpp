#include "audio_file.h"

#include <climits>
#include <cstring>

namespace rova {
namespace {

constexpr std::size_t kMinHeader = 44;
constexpr std::size_t kMinWaveFile = 60;
constexpr std::size_t kFirstChunk = 12;
constexpr std::size_t kChunkHeader = 8;

bool hasText(Bytes b, std::size_t at, const char* text) {
    const std::size_t n = std::strlen(text);
    return at <= b.size() && n <= b.size() - at && std::memcmp(b.data() + at, text, n) == 0;
}

bool parseWave(Bytes b, CWaveTrack& track) {
    if (b.size() < kMinHeader || !hasText(b, 0, "RIFF") || !hasText(b, 8, "WAVEfmt ")) return false;
    if (b.size() < kMinWaveFile) return false;
    if (le16(b, 20) != 1 || le16(b, 22) != 1 || le32(b, 24) != kSampleRate || le16(b, 34) != 8) return false;

    // Chunks are walked by their declared lengths, without padding to even sizes;
    // a chunk header or a data chunk that runs past the end rejects the file.
    std::size_t pos = kFirstChunk;
    while (pos < b.size()) {
        if (b.size() - pos < kChunkHeader) return false;
        const std::uint32_t length = le32(b, pos + 4);
        const std::size_t body = pos + kChunkHeader;
        if (hasText(b, pos, "data")) {
            if (length > b.size() - body || length > INT_MAX) return false;
            track.samples = b.data() + body;
            track.sampleCount = static_cast<int>(length);
            return true;
        }
        if (length > b.size() - body) return false;
        pos = body + length;
    }
    return false;
}

}  // namespace

bool readWave(Bytes file, CWaveTrack& track) {
    track = CWaveTrack{};
    if (parseWave(file, track)) return true;
    track = CWaveTrack{};
    return false;
}

bool isMidiAudio(Bytes file) { return hasText(file, 0, "MThd"); }

int ledStepsForAudio(int samples) {
    if (samples <= 0) return 0;
    // A step counts once all but 11 of its 666 2/3 samples are there.
    constexpr std::int64_t kShortfall = 132;  // 11 samples, in twelfths of a sample
    return static_cast<int>((static_cast<std::int64_t>(samples) * kLedStepsPerSecond + kShortfall) / kSampleRate);
}

void resetLedTrackToAudio(CLedTrack& track, int samples) {
    track.steps.assign(static_cast<std::size_t>(ledStepsForAudio(samples)), 0);
    track.modified = true;
}

}  // namespace rova
