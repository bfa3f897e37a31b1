// The beat tracker's stages on synthetic onset envelopes: the metrical level
// of a march, a fast waltz, a ska off-beat and a slow ballad; a tempo change
// followed; bars of three and four; no confidence without a pulse.
#include "beats/beat_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace rova::beats::tracker {
namespace {

// One accent of a bar pattern: where in the beat (0 on it, 0.5 the off-beat),
// its strength over all bands and in the bass.
struct Hit {
    double atBeat;
    double all;
    double low;
};

struct Song {
    std::vector<Hit> bar;  // the hits of one bar, atBeat counted from the bar's start
    double beatsPerBar;
    double bpm;
    double seconds;
    double changeAtSeconds = 0;  // a sudden change of tempo to changeBpm
    double changeBpm = 0;
    int silentBeats = 0;  // the band enters this many beats into the first bar
};

struct Synthetic {
    Envelope env;
    BandFrames frames;             // two bands (bass, rest) whose energy follows the hits
    std::vector<double> beatFrames;  // the true beats
};

Synthetic synthesise(const Song& song) {
    const auto n = static_cast<std::size_t>(song.seconds * 1000 / kFrameMs);
    Synthetic s;
    s.env.onset.assign(n, 0.0f);
    s.env.low.assign(n, 0.0f);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(0.0f, 0.03f);
    for (std::size_t i = 0; i < n; ++i) s.env.onset[i] = noise(rng);
    std::vector<float> hits(n, 0.0f);
    double ms = 500, beat = 0;
    while (ms < song.seconds * 1000) {
        const double bpm = song.changeBpm > 0 && ms >= song.changeAtSeconds * 1000 ? song.changeBpm : song.bpm;
        const double beatMs = 60000.0 / bpm;
        s.beatFrames.push_back(ms / kFrameMs);
        const double inBar = std::fmod(beat, song.beatsPerBar);
        for (const Hit& h : song.bar) {
            if (h.atBeat < inBar || h.atBeat >= inBar + 1 || beat < song.silentBeats) continue;
            const auto f = static_cast<std::size_t>(std::lround((ms + (h.atBeat - inBar) * beatMs) / kFrameMs));
            if (f >= n) continue;
            s.env.onset[f] += static_cast<float>(h.all + h.low);
            s.env.low[f] += static_cast<float>(h.low);
            hits[f] += static_cast<float>(h.all + h.low);
        }
        ms += beatMs;
        beat += 1;
    }
    // Band energies that jump at each hit and decay: bass in band 0, the rest in band 1.
    s.frames.bands = 2;
    s.frames.energy.assign(2 * n, 0.0f);
    s.frames.level.assign(n, 0.0f);
    float bass = 0, rest = 0, sound = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sound = 0.9f * sound + hits[i];
        s.frames.level[i] = sound * sound;
        bass = 0.9f * bass + 4 * s.env.low[i];
        rest = 0.9f * rest + 4 * (s.env.onset[i] - s.env.low[i]);
        s.frames.energy[2 * i] = bass;
        s.frames.energy[2 * i + 1] = rest;
    }
    return s;
}

// Share of the detected beats within toleranceFrames of a true beat.
double hitShare(const std::vector<double>& detected, const std::vector<double>& truth, double toleranceFrames = 2.5) {
    if (detected.empty()) return 0;
    int hits = 0;
    for (double d : detected) {
        double best = 1e9;
        for (double t : truth) best = std::min(best, std::abs(t - d));
        if (best <= toleranceFrames) ++hits;
    }
    return static_cast<double>(hits) / static_cast<double>(detected.size());
}

double medianOf(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

struct LevelCase {
    const char* name;
    Song song;
};

TEST(BeatTracker, FindsTheBeatPeopleTapInEachKindOfBar) {
    const LevelCase cases[] = {
        // Oom-pah: a bass note on the step, a chord between.
        {"a march at 120 BPM", {{{0, 0.2, 1.0}, {1, 0.7, 0}}, 2, 120, 40}},
        // Bass on one, chords on two and three, three bars a second and a quarter.
        {"a fast waltz at 150 BPM", {{{0, 0.3, 1.0}, {1, 0.6, 0}, {2, 0.6, 0}}, 3, 150, 40}},
        // The guitar's chop on every off-beat is the loudest thing; the kick and bass mark the beat.
        {"ska at 150 BPM", {{{0, 0.1, 0.8}, {0.5, 1.0, 0}, {1, 0.5, 0}, {1.5, 1.0, 0}, {2, 0.1, 0.8}, {2.5, 1.0, 0}, {3, 0.5, 0}, {3.5, 1.0, 0}}, 4, 150, 40}},
        // Kick, snare on two and four, soft eighth-note hi-hats.
        {"a ballad at 84 BPM",
         {{{0, 0.2, 1.0}, {0.5, 0.25, 0}, {1, 0.9, 0}, {1.5, 0.25, 0}, {2, 0.2, 1.0}, {2.5, 0.25, 0}, {3, 0.9, 0}, {3.5, 0.25, 0}},
          4, 84, 40}},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Synthetic s = synthesise(c.song);
        const Tempogram gram = tempogram(s.env.onset);
        const std::vector<double> path = decodeTempoPath(gram);
        ASSERT_EQ(path.size(), gram.windows());
        EXPECT_NEAR(medianOf(path), c.song.bpm, c.song.bpm * 0.02);
        const std::vector<double> beats = trackBeats(s.env, periodPerFrame(gram, path, s.env.onset.size()));
        EXPECT_GE(hitShare(beats, s.beatFrames), 0.95);
        EXPECT_GE(beats.size(), s.beatFrames.size() * 9 / 10);
    }
}

TEST(BeatTracker, FollowsASuddenTempoChangeFrom100To140Bpm) {
    const Song song{{{0, 0.2, 1.0}, {1, 0.8, 0}, {2, 0.2, 1.0}, {3, 0.8, 0}}, 4, 100, 60, 30, 140};
    const Synthetic s = synthesise(song);
    const Tempogram gram = tempogram(s.env.onset);
    const std::vector<double> path = decodeTempoPath(gram);
    for (std::size_t w = 0; w < path.size(); ++w) {
        if (gram.centreMs[w] < 22000) {
            EXPECT_NEAR(path[w], 100, 2) << gram.centreMs[w];
        }
        if (gram.centreMs[w] > 38000) {
            EXPECT_NEAR(path[w], 140, 2.8) << gram.centreMs[w];
        }
    }
    const std::vector<double> beats = trackBeats(s.env, periodPerFrame(gram, path, s.env.onset.size()));
    EXPECT_GE(hitShare(beats, s.beatFrames), 0.95);
    EXPECT_GE(beats.size(), s.beatFrames.size() * 9 / 10);
}

TEST(BeatTracker, CountsBarsOfThreeAndFourFromTheirDownbeat) {
    struct MetreCase {
        const char* name;
        Song song;
        int beatsPerBar;
    };
    const MetreCase cases[] = {
        {"a waltz", {{{0, 0.3, 1.0}, {1, 0.6, 0}, {2, 0.6, 0}}, 3, 120, 40}, 3},
        {"rock in four", {{{0, 0.3, 1.0}, {1, 0.8, 0}, {2, 0.3, 0.6}, {3, 0.8, 0}}, 4, 120, 40}, 4},
        // The bass a little stronger on three, the whole band on one (a crash).
        {"rock with a crash on one", {{{0, 1.2, 0.5}, {1, 0.6, 0}, {2, 0.3, 0.6}, {3, 0.6, 0}}, 4, 120, 40}, 4},
        // The loudest beat is not the first: a backbeat, louder on two than on four.
        {"rock with a loud backbeat", {{{0, 0.3, 1.0}, {1, 2.5, 0}, {2, 0.3, 0.6}, {3, 1.0, 0}}, 4, 120, 40}, 4},
    };
    for (const MetreCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Synthetic s = synthesise(c.song);
        std::vector<double> beats = s.beatFrames;
        const Metre metre = estimateMetre(s.frames, s.env, beats, 1);
        EXPECT_EQ(metre.beatsPerBar, c.beatsPerBar);
        // The song starts on a downbeat.
        EXPECT_EQ(metre.firstDownbeat, 0u);
        EXPECT_EQ(beats.size(), s.beatFrames.size());
    }
}

TEST(BeatTracker, TheBandsEntryTellsTheFirstBeatFromTheThird) {
    struct EntryCase {
        const char* name;
        Song song;
        std::size_t phase;  // of the bar among the beats, counted from the song's first
    };
    const EntryCase cases[] = {
        // Bass alike on one and three, the band a little louder on three (a
        // cha-cha's guiro): only where the band entered tells them apart.
        {"entering on one", {{{0, 0.3, 1.0}, {1, 0.6, 0}, {2, 0.9, 1.0}, {3, 0.6, 0}}, 4, 120, 40}, 0},
        {"entering on one after a silent bar", {{{0, 0.3, 1.0}, {1, 0.6, 0}, {2, 0.9, 1.0}, {3, 0.6, 0}}, 4, 120, 40, 0, 0, 4}, 0},
        // A pickup of two beats does not outweigh a bass clearly on one.
        {"a pickup before a clear one", {{{0, 0.3, 1.5}, {1, 0.6, 0}, {2, 0.3, 0.3}, {3, 0.6, 0}}, 4, 120, 40, 0, 0, 2}, 0},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Synthetic s = synthesise(c.song);
        std::vector<double> beats = s.beatFrames;
        const Metre metre = estimateMetre(s.frames, s.env, beats, 1);
        EXPECT_EQ(metre.beatsPerBar, 4);
        EXPECT_EQ(metre.firstDownbeat, c.phase);
    }
}

TEST(BeatTracker, TheBandEntersWhereTheSoundSuddenlyGetsLoud) {
    auto framesOf = [](std::vector<float> level) {
        BandFrames f;
        f.bands = 1;
        f.energy.assign(level.size(), 1.0f);
        f.level = std::move(level);
        return f;
    };
    // Two seconds of silence with a soft count-in click, then the band.
    std::vector<float> level(1000, 0.0f);
    level[100] = 0.05f;
    for (std::size_t t = 250; t < level.size(); ++t) level[t] = t % 60 < 10 ? 1.0f : 0.4f;
    EXPECT_EQ(bandEntry(framesOf(level)), 250.0);
    // Playing from the first frame.
    EXPECT_EQ(bandEntry(framesOf(std::vector<float>(level.begin() + 250, level.end()))), 0.0);
    // A fade-in over two seconds reaches the band's level on no beat in particular.
    for (std::size_t t = 0; t < 250; ++t) level[t] = 0.4f * static_cast<float>(t) / 250;
    EXPECT_FALSE(bandEntry(framesOf(level)));
    EXPECT_FALSE(bandEntry(framesOf(std::vector<float>(100, 0.0f))));
}

TEST(BeatTracker, EachStretchOfSteadyTempoFindsItsOwnBarStart) {
    // A crash on one; 100 BPM, then 140 from 30 s. The tracker lost a beat at
    // the change, so after it the bars start one beat earlier in its count.
    const Song song{{{0, 1.2, 0.5}, {1, 0.6, 0}, {2, 0.3, 0.6}, {3, 0.6, 0}}, 4, 100, 70, 30, 140};
    const Synthetic s = synthesise(song);
    std::vector<double> beats = s.beatFrames;
    const auto lost = static_cast<long>(std::find_if(beats.begin(), beats.end(), [](double f) { return f * kFrameMs > 30000; }) - beats.begin());
    beats.erase(beats.begin() + lost);
    const std::vector<double> heard = beats;
    const Metre metre = estimateMetre(s.frames, s.env, beats, 1);
    EXPECT_EQ(metre.beatsPerBar, 4);
    ASSERT_FALSE(metre.downbeats.empty());
    EXPECT_EQ(metre.firstDownbeat, metre.downbeats.front());
    std::size_t before = 0, after = 0;
    for (std::size_t i : metre.downbeats) {
        const auto truth = static_cast<std::size_t>(std::find(s.beatFrames.begin(), s.beatFrames.end(), heard[i]) - s.beatFrames.begin());
        EXPECT_EQ(truth % 4, 0u) << "bar start at " << heard[i] * kFrameMs << " ms";
        ++(static_cast<long>(i) < lost ? before : after);
    }
    EXPECT_GE(before, 10u);
    EXPECT_GE(after, 20u);
}

// A chord a bar (C, A minor, F, G), the first chord starting at beat firstChange.
std::vector<Chroma> chordsEveryBar(std::size_t beats, std::size_t beatsPerBar, std::size_t firstChange) {
    const std::array<std::array<int, 3>, 4> chords{{{0, 4, 7}, {9, 0, 4}, {5, 9, 0}, {7, 11, 2}}};
    std::vector<Chroma> chroma;
    for (std::size_t i = 0; i < beats; ++i) {
        const std::size_t bar = (i + beatsPerBar - firstChange) / beatsPerBar;
        Chroma c{};
        for (int pc : chords[bar % chords.size()]) c[static_cast<std::size_t>(pc)] = 1.0f / 3;
        chroma.push_back(c);
    }
    return chroma;
}

TEST(BeatTracker, ChordChangesMarkTheBarWhereAccentsDoNot) {
    const std::vector<Chroma> chroma = chordsEveryBar(40, 4, 1);
    const std::vector<double> change = harmonicChange(chroma);
    ASSERT_EQ(change.size(), chroma.size());
    // Larger where the chord changes than a beat either side.
    for (std::size_t i : {5u, 9u, 13u, 17u}) {
        EXPECT_GT(change[i], change[i - 1]) << i;
        EXPECT_GT(change[i], change[i + 1]) << i;
    }

    // The bass on every beat alike, a chop on every off-beat: the accents repeat every beat.
    const Synthetic ska =
        synthesise({{{0, 0.2, 1.0}, {0.5, 1.0, 0}, {1, 0.2, 1.0}, {1.5, 1.0, 0}, {2, 0.2, 1.0}, {2.5, 1.0, 0}, {3, 0.2, 1.0}, {3.5, 1.0, 0}},
                    4, 150, 40});
    std::vector<double> beats = ska.beatFrames;
    Metre metre = estimateMetre(ska.frames, ska.env, beats, 1, {}, chordsEveryBar(beats.size(), 4, 1));
    EXPECT_EQ(metre.beatsPerBar, 4);
    EXPECT_EQ(metre.firstDownbeat, 1u);
    // A bass note on every beat alike, a chord a bar of three.
    const Synthetic waltz = synthesise({{{0, 0.2, 1.0}, {1, 0.2, 1.0}, {2, 0.2, 1.0}}, 3, 120, 40});
    beats = waltz.beatFrames;
    metre = estimateMetre(waltz.frames, waltz.env, beats, 1, {}, chordsEveryBar(beats.size(), 3, 2));
    EXPECT_EQ(metre.beatsPerBar, 3);
    EXPECT_EQ(metre.firstDownbeat, 2u);
    // Chroma of the wrong length is not read: the accents alone give four.
    EXPECT_EQ(estimateMetre(waltz.frames, waltz.env, beats, 1, {}, chordsEveryBar(3, 3, 2)).beatsPerBar, 4);

    // Two chords a bar, changing more within the bar than at its line: the
    // chords tell the first and third beats from the others, the bass which is first.
    const Synthetic rock = synthesise({{{0, 0.3, 0.6}, {1, 0.6, 0.1}, {2, 0.3, 0.4}, {3, 0.6, 0.1}}, 4, 120, 40});
    std::vector<Chroma> twoABar;
    std::array<int, 3> chord{0, 4, 7};
    while (twoABar.size() < rock.beatFrames.size()) {
        std::array<int, 3> second{};
        for (std::size_t k = 0; k < 3; ++k) second[k] = (chord[k] + 6) % 12;  // shares no note with the first
        for (const auto& c : {chord, chord, second, second}) {
            Chroma v{};
            for (int pc : c) v[static_cast<std::size_t>(pc)] = 1.0f / 3;
            twoABar.push_back(v);
        }
        chord = second;
        chord[1] = (chord[1] + 1) % 12;  // the next bar's first chord shares one note with it
        chord[2] = (chord[2] + 1) % 12;
    }
    twoABar.resize(rock.beatFrames.size());
    beats = rock.beatFrames;
    metre = estimateMetre(rock.frames, rock.env, beats, 1, {}, twoABar);
    EXPECT_EQ(metre.beatsPerBar, 4);
    EXPECT_EQ(metre.firstDownbeat, 0u);
}

TEST(BeatTracker, BeatsBetweenTheChordChangesMoveOntoThem) {
    // A chord every four beats of 60 frames; the tracker's beats lie on the
    // off-beat from beat 40 on.
    constexpr double kBeat = 60;
    const std::array<std::array<int, 3>, 4> chords{{{0, 4, 7}, {9, 0, 4}, {5, 9, 0}, {7, 11, 2}}};
    double heldFrom = 1e9;  // the last chord is held from this frame on
    auto chordAt = [&](double frame) {
        Chroma c{};
        const auto bar = static_cast<std::size_t>(std::min(frame, heldFrom) / (4 * kBeat));
        for (int pc : chords[bar % chords.size()]) c[static_cast<std::size_t>(pc)] = 1.0f / 3;
        return c;
    };
    auto halvesOf = [&](const std::vector<double>& beats) {
        std::vector<Chroma> halves;
        for (std::size_t i = 0; i + 1 < beats.size(); ++i) {
            const double mid = (beats[i] + beats[i + 1]) / 2;
            halves.push_back(chordAt((beats[i] + mid) / 2));
            halves.push_back(chordAt((mid + beats[i + 1]) / 2));
        }
        return halves;
    };
    std::vector<double> onBeat, mixed;
    for (int i = 0; i < 100; ++i) {
        onBeat.push_back(i * kBeat);
        mixed.push_back(i * kBeat + (i >= 40 ? kBeat / 2 : 0));
    }
    EXPECT_EQ(alignToHarmony(onBeat, halvesOf(onBeat)), onBeat);
    const std::vector<double> aligned = alignToHarmony(mixed, halvesOf(mixed));
    ASSERT_EQ(aligned.size(), mixed.size());
    for (std::size_t i = 0; i < 36; ++i) EXPECT_EQ(aligned[i], mixed[i]) << i;
    for (std::size_t i = 44; i < aligned.size(); ++i) EXPECT_NEAR(aligned[i], (static_cast<double>(i) + 1) * kBeat, 1e-9) << i;

    // The song ends on one chord held for its last five bars: the beats
    // there, where the harmony says nothing, move with the stretch before
    // them while the tracker keeps its phase ...
    heldFrom = 80 * kBeat;
    const std::vector<double> ending = alignToHarmony(mixed, halvesOf(mixed));
    for (std::size_t i = 44; i < ending.size(); ++i) EXPECT_NEAR(ending[i], (static_cast<double>(i) + 1) * kBeat, 1e-9) << i;
    // ... and stay where it jumps back onto the beat.
    std::vector<double> back = mixed;
    for (std::size_t i = 84; i < back.size(); ++i) back[i] = static_cast<double>(i) * kBeat;
    const std::vector<double> jumped = alignToHarmony(back, halvesOf(back));
    for (std::size_t i = 84; i < jumped.size(); ++i) EXPECT_EQ(jumped[i], back[i]) << i;
    heldFrom = 1e9;

    // Without chord changes, or with chroma of the wrong length, nothing moves.
    const std::vector<Chroma> still(2 * (mixed.size() - 1), chordAt(0));
    EXPECT_EQ(alignToHarmony(mixed, still), mixed);
    // Nor does what changes every two beats as much as every four (tuned
    // drums, a melody in half notes): it is no chord a bar.
    std::vector<double> offBeat;
    for (double b : onBeat) offBeat.push_back(b + kBeat / 2);
    std::vector<Chroma> everyTwo;
    for (std::size_t i = 0; i + 1 < offBeat.size(); ++i)
        for (double at : {offBeat[i] + kBeat / 4, offBeat[i] + 3 * kBeat / 4}) everyTwo.push_back(chordAt(2 * at));
    EXPECT_EQ(alignToHarmony(offBeat, everyTwo), offBeat);
    EXPECT_EQ(alignToHarmony(mixed, std::vector<Chroma>(3)), mixed);
}

TEST(BeatTracker, GroupsTheEighthsOfA68InThrees) {
    // Eighths at 234 BPM, accented in threes: a 6/8 at 78 dotted quarters a minute.
    const Song song{{{0, 0.3, 1.0}, {1, 0.4, 0}, {2, 0.4, 0}, {3, 0.6, 0.3}, {4, 0.4, 0}, {5, 0.4, 0}}, 6, 234, 40};
    const Synthetic s = synthesise(song);
    std::vector<double> beats = s.beatFrames;
    const Metre metre = estimateMetre(s.frames, s.env, beats, 1);
    EXPECT_TRUE(metre.compound);
    EXPECT_EQ(metre.beatsPerBar, 2);
    ASSERT_GE(beats.size(), 2u);
    EXPECT_NEAR(beats[1] - beats[0], 3 * 60000.0 / 234 / kFrameMs, 1.0);
}

TEST(BeatTracker, TellsABarOfThreeCountedInTwoFromPairsOfBeats) {
    // A fast waltz "in one": the bar's first beat sounds, its second and third barely.
    const Synthetic waltz = synthesise({{{0, 0.3, 1.0}, {1, 0.4, 0}, {2, 0.4, 0}}, 3, 150, 40});
    const double beat = waltz.beatFrames[1] - waltz.beatFrames[0];
    std::vector<double> twoThirds;  // the bar counted in two, as the tempo path takes it
    for (double f = waltz.beatFrames.front(); f < waltz.beatFrames.back(); f += 1.5 * beat) twoThirds.push_back(f);
    EXPECT_TRUE(barOfThreeCountedInTwo(waltz.env, twoThirds, Metre{4, 0, false, {}}));
    // Counted rightly, in two or in four, the pairs' thirds fall between the beats.
    struct Case {
        const char* name;
        Song song;
        int beatsPerBar;
    };
    const Case rightly[] = {
        {"a march", {{{0, 0.2, 1.0}, {0.5, 0.3, 0}, {1, 0.7, 0}, {1.5, 0.3, 0}}, 2, 120, 40}, 2},
        {"rock with eighths", {{{0, 0.3, 1.0}, {0.5, 0.3, 0}, {1, 0.8, 0}, {1.5, 0.3, 0}, {2, 0.3, 0.6}, {2.5, 0.3, 0}, {3, 0.8, 0}, {3.5, 0.3, 0}}, 4, 120, 40}, 4},
        {"swing", {{{0, 0.3, 1.0}, {0.67, 0.3, 0}, {1, 0.8, 0}, {1.67, 0.3, 0}, {2, 0.3, 0.6}, {2.67, 0.3, 0}, {3, 0.8, 0}, {3.67, 0.3, 0}}, 4, 130, 40}, 4},
    };
    for (const Case& c : rightly) {
        SCOPED_TRACE(c.name);
        const Synthetic s = synthesise(c.song);
        EXPECT_FALSE(barOfThreeCountedInTwo(s.env, s.beatFrames, Metre{c.beatsPerBar, 0, false, {}}));
    }
    // Bars of three are already counted in three; too few pairs say nothing.
    EXPECT_FALSE(barOfThreeCountedInTwo(waltz.env, twoThirds, Metre{3, 0, false, {}}));
    EXPECT_FALSE(barOfThreeCountedInTwo(waltz.env, std::vector<double>(twoThirds.begin(), twoThirds.begin() + 8), Metre{4, 0, false, {}}));
}

TEST(BeatTracker, FindsBeatsThatFallBetweenATripletsNotes) {
    // A 6/8 swing at 60 dotted beats a minute: the band on each dotted beat,
    // the drums on its first and third eighths. Counted at 120, every other
    // beat falls between two eighths.
    const Song sixEight{{{0, 0.3, 1.0}, {2.0 / 3, 0.5, 0}, {1, 0.8, 0.6}, {5.0 / 3, 0.5, 0}}, 2, 60, 40};
    auto twiceAsFast = [](const std::vector<double>& beats) {
        std::vector<double> twice;
        for (std::size_t i = 0; i + 1 < beats.size(); ++i) twice.push_back(beats[i]), twice.push_back((beats[i] + beats[i + 1]) / 2);
        return twice;
    };
    const Synthetic s = synthesise(sixEight);
    const std::vector<double> twice = twiceAsFast(s.beatFrames);
    EXPECT_TRUE(beatsBetweenTriplets(s.env, twice));
    EXPECT_FALSE(beatsBetweenTriplets(s.env, s.beatFrames));
    // Rightly counted grooves, swung or straight, have onsets a beat apart.
    const Song rightly[] = {
        {{{0, 0.3, 1.0}, {0.67, 0.3, 0}, {1, 0.8, 0}, {1.67, 0.3, 0}, {2, 0.3, 0.6}, {2.67, 0.3, 0}, {3, 0.8, 0}, {3.67, 0.3, 0}}, 4, 130, 40},
        {{{0, 0.3, 1.0}, {0.5, 0.3, 0}, {1, 0.8, 0}, {1.5, 0.3, 0}, {2, 0.3, 0.6}, {2.5, 0.3, 0}, {3, 0.8, 0}, {3.5, 0.3, 0}}, 4, 120, 40},
        {{{0, 0.2, 1.0}, {0.5, 0.3, 0}, {1, 0.7, 0}, {1.5, 0.3, 0}}, 2, 120, 40},
        {{{0, 0.3, 1.0}, {1, 0.4, 0}, {2, 0.4, 0}}, 3, 150, 40},
    };
    for (const Song& song : rightly) {
        SCOPED_TRACE(song.bpm);
        const Synthetic r = synthesise(song);
        EXPECT_FALSE(beatsBetweenTriplets(r.env, r.beatFrames));
    }
    // Too few beats say nothing, nor beats whose half tempo is below any the tracker considers.
    EXPECT_FALSE(beatsBetweenTriplets(s.env, std::vector<double>(twice.begin(), twice.begin() + 8)));
    Song slow = sixEight;
    slow.bpm = 36;
    slow.seconds = 80;
    const Synthetic tooSlow = synthesise(slow);
    EXPECT_FALSE(beatsBetweenTriplets(tooSlow.env, twiceAsFast(tooSlow.beatFrames)));
}

TEST(BeatTracker, IsSureOfASteadyPulseAndNotOfNoise) {
    const Synthetic steady = synthesise({{{0, 0.2, 1.0}, {1, 0.8, 0}}, 2, 110, 30});
    const Tempogram steadyGram = tempogram(steady.env.onset);
    EXPECT_GE(pulseConfidence(steadyGram, decodeTempoPath(steadyGram), {}), 0.8);

    std::mt19937 rng(3);
    std::exponential_distribution<float> burst(4.0f);
    std::vector<float> noise(4000);
    for (float& v : noise) v = burst(rng);
    const Tempogram noiseGram = tempogram(noise);
    EXPECT_LE(pulseConfidence(noiseGram, decodeTempoPath(noiseGram), {}), 0.15);
}

// Two windows whose salience peaks at 90 BPM (0.5) and at 180 (atDouble).
Tempogram twoPeaks(double atDouble) {
    Tempogram gram;
    for (double bpm = 40; bpm <= 240; bpm *= 1.015) gram.bpm.push_back(bpm);
    gram.centreMs = {6000, 7000};
    gram.salience.assign(2 * gram.bpm.size(), 0.0f);
    for (std::size_t w = 0; w < 2; ++w)
        for (std::size_t k = 0; k < gram.bpm.size(); ++k) {
            if (std::abs(gram.bpm[k] / 90 - 1) < 0.01) gram.salience[w * gram.bpm.size() + k] = 0.5f;
            if (std::abs(gram.bpm[k] / 180 - 1) < 0.01) gram.salience[w * gram.bpm.size() + k] = static_cast<float>(atDouble);
        }
    return gram;
}

TEST(BeatTracker, DoubtsATempoFoundNearlyAsWellAtTwiceIt) {
    const std::vector<double> at90{90, 90};
    // Twice the tempo nearly as salient: unsure; far less: sure.
    EXPECT_LT(octaveSureness(twoPeaks(0.4), at90, {}, 0.5), 0.5);
    EXPECT_EQ(octaveSureness(twoPeaks(0.05), at90, {}, 0.5), 1.0);
    // Only loud windows count: none, nothing to be sure of.
    EXPECT_EQ(octaveSureness(twoPeaks(0.05), at90, {false, false}, 0.5), 0.0);
    // Twice 150 is beyond the tempos considered: nothing to mistake it for.
    EXPECT_EQ(octaveSureness(twoPeaks(0.4), {150, 150}, {}, 0.5), 1.0);
}

TEST(BeatTracker, SplitsTheSpectrumIntoWideningBands) {
    const std::vector<std::size_t> edges = bandEdges(129);
    ASSERT_GE(edges.size(), 10u);
    EXPECT_EQ(edges.front(), 1u);  // no constant term
    EXPECT_EQ(edges.back(), 129u);
    for (std::size_t i = 1; i < edges.size(); ++i) EXPECT_GT(edges[i], edges[i - 1]);
    EXPECT_LE(edges[1] - edges[0], edges.back() - edges[edges.size() - 2]);
    // Bins 1 to 6 (up to 200 Hz at 8000 Hz) are the bass bands.
    const std::size_t low = lowBandCount(edges, 7);
    EXPECT_EQ(edges[low], 7u);
    EXPECT_TRUE(bandEdges(2).empty());
}

TEST(BeatTracker, OnsetsAreRisesOfEnergyAndTheBassCountsApart) {
    BandFrames frames;
    frames.bands = 2;
    // Bass rises at frame 1, treble at frame 2, both fall at frame 3.
    frames.energy = {0, 0, 5, 0, 5, 5, 0, 0};
    frames.level.assign(4, 0);
    const Envelope env = onsetEnvelope(frames, 1);
    ASSERT_EQ(env.onset.size(), 4u);
    EXPECT_EQ(env.onset[0], 0.0f);
    EXPECT_GT(env.onset[1], 0.0f);
    EXPECT_GT(env.low[1], 0.0f);
    EXPECT_GT(env.onset[2], 0.0f);
    EXPECT_EQ(env.low[2], 0.0f);
    EXPECT_EQ(env.onset[3], 0.0f);  // a fall is no onset
}

// A stop that answers true from its (after + 1)th question on, counting the questions.
struct Tripwire {
    std::size_t after;
    std::size_t asked = 0;
    Stop stop() {
        return [this] { return ++asked > after; };
    }
};

TEST(BeatTracker, EveryStageAsksToStopThroughoutAndStopsAtTheFirstYes) {
    // Ten minutes of a waltz: long enough that every loop asks many times,
    // and a metre (three) that differs from the one a stopped stage returns.
    const Synthetic s = synthesise({{{0, 0.3, 1.0}, {1, 0.6, 0}, {2, 0.6, 0}}, 3, 120, 600});
    const Tempogram gram = tempogram(s.env.onset);
    const std::vector<double> path = decodeTempoPath(gram);
    const std::vector<double> period = periodPerFrame(gram, path, s.env.onset.size());
    struct StageCase {
        const char* name;
        std::function<bool(const Stop&)> returnsNothing;
    };
    const StageCase stages[] = {
        {"onset envelope", [&](const Stop& stop) { return onsetEnvelope(s.frames, 1, stop).onset.empty(); }},
        {"tempogram", [&](const Stop& stop) { return tempogram(s.env.onset, stop).windows() == 0; }},
        {"tempo path", [&](const Stop& stop) { return decodeTempoPath(gram, stop).empty(); }},
        {"period per frame", [&](const Stop& stop) { return periodPerFrame(gram, path, s.env.onset.size(), stop).empty(); }},
        {"beats", [&](const Stop& stop) { return trackBeats(s.env, period, stop).empty(); }},
        {"metre",
         [&](const Stop& stop) {
             std::vector<double> beats = s.beatFrames;
             const Metre metre = estimateMetre(s.frames, s.env, beats, 1, stop);
             return beats == s.beatFrames && metre.beatsPerBar == Metre{}.beatsPerBar && !metre.compound;
         }},
    };
    for (const StageCase& c : stages) {
        SCOPED_TRACE(c.name);
        Tripwire never{std::numeric_limits<std::size_t>::max()};
        EXPECT_FALSE(c.returnsNothing(never.stop()));
        // Asked only between stages, an hour of sound could not stop within 100 ms.
        EXPECT_GE(never.asked, 20u);
        Tripwire midway{never.asked / 2};
        EXPECT_TRUE(c.returnsNothing(midway.stop()));
        EXPECT_EQ(midway.asked, midway.after + 1);
    }
}

std::vector<int> beatsAt(std::initializer_list<std::pair<double, int>> stretches) {
    std::vector<int> beats;
    double ms = 0;
    for (const auto& [bpm, count] : stretches)
        for (int k = 0; k < count; ++k, ms += 60000.0 / bpm) beats.push_back(static_cast<int>(std::lround(ms)));
    return beats;
}

TEST(BeatTracker, ReportsWhereTheTempoChangesAndNotOneLateBeat) {
    std::vector<int> steady = beatsAt({{120, 40}});
    steady[20] += 40;  // one late beat
    const auto one = tempoStretches(steady);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].startMs, 0);
    EXPECT_DOUBLE_EQ(one[0].bpm, 120.0);

    const auto two = tempoStretches(beatsAt({{100, 30}, {140, 30}}));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_DOUBLE_EQ(two[0].bpm, 100.0);
    EXPECT_NEAR(two[1].startMs, 30 * 600, 2 * 600);
    EXPECT_NEAR(two[1].bpm, 140.0, 0.2);

    EXPECT_TRUE(tempoStretches({}).empty());
    EXPECT_TRUE(tempoStretches({500}).empty());
}

}  // namespace
}  // namespace rova::beats::tracker
