// The sound's beats as the editor uses them: from either kind of sound file,
// from a manual setting, kept in NAME.BPM, snapped to, and worked out off the
// calling thread.
#include "beats/beats.h"

#include <algorithm>
#include <cmath>

#include "beats/beat_tracker.h"
#include "model/audio_file.h"
#include "model/channels.h"
#include "model/midi_file.h"

namespace rova::beats {

BeatGrid beatsForSound(Bytes audioFile, const CancelFlag& cancel) {
    if (isMidiAudio(audioFile)) return beatsFromMidi(audioFile);
    CWaveTrack wave;
    if (!readWave(audioFile, wave) || wave.sampleCount <= 0 || cancel) return {};
    return beatsFromSamples(Bytes(wave.samples, static_cast<std::size_t>(wave.sampleCount)), cancel);
}

BeatGrid beatsForSound(Bytes audioFile) {
    const CancelFlag never{false};
    return beatsForSound(audioFile, never);
}

BeatGrid beatsFromSamples(Bytes samples) {
    const CancelFlag never{false};
    return beatsFromSamples(samples, never);
}

std::int64_t soundLengthMs(Bytes audioFile) {
    if (isMidiAudio(audioFile)) return midiDurationMs(audioFile).value_or(0);
    CWaveTrack wave;
    if (!readWave(audioFile, wave)) return 0;
    return std::int64_t{wave.sampleCount} * kMsPerSecond / kSampleRate;
}

BpmSetting settingOf(const BeatGrid& grid) {
    BpmSetting setting;
    if (grid.bpm >= kMinBpm && grid.bpm <= kMaxBpm) setting.bpm = std::round(grid.bpm * 10) / 10;
    if (!grid.beatsMs.empty()) setting.offsetMs = std::clamp(grid.beatsMs.front(), 0, kMaxOffsetMs);
    if (grid.downbeatsKnown && !grid.downbeatsMs.empty()) {
        int perBar = grid.beatsPerBar;
        if (perBar <= 0 && grid.downbeatsMs.size() >= 2) {
            // A MIDI grid: the beats of its first whole bar.
            perBar = static_cast<int>(firstBeatAtOrAfter(grid.beatsMs, grid.downbeatsMs[1]) -
                                      firstBeatAtOrAfter(grid.beatsMs, grid.downbeatsMs[0]));
        }
        if (perBar > 0 && perBar <= kMaxBeatsPerBar) {
            setting.beatsPerBar = perBar;
            setting.downbeatMs = std::clamp(grid.downbeatsMs.front(), 0, kMaxOffsetMs);
        }
    }
    // Beats whose tempo changes are kept one by one; a steady tempo is a tempo.
    if (tracker::tempoStretches(grid.beatsMs).size() > 1) {
        BpmSetting listed = setting;
        listed.beatsMs = grid.beatsMs;
        listed.offsetMs = grid.beatsMs.front();
        if (validSetting(listed)) return listed;
    }
    return setting;
}

// ---- snapping -----------------------------------------------------------------

std::size_t firstBeatAtOrAfter(const std::vector<int>& beatsMs, std::int64_t ms) {
    return static_cast<std::size_t>(
        std::lower_bound(beatsMs.begin(), beatsMs.end(), ms, [](int b, std::int64_t t) { return b < t; }) -
        beatsMs.begin());
}

namespace {

// The time step nearest to a beat (steps are centred on their time).
int stepOfBeat(int ms) { return static_cast<int>((std::int64_t{ms} + kMsPerStep / 2) / kMsPerStep); }

}  // namespace

int snapStepToBeat(const BeatGrid& grid, int step, int lastStep) {
    const auto& beats = grid.beatsMs;
    if (beats.empty()) return step;
    const std::int64_t t = std::int64_t{step} * kMsPerStep;
    const std::size_t i = firstBeatAtOrAfter(beats, t);
    int beat;
    if (i == 0) beat = beats.front();
    else if (i == beats.size()) beat = beats.back();
    else beat = t - beats[i - 1] <= beats[i] - t ? beats[i - 1] : beats[i];
    return std::clamp(stepOfBeat(beat), 0, std::max(0, lastStep));
}

int nextBeatStep(const BeatGrid& grid, int step, int lastStep) {
    // Several beats may share a step at fine tempos: the first whose step lies beyond.
    const auto& beats = grid.beatsMs;
    for (std::size_t i = firstBeatAtOrAfter(beats, std::int64_t{step} * kMsPerStep); i < beats.size(); ++i)
        if (const int s = stepOfBeat(beats[i]); s > step) return std::min(s, lastStep);
    return lastStep;
}

int previousBeatStep(const BeatGrid& grid, int step) {
    const auto& beats = grid.beatsMs;
    for (std::size_t i = firstBeatAtOrAfter(beats, std::int64_t{step} * kMsPerStep + kMsPerStep); i-- > 0;)
        if (const int s = stepOfBeat(beats[i]); s < step) return s;
    return 0;
}

// ---- analysis off the calling thread ---------------------------------------------

BeatAnalysis::BeatAnalysis(std::vector<std::uint8_t> audioFile, std::function<void()> done, Analyser analyser)
    : m_cancel(std::make_shared<CancelFlag>(false)) {
    if (!analyser) analyser = [](Bytes bytes, const CancelFlag& cancel) { return beatsForSound(bytes, cancel); };
    std::promise<BeatGrid> promise;
    m_result = promise.get_future().share();
    // The grid is stored before done is told, so whoever done wakes finds it ready.
    m_worker = std::thread([promise = std::move(promise), bytes = std::move(audioFile), done = std::move(done),
                            analyser = std::move(analyser), cancel = m_cancel]() mutable {
        BeatGrid grid;
        try {
            grid = analyser(bytes, *cancel);
        } catch (...) {
            // out of memory: no beats rather than a lost window
        }
        promise.set_value(*cancel ? BeatGrid{} : std::move(grid));
        if (done && !*cancel) done();
    });
}

BeatAnalysis::~BeatAnalysis() {
    cancel();
    if (m_worker.joinable()) m_worker.join();
}

void BeatAnalysis::cancel() {
    if (m_cancel) *m_cancel = true;
}

bool BeatAnalysis::ready() const {
    return m_result.valid() && !*m_cancel && m_result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

const BeatGrid& BeatAnalysis::grid() const { return ready() ? m_result.get() : m_empty; }

void BeatAnalysis::wait() const {
    if (m_result.valid()) m_result.wait();
}

BeatGrid performanceBeats(const std::filesystem::path& bpmPath, Bytes audioFile, BpmFileState* state) {
    BpmSetting setting;
    const BpmFileState read = readBpmFile(bpmPath, setting);
    if (state) *state = read;
    if (read == BpmFileState::Read) return handSetGrid(setting, soundLengthMs(audioFile));
    return beatsForSound(audioFile);
}

}  // namespace rova::beats
