// The program's audio device on the sound card (a PulseAudio null sink in CI)
// and on the silent output: positions follow the clock, the end is reached.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QThread>
#include <chrono>

#include "platform/qt_audio.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"

namespace rova::test {
namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    std::int64_t wall;
    int position;
};

// Plays from..to of path and polls until the device stops (or 10 s pass),
// letting the event loop run as a playback does.
std::vector<Sample> playAndWatch(AudioCommands& device, const std::string& path, int from, int to) {
    char reply[kAudioReplySize];
    const std::string dev = "\"" + path + "\"";
    EXPECT_EQ(device.sendString("open " + dev, reply, sizeof reply), 0);
    EXPECT_EQ(device.sendString("play " + dev + " from " + std::to_string(from) + " to " + std::to_string(to), reply,
                                sizeof reply),
              0);
    std::vector<Sample> samples;
    const auto begin = Clock::now();
    while (Clock::now() - begin < std::chrono::seconds(10)) {
        device.sendString("status " + dev + " mode", reply, sizeof reply);
        const bool playing = std::string(reply) == "playing";
        device.sendString("status " + dev + " position", reply, sizeof reply);
        const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
        samples.push_back({wall, std::atoi(reply)});
        if (!playing) break;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_EQ(device.sendString("close " + dev, reply, sizeof reply), 0);
    return samples;
}

// The position moves forward only, ends at the end of the range, and from its
// first move on keeps within a loose band of the wall clock (the sound
// server's buffering; an idle null sink may start late).
void expectFollowsTheClock(const std::vector<Sample>& s, int from, int to) {
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.back().position, to);
    EXPECT_GE(s.front().position, from);
    std::size_t moved = 0;
    while (moved < s.size() && s[moved].position == s.front().position) ++moved;
    ASSERT_LT(moved, s.size()) << "the position never moved";
    for (std::size_t i = 1; i < s.size(); ++i) EXPECT_GE(s[i].position, s[i - 1].position);
    const std::int64_t offset = s[moved].wall - (s[moved].position - from);
    for (std::size_t i = moved; i + 1 < s.size(); ++i)
        EXPECT_NEAR(static_cast<double>(s[i].position - from), static_cast<double>(s[i].wall - offset), 150) << "at " << s[i].wall << " ms";
    EXPECT_GE(s.back().wall - offset, to - from - 150);
}

TEST(AudioSink, RealWaveFollowsTheClock) {
    if (QMediaDevices::audioOutputs().isEmpty()) GTEST_SKIP() << "no sound server";
    TempDir dir;
    dir.write("P.WAV", waveImage(12000));  // 1.5 s
    auto device = makeSystemAudioDevice({});
    expectFollowsTheClock(playAndWatch(*device, dir / "P.WAV", 200, 1200), 200, 1200);
}

TEST(AudioSink, SilentOutputFollowsTheClock) {
    TempDir dir;
    dir.write("P.WAV", waveImage(8000));
    AudioDevice device([](const std::string& path, int& error) { return loadAudioFile(path, "", error); },
                       [](const AudioClip&) { return std::make_unique<SilentOutput>(); });
    expectFollowsTheClock(playAndWatch(device, dir / "P.WAV", 0, 600), 0, 600);
}

}  // namespace
}  // namespace rova::test
