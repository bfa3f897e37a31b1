#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/audio_file.h"
#include "sound/sound_import.h"
#include "sound_files.h"
#include "support/temp_dir.h"

namespace rova::sound {
namespace {

using test::TempDir;

struct Format {
    const char* name;
    const char* file;
    int format;
};

const Format kWav16{"wav16", "s.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16};
const Format kWavFloat{"wavfloat", "s.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT};
const Format kFlac{"flac", "s.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16};
const Format kVorbis{"vorbis", "s.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS};
const Format kAiff{"aiff", "s.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16};
const Format kOpus{"opus", "s.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS};
const Format kMp3{"mp3", "s.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III};

struct Case {
    Format format;
    int rate;
    int channels;
};

std::string caseName(const testing::TestParamInfo<Case>& info) {
    return std::string(info.param.format.name) + "_" + std::to_string(info.param.rate) + "_" +
           std::to_string(info.param.channels);
}

class Convert : public testing::TestWithParam<Case> {
protected:
    // Converts a sound of the case's kind; false when it could not be made.
    Result convert(double seconds, const test::SoundShape& shape, bool normalise, std::vector<std::uint8_t>& out) {
        const Case& c = GetParam();
        const auto path = dir.path() / c.format.file;
        const auto frames = static_cast<std::int64_t>(std::llround(seconds * c.rate));
        EXPECT_TRUE(test::writeSound(path, c.format.format, c.rate, c.channels, frames, shape));
        ConvertOptions options;
        options.normalise = normalise;
        return convertToSamples(path, options, {}, out);
    }
    TempDir dir;
};

TEST_P(Convert, KeepsTheLengthAndSilence) {
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(convert(1.5, test::silence(), true, out).ok());
    EXPECT_NEAR(static_cast<double>(out.size()), 12000.0, 1);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint8_t s) { return s == 128; }));
}

TEST_P(Convert, NormalisesThePeakToMinusOneDecibel) {
    const int level = static_cast<int>(std::lround(127 * kNormalisedPeak));
    for (double amplitude : {1.0, 0.1}) {
        std::vector<std::uint8_t> out;
        ASSERT_TRUE(convert(1.0, test::sine(amplitude, 440, GetParam().rate), true, out).ok());
        const auto [lo, hi] = std::minmax_element(out.begin(), out.end());
        EXPECT_NEAR(*hi, 128 + level, 1) << amplitude;
        EXPECT_NEAR(*lo, 128 - level, 2) << amplitude;
    }
}

TEST_P(Convert, WithoutNormalisationKeepsTheLevel) {
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(convert(1.0, test::sine(0.25, 440, GetParam().rate), false, out).ok());
    const auto [lo, hi] = std::minmax_element(out.begin(), out.end());
    EXPECT_NEAR(*hi, 128 + 32, 2);
    EXPECT_NEAR(*lo, 128 - 32, 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, Convert,
                         testing::Values(Case{kWav16, 44100, 2}, Case{kWav16, 8000, 1}, Case{kWav16, 48000, 6},
                                         Case{kWavFloat, 22050, 1}, Case{kWavFloat, 44100, 6},
                                         Case{kFlac, 48000, 2}, Case{kVorbis, 44100, 2},
                                         Case{kAiff, 22050, 2}, Case{kOpus, 48000, 2}, Case{kMp3, 44100, 2}),
                         caseName);

TEST(ConvertChannels, AveragesTheChannels) {
    TempDir dir;
    const auto path = dir.path() / "s.wav";
    // Left at full scale, right silent: the mix sits at half scale.
    ASSERT_TRUE(test::writeSound(path, kWavFloat.format, 8000, 2, 8000,
                                 [](std::int64_t, int c) { return c == 0 ? 1.0f : 0.0f; }));
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(convertToSamples(path, {.normalise = false}, {}, out).ok());
    ASSERT_EQ(out.size(), 8000u);
    EXPECT_EQ(out[4000], 128 + 64);
}

TEST(ConvertChannels, NoNumberCountsAsSilence) {
    TempDir dir;
    const auto path = dir.path() / "s.wav";
    ASSERT_TRUE(test::writeSound(path, kWavFloat.format, 8000, 1, 100, [](std::int64_t i, int) {
        return i == 50 ? NAN : i == 60 ? INFINITY : 0.5f;
    }));
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(convertToSamples(path, {}, {}, out).ok());
    EXPECT_EQ(out[50], 128);
    EXPECT_EQ(out[60], 128);
    EXPECT_EQ(out[10], 128 + 113);
}

TEST(ConvertFailures, NameTheFileAndTheReason) {
    TempDir dir;
    dir.write("junk.mp3", std::string(3000, 'x'));
    ASSERT_TRUE(test::writeSound(dir.path() / "empty.wav", kWav16.format, 44100, 2, 0, test::silence()));
    ASSERT_TRUE(test::writeSound(dir.path() / "long.wav", kWav16.format, 16000, 1, 32000, test::silence()));
    struct Row {
        std::string file;
        std::int64_t maxSamples;
        std::string message;
    };
    const std::string missing = dir / "missing.wav";
    const Row rows[] = {
        {dir / "junk.mp3", kMaxWaveSamples,
         "Cannot read sound file \"" + (dir / "junk.mp3") + "\": " + std::string(kUndecodableReason)},
        {missing, kMaxWaveSamples, "Cannot read sound file \"" + missing + "\": System error"},
        {dir.path().string(), kMaxWaveSamples, "Cannot read sound file \"" + dir.path().string() + "\": "},
        {dir / "empty.wav", kMaxWaveSamples, "The sound in \"" + (dir / "empty.wav") + "\" is empty."},
        {dir / "long.wav", 15999,
         "The sound in \"" + (dir / "long.wav") + "\" is too long: at most 1 seconds fit a performance."},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> out;
        const Result r = convertToSamples(row.file, {.maxSamples = row.maxSamples}, {}, out);
        EXPECT_EQ(r.status, Status::Failed) << row.file;
        EXPECT_EQ(r.message.substr(0, row.message.size()), row.message);
        EXPECT_NE(r.message.back(), ' ') << r.message;  // a reason follows
        EXPECT_TRUE(out.empty());
    }
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(convertToSamples(dir / "long.wav", {.maxSamples = 16000}, {}, out).ok());
}

TEST(ConvertProgress, RisesToOneAndCancels) {
    TempDir dir;
    const auto path = dir.path() / "s.flac";
    ASSERT_TRUE(test::writeSound(path, kFlac.format, 44100, 2, 44100 * 5, test::sine(0.5, 300, 44100)));
    std::vector<double> seen;
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(convertToSamples(path, {}, [&](double f) { seen.push_back(f); return true; }, out).ok());
    ASSERT_GT(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 1.0);

    int calls = 0;
    const Result r = convertToSamples(path, {}, [&](double) { return ++calls < 2; }, out);
    EXPECT_EQ(r.status, Status::Cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(out.empty());
}

TEST(WaveFile, ReadsBackAtEveryLength) {
    for (std::size_t n : {1u, 7u, 8u, 9u, 15u, 16u, 1001u}) {
        std::vector<std::uint8_t> samples(n);
        for (std::size_t i = 0; i < n; ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
        const auto bytes = waveFileBytes(samples);
        EXPECT_GE(bytes.size(), 60u);
        EXPECT_EQ(bytes.size() % 2, 0u);
        CWaveTrack track;
        ASSERT_TRUE(readWave(bytes, track)) << n;
        ASSERT_EQ(track.sampleCount, static_cast<int>(n));
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), track.samples));
    }
}

TEST(ConvertToWave, WritesAWaveTheEditorReads) {
    TempDir dir;
    ASSERT_TRUE(test::writeSound(dir.path() / "in.wav", kWav16.format, 44100, 2, 44100, test::sine(1, 500, 44100)));
    EXPECT_FALSE(isPerformanceWave(dir.path() / "in.wav"));
    const auto target = dir.path() / "NAME.TMP";
    ASSERT_TRUE(convertToWave(dir.path() / "in.wav", target, {}, {}).ok());
    EXPECT_TRUE(isPerformanceWave(target));
    EXPECT_FALSE(isPerformanceWave(dir.path() / "nothing.wav"));

    // A failed conversion leaves the earlier file as it was, and nothing beside it.
    dir.write("bad.wav", std::string("RIFF...."));
    const auto before = dir.read("NAME.TMP");
    const auto names = test::listing(dir.path());
    EXPECT_EQ(convertToWave(dir.path() / "bad.wav", target, {}, {}).status, Status::Failed);
    EXPECT_EQ(dir.read("NAME.TMP"), before);
    EXPECT_EQ(test::listing(dir.path()), names);
}

TEST(Messages, FillInTheirPlaces) {
    EXPECT_EQ(formatMessage(kReplaceQuestion, {"Song"}), "Song already exists. Replace its files?");
    EXPECT_EQ(formatMessage("%2 %1 %3 100%", {"a", "b"}), "b a %3 100%");
}

}  // namespace
}  // namespace rova::sound
