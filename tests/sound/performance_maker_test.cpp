#include <gtest/gtest.h>

#include "model/rest_poses.h"
#include "model/audio_file.h"
#include "model/led_file.h"
#include "model/motion_file.h"
#include "sound/sound_import.h"
#include "sound_files.h"
#include "support/temp_dir.h"

namespace rova::sound {
namespace {

using test::TempDir;
using Bytes8 = std::vector<std::uint8_t>;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// Format 0, division 480, default tempo; `ticks` after a note-on, a note-off.
Bytes8 midiFile(std::vector<std::uint8_t> delta, std::vector<std::uint8_t> tempo = {0x07, 0xA1, 0x20},
                std::uint8_t division = 0xE0, std::uint8_t divisionHigh = 0x01) {
    Bytes8 track = {0x00, 0xFF, 0x51, 0x03};
    track.insert(track.end(), tempo.begin(), tempo.end());
    track.insert(track.end(), {0x00, 0x90, 0x3C, 0x64});
    track.insert(track.end(), delta.begin(), delta.end());
    track.insert(track.end(), {0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00});
    Bytes8 file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, divisionHigh, division, 'M', 'T', 'r', 'k', 0, 0, 0,
                   static_cast<std::uint8_t>(track.size())};
    file.insert(file.end(), track.begin(), track.end());
    return file;
}
const Bytes8 kMidi1500ms = midiFile({0x8B, 0x20});  // 1440 ticks: three quarter notes

class Create : public testing::Test {
protected:
    CreateResult create(const std::string& sound, const CreateOptions& options = {}) {
        return createPerformance(sound, dir.path() / "Song.MTN", options, {});
    }
    void expectStandingMotion(int ticks) {
        const Bytes8 bytes = dir.read("Song.MTN");
        CMotionTrack motion;
        ASSERT_TRUE(readMotion(bytes, motion, [](std::string_view) {}));
        EXPECT_EQ(motion.kind(), MOTION_FULL_BODY);
        ASSERT_EQ(motion.keyframeCount(), 2);
        EXPECT_EQ(motion.duration(0), 0);
        EXPECT_EQ(motion.duration(1), ticks);
        for (int k = 0; k < 2; ++k)
            for (int c = 0; c < kChannelCount; ++c)
                EXPECT_EQ(motion.value(k, c), kStandingPose[static_cast<std::size_t>(c)]);
        EXPECT_EQ(bytes[36], 4);  // the motion is named after the performance
        EXPECT_EQ(std::string(bytes.begin() + 37, bytes.begin() + 41), "Song");
    }
    void expectDarkLeds(int steps) {
        CLedTrack leds;
        ASSERT_TRUE(readLed(dir.read("Song.LED"), leds));
        // The dark last step is carried by the final note-off, so the track
        // reads back exactly as long as the sound.
        EXPECT_EQ(leds.length(), steps);
        EXPECT_TRUE(std::all_of(leds.steps.begin(), leds.steps.end(), [](std::uint8_t s) { return s == 0; }));
    }
    TempDir dir;
};

TEST_F(Create, WritesSoundLedsAndMotionFromAWave) {
    // 2.5 s: 20000 samples, 157 ticks, 156 on the step grid.
    ASSERT_TRUE(test::writeSound(dir.path() / "in.wav", kWav16, 22050, 2, 55125, test::sine(0.3, 200, 22050)));
    const CreateResult r = create(dir / "in.wav");
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.motion, dir.path() / "Song.MTN");
    EXPECT_EQ(r.written, (std::vector<fs::path>{dir.path() / "Song.WAV", dir.path() / "Song.LED", r.motion}));
    const Bytes8 wave = dir.read("Song.WAV");
    CWaveTrack track;
    ASSERT_TRUE(readWave(wave, track));
    EXPECT_NEAR(track.sampleCount, 20000, 1);
    expectDarkLeds(ledStepsForAudio(track.sampleCount));
    expectStandingMotion(track.ticks() / 5 * 5);
    EXPECT_EQ(test::listing(dir.path()), (std::set<std::string>{"in.wav", "Song.WAV", "Song.LED", "Song.MTN"}));
}

TEST_F(Create, CopiesAMidiFileUnchanged) {
    dir.write("in.mid", kMidi1500ms);
    const CreateResult r = create(dir / "in.mid");
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(dir.read("Song.MID"), kMidi1500ms);
    expectDarkLeds(18);
    expectStandingMotion(90);  // 1500 ms is 93 ticks
    EXPECT_FALSE(dir.exists("Song.WAV"));
}

TEST_F(Create, BadSoundsWriteNothing) {
    dir.write("junk.ogg", std::string(500, 'z'));
    dir.write("notmidi.mid", std::string("MThd and then nothing useful"));
    dir.write("silent.mid", Bytes8{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 4,
                                   0x00, 0xFF, 0x2F, 0x00});
    // 30000 quarter notes of 16.8 s: longer than any eye-light file holds.
    dir.write("long.mid", midiFile({0x81, 0xEA, 0x30}, {0xFF, 0xFF, 0xFF}, 1, 0));
    ASSERT_TRUE(test::writeSound(dir.path() / "empty.wav", kWav16, 8000, 1, 0, test::silence()));
    ASSERT_TRUE(test::writeSound(dir.path() / "long.wav", kWav16, 8000, 1, 8001, test::silence()));
    const auto before = test::listing(dir.path());
    const std::string midiLimit = std::to_string(maxMidiMilliseconds() / 1000);
    const std::pair<std::string, std::string> rows[] = {
        {"junk.ogg", "Cannot read sound file \"" + (dir / "junk.ogg") + "\": "},
        {"notmidi.mid", "Cannot read sound file \"" + (dir / "notmidi.mid") + "\": " + std::string(kNotMidiReason)},
        {"silent.mid", "The sound in \"" + (dir / "silent.mid") + "\" is empty."},
        {"long.mid", "The sound in \"" + (dir / "long.mid") + "\" is too long: at most " + midiLimit +
                         " seconds fit a performance."},
        {"empty.wav", "The sound in \"" + (dir / "empty.wav") + "\" is empty."},
        {"long.wav", "The sound in \"" + (dir / "long.wav") + "\" is too long: at most 1 seconds fit a performance."},
    };
    for (const auto& [file, message] : rows) {
        CreateOptions options;
        options.convert.maxSamples = 8000;
        const CreateResult r = create(dir / file, options);
        EXPECT_EQ(r.status, Status::Failed) << file;
        EXPECT_EQ(r.message.substr(0, message.size()), message);
        EXPECT_TRUE(r.written.empty());
        EXPECT_EQ(test::listing(dir.path()), before) << file;
    }
}

TEST_F(Create, NeverReplacesUnlessAsked) {
    dir.write("in.mid", kMidi1500ms);
    for (const std::string existing : {"Song.LED", "song.mtn", "Song.wav", "SONG.MID"}) {
        TempDir other;
        other.write(existing, std::string("old"));
        EXPECT_EQ(existingPerformanceFiles(other.path() / "Song.MTN"),
                  std::vector<fs::path>{other.path() / existing});
        const CreateResult r = createPerformance(dir / "in.mid", other.path() / "Song.MTN", {}, {});
        EXPECT_EQ(r.message, "Song already exists");
        EXPECT_EQ(test::listing(other.path()), std::set<std::string>{existing});
    }
    // Any number of case variants of a sibling count: none is overlooked.
    for (const std::set<std::string>& variants :
         {std::set<std::string>{"x.wav", "X.Wav"}, std::set<std::string>{"X.led", "x.LED", "x.Led"}}) {
        TempDir other;
        for (const std::string& v : variants) other.write(v, std::string("old"));
        EXPECT_EQ(existingPerformanceFiles(other.path() / "X.MTN").size(), variants.size());
        const CreateResult r = createPerformance(dir / "in.mid", other.path() / "X.MTN", {}, {});
        EXPECT_EQ(r.message, "X already exists");
        EXPECT_EQ(test::listing(other.path()), variants);
    }
    // The target's own name counts even beside a capitalised twin.
    dir.write("Song.MTN", std::string("a"));
    dir.write("Song.mtn", std::string("b"));
    EXPECT_EQ(existingPerformanceFiles(dir.path() / "Song.mtn"),
              (std::vector<fs::path>{dir.path() / "Song.MTN", dir.path() / "Song.mtn"}));
}

TEST_F(Create, ReplacingKeepsNamesOnDiskAndDropsTheOtherSound) {
    dir.write("in.mid", kMidi1500ms);
    dir.write("song.mtn", std::string("old motion"));
    dir.write("Song.WAV", std::string("old sound"));
    CreateOptions options;
    options.replaceExisting = true;
    const CreateResult r = createPerformance(dir / "in.mid", dir.path() / "song.mtn", options, {});
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.motion, dir.path() / "song.mtn");
    EXPECT_EQ(test::listing(dir.path()), (std::set<std::string>{"in.mid", "song.MID", "song.LED", "song.mtn"}));
}

TEST_F(Create, AFailurePartWayPutsEverythingBack) {
    ASSERT_TRUE(test::writeSound(dir.path() / "in.wav", kWav16, 8000, 1, 8000, test::sine(0.5, 100, 8000)));
    dir.write("in.mid", kMidi1500ms);
    CreateOptions options;
    options.replaceExisting = true;
    struct Row {
        const char* blocked;  // made a folder, so that this file cannot be written
        const char* sound;
    };
    for (const Row row : {Row{"Song.LED", "in.wav"}, Row{"Song.MTN", "in.wav"}, Row{"Song.MTN", "in.mid"}}) {
        TempDir target;
        target.write("Song.WAV", std::string("old sound"));
        target.write("Song.LED", std::string("old leds"));
        target.write("Song.MTN", std::string("old motion"));
        fs::remove(target.path() / row.blocked);
        fs::create_directory(target.path() / row.blocked);
        const auto before = test::listing(target.path());
        const CreateResult r = createPerformance(dir / row.sound, target.path() / "Song.MTN", options, {});
        EXPECT_EQ(r.status, Status::Failed);
        EXPECT_EQ(r.message, "Cannot write \"" + (target / row.blocked) + "\": Is a directory");
        EXPECT_EQ(test::listing(target.path()), before) << row.blocked << " " << row.sound;
        EXPECT_EQ(target.read("Song.WAV"), Bytes8({'o', 'l', 'd', ' ', 's', 'o', 'u', 'n', 'd'}));
        if (std::string(row.blocked) != "Song.LED") {
            EXPECT_EQ(target.read("Song.LED").size(), 8u);
        }
    }
    // A folder that does not exist.
    const CreateResult r = createPerformance(dir / "in.wav", dir.path() / "none" / "Song.MTN", {}, {});
    EXPECT_EQ(r.message, "Cannot write \"" + (dir / "none/Song.WAV") + "\": No such file or directory");
}

TEST_F(Create, CancelLeavesNothing) {
    ASSERT_TRUE(test::writeSound(dir.path() / "in.wav", kWav16, 44100, 2, 44100 * 3, test::sine(0.5, 100, 44100)));
    const auto before = test::listing(dir.path());
    const CreateResult r = createPerformance(dir / "in.wav", dir.path() / "Song.MTN", {}, [](double) { return false; });
    EXPECT_EQ(r.status, Status::Cancelled);
    EXPECT_EQ(test::listing(dir.path()), before);
}

}  // namespace
}  // namespace rova::sound
