#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <thread>

#include "beat_sounds.h"
#include "beats/beats.h"
#include "gated_analyser.h"
#include "model/midi_file.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"

namespace rova::beats {
namespace {

using test::MidiBuilder;

std::vector<int> firstBeats(const BeatGrid& g, std::size_t n) {
    return {g.beatsMs.begin(), g.beatsMs.begin() + static_cast<long>(std::min(n, g.beatsMs.size()))};
}

// ---- MIDI tempo maps --------------------------------------------------------

struct MidiCase {
    const char* name;
    std::vector<std::uint8_t> file;
    double bpm;
    std::vector<int> beats;      // every beat
    std::vector<int> downbeats;  // every downbeat
};

std::vector<MidiCase> midiCases() {
    std::vector<MidiCase> cases;
    // No tempo and no time signature: 120 BPM in 4/4.
    cases.push_back({"missing tempo means 120", MidiBuilder(96).note(0, 96).endTrack(768).bytes(), 120.0,
                     {0, 500, 1000, 1500, 2000, 2500, 3000, 3500}, {0, 2000}});
    // 125 BPM: 480000 µs a quarter.
    cases.push_back({"one tempo", MidiBuilder(480).tempo(0, 480000).endTrack(480 * 6).bytes(), 125.0,
                     {0, 480, 960, 1440, 1920, 2400}, {0, 1920}});
    // 120 BPM for a bar, then 60 BPM, then 150 BPM set on a second track.
    cases.push_back({"tempo changes across tracks",
                     MidiBuilder(100)
                         .tempo(0, 500000)
                         .tempo(400, 1000000)
                         .endTrack(800)
                         .tempo(600, 400000)
                         .endTrack(1000)
                         .bytes(),
                     120.0,
                     {0, 500, 1000, 1500, 2000, 3000, 4000, 4400, 4800, 5200},
                     {0, 2000, 4800}});
    // A tempo change between beats: the beat after it comes at the new pace.
    cases.push_back({"change inside a beat", MidiBuilder(100).tempo(50, 250000).endTrack(300).bytes(), 160.0,
                     {0, 375, 625}, {0}});
    cases.push_back({"3/4", MidiBuilder(96).timeSignature(0, 3, 2).tempo(0, 600000).endTrack(96 * 7).bytes(), 100.0,
                     {0, 600, 1200, 1800, 2400, 3000, 3600}, {0, 1800, 3600}});
    // 6/8 is felt in two dotted quarters a bar; tempo is µs per quarter note.
    cases.push_back({"6/8 counts dotted beats", MidiBuilder(96).timeSignature(0, 6, 3).endTrack(96 * 6).bytes(), 80.0,
                     {0, 750, 1500, 2250}, {0, 1500}});
    // 7/8 is not compound: every eighth is a beat.
    cases.push_back({"7/8", MidiBuilder(96).timeSignature(0, 7, 3).endTrack(48 * 8).bytes(), 240.0,
                     {0, 250, 500, 750, 1000, 1250, 1500, 1750}, {0, 1750}});
    // A new metre starts a bar where it stands.
    cases.push_back({"metre change", MidiBuilder(96).timeSignature(0, 2, 2).timeSignature(96 * 3, 3, 2).endTrack(96 * 7).bytes(),
                     120.0, {0, 500, 1000, 1500, 2000, 2500, 3000}, {0, 1000, 1500, 3000}});
    // Tempo and time signature written at tick 1: the metre counts from the
    // start, no beat a millisecond after the first; the one tick at the default
    // tempo (1.04 ms) stays in the times.
    cases.push_back({"opening metre at tick 1",
                     MidiBuilder(480).tempo(1, 300000).timeSignature(1, 4, 2).endTrack(480 * 8).bytes(), 200.0,
                     {0, 300, 600, 900, 1200, 1500, 1800, 2100}, {0, 1200}});
    cases.push_back({"opening 3/4 at tick 1 after a 4/4 at tick 0",
                     MidiBuilder(96).timeSignature(0, 4, 2).timeSignature(1, 3, 2).endTrack(96 * 6).bytes(), 120.0,
                     {0, 500, 1000, 1500, 2000, 2500}, {0, 1500}});
    // Rounding to the millisecond: 128 ticks a quarter at 123 BPM (487805 µs).
    cases.push_back({"milliseconds rounded", MidiBuilder(128).tempo(0, 487805).endTrack(128 * 4).bytes(), 123.0,
                     {0, 488, 976, 1463}, {0}});
    return cases;
}

TEST(MidiBeats, TempoMapsGiveExactBeats) {
    for (const MidiCase& c : midiCases()) {
        SCOPED_TRACE(c.name);
        const BeatGrid g = beatsFromMidi(c.file);
        EXPECT_EQ(g.source, BeatSource::Midi);
        EXPECT_DOUBLE_EQ(g.bpm, c.bpm);
        EXPECT_EQ(g.beatsMs, c.beats);
        EXPECT_TRUE(g.downbeatsKnown);
        EXPECT_EQ(g.downbeatsMs, c.downbeats);
    }
}

TEST(MidiBeats, LengthFollowsTheTempoMap) {
    const auto file = MidiBuilder(100).tempo(0, 500000).tempo(400, 1000000).endTrack(800).bytes();
    EXPECT_EQ(midiDurationMs(file), 6000);
    EXPECT_EQ(soundLengthMs(file), 6000);
}

TEST(MidiBeats, HostileFilesGiveNoBeatsOrBoundedOnes) {
    auto good = MidiBuilder(96).note(0, 96).endTrack(768).bytes();
    // Cut anywhere: never a read past the end, and no beats from a broken event.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        (void)beatsFromMidi(cut);
    }
    auto smpte = good;
    smpte[12] = 0xe7;  // -25 frames a second
    smpte[13] = 40;
    EXPECT_TRUE(beatsFromMidi(smpte).empty());
    EXPECT_TRUE(beatsFromMidi(std::vector<std::uint8_t>{'M', 'T', 'h', 'd'}).empty());
    // The fastest tempo over the longest delta: the beat count stays bounded.
    const auto flood = MidiBuilder(1).tempo(0, 1).endTrack(0x0fffffff).bytes();
    const BeatGrid g = beatsFromMidi(flood);
    EXPECT_LE(g.beatsMs.size(), kMaxBeats);
}

// ---- manual beats and NAME.BPM -----------------------------------------------

TEST(ManualBeats, EvenlySpacedFromTheFirstBeat) {
    const BeatGrid g = evenBeats({125.0, 240}, 2400);
    EXPECT_EQ(g.source, BeatSource::Manual);
    EXPECT_EQ(g.beatsMs, (std::vector<int>{240, 720, 1200, 1680, 2160}));
    EXPECT_FALSE(g.downbeatsKnown);
    // 97.5 BPM: 615.38 ms a beat, rounded from the start each time, not accumulated.
    EXPECT_EQ(firstBeats(evenBeats({97.5, 0}, 100000), 4), (std::vector<int>{0, 615, 1231, 1846}));
    EXPECT_EQ(evenBeats({400.0, 0}, 1000).beatsMs.size(), 0u);  // out of range: none
}

TEST(BpmFile, ParsesOnlyTheTwoLines) {
    struct Case {
        const char* text;
        bool valid;
        double bpm;
        int offset;
    };
    const Case cases[] = {
        {"bpm 125.0\noffset 240\n", true, 125.0, 240},
        {"bpm 125.0\noffset 240", true, 125.0, 240},
        {"bpm 97.5\r\noffset 0\r\n", true, 97.5, 0},
        {"bpm 30\noffset 5\n", true, 30.0, 5},
        {"bpm 300.0\noffset 86400000\n", true, 300.0, 86400000},
        {"", false, 0, 0},
        {"bpm 125.0\n", false, 0, 0},
        {"offset 240\nbpm 125.0\n", false, 0, 0},
        {"bpm 29.9\noffset 0\n", false, 0, 0},
        {"bpm 300.1\noffset 0\n", false, 0, 0},
        {"bpm 125.25\noffset 0\n", false, 0, 0},
        {"bpm -125\noffset 0\n", false, 0, 0},
        {"bpm 125.0\noffset -1\n", false, 0, 0},
        {"bpm 125.0\noffset 86400001\n", false, 0, 0},
        {"bpm  125.0\noffset 0\n", false, 0, 0},
        {"bpm 125.0\noffset 0\nextra 1\n", false, 0, 0},
        {"bpm 1e2\noffset 0\n", false, 0, 0},
        {"bpm 125.\noffset 0\n", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text = c.text;
        const auto parsed = parseBpmFile(std::vector<std::uint8_t>(text.begin(), text.end()));
        ASSERT_EQ(parsed.has_value(), c.valid);
        if (!c.valid) continue;
        EXPECT_DOUBLE_EQ(parsed->bpm, c.bpm);
        EXPECT_EQ(parsed->offsetMs, c.offset);
    }
}

TEST(BpmFile, WritesAtomicallyAndReadsBack) {
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "SONG.BPM";
    BpmSetting s;
    EXPECT_EQ(readBpmFile(path, s), BpmFileState::Missing);
    ASSERT_TRUE(writeBpmFile(path, {97.5, 240}));
    EXPECT_EQ(dir.read("SONG.BPM"), (std::vector<std::uint8_t>{'b', 'p', 'm', ' ', '9', '7', '.', '5', '\n', 'o', 'f',
                                                               'f', 's', 'e', 't', ' ', '2', '4', '0', '\n'}));
    ASSERT_EQ(readBpmFile(path, s), BpmFileState::Read);
    EXPECT_EQ(s, (BpmSetting{97.5, 240}));
    // A setting outside the range is not written, and the old file stays.
    EXPECT_FALSE(writeBpmFile(path, {301.0, 0}));
    ASSERT_EQ(readBpmFile(path, s), BpmFileState::Read);
    EXPECT_EQ(s.bpm, 97.5);
    dir.write("BAD.BPM", std::string("bpm fast\noffset 0\n"));
    EXPECT_EQ(readBpmFile(dir.path() / "BAD.BPM", s), BpmFileState::Malformed);
    dir.write("BIG.BPM", std::string(100000, 'x'));
    EXPECT_EQ(readBpmFile(dir.path() / "BIG.BPM", s), BpmFileState::Malformed);
    // A folder that cannot be written: failure reported.
    EXPECT_FALSE(writeBpmFile(dir.path() / "missing" / "X.BPM", {120.0, 0}));
}

TEST(BpmFile, OldAndNewFormsReadAndWriteBackUnchanged) {
    struct Case {
        const char* text;
        bool valid;
        BpmSetting setting;
    };
    const Case cases[] = {
        // The form of the first versions.
        {"bpm 125.0\noffset 240\n", true, {125.0, 240}},
        // Bars set by hand.
        {"bpm 96.0\noffset 240\nbar 3 865\n", true, {96.0, 240, 3, 865}},
        // A tempo that changes: every beat, with and without bars.
        {"bpm 100.0\noffset 0\nbar 4 0\nbeats 0 600 1200 1700 2200\n", true, {100.0, 0, 4, 0, {0, 600, 1200, 1700, 2200}}},
        {"bpm 100.0\noffset 10\nbeats 10 610\n", true, {100.0, 10, 0, 0, {10, 610}}},
        {"bpm 100.0\noffset 0\nbeats 0 600\r\n", true, {100.0, 0, 0, 0, {0, 600}}},
        // Out of order, out of range or inconsistent.
        {"bpm 100.0\noffset 0\nbeats 0 600\nbar 4 0\n", false, {}},
        {"bpm 100.0\noffset 0\nbar 0 0\n", false, {}},
        {"bpm 100.0\noffset 0\nbar 17 0\n", false, {}},
        {"bpm 100.0\noffset 0\nbar 4\n", false, {}},
        {"bpm 100.0\noffset 0\nbar 4 -5\n", false, {}},
        {"bpm 100.0\noffset 0\nbar 4 0\nbar 4 0\n", false, {}},
        {"bpm 100.0\noffset 0\nbeats 0 600 600\n", false, {}},
        {"bpm 100.0\noffset 0\nbeats 0 1200 600\n", false, {}},
        {"bpm 100.0\noffset 5\nbeats 0 600\n", false, {}},
        {"bpm 100.0\noffset 0\nbeats 0  600\n", false, {}},
        {"bpm 100.0\noffset 0\nbeats 0 600 \n", false, {}},
        {"bpm 100.0\noffset 0\nbeats \n", false, {}},
        {"bpm 100.0\noffset 0\nbeats 0 86400001\n", false, {}},
        {"bpm 100.0\noffset 0\nbar 4 0\nbeats 0 600\nextra\n", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text = c.text;
        const auto parsed = parseBpmFile(std::vector<std::uint8_t>(text.begin(), text.end()));
        ASSERT_EQ(parsed.has_value(), c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(*parsed, c.setting);
        // Written again exactly as read (an old file stays an old file).
        if (text.find('\r') == std::string::npos) {
            EXPECT_EQ(formatBpmFile(*parsed), text);
        }
    }
}

TEST(BpmFile, ALongListOfBeatsIsWrittenAndReadBack) {
    test::TempDir dir;
    BpmSetting s{120.0, 0, 4, 0};
    for (int i = 0; i < 20000; ++i) s.beatsMs.push_back(i * 500 + (i % 3));  // 10000 s with a little swing
    ASSERT_TRUE(writeBpmFile(dir.path() / "LONG.BPM", s));
    BpmSetting read;
    ASSERT_EQ(readBpmFile(dir.path() / "LONG.BPM", read), BpmFileState::Read);
    EXPECT_EQ(read, s);
    // Not written: a list that does not start at the first beat.
    s.offsetMs = 1;
    EXPECT_FALSE(writeBpmFile(dir.path() / "BAD.BPM", s));
}

TEST(ManualBeats, BarsStartAtTheDownbeatAndRepeatBothWays) {
    // 120 BPM from 100: beats 100, 600, 1100, ...; a bar of 3 starting at the beat nearest 1000.
    const BeatGrid g = handSetGrid({120.0, 100, 3, 1000}, 4000);
    EXPECT_EQ(g.source, BeatSource::Manual);
    EXPECT_TRUE(g.downbeatsKnown);
    EXPECT_EQ(g.beatsPerBar, 3);
    EXPECT_EQ(g.downbeatsMs, (std::vector<int>{1100, 2600}));
    // Without bars none are known; a list of beats is used as it is, up to the sound's end.
    const BeatGrid listed = handSetGrid({100.0, 0, 0, 0, {0, 600, 1100, 1500, 1900}}, 1500);
    EXPECT_FALSE(listed.downbeatsKnown);
    EXPECT_EQ(listed.beatsMs, (std::vector<int>{0, 600, 1100}));
    const BeatGrid listedBars = handSetGrid({100.0, 0, 2, 600, {0, 600, 1100, 1500, 1900}}, 5000);
    EXPECT_EQ(listedBars.downbeatsMs, (std::vector<int>{600, 1500}));
}

TEST(ManualBeats, TheDialogsCorrections) {
    using Fix = std::function<std::optional<BpmSetting>(const BpmSetting&)>;
    const Fix half = halfTempo, twice = doubleTempo;
    auto taps = [](std::vector<std::int64_t> t) { return Fix([t](const BpmSetting& s) { return tappedTempo(s, t); }); };
    auto perBar = [](int n) { return Fix([n](const BpmSetting& s) { return withBeatsPerBar(s, n); }); };
    auto downbeat = [](int ms) { return Fix([ms](const BpmSetting& s) { return withDownbeat(s, ms); }); };
    struct Case {
        const char* what;
        BpmSetting from;
        Fix fix;
        std::optional<BpmSetting> to;
    };
    const std::vector<Case> cases = {
        {"half of an even grid", {120.0, 100}, half, BpmSetting{60.0, 100}},
        {"half keeps the bar starts' beats", {120.0, 100, 4, 600}, half, BpmSetting{60.0, 600, 4, 600}},
        {"half below 30 BPM is refused", {50.0, 0}, half, std::nullopt},
        {"half of a list keeps every other beat", {100.0, 0, 0, 0, {0, 600, 1200, 1700, 2200, 2600}}, half,
         BpmSetting{50.0, 0, 0, 0, {0, 1200, 2200}}},
        {"half of a list keeps the downbeat's beats", {100.0, 0, 2, 600, {0, 600, 1200, 1800, 2400}}, half,
         BpmSetting{50.0, 600, 2, 600, {600, 1800}}},
        {"double of an even grid", {120.0, 100, 4, 100}, twice, BpmSetting{240.0, 100, 4, 100}},
        {"double above 300 BPM is refused", {160.0, 0}, twice, std::nullopt},
        {"double of a list adds the midpoints", {100.0, 0, 0, 0, {0, 600, 1200}}, twice,
         BpmSetting{200.0, 0, 0, 0, {0, 300, 600, 900, 1200}}},
        {"taps set tempo and phase near the first beat", {100.0, 240}, taps({1000, 1500, 2000, 2500}),
         BpmSetting{120.0, 0}},
        // 502 ms a beat by least squares; a beat at the second tap's fitted 10499 ms.
        {"uneven taps give the fitted tempo", {100.0, 3000}, taps({10000, 10490, 11010, 11500}),
         BpmSetting{119.5, 2968}},
        {"taps clear a list and keep the bars", {100.0, 0, 4, 0, {0, 600, 1200}}, taps({500, 1000, 1500}),
         BpmSetting{120.0, 0, 4, 0}},
        {"a single tap is refused", {100.0, 0}, taps({500}), std::nullopt},
        {"taps too slow are refused", {100.0, 0}, taps({0, 2500}), std::nullopt},
        {"beats a bar start at the first beat", {120.0, 100}, perBar(3), BpmSetting{120.0, 100, 3, 100}},
        {"beats a bar keep the bar start", {120.0, 100, 4, 1100}, perBar(3), BpmSetting{120.0, 100, 3, 1100}},
        {"no beats a bar forgets the bar start", {120.0, 100, 4, 1100}, perBar(0), BpmSetting{120.0, 100}},
        {"a downbeat snaps to the nearest beat", {120.0, 100, 3, 100}, downbeat(1280), BpmSetting{120.0, 100, 3, 1100}},
        {"a downbeat without bars assumes four", {120.0, 100}, downbeat(0), BpmSetting{120.0, 100, 4, 100}},
        {"a downbeat on a list", {100.0, 0, 2, 0, {0, 600, 1100}}, downbeat(1000),
         BpmSetting{100.0, 0, 2, 1100, {0, 600, 1100}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<BpmSetting> got = c.fix(c.from);
        ASSERT_EQ(got.has_value(), c.to.has_value());
        if (got) {
            EXPECT_EQ(*got, *c.to);
            EXPECT_TRUE(validSetting(*got));
        }
    }
}

TEST(ManualBeats, ADetectedGridKeepsItsBeatsOnlyWhenItsTempoChanges) {
    BeatGrid steady;
    steady.source = BeatSource::Audio;
    steady.bpm = 120.0;
    for (int i = 0; i < 40; ++i) steady.beatsMs.push_back(200 + i * 500);
    steady.beatsPerBar = 3;
    steady.downbeatsKnown = true;
    steady.downbeatsMs = {700, 2200};
    EXPECT_EQ(settingOf(steady), (BpmSetting{120.0, 200, 3, 700}));
    // 100 then 140 BPM: the beats themselves.
    BeatGrid changing = steady;
    changing.beatsMs.clear();
    for (int i = 0; i < 32; ++i) changing.beatsMs.push_back(i * 600);
    for (int i = 1; i <= 32; ++i) changing.beatsMs.push_back(31 * 600 + i * 429);
    const BpmSetting s = settingOf(changing);
    EXPECT_EQ(s.beatsMs, changing.beatsMs);
    EXPECT_TRUE(validSetting(s));
    // A MIDI grid without a count: the beats of its first bar.
    BeatGrid midi;
    midi.source = BeatSource::Midi;
    midi.bpm = 125.0;
    midi.beatsMs = {0, 480, 960, 1440, 1920};
    midi.downbeatsKnown = true;
    midi.downbeatsMs = {0, 1440};
    EXPECT_EQ(settingOf(midi), (BpmSetting{125.0, 0, 3, 0}));
}

// ---- snapping ---------------------------------------------------------------

TEST(Snapping, StepsGoToTheStepNearestABeat) {
    BeatGrid g;
    g.beatsMs = {500, 1000, 1500, 2000};  // steps 6 (480..), 13, 19, 25
    struct Case {
        int step, snapped, next, previous;
    };
    const Case cases[] = {
        {0, 6, 6, 0},      // before the first beat: the first; nothing before
        {6, 6, 13, 0},     // on a beat
        {9, 6, 13, 6},     // 720 ms: 500 is nearer than 1000
        {16, 19, 19, 13},  // 1280 ms: nearer 1500
        {25, 25, 40, 19},  // the last beat: next goes to the last step
        {39, 25, 40, 25},  // after the last beat: the last
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        EXPECT_EQ(snapStepToBeat(g, c.step, 40), c.snapped);
        EXPECT_EQ(nextBeatStep(g, c.step, 40), c.next);
        EXPECT_EQ(previousBeatStep(g, c.step), c.previous);
    }
    // A snapped step never passes the last selectable one.
    EXPECT_EQ(snapStepToBeat(g, 30, 20), 20);
    EXPECT_EQ(nextBeatStep(g, 19, 20), 20);
    // Without beats nothing moves.
    EXPECT_EQ(snapStepToBeat(BeatGrid{}, 7, 40), 7);
}

TEST(Snapping, BeatsCloserThanAStepStillAdvance) {
    BeatGrid g;
    for (int t = 0; t < 1000; t += 50) g.beatsMs.push_back(t);  // 1200 BPM, finer than the steps
    EXPECT_EQ(nextBeatStep(g, 3, 100), 4);
    EXPECT_EQ(previousBeatStep(g, 3), 2);
}

// ---- the sound of a performance ------------------------------------------------

TEST(SoundBeats, WaveAndMidiAndNothing) {
    const auto sound = test::pulseSound(test::Pattern::Clicks, 120, 12, 0, 1);
    auto wave = test::waveImage(sound.samples.size());
    std::copy(sound.samples.begin(), sound.samples.end(), wave.end() - static_cast<long>(sound.samples.size()));
    const BeatGrid g = beatsForSound(wave);
    EXPECT_EQ(g.source, BeatSource::Audio);
    EXPECT_NEAR(g.bpm, 120.0, 1.2);
    // Every fourth click is louder: bars of four from the first.
    EXPECT_EQ(g.beatsPerBar, 4);
    ASSERT_TRUE(g.downbeatsKnown);
    for (int d : g.downbeatsMs) EXPECT_NEAR((d + 1000) % 2000 - 1000, 0, 20) << d;
    EXPECT_GE(test::hitRate(g.beatsMs, sound.beatsMs, 3000), 0.95);
    EXPECT_EQ(soundLengthMs(wave), 12000);

    EXPECT_EQ(beatsForSound(MidiBuilder(96).endTrack(384).bytes()).beatsMs, (std::vector<int>{0, 500, 1000, 1500}));
    EXPECT_TRUE(beatsForSound({}).empty());
    EXPECT_TRUE(beatsForSound(test::waveImage(30)).empty());
    // Silence has no pulse.
    auto silent = test::waveImage(8000 * 10);
    std::fill(silent.end() - 80000, silent.end(), 128);
    EXPECT_TRUE(beatsForSound(silent).empty());
}

TEST(SoundBeats, ALoneBeatIsNoSteadyBeat) {
    // A sound the fuzzer found, made as the audio beats fuzz target makes it:
    // its pulse is steady, but all its beats but one fall in quiet stretches.
    std::ifstream in(std::string(ROVA_SOURCE_DIR) + "/fuzz/corpus/audio_beats/one_beat.raw", std::ios::binary);
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(data.size(), 2u);
    const std::size_t seconds = 6 + (data[0] | static_cast<std::size_t>(data[1]) << 8) % 9;
    std::vector<std::uint8_t> samples(seconds * 8000);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = data[2 + i % (data.size() - 2)];
    const BeatGrid g = beatsFromSamples(samples);
    EXPECT_EQ(g.source, BeatSource::Audio);
    EXPECT_TRUE(g.beatsMs.empty());
    EXPECT_EQ(g.confidence, 0);
    EXPECT_EQ(g.bpm, 0);
}

TEST(SoundBeats, AnalysisOffThreadGivesTheSameGrid) {
    const auto file = MidiBuilder(96).tempo(0, 400000).endTrack(96 * 8).bytes();
    // What done sees: the window it wakes draws the beats at once, so the
    // grid must be ready by then.
    std::atomic<const BeatAnalysis*> self{nullptr};
    std::atomic<int> readyWhenDone{-1};
    {
        BeatAnalysis analysis(file, [&] {
            while (!self.load()) std::this_thread::yield();
            readyWhenDone = self.load()->ready() ? 1 : 0;
        });
        self = &analysis;
        EXPECT_TRUE(analysis.started());
        analysis.wait();
        EXPECT_TRUE(analysis.ready());
        EXPECT_EQ(analysis.grid().beatsMs, beatsForSound(file).beatsMs);
        while (readyWhenDone.load() < 0) std::this_thread::yield();
    }  // the worker has ended
    EXPECT_EQ(readyWhenDone.load(), 1);
    BeatAnalysis none;
    EXPECT_FALSE(none.started());
    EXPECT_TRUE(none.grid().empty());
}

TEST(SoundBeats, AnAnalysisHasNoBeatsUntilItIsReady) {
    test::GatedAnalyser gate;
    std::atomic<int> done{0};
    const auto file = MidiBuilder(96).endTrack(384).bytes();
    BeatAnalysis analysis(file, [&] { ++done; }, gate.analyser());
    gate.waitUntilStarted();
    EXPECT_TRUE(analysis.started());
    EXPECT_FALSE(analysis.ready());
    EXPECT_TRUE(analysis.grid().empty());  // at once, not after the analysis
    gate.open();
    analysis.wait();
    EXPECT_TRUE(analysis.ready());
    EXPECT_EQ(analysis.grid().beatsMs, (std::vector<int>{0, 500, 1000, 1500}));
    while (done.load() == 0) std::this_thread::yield();  // done follows the grid on the worker
    EXPECT_EQ(done.load(), 1);
}

TEST(SoundBeats, ACancelledAnalysisStopsAndNeverBecomesReady) {
    test::GatedAnalyser gate;
    std::atomic<int> done{0};
    {
        BeatAnalysis analysis({1, 2, 3}, [&] { ++done; }, gate.analyser());
        gate.waitUntilStarted();
        analysis.cancel();
        analysis.wait();  // returns although the gate stays shut
        EXPECT_FALSE(analysis.ready());
        EXPECT_TRUE(analysis.grid().empty());
        EXPECT_EQ(gate.cancelled(), 1);
        // Destroying a running analysis cancels it rather than waiting for its end.
        BeatAnalysis second({1, 2, 3}, [&] { ++done; }, gate.analyser());
        gate.waitUntilStarted(2);
    }
    EXPECT_EQ(gate.cancelled(), 2);
    EXPECT_EQ(done.load(), 0);
}

TEST(SoundBeats, TheTrackerStopsWhenCancelled) {
    // Five minutes of clicks: with the flag set the tracker gives up at once and finds nothing.
    const auto sound = test::pulseSound(test::Pattern::Clicks, 120, 300, 0, 1);
    const CancelFlag cancelled{true};
    EXPECT_TRUE(beatsFromSamples(sound.samples, cancelled).empty());
    auto wave = test::waveImage(sound.samples.size());
    std::copy(sound.samples.begin(), sound.samples.end(), wave.end() - static_cast<long>(sound.samples.size()));
    EXPECT_TRUE(beatsForSound(wave, cancelled).empty());
    // A cancel while the real analysis runs ends it, not ready.
    BeatAnalysis analysis(wave);
    analysis.cancel();
    analysis.wait();
    EXPECT_FALSE(analysis.ready());
}

}  // namespace
}  // namespace rova::beats
