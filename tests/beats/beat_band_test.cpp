// The audio detector on band arrangements: drums, bass and piano written as
// MIDI, rendered with the tests' General MIDI SoundFont (named, whatever the
// machine's default is), converted to 8000 Hz 8-bit as a new performance's
// sound is, and tracked. The true beats are the MIDI file's own. Skipped when
// that SoundFont is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "beat_sounds.h"
#include "beats/beats.h"
#include "model/midi_file.h"
#include "platform/midi_audio.h"
#include "sound/sound_import.h"
#include "support/sound_font.h"
#include "support/temp_dir.h"

namespace rova::beats {
namespace {

constexpr int kDivision = 480;

// Events of one track by absolute tick; note-offs sort before note-ons of the same tick.
struct Track {
    std::multimap<std::pair<std::uint32_t, int>, std::vector<std::uint8_t>> events;
    void add(std::uint32_t tick, std::vector<std::uint8_t> bytes, int order = 1) {
        events.emplace(std::make_pair(tick, order), std::move(bytes));
    }
    void note(int channel, std::uint32_t tick, std::uint32_t length, int key, int velocity) {
        add(tick, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(velocity)});
        add(tick + length, {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key), 0}, 0);
    }
    std::vector<std::uint8_t> bytes(std::uint32_t endTick) const {
        std::vector<std::uint8_t> out;
        std::uint32_t last = 0;
        auto delta = [&](std::uint32_t tick) {
            std::uint32_t d = tick - last;
            last = tick;
            std::uint8_t buf[5];
            int k = 0;
            buf[k++] = d & 0x7f;
            while (d >>= 7) buf[k++] = static_cast<std::uint8_t>(0x80 | (d & 0x7f));
            while (k > 0) out.push_back(buf[--k]);
        };
        for (const auto& [at, e] : events) {
            delta(at.first);
            out.insert(out.end(), e.begin(), e.end());
        }
        delta(std::max(endTick, last));
        out.insert(out.end(), {0xff, 0x2f, 0});
        return out;
    }
};

// bars of 4/4 at bpm; the first introBars hold only a soft piano chord.
std::vector<std::uint8_t> bandSong(double bpm, int bars, int introBars, int style) {
    Track t;
    const auto tempo = static_cast<std::uint32_t>(60000000.0 / bpm + 0.5);
    t.add(0, {0xff, 0x51, 3, static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
              static_cast<std::uint8_t>(tempo)});
    t.add(0, {0xff, 0x58, 4, 4, 2, 24, 8});
    t.add(0, {0xc1, 33});               // fingered bass
    t.add(0, {0xc2, static_cast<std::uint8_t>(style == 2 ? 29 : 0)});  // overdriven guitar or piano
    const int roots[4] = {45, 41, 48, 43};  // A F C G
    for (int bar = 0; bar < bars; ++bar) {
        const std::uint32_t b0 = static_cast<std::uint32_t>(bar) * 4 * kDivision;
        const int root = roots[bar % 4];
        if (bar < introBars) {
            for (int k : {0, 4, 7}) t.note(2, b0, 4 * kDivision, root + 24 + k, 30);
            continue;
        }
        for (int beat = 0; beat < 4; ++beat) {
            const std::uint32_t at = b0 + static_cast<std::uint32_t>(beat) * kDivision;
            // Drums on channel 10: kick on 1 and 3, snare on 2 and 4, closed hi-hat in eighths.
            t.note(9, at, kDivision / 4, beat % 2 == 0 ? 36 : 38, 110);
            if (style == 1 && beat == 3) t.note(9, at + kDivision / 2, kDivision / 4, 36, 90);  // a pickup kick
            for (int h = 0; h < 2; ++h) t.note(9, at + static_cast<std::uint32_t>(h) * kDivision / 2, kDivision / 8, 42, 70);
            // Bass in eighths.
            for (int h = 0; h < 2; ++h) t.note(1, at + static_cast<std::uint32_t>(h) * kDivision / 2, kDivision / 2 - 20, root, 95);
            // Chords: on every beat (piano) or held a bar (guitar).
            if (style != 2) for (int k : {0, 4, 7}) t.note(2, at, kDivision - 40, root + 24 + k, 70);
            else if (beat == 0) for (int k : {0, 7, 12}) t.note(2, at, 4 * kDivision - 40, root + 12 + k, 60);
        }
    }
    const std::vector<std::uint8_t> track = t.bytes(static_cast<std::uint32_t>(bars) * 4 * kDivision);
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, kDivision >> 8, kDivision & 0xff,
                                      'M', 'T', 'r', 'k'};
    for (int i = 3; i >= 0; --i) file.push_back(static_cast<std::uint8_t>(track.size() >> (8 * i)));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// 16-bit stereo PCM at 44100 Hz as a WAVE file.
void writeWave(const std::filesystem::path& path, const std::vector<std::uint8_t>& pcm) {
    std::vector<std::uint8_t> h;
    auto le = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) h.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    h.insert(h.end(), {'R', 'I', 'F', 'F'});
    le(static_cast<std::uint32_t>(36 + pcm.size()), 4);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(16, 4), le(1, 2), le(2, 2), le(44100, 4), le(44100 * 4, 4), le(4, 2), le(16, 2);
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    le(static_cast<std::uint32_t>(pcm.size()), 4);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(h.data()), static_cast<std::streamsize>(h.size()));
    out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size()));
}

// Slower arrangements (60 and 80 BPM, eighth notes throughout) are still
// counted in eighths by the tracker, at twice their tempo: a known weakness,
// measured in docs/beat-bench.md, left out here until the tracker holds it.
TEST(BandAccuracy, RenderedArrangementsFrom100To180Bpm) {
    const std::string font = test::testSoundFont();
    if (font.empty()) GTEST_SKIP() << test::kTestSoundFontPath << " is not installed";
    test::TempDir dir;
    int counted = 0;
    double worstRate = 1, worstTempo = 0;
    for (int bpm = 100; bpm <= 180; bpm += 20) {
        for (int style = 0; style < 3; ++style) {
            const int introBars = style == 1 ? 2 : 0;
            const int bars = static_cast<int>(24 * bpm / 240.0) + introBars;  // about 24 s of band
            const std::vector<std::uint8_t> midi = bandSong(bpm + 0.3 * style, bars, introBars, style);
            const auto length = midiDurationMs(midi);
            ASSERT_TRUE(length);
            std::vector<std::uint8_t> pcm;
            ASSERT_TRUE(renderMidi(midi, font, 44100, *length, pcm));
            const auto wav = dir.path() / "band.wav";
            writeWave(wav, pcm);
            std::vector<std::uint8_t> samples;
            ASSERT_TRUE(sound::convertToSamples(wav, {}, {}, samples).ok());
            const BeatGrid truth = beatsFromMidi(midi);
            const BeatGrid g = beatsFromSamples(samples);
            std::vector<double> trueBeats(truth.beatsMs.begin(), truth.beatsMs.end());
            const double introMs = introBars * 4 * 60000.0 / (bpm + 0.3 * style);
            const double rate = test::hitRate(g.beatsMs, trueBeats, introMs + 3000);
            const double tempoError = std::abs(g.bpm - truth.bpm) / truth.bpm;
            std::printf("style %d%s %6.1f BPM: detected %6.1f BPM (%+.2f%%), %3zu beats, %5.1f%% within 20 ms\n", style,
                        introBars ? " (quiet intro)" : "              ", truth.bpm, g.bpm, 100 * (g.bpm - truth.bpm) / truth.bpm,
                        g.beatsMs.size(), rate * 100);
            EXPECT_LE(tempoError, 0.01) << truth.bpm;
            EXPECT_GE(rate, 0.95) << truth.bpm;
            worstRate = std::min(worstRate, rate);
            worstTempo = std::max(worstTempo, tempoError);
            ++counted;
        }
    }
    std::printf("%d songs: worst %.1f%% of beats within 20 ms, worst tempo error %.2f%%\n", counted, worstRate * 100,
                worstTempo * 100);
}

// ---- a regression subset of bench/beat_corpus.py, written here as MIDI

enum class Groove { March, Ska, Waltz, FastWaltz, Rock, ChaCha };

struct CorpusSong {
    const char* name;
    Groove groove;
    double bpm;
    int bars;
    double changeBpm = 0;  // a sudden change of tempo at changeAtBar
    int changeAtBar = 0;
};

std::vector<std::uint8_t> tempoEvent(double bpm) {
    const auto tempo = static_cast<std::uint32_t>(60000000.0 / bpm + 0.5);
    return {0xff, 0x51, 3, static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
            static_cast<std::uint8_t>(tempo)};
}

// A band playing one of the corpus's grooves: an oom-pah march in 2/4 (bass
// drum and tuba on the step, snare and brass chord between), ska (kick and
// bass on the beat, the guitar's chop on every off-beat the loudest thing),
// a waltz (bass on one, chords on two and three), a fast waltz "in one",
// 8-beat rock and a cha-cha (two chords a bar, bass and guiro alike on one
// and three, the cowbell loudest on three).
std::vector<std::uint8_t> grooveSong(const CorpusSong& song) {
    Track t;
    const bool waltz = song.groove == Groove::Waltz || song.groove == Groove::FastWaltz;
    const int perBar = song.groove == Groove::March ? 2 : waltz ? 3 : 4;
    t.add(0, tempoEvent(song.bpm));
    t.add(0, {0xff, 0x58, 4, static_cast<std::uint8_t>(perBar), 2, 24, 8});
    t.add(0, {0xc1, static_cast<std::uint8_t>(song.groove == Groove::March ? 58 : 33)});  // tuba or fingered bass
    t.add(0, {0xc2, static_cast<std::uint8_t>(song.groove == Groove::March ? 61 : song.groove == Groove::Ska ? 27 : 0)});
    const int roots[4] = {45, 41, 48, 43};  // A F C G
    const std::uint32_t beat = kDivision, half = kDivision / 2;
    for (int bar = 0; bar < song.bars; ++bar) {
        const std::uint32_t b0 = static_cast<std::uint32_t>(bar * perBar) * beat;
        if (song.changeBpm > 0 && bar == song.changeAtBar) t.add(b0, tempoEvent(song.changeBpm));
        const int root = roots[bar % 4];
        auto chord = [&](std::uint32_t at, std::uint32_t length, int velocity) {
            for (int k : {0, 4, 7}) t.note(2, at, length, root + 24 + k, velocity);
        };
        for (int i = 0; i < perBar; ++i) {
            const std::uint32_t at = b0 + static_cast<std::uint32_t>(i) * beat;
            switch (song.groove) {
            case Groove::March:
                if (i == 0) t.note(9, at, beat / 4, 36, 110), t.note(1, at, half, root - 12, 100);
                else t.note(9, at, beat / 4, 38, 90), chord(at, half, 80);
                break;
            case Groove::Ska:
                t.note(9, at, beat / 4, i % 2 == 0 ? 36 : 38, 100);
                t.note(1, at, half - 20, root, 100);
                chord(at + half, beat / 4, 120);
                t.note(9, at + half, beat / 8, 42, 80);
                break;
            case Groove::Waltz:
                if (i == 0) t.note(9, at, beat / 4, 36, 100), t.note(1, at, beat - 20, root, 100);
                else chord(at, beat - 40, 75), t.note(9, at, beat / 8, 42, 60);
                break;
            case Groove::FastWaltz:
                // In one: the bar's first beat sounds, the others only in every fourth bar's fill.
                if (i == 0) t.note(9, at, beat / 4, 36, 100), t.note(1, at, 3 * beat - 40, root, 100), chord(at, 3 * beat - 40, 80);
                else if (bar % 4 == 3) t.note(9, at, beat / 4, 38, 70), t.note(1, at, beat - 20, root + 2 * i, 80);
                break;
            case Groove::ChaCha:
                if (i % 2 == 0) {
                    t.note(1, at, 2 * beat - 40, root + (i == 2 ? 5 : 0), 100);
                    for (int k : {0, 4, 7}) t.note(2, at, 2 * beat - 40, root + (i == 2 ? 5 : 0) + 24 + k, 75);
                    t.note(9, at, beat / 2, 74, 90);  // long guiro
                }
                t.note(9, at, beat / 8, 56, i == 2 ? 120 : 70);  // cowbell
                t.note(9, at + half, beat / 8, 75, 70);         // claves
                break;
            case Groove::Rock:
                t.note(9, at, beat / 4, i % 2 == 0 ? 36 : 38, 110);
                for (std::uint32_t h = 0; h < 2; ++h) {
                    t.note(9, at + h * half, beat / 8, 42, 70);
                    t.note(1, at + h * half, half - 20, root, 95);
                }
                chord(at, beat - 40, 70);
                break;
            }
        }
    }
    const std::vector<std::uint8_t> track = t.bytes(static_cast<std::uint32_t>(song.bars * perBar) * beat);
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, kDivision >> 8, kDivision & 0xff,
                                      'M', 'T', 'r', 'k'};
    for (int i = 3; i >= 0; --i) file.push_back(static_cast<std::uint8_t>(track.size() >> (8 * i)));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// The beat F-measure as the corpus scores it: a detected beat within 70 ms
// of a true one is a hit (each true beat matched once); beats before 5 s do
// not count.
double fMeasure(const std::vector<int>& detected, const std::vector<int>& truth) {
    constexpr int kWindowMs = 70, kSkipMs = 5000;
    std::vector<int> d, t;
    std::copy_if(detected.begin(), detected.end(), std::back_inserter(d), [](int ms) { return ms >= kSkipMs; });
    std::copy_if(truth.begin(), truth.end(), std::back_inserter(t), [](int ms) { return ms >= kSkipMs; });
    if (d.empty() || t.empty()) return 0;
    std::size_t hits = 0, j = 0;
    for (int ms : d) {
        while (j < t.size() && t[j] < ms - kWindowMs) ++j;
        if (j < t.size() && std::abs(t[j] - ms) <= kWindowMs) ++hits, ++j;
    }
    const double precision = static_cast<double>(hits) / static_cast<double>(d.size());
    const double recall = static_cast<double>(hits) / static_cast<double>(t.size());
    return hits == 0 ? 0 : 2 * precision * recall / (precision + recall);
}

// A few of the corpus's songs, rendered through the SoundFont the tests name;
// the thresholds lie a little below what bench/beat_corpus.py measures on
// the same grooves from MMA (F 0.98 and more).
TEST(BandAccuracy, CorpusGroovesKeepTheirBeatAndMetre) {
    const std::string font = test::testSoundFont();
    if (font.empty()) GTEST_SKIP() << test::kTestSoundFontPath << " is not installed";
    struct Case {
        CorpusSong song;
        int beatsPerBar;  // 0: not checked (bars of two and four are not yet told apart reliably)
    };
    const Case cases[] = {
        {{"march at 120", Groove::March, 120, 24}, 0},
        {{"ska at 150", Groove::Ska, 150, 16}, 4},
        {{"waltz at 96", Groove::Waltz, 96, 16}, 3},
        {{"fast waltz at 150", Groove::FastWaltz, 150, 32}, 3},
        {{"rock from 100 to 140", Groove::Rock, 100, 24, 140, 14}, 4},
        // Its bars are told from where the band comes in.
        {{"cha-cha at 120", Groove::ChaCha, 120, 16}, 4},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.song.name);
        const std::vector<std::uint8_t> midi = grooveSong(c.song);
        const auto length = midiDurationMs(midi);
        ASSERT_TRUE(length);
        std::vector<std::uint8_t> pcm;
        ASSERT_TRUE(renderMidi(midi, font, 44100, *length, pcm));
        const auto wav = dir.path() / "groove.wav";
        writeWave(wav, pcm);
        std::vector<std::uint8_t> samples;
        ASSERT_TRUE(sound::convertToSamples(wav, {}, {}, samples).ok());
        const BeatGrid truth = beatsFromMidi(midi);
        const BeatGrid g = beatsFromSamples(samples);
        const double f = fMeasure(g.beatsMs, truth.beatsMs);
        const double down = fMeasure(g.downbeatsMs, truth.downbeatsMs);
        std::printf("%-22s %6.1f BPM: detected %6.1f BPM, %d a bar, F %.3f, downbeat F %.3f\n", c.song.name, truth.bpm, g.bpm,
                    g.beatsPerBar, f, down);
        EXPECT_GE(f, 0.93);
        // The tempo is the median interval: the first tempo's when it changes halfway.
        EXPECT_NEAR(g.bpm, c.song.bpm, c.song.bpm * 0.02);
        if (c.beatsPerBar) {
            EXPECT_EQ(g.beatsPerBar, c.beatsPerBar);
            // The bars start where the song's do.
            EXPECT_GE(down, 0.9);
        }
    }
}

}  // namespace
}  // namespace rova::beats
