// The audio device's command strings, its answers, the silent output's time,
// and the reading of WAVE and MIDI files for it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>

#include "platform/audio_device.h"
#include "model/midi_file.h"
#include "platform/midi_audio.h"
#include "support/sound_font.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"

namespace rova::test {
namespace {

using std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

TEST(AudioCommand, ParsesTheCommandFormats) {
    struct Case {
        const char* text;  // with @ for the quoted path
        int error;
        AudioCommand::Verb verb;
        int from;
        std::optional<int> to;
    };
    const Case cases[] = {
        {"open @", 0, AudioCommand::OPEN, 0, {}},
        {"set @ time format milliseconds", 0, AudioCommand::SET_TIME_FORMAT, 0, {}},
        {"play @ from 800 to 1600", 0, AudioCommand::PLAY, 800, 1600},
        {"play @ from 800", 0, AudioCommand::PLAY, 800, {}},
        {"status @ mode", 0, AudioCommand::STATUS_MODE, 0, {}},
        {"status @ position", 0, AudioCommand::STATUS_POSITION, 0, {}},
        {"close @", 0, AudioCommand::CLOSE, 0, {}},
        {"  PLAY  @   From 0 TO 80 ", 0, AudioCommand::PLAY, 0, 80},
        {"play @ from -80", AUDIO_ERR_BAD_INTEGER, {}, 0, {}},
        {"play @", AUDIO_ERR_UNRECOGNIZED_COMMAND, {}, 0, {}},
        {"open @ alias snd", AUDIO_ERR_UNRECOGNIZED_COMMAND, {}, 0, {}},
    };
    // The path runs from the first quote to the last: quotes inside it, blanks
    // and letters beyond ASCII are all part of the name.
    const char* const paths[] = {"/a b/P.WAV", "/tmp/q\"uote dir/Bounce.WAV", "/x/\"\"/\"P\".WAV",
                                 "/home/J\u00f6rg/\u30c0\u30f3\u30b9/Tanz.WAV"};
    for (const char* path : paths) {
        for (const Case& c : cases) {
            std::string text = c.text;
            text.replace(text.find('@'), 1, std::string("\"") + path + "\"");
            SCOPED_TRACE(text);
            int error = -1;
            const auto parsed = parseAudioCommand(text, error);
            EXPECT_EQ(error, c.error);
            ASSERT_EQ(parsed.has_value(), c.error == 0);
            if (!parsed) continue;
            EXPECT_EQ(parsed->verb, c.verb);
            EXPECT_EQ(parsed->device, path);
            EXPECT_EQ(parsed->from, c.from);
            EXPECT_EQ(parsed->to, c.to);
        }
    }
    for (const char* text : {"open \"/a/P.WAV", "open \"\"", "open /a/P.WAV", "play \"/a\" from 1 \"2\""}) {
        SCOPED_TRACE(text);
        int error = -1;
        EXPECT_FALSE(parseAudioCommand(text, error));
        EXPECT_EQ(error, AUDIO_ERR_UNRECOGNIZED_COMMAND);
    }
}

struct Device : ::testing::Test {
    std::int64_t now = 0;
    AudioDevice device{[](const std::string& path, int& error) -> std::optional<AudioClip> {
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

// A MIDI file of one track holding the given bytes.
std::vector<std::uint8_t> midiFile(std::uint16_t division, const std::vector<std::uint8_t>& track) {
    const auto n = static_cast<std::uint32_t>(track.size());
    std::vector<std::uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1,
                                   static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division),
                                   'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24),
                                   static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n)};
    f.insert(f.end(), track.begin(), track.end());
    return f;
}

// A MIDI file of one track made of the given events.
std::vector<std::uint8_t> midi(std::uint16_t division, const std::vector<std::vector<std::uint8_t>>& events) {
    std::vector<std::uint8_t> track;
    for (const auto& e : events) track.insert(track.end(), e.begin(), e.end());
    return midiFile(division, track);
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

// A sound in a folder whose name holds a quote, blanks and other letters
// opens and plays through the real loader.
// A file of millions of the longest pauses at the slowest tempo and one tick a
// quarter lasts longer than milliseconds can count: the length saturates, and
// such music is timed but not rendered.
TEST(MidiDuration, SaturatesLengthsBeyondRange) {
    constexpr std::uint64_t kPauses = 3'000'000;
    constexpr std::uint64_t kLongestPause = (1u << 28) - 1;
    // The slowest tempo, a program change, then the longest pauses repeating it.
    auto track = [&](bool slowest) {
        std::vector<std::uint8_t> t;
        if (slowest) t = {0x00, 0xff, 0x51, 0x03, 0xff, 0xff, 0xff};
        t.insert(t.end(), {0x00, 0xc0, 0x00});
        t.reserve(t.size() + kPauses * 5 + kEnd.size());
        for (std::uint64_t i = 0; i < kPauses; ++i) t.insert(t.end(), {0xff, 0xff, 0xff, 0x7f, 0x00});
        t.insert(t.end(), kEnd.begin(), kEnd.end());
        return t;
    };
    const auto file = midiFile(1, track(true));
    ASSERT_GT(file.size(), 15'000'000u);
    EXPECT_EQ(midiDurationMs(file), std::numeric_limits<std::int64_t>::max());

    // SMPTE, 24 frames of one tick: long, but exact.
    EXPECT_EQ(midiDurationMs(midiFile(static_cast<std::uint16_t>(0xe801), track(false))),
              static_cast<std::int64_t>(kPauses * kLongestPause * 1000 / 24));

    TempDir dir;
    dir.write("Long.MID", file);
    int error = 0;
    std::vector<std::string> notices;
    const auto clip = loadAudioFile(dir / "Long.MID", testSoundFont(), error,
                                    [&](std::string_view s) { notices.emplace_back(s); });
    ASSERT_TRUE(clip);
    EXPECT_TRUE(clip->silent);
    EXPECT_EQ(clip->durationMs, std::numeric_limits<std::int64_t>::max());
    EXPECT_THAT(notices, ::testing::ElementsAre("MIDI audio longer than 20 minutes plays silent"));
}

TEST(AudioFile, PlaysFromAFolderWithQuotesInItsName) {
    TempDir dir;
    const std::string folder = "q\"uote d\u00efr \"x\"";
    std::filesystem::create_directories(dir.path() / folder);
    dir.write(folder + "/Bounce.WAV", waveImage(8000));
    const std::string path = dir / (folder + "/Bounce.WAV");
    AudioDevice device([](const std::string& p, int& error) { return loadAudioFile(p, "", error); },
                       [](const AudioClip&) { return std::make_unique<SilentOutput>(); });
    const std::string quoted = "\"" + path + "\"";
    EXPECT_EQ(device.sendString("open " + quoted, nullptr, 0), AUDIO_OK);
    EXPECT_TRUE(device.isOpen(path));
    EXPECT_EQ(device.sendString("set " + quoted + " time format milliseconds", nullptr, 0), AUDIO_OK);
    EXPECT_EQ(device.sendString("play " + quoted + " from 0 to 1000", nullptr, 0), AUDIO_OK);
    EXPECT_EQ(device.sendString("play " + quoted + " from 0 to 1001", nullptr, 0), AUDIO_ERR_OUT_OF_RANGE);
    EXPECT_EQ(device.sendString("close " + quoted, nullptr, 0), AUDIO_OK);
    EXPECT_EQ(device.openCount(), 0u);
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

    const std::string soundFont = testSoundFont();
    if (soundFont.empty()) GTEST_SKIP() << kTestSoundFontPath << " is not installed";
    const auto music = loadAudioFile(dir / "P.MID", soundFont, error, notice);
    ASSERT_TRUE(music);
    EXPECT_FALSE(music->silent);
    EXPECT_EQ(music->durationMs, 1000);
    EXPECT_EQ(music->pcm.size(), static_cast<std::size_t>(music->sampleRate * music->frameBytes()));
    // The note sounds: some sample is far from silence.
    int loudest = 0;
    for (std::size_t i = 0; i + 1 < music->pcm.size(); i += 2)
        loudest = std::max(loudest, std::abs(static_cast<std::int16_t>(music->pcm[i] | music->pcm[i + 1] << 8)));
    EXPECT_GT(loudest, 1000);
}

}  // namespace
}  // namespace rova::test
