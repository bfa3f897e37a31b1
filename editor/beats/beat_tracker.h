// The audio beat tracker's stages as functions of plain vectors, so that each
// can be tried on a synthetic envelope: band energies → onset envelope →
// tempogram → tempo path → beats along the path → metre and downbeats →
// confidence. audio_beats.cpp feeds them the spectrum of a sound.
// Standard library only.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace rova::beats::tracker {

// Asked by every stage between small pieces of work (a few milliseconds
// apart even on an hour of sound); once it answers true the stage stops at
// once and returns an empty result. An empty Stop never stops.
using Stop = std::function<bool()>;

// The envelope's clock: one frame every 8 ms (64 samples at 8000 Hz).
inline constexpr double kFrameMs = 8.0;

// Log-spaced frequency bands of a magnitude spectrum, each frame's energies
// one after another.
struct BandFrames {
    std::size_t bands = 0;
    std::vector<float> energy;  // frames × bands, magnitudes summed over each band's bins
    std::vector<float> level;   // each frame's mean squared sample
    std::size_t frames() const { return bands ? energy.size() / bands : 0; }
};

// Where each band starts, as a bin index of a spectrum with bins bins (the
// last entry is the end): single bins at the bottom, where a kick and a bass
// line sit, widening upwards.
std::vector<std::size_t> bandEdges(std::size_t bins);
// The bands (of those bandEdges gives) whose upper edge lies at or below
// lowBins: the kick drum and bass.
std::size_t lowBandCount(const std::vector<std::size_t>& edges, std::size_t lowBins);

struct Envelope {
    std::vector<float> onset;  // log-compressed spectral flux over all bands, a frame
    std::vector<float> low;    // the same over the low bands only
};
Envelope onsetEnvelope(const BandFrames& frames, std::size_t lowBands, const Stop& stop = {});

// Tempo salience over time: for windows of the envelope a second apart, how
// strongly the envelope repeats at each tempo of a log-spaced set.
struct Tempogram {
    std::vector<double> bpm;        // the tempo states, ascending
    std::vector<double> centreMs;   // each window's centre
    std::vector<float> salience;    // windows × states, 0 and up
    std::size_t windows() const { return centreMs.size(); }
};
Tempogram tempogram(const std::vector<float>& onset, const Stop& stop = {});

// The tempo of each window: the path through the tempogram that best joins
// salience, a preference for tempos people tap, and steadiness (a tempo
// drifts a little from window to window; a jump costs as much as several
// windows of contrary evidence).
std::vector<double> decodeTempoPath(const Tempogram& gram, const Stop& stop = {});

// The path's tempo at every envelope frame, as a beat period in frames.
std::vector<double> periodPerFrame(const Tempogram& gram, const std::vector<double>& pathBpm, std::size_t frames,
                                   const Stop& stop = {});

// Beats, as fractional frames, on the envelope's onsets, spaced by the local
// period; beats of the first and last moments without an onset of their own
// are dropped.
std::vector<double> trackBeats(const Envelope& env, const std::vector<double>& period, const Stop& stop = {});

// The pitch classes sounding from each beat to the next (12 values, C first,
// summing to 1), so that chord changes can mark the bar.
using Chroma = std::array<float, 12>;

// How much the harmony changes at each beat: the distance between the pitch
// classes of the two beats before it and the two from it, in units of its
// spread over the song (z-scores). Empty without chroma.
std::vector<double> harmonicChange(const std::vector<Chroma>& chroma);

// Sixteen beats: four bars of four, long enough to hold a few chord changes.
inline constexpr std::size_t kOnBeatStretch = 16;
// Chords change on the beat, not between beats. halfChroma holds the pitch
// classes of each half beat (from each beat to the point halfway to the next,
// and from there to the next beat: 2 × (beats − 1) entries). Where, over a
// stretch of at least kOnBeatStretch beats, the harmony changes clearly more
// at the halfway points than at the beats, the beats lie on the off-beat:
// they are moved half a beat later. Other beats are returned as they were.
std::vector<double> alignToHarmony(const std::vector<double>& beats, const std::vector<Chroma>& halfChroma);

// The metre found in the beats: how many make a bar and which is the first downbeat.
struct Metre {
    int beatsPerBar = 4;
    std::size_t firstDownbeat = 0;  // index into the beats
    bool compound = false;          // the beats were the eighths of a 6/8 and were grouped in threes
    // Every bar start, indices into the beats, ascending. Each long stretch of
    // steady tempo counts its bars from its own first beat.
    std::vector<std::size_t> downbeats;
};
// chroma, when given, holds one entry a beat: chords change at bar lines, so
// where they change sets the bar's length and its first beat.
// Stopped, it leaves the beats as they were and returns the default metre.
Metre estimateMetre(const BandFrames& frames, const Envelope& env, std::vector<double>& beats, std::size_t lowBands,
                    const Stop& stop = {}, const std::vector<Chroma>& chroma = {});

// The frame where the band first comes in: the first as loud as a quarter of
// the sound's median frame, if the sound got there suddenly (from a quarter
// of that or less within 96 ms, or from the start). None after a fade-in.
std::optional<double> bandEntry(const BandFrames& frames);

// The onset strength the beats are placed on: the whole spectrum's rises and,
// as much again, the bass's, each in units of its spread.
std::vector<double> beatOnsets(const Envelope& env);

// Whether beats counted two to a pair (beatsPerBar even) are two thirds of a
// bar-of-three's tempo: the onsets at the thirds of each pair sound about as
// strongly as the beat between them. Then the tempo is half as fast again.
bool barOfThreeCountedInTwo(const Envelope& env, const std::vector<double>& beats, const Metre& metre);

// Whether the beats fall between the notes of a triplet: the onsets repeat
// at two and at four thirds of each beat's length and not at the beat
// itself, which no metre's beat can be (a 6/8 swing counted in twos of a
// dotted beat). Then the beat is two of them: the tempo is half as fast.
bool beatsBetweenTriplets(const Envelope& env, const std::vector<double>& beats);

// Which windows are louder on average than quiet (localLevel a frame).
std::vector<bool> loudWindows(const Tempogram& gram, const std::vector<float>& localLevel, double quiet);

// How steady the pulse is along the path, 0..1 (the median over the loud windows).
double pulseConfidence(const Tempogram& gram, const std::vector<double>& pathBpm, const std::vector<bool>& loudWindow);

// How sure the path is of its octave, 0..1: how much better its tempo scores
// than twice that tempo (salience and preference, as the path weighs them),
// the median over the loud windows, scaled so that a near tie falls below
// `unsure` and a clear lead reaches 1. Only the double is weighed: a fast
// song found at half tempo is the near tie that shows; a slow one found at
// double leads its half as clearly as rightly found ska or a march leads theirs.
double octaveSureness(const Tempogram& gram, const std::vector<double>& pathBpm, const std::vector<bool>& loudWindow,
                      double unsure);

// Where the tempo of a list of beats (ms) changes: the start of each stretch
// of steady tempo, with its tempo in BPM (one decimal). A single entry for a
// steady song; empty with fewer than two beats.
struct TempoStretch {
    int startMs = 0;
    double bpm = 0;
};
std::vector<TempoStretch> tempoStretches(const std::vector<int>& beatsMs);

}  // namespace rova::beats::tracker
