// The audio device's command strings, its answers, the silent output's time,
// and the reading of WAVE and MIDI files for it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/audio_device.h"
#include "platform/midi_audio.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"

namespace rova::test {
namespace {

using std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

TEST(AudioCommand, ParsesTheCommandFormats) {
    struct Case {
        const char* text;
        int error;
        AudioCommand::Verb verb;
        int from;
        std::optional<int> to;
    };
    const Case cases[] = {
        {"open \"/a b/P.WAV\"", 0, AudioCommand::OPEN, 0, {}},
        {"set \"/a b/P.WAV\" time format milliseconds", 0, AudioCommand::SET_TIME_FORMAT, 0, {}},
        {"play \"/a b/P.WAV\" from 800 to 1600", 0, AudioCommand::PLAY, 800, 1600},
        {"play \"/a b/P.WAV\" from 800", 0, AudioCommand::PLAY, 800, {}},
        {"status \"/a b/P.WAV\" mode", 0, AudioCommand::STATUS_MODE, 0, {}},
        {"status \"/a b/P.WAV\" position", 0, AudioCommand::STATUS_POSITION, 0, {}},
        {"close \"/a b/P.WAV\"", 0, AudioCommand::CLOSE, 0, {}},
        {"  PLAY  \"/a b/P.WAV\"   From 0 TO 80 ", 0, AudioCommand::PLAY, 0, 80},
        {"play \"/a b/P.WAV\" from -80", AUDIO_ERR_BAD_INTEGER, {}, 0, {}},
        {"play \"/a b/P.WAV\"", AUDIO_ERR_UNRECOGNIZED_COMMAND, {}, 0, {}},
        {"open \"/a b/P.WAV\" alias snd", AUDIO_ERR_UNRECOGNIZED_COMMAND, {}, 0, {}},
        {"open \"/a/P.WAV", AUDIO_ERR_UNRECOGNIZED_COMMAND, {}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int error = -1;
        const auto parsed = parseAudioCommand(c.text, error);
        EXPECT_EQ(error, c.error);
        ASSERT_EQ(parsed.has_value(), c.error == 0);
        if (!parsed) continue;
        EXPECT_EQ(parsed->verb, c.verb);
        EXPECT_EQ(parsed->device, "/a b/P.WAV");
        EXPECT_EQ(parsed->from, c.from);
        EXPECT_EQ(parsed->to, c.to);
    }
}

struct Device : ::testing::Test {
    std::int64_t now = 0;
    AudioDevice device{[this](const std::string& path, int& error) -> std::optional<AudioClip> {
                           if (path.find("missing") != std::string::npos) {
                               error = AUDIO_ERR_FILE_NOT_FOUND;
                               return std::nullopt;
                           }
                           AudioClip clip;
                           clip.durationMs = 1200;
                           return clip;
                       },
                       [this](const AudioClip&) {
                           return std::make_unique<SilentOutput>([this] { return TimePoint(milliseconds(now)); });
                       }};
    char reply[kAudioReplySize];

    int send(const std::string& command) { return device.sendString(command, reply, sizeof reply); }
    std::string ask(const std::string& what) {
        EXPECT_EQ(send("status \"/s/P.WAV\" " + what), 0);
        return reply;
    }
};

// Positions come from the silent output on the test's clock.
TEST_F(Device, PlaysARangeAndReportsModeAndPosition) {
    ASSERT_EQ(send("open \"/s/P.WAV\""), 0);
    EXPECT_EQ(send("set \"/s/P.WAV\" time format milliseconds"), 0);
    EXPECT_EQ(ask("mode") + ask("position"), "stopped0");
    now = 100;
    EXPECT_EQ(send("play \"/s/P.WAV\" from 800 to 1100"), 0);
    EXPECT_EQ(ask("mode") + ask("position"), "playing800");
    now = 399;
    EXPECT_EQ(ask("mode") + ask("position"), "playing1099");
    now = 400;
    EXPECT_EQ(ask("mode") + ask("position"), "stopped1100");
    now = 900;
    EXPECT_EQ(ask("position"), "1100");

    // A range may end at the end of the sound, not beyond; to the end is what is left.
    EXPECT_EQ(send("play \"/s/P.WAV\" from 0 to 1201"), AUDIO_ERR_OUT_OF_RANGE);
    EXPECT_EQ(send("play \"/s/P.WAV\" from 1201"), AUDIO_ERR_OUT_OF_RANGE);
    EXPECT_EQ(send("play \"/s/P.WAV\" from 500 to 400"), AUDIO_ERR_OUT_OF_RANGE);
    EXPECT_EQ(send("play \"/s/P.WAV\" from 1000"), 0);
    now = 1100;
    EXPECT_EQ(ask("mode") + ask("position"), "stopped1200");
    // Playing again starts over; close stops where it is.
    EXPECT_EQ(send("play \"/s/P.WAV\" from 0"), 0);
    now = 1150;
    EXPECT_EQ(ask("position"), "50");
    EXPECT_EQ(send("close \"/s/P.WAV\""), 0);
    EXPECT_EQ(send("status \"/s/P.WAV\" mode"), AUDIO_ERR_INVALID_DEVICE);
    EXPECT_EQ(device.openCount(), 0u);
}

TEST_F(Device, AnswersErrorsAndCutsReplies) {
    ASSERT_EQ(send("open \"/s/P.WAV\""), 0);
    EXPECT_EQ(send("open \"/s/P.WAV\""), AUDIO_ERR_DEVICE_OPEN);
    EXPECT_EQ(send("open \"/s/missing.WAV\""), AUDIO_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(send("play \"/s/p.wav\" from 0"), AUDIO_ERR_INVALID_DEVICE);  // names are exact
    EXPECT_EQ(send("close \"/s/Q.WAV\""), AUDIO_ERR_INVALID_DEVICE);
    EXPECT_EQ(send("stop \"/s/P.WAV\""), AUDIO_ERR_UNRECOGNIZED_COMMAND);
    EXPECT_STREQ(reply, "");
    EXPECT_EQ(device.openCount(), 1u);
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(device.sendString("status \"/s/P.WAV\" mode", small, sizeof small), 0);
    EXPECT_STREQ(small, "sto");
    EXPECT_EQ(device.sendString("status \"/s/P.WAV\" mode", nullptr, 0), 0);
}

// ---- files --------------------------------------------------------------

// A MIDI file of one track made of the given events.
std::vector<std::uint8_t> midi(std::uint16_t division, const std::vector<std::vector<std::uint8_t>>& events) {
    std::vector<std::uint8_t> track;
    for (const auto& e : events) track.insert(track.end(), e.begin(), e.end());
    const auto n = static_cast<std::uint32_t>(track.size());
    const std::uint8_t head[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1,
                                 static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division),
                                 'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24),
                                 static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                                 static_cast<std::uint8_t>(n)};
    std::vector<std::uint8_t> f(sizeof head + track.size());
    std::copy(std::begin(head), std::end(head), f.begin());
    std::copy(track.begin(), track.end(), f.begin() + sizeof head);
    return f;
}

const std::vector<std::uint8_t> kEnd = {0x00, 0xff, 0x2f, 0x00};

TEST(MidiDuration, FollowsTheTempoMap) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::optional<std::int64_t> ms;
    };
    const Case cases[] = {
        // 96 ticks a quarter at the default 500000 us: 192 ticks = 1 s.
        {"default tempo", midi(96, {{0x00, 0x90, 60, 100}, {0x81, 0x40, 0x80, 60, 0}, kEnd}), 1000},
        {"running status and a tempo change half way",
         midi(96, {{0x00, 0x90, 60, 100}, {0x60, 60, 0},                   // 96 ticks at 500000: 500 ms
                   {0x00, 0xff, 0x51, 0x03, 0x03, 0xd0, 0x90},             // 250000 us a quarter
                   {0x60, 0x90, 62, 100}, {0x00, 0xff, 0x2f, 0x00}}),      // 96 ticks at 250000: 250 ms
         750},
        {"SMPTE: 25 frames of 40 ticks", midi(static_cast<std::uint16_t>(0xe728), {{0x87, 0x68, 0xc0, 5}, kEnd}), 1000},
        {"system exclusive and meta text are skipped",
         midi(96, {{0x00, 0xf0, 0x02, 0x7e, 0xf7}, {0x00, 0xff, 0x01, 0x02, 'h', 'i'}, {0x81, 0x40, 0xff, 0x2f, 0x00}}),
         1000},
        {"not MIDI", std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
        {"running status with nothing to repeat", midi(96, {{0x00, 60, 100}, kEnd}), std::nullopt},
        {"division 0", midi(0, {kEnd}), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(midiDurationMs(c.file), c.ms);
    }
}

TEST(AudioFile, LoadsWaveAndMidiAndRefusesOtherFiles) {
    TempDir dir;
    dir.write("P.WAV", waveImage(4000));
    dir.write("Q.WAV", std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 1, 2});
    dir.write("P.MID", midi(96, {{0x00, 0x90, 60, 100}, {0x81, 0x40, 0x80, 60, 0}, kEnd}));
    dir.write("P.MP3", waveImage(4000));
    int error = 0;
    std::vector<std::string> notices;
    auto notice = [&](std::string_view s) { notices.emplace_back(s); };

    const auto wave = loadAudioFile(dir / "P.WAV", "", error, notice);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->durationMs, 500);
    EXPECT_EQ(wave->pcm.size(), 4000u);
    EXPECT_EQ(wave->byteAt(250), 2000u);
    EXPECT_EQ(wave->byteAt(99999), 4000u);
    EXPECT_FALSE(loadAudioFile(dir / "Q.WAV", "", error));
    EXPECT_EQ(error, AUDIO_ERR_INVALID_FILE);
    EXPECT_FALSE(loadAudioFile(dir / "R.WAV", "", error));
    EXPECT_EQ(error, AUDIO_ERR_FILE_NOT_FOUND);
    EXPECT_FALSE(loadAudioFile(dir / "P.MP3", "", error));
    EXPECT_EQ(error, AUDIO_ERR_UNKNOWN_TYPE);
    EXPECT_TRUE(notices.empty());

    // Without a SoundFont the music keeps its length and plays silent, with a remark.
    const auto silent = loadAudioFile(dir / "P.MID", "", error, notice);
    ASSERT_TRUE(silent);
    EXPECT_TRUE(silent->silent);
    EXPECT_EQ(silent->durationMs, 1000);
    EXPECT_EQ(notices.size(), 1u);
    EXPECT_TRUE(loadAudioFile(dir / "P.MID", dir / "P.WAV", error, notice)->silent);  // not a SoundFont

    const std::string soundFont = findSoundFont();
    if (soundFont.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    const auto music = loadAudioFile(dir / "P.MID", soundFont, error, notice);
    ASSERT_TRUE(music);
    EXPECT_FALSE(music->silent);
    EXPECT_EQ(music->durationMs, 1000);
    EXPECT_EQ(music->pcm.size(), static_cast<std::size_t>(music->sampleRate) * music->frameBytes());
    // The note sounds: some sample is far from silence.
    int loudest = 0;
    for (std::size_t i = 0; i + 1 < music->pcm.size(); i += 2)
        loudest = std::max(loudest, std::abs(static_cast<std::int16_t>(music->pcm[i] | music->pcm[i + 1] << 8)));
    EXPECT_GT(loudest, 1000);
}

}  // namespace
}  // namespace rova::test
