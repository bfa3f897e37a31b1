// The sound's beats as the editor uses them: from either kind of sound file,
// from a manual setting, kept in NAME.BPM, snapped to, and worked out off the
// calling thread.
#include "beats/beats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "model/audio_file.h"
#include "model/channels.h"
#include "platform/files.h"

namespace rova::beats {

BeatGrid beatsForSound(Bytes audioFile) {
    if (isMidiAudio(audioFile)) return beatsFromMidi(audioFile);
    CWaveTrack wave;
    if (!readWave(audioFile, wave) || wave.sampleCount <= 0) return {};
    return beatsFromSamples(Bytes(wave.samples, static_cast<std::size_t>(wave.sampleCount)));
}

std::int64_t soundLengthMs(Bytes audioFile) {
    if (isMidiAudio(audioFile)) return midiLengthMs(audioFile).value_or(0);
    CWaveTrack wave;
    if (!readWave(audioFile, wave)) return 0;
    return std::int64_t{wave.sampleCount} * kMsPerSecond / kSampleRate;
}

BeatGrid evenBeats(const BpmSetting& setting, std::int64_t lengthMs) {
    BeatGrid grid;
    grid.source = BeatSource::Manual;
    grid.bpm = setting.bpm;
    if (!(setting.bpm >= kMinBpm && setting.bpm <= kMaxBpm) || setting.offsetMs < 0) return grid;
    const double interval = 60000.0 / setting.bpm;
    const std::int64_t end = std::min<std::int64_t>(lengthMs, INT32_MAX);
    for (std::size_t k = 0; k < kMaxBeats; ++k) {
        const std::int64_t at = setting.offsetMs + std::llround(static_cast<double>(k) * interval);
        if (at >= end) break;
        grid.beatsMs.push_back(static_cast<int>(at));
    }
    return grid;
}

// ---- NAME.BPM ---------------------------------------------------------------

namespace {

constexpr std::size_t kMaxBpmFileBytes = 256;

// "KEY VALUE" with nothing else on the line.
bool splitLine(std::string_view line, std::string_view key, std::string_view& value) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() <= key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ') return false;
    value = line.substr(key.size() + 1);
    return true;
}

// A tempo with at most one decimal: "125", "125.0", "97.5".
bool parseTempo(std::string_view text, double& bpm) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view tenth = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 3 || (dot != std::string_view::npos && tenth.size() != 1)) return false;
    int w = 0, t = 0;
    for (char c : whole)
        if (c < '0' || c > '9') return false;
    if (!tenth.empty() && (tenth[0] < '0' || tenth[0] > '9')) return false;
    std::from_chars(whole.data(), whole.data() + whole.size(), w);
    if (!tenth.empty()) t = tenth[0] - '0';
    bpm = w + t / 10.0;
    return bpm >= kMinBpm && bpm <= kMaxBpm;
}

bool parseOffset(std::string_view text, int& offset) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    std::from_chars(text.data(), text.data() + text.size(), offset);
    return offset <= kMaxOffsetMs;
}

}  // namespace

std::optional<BpmSetting> parseBpmFile(Bytes bytes) {
    if (bytes.size() > kMaxBpmFileBytes) return std::nullopt;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    }
    std::string_view bpmText, offsetText;
    BpmSetting setting;
    if (lines.size() != 2 || !splitLine(lines[0], "bpm", bpmText) || !splitLine(lines[1], "offset", offsetText) ||
        !parseTempo(bpmText, setting.bpm) || !parseOffset(offsetText, setting.offsetMs))
        return std::nullopt;
    return setting;
}

std::string formatBpmFile(const BpmSetting& setting) {
    const long tenths = std::lround(setting.bpm * 10);
    std::ostringstream out;
    out << "bpm " << tenths / 10 << '.' << tenths % 10 << "\noffset " << setting.offsetMs << "\n";
    return out.str();
}

BpmFileState readBpmFile(const std::filesystem::path& path, BpmSetting& setting) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return BpmFileState::Missing;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(kMaxBpmFileBytes + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || (!in && !in.eof())) return BpmFileState::Malformed;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const auto parsed = parseBpmFile(bytes);
    if (!parsed) return BpmFileState::Malformed;
    setting = *parsed;
    return BpmFileState::Read;
}

bool writeBpmFile(const std::filesystem::path& path, const BpmSetting& setting) {
    if (!(setting.bpm >= kMinBpm && setting.bpm <= kMaxBpm) || setting.offsetMs < 0 || setting.offsetMs > kMaxOffsetMs)
        return false;
    const std::string text = formatBpmFile(setting);
    return replaceFileSafely(path, [&](std::ostream& out) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return static_cast<bool>(out);
    });
}

BpmSetting settingOf(const BeatGrid& grid) {
    BpmSetting setting;
    if (grid.bpm >= kMinBpm && grid.bpm <= kMaxBpm) setting.bpm = std::round(grid.bpm * 10) / 10;
    if (!grid.beatsMs.empty()) setting.offsetMs = std::max(0, grid.beatsMs.front());
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

BeatAnalysis::BeatAnalysis(std::vector<std::uint8_t> audioFile, std::function<void()> done) {
    m_result = std::async(std::launch::async, [bytes = std::move(audioFile), done = std::move(done)] {
                   BeatGrid grid = beatsForSound(bytes);
                   if (done) done();
                   return grid;
               }).share();
}

BeatAnalysis::~BeatAnalysis() {
    if (m_result.valid()) m_result.wait();
}

bool BeatAnalysis::ready() const {
    return m_result.valid() && m_result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

const BeatGrid& BeatAnalysis::grid() const { return m_result.valid() ? m_result.get() : m_empty; }

}  // namespace rova::beats
