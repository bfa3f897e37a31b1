#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/audio_file.h"
#include "model/whole_file.h"

namespace rova {
namespace {

using ByteVec = std::vector<std::uint8_t>;

struct Chunk {
    std::string id;
    ByteVec body;
    std::int64_t declaredDelta = 0;  // added to the true length in the header
};

void put32(ByteVec& b, std::uint32_t v) { appendLe(b, v, 4); }

ByteVec fmtBody(unsigned tag = 1, unsigned channels = 1, std::uint32_t rate = 8000, unsigned bits = 8) {
    ByteVec b = {static_cast<std::uint8_t>(tag), 0, static_cast<std::uint8_t>(channels), 0};
    put32(b, rate);
    put32(b, rate * channels * bits / 8);
    b.insert(b.end(), {static_cast<std::uint8_t>(channels * bits / 8), 0, static_cast<std::uint8_t>(bits), 0});
    return b;
}

ByteVec waveImage(const std::vector<Chunk>& chunks) {
    ByteVec b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Chunk& c : chunks) {
        b.insert(b.end(), c.id.begin(), c.id.end());
        put32(b, static_cast<std::uint32_t>(static_cast<std::int64_t>(c.body.size()) + c.declaredDelta));
        b.insert(b.end(), c.body.begin(), c.body.end());
    }
    return b;
}

ByteVec samples(std::size_t n) {
    ByteVec s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::uint8_t>(i * 7);
    return s;
}

TEST(WaveFile, FindsTheDataChunkByWalking) {
    ByteVec fmt18 = fmtBody();
    fmt18.insert(fmt18.end(), {0, 0});  // cbSize
    const struct {
        const char* what;
        std::vector<Chunk> chunks;
        std::size_t offset;
        int count;
    } cases[] = {
        {"plain", {{"fmt ", fmtBody()}, {"data", samples(100)}}, 44, 100},
        {"fmt of length 18", {{"fmt ", fmt18}, {"data", samples(100)}}, 46, 100},
        {"chunk between fmt and data", {{"fmt ", fmtBody()}, {"LIST", ByteVec(7, 'x')}, {"data", samples(100)}}, 59, 100},
        {"data followed by more chunks", {{"fmt ", fmtBody()}, {"data", samples(20)}, {"LIST", ByteVec(40)}}, 44, 20},
    };
    for (const auto& c : cases) {
        const ByteVec file = waveImage(c.chunks);
        CWaveTrack track;
        ASSERT_TRUE(readWave(file, track)) << c.what;
        EXPECT_EQ(track.samples, file.data() + c.offset) << c.what;
        EXPECT_EQ(track.sampleCount, c.count) << c.what;
    }
}

TEST(WaveFile, RejectsEverythingElse) {
    const ByteVec sixteen = samples(16);
    const struct {
        const char* what;
        ByteVec file;
    } cases[] = {
        {"44 bytes with no samples", waveImage({{"fmt ", fmtBody()}, {"data", {}}})},
        {"59 bytes", waveImage({{"fmt ", fmtBody()}, {"data", samples(15)}})},
        {"not RIFF", [&] { ByteVec b = waveImage({{"fmt ", fmtBody()}, {"data", sixteen}}); b[0] = 'X'; return b; }()},
        {"fmt not first", waveImage({{"LIST", ByteVec(16)}, {"fmt ", fmtBody()}, {"data", sixteen}})},
        {"not PCM", waveImage({{"fmt ", fmtBody(3)}, {"data", sixteen}})},
        {"stereo", waveImage({{"fmt ", fmtBody(1, 2)}, {"data", sixteen}})},
        {"11025 Hz", waveImage({{"fmt ", fmtBody(1, 1, 11025)}, {"data", sixteen}})},
        {"16-bit", waveImage({{"fmt ", fmtBody(1, 1, 8000, 16)}, {"data", sixteen}})},
        {"no data chunk", waveImage({{"fmt ", fmtBody()}, {"LIST", ByteVec(40)}})},
        {"data length past the end", waveImage({{"fmt ", fmtBody()}, {"data", sixteen, 1}})},
        {"huge data length", waveImage({{"fmt ", fmtBody()}, {"data", sixteen, 0xFFFFFFE0ll}})},
        {"chunk overrunning the end", waveImage({{"fmt ", fmtBody()}, {"LIST", ByteVec(20), 0x7FFFFFFF}})},
        {"fmt length overrunning the end", waveImage({{"fmt ", fmtBody(), 0xFFFFFFFFll - 16}, {"data", sixteen}})},
        {"chunk header cut short",
         [&] { ByteVec b = waveImage({{"fmt ", fmtBody()}, {"LIST", ByteVec(16)}}); b.insert(b.end(), {'d', 'a', 't'}); return b; }()},
    };
    for (const auto& c : cases) {
        CWaveTrack track;
        EXPECT_FALSE(readWave(c.file, track)) << c.what;
        EXPECT_EQ(track.samples, nullptr) << c.what;
        EXPECT_EQ(track.sampleCount, 0) << c.what;
    }
}

TEST(AudioFile, MidiIsRecognisedByItsFirstFourBytes) {
    EXPECT_TRUE(isMidiAudio(ByteVec{'M', 'T', 'h', 'd'}));
    EXPECT_TRUE(isMidiAudio(ByteVec{'M', 'T', 'h', 'd', 0, 0, 0, 9, 9}));
    EXPECT_FALSE(isMidiAudio(ByteVec{'M', 'T', 'h'}));
    EXPECT_FALSE(isMidiAudio(ByteVec{'R', 'I', 'F', 'F', 0, 0, 0, 0}));
    EXPECT_FALSE(isMidiAudio(ByteVec{}));
}

TEST(AudioFile, LedStepsFollowTheAudio) {
    EXPECT_EQ(ledStepsForAudio(8000), 12);
    EXPECT_EQ(ledStepsForAudio(0), 0);
    EXPECT_EQ(ledStepsForAudio(655), 0);
    EXPECT_EQ(ledStepsForAudio(656), 1);
    EXPECT_EQ(ledStepsForAudio(INT_MAX), 3221225);  // no overflow

    CLedTrack track;
    track.steps = {3, 3};
    resetLedTrackToAudio(track, 16000);
    EXPECT_EQ(track.steps, ByteVec(24, 0));
    EXPECT_TRUE(track.isModified());
}

TEST(WholeFile, ReadsFilesAndRefusesWhatIsNotOne) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("rova_whole_file_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    const ByteVec content = samples(1000);
    std::ofstream(dir / "a.bin", std::ios::binary).write(reinterpret_cast<const char*>(content.data()), 1000);
    std::ofstream(dir / "empty.bin", std::ios::binary);

    ByteVec bytes = {1, 2, 3};
    EXPECT_TRUE(readWholeFile(dir / "a.bin", bytes));
    EXPECT_EQ(bytes, content);
    for (const char* name : {"empty.bin", "missing.bin", "."}) {
        bytes = {1, 2, 3};
        EXPECT_FALSE(readWholeFile(dir / name, bytes)) << name;
        EXPECT_TRUE(bytes.empty()) << name;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace rova
