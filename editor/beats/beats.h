// Finding the music's pulse: beats from a MIDI file's tempo map, from the
// samples of an 8000 Hz sound, or from a tempo and first beat set by hand;
// the NAME.BPM file that keeps such a setting; snapping time steps to beats.
// Standard library (and the beat tracker's library) only.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "beats/beat_grid.h"

namespace rova::beats {

using Bytes = std::span<const std::uint8_t>;

// The most beats a grid holds: a 300 BPM pulse over a day and a half. A
// hostile tempo map cannot make more.
inline constexpr std::size_t kMaxBeats = 1u << 20;

// Beats of a Standard MIDI File, exact to the millisecond: every Set Tempo
// event of every track, the division, and the time signature (4/4 when
// absent; compound metres such as 6/8 and 12/8 count dotted beats). Beats run
// from tick 0 to the last event; downbeats are bar starts. An empty grid when
// the file is no Standard MIDI File or counts time in SMPTE frames.
BeatGrid beatsFromMidi(Bytes file);

// Set from any thread to stop an analysis: its loops look at it between small
// pieces of work, so it ends within milliseconds, its result then void.
using CancelFlag = std::atomic<bool>;

// Beats of 8000 Hz unsigned 8-bit mono samples (128 is silence): a tempo
// path over the whole sound, beats on the onsets along it, the metre and its
// downbeats, and a confidence (beat_tracker.h); quiet stretches get no beats,
// and a sound without a steady pulse none at all. The tempo is the inter-beat
// interval's median, refined by the mean of the intervals near it.
BeatGrid beatsFromSamples(Bytes samples);
BeatGrid beatsFromSamples(Bytes samples, const CancelFlag& cancel);

// The sound of a performance: the bytes of its audio file (WAVE or MIDI).
// Computes synchronously; an empty grid when there is no usable sound.
BeatGrid beatsForSound(Bytes audioFile);
BeatGrid beatsForSound(Bytes audioFile, const CancelFlag& cancel);

// What an analysis runs: beatsForSound, or a stand-in in tests. It should
// return soon once cancel is set.
using Analyser = std::function<BeatGrid(Bytes audioFile, const CancelFlag& cancel)>;

// The length of the sound in milliseconds (0 when there is none).
std::int64_t soundLengthMs(Bytes audioFile);

// A beat grid set by hand: a tempo and first beat (beats evenly spaced from
// it), the metre's beats a bar with one bar start when known, and, where the
// tempo changes, every beat itself.
struct BpmSetting {
    double bpm = 120.0;         // 30..300, one decimal; with beatsMs, their median tempo
    int offsetMs = 0;           // the first beat, 0 and up
    int beatsPerBar = 0;        // 1..kMaxBeatsPerBar; 0: bars unknown
    int downbeatMs = 0;         // with beatsPerBar: a bar starts at the beat nearest it
    std::vector<int> beatsMs{}; // every beat, ascending, the first at offsetMs; empty: evenly spaced
    bool operator==(const BpmSetting&) const = default;
};
inline constexpr double kMinBpm = 30.0;
inline constexpr double kMaxBpm = 300.0;
inline constexpr int kMaxOffsetMs = 24 * 3600 * 1000;
inline constexpr int kMaxBeatsPerBar = 16;

// Whether every field is within its range (what NAME.BPM may hold).
bool validSetting(const BpmSetting& setting);

// Evenly spaced beats from the setting's tempo and first beat up to lengthMs (exclusive).
BeatGrid evenBeats(const BpmSetting& setting, std::int64_t lengthMs);
// The grid of a setting up to lengthMs (exclusive): its own beats or evenly
// spaced ones, with bar starts when it has beats a bar.
BeatGrid handSetGrid(const BpmSetting& setting, std::int64_t lengthMs);

// NAME.BPM: "bpm 125.0" and "offset 240"; then, when set, "bar 4 1200" (beats
// a bar and a bar start) and "beats 240 720 1200 ..." (every beat, where the
// tempo changes). Files of only the first two lines are read as ever.
std::optional<BpmSetting> parseBpmFile(Bytes bytes);
std::string formatBpmFile(const BpmSetting& setting);
enum class BpmFileState { Missing, Read, Malformed };
BpmFileState readBpmFile(const std::filesystem::path& path, BpmSetting& setting);
// Written beside the target and renamed into place; false on failure (the old file stays).
bool writeBpmFile(const std::filesystem::path& path, const BpmSetting& setting);

// The beats of a performance as its window shows them: the setting in its
// NAME.BPM (bpmPath) when that is valid, else the beats found in its sound.
// state, when given, tells what became of NAME.BPM.
BeatGrid performanceBeats(const std::filesystem::path& bpmPath, Bytes audioFile, BpmFileState* state = nullptr);

// A grid as a setting (what the Beats dialog starts from): its tempo, first
// beat and bars, and its beats themselves when its tempo changes.
BpmSetting settingOf(const BeatGrid& grid);

// The corrections of the Beats dialog, each giving a new setting; none when
// the tempo would leave 30..300 BPM. Half keeps every other beat (those of
// the bar starts), Double adds one between each two; bars keep their count
// of beats.
std::optional<BpmSetting> halfTempo(const BpmSetting& setting);
std::optional<BpmSetting> doubleTempo(const BpmSetting& setting);
// Taps one beat apart (ascending, at least two) on the sound's clock: the
// tempo and phase of the line that fits them best, beats evenly spaced from
// about where the first beat was. None for fewer than two taps or a tempo
// out of range.
std::optional<BpmSetting> tappedTempo(const BpmSetting& setting, const std::vector<std::int64_t>& tapsMs);
// The metre: beatsPerBar beats a bar (0: unknown), the bar starts where they were
// (at the first beat when there were none).
BpmSetting withBeatsPerBar(const BpmSetting& setting, int beatsPerBar);
// A bar starts at the beat nearest ms (bars of kAssumedBeatsPerBar when unknown).
BpmSetting withDownbeat(const BpmSetting& setting, std::int64_t ms);

// Snapping time steps (80 ms) to beats, within 0..lastStep. With no beats
// every step stays as it is.
int snapStepToBeat(const BeatGrid& grid, int step, int lastStep);
// The step of the first beat after step, lastStep when none.
int nextBeatStep(const BeatGrid& grid, int step, int lastStep);
// The step of the last beat before step, 0 when none.
int previousBeatStep(const BeatGrid& grid, int step);

// The index of the first beat at or after ms (beats.size() when none).
std::size_t firstBeatAtOrAfter(const std::vector<int>& beatsMs, std::int64_t ms);

// An analysis running off the calling thread on its own copy of the sound.
// Nothing waits for it: until it is ready there are no beats.
class BeatAnalysis {
public:
    BeatAnalysis() = default;
    // Starts analysing; done, when given, is called on the worker thread once
    // the grid is ready (ready() is then true), but not after a cancel.
    explicit BeatAnalysis(std::vector<std::uint8_t> audioFile, std::function<void()> done = {},
                          Analyser analyser = {});
    // Cancels the analysis and lets its thread end, which takes no longer
    // than the analysis needs to notice the cancel.
    ~BeatAnalysis();
    BeatAnalysis(const BeatAnalysis&) = delete;
    BeatAnalysis& operator=(const BeatAnalysis&) = delete;

    bool started() const { return m_result.valid(); }
    bool ready() const;
    // The grid once ready; empty while the analysis runs and when none was started.
    const BeatGrid& grid() const;
    // Stops the analysis: it never becomes ready.
    void cancel();
    // Blocks until the analysis is ready or cancelled. Only for runs without
    // a user (the headless tool, tests): the editor never waits.
    void wait() const;

private:
    std::shared_ptr<CancelFlag> m_cancel;
    std::shared_future<BeatGrid> m_result;
    std::thread m_worker;
    BeatGrid m_empty;
};

}  // namespace rova::beats
