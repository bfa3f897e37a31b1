#include "platform/audio_device.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstring>

#include "model/audio_file.h"
#include "model/whole_file.h"
#include "platform/files.h"
#include "platform/midi_audio.h"
#include "model/midi_file.h"

namespace rova {
namespace {

constexpr int kMidiRate = 22050;
// Longer music is timed but not rendered: 20 minutes already take about 100 MB.
constexpr std::int64_t kMaxRenderedMs = 20 * 60 * 1000;

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const std::size_t b = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > b) out.push_back(s.substr(b, i - b));
    }
    return out;
}

bool toPosition(std::string_view s, int& out) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && out >= 0;
}

std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

std::optional<AudioCommand> parseAudioCommand(std::string_view text, int& error) {
    error = AUDIO_ERR_UNRECOGNIZED_COMMAND;
    // No command format has a quote after the path, so the path runs to the
    // last quote and may itself hold quotes.
    const std::size_t open = text.find('"');
    const std::size_t close = text.rfind('"');
    if (open == std::string_view::npos || close <= open + 1) return std::nullopt;
    const auto verb = words(text.substr(0, open));
    const auto rest = words(text.substr(close + 1));
    if (verb.size() != 1) return std::nullopt;

    AudioCommand c;
    c.device = std::string(text.substr(open + 1, close - open - 1));
    auto is = [&](std::size_t i, std::string_view w) { return i < rest.size() && sameIgnoringCase(rest[i], w); };
    if (sameIgnoringCase(verb[0], "open") && rest.empty()) {
        c.verb = AudioCommand::OPEN;
    } else if (sameIgnoringCase(verb[0], "close") && rest.empty()) {
        c.verb = AudioCommand::CLOSE;
    } else if (sameIgnoringCase(verb[0], "set") && rest.size() == 3 && is(0, "time") && is(1, "format") &&
               is(2, "milliseconds")) {
        c.verb = AudioCommand::SET_TIME_FORMAT;
    } else if (sameIgnoringCase(verb[0], "status") && rest.size() == 1 && (is(0, "mode") || is(0, "position"))) {
        c.verb = is(0, "mode") ? AudioCommand::STATUS_MODE : AudioCommand::STATUS_POSITION;
    } else if (sameIgnoringCase(verb[0], "play") && (rest.size() == 2 || rest.size() == 4) && is(0, "from") &&
               (rest.size() == 2 || is(2, "to"))) {
        c.verb = AudioCommand::PLAY;
        error = AUDIO_ERR_BAD_INTEGER;
        if (!toPosition(rest[1], c.from)) return std::nullopt;
        if (rest.size() == 4) {
            int to;
            if (!toPosition(rest[3], to)) return std::nullopt;
            c.to = to;
        }
    } else {
        return std::nullopt;
    }
    error = AUDIO_OK;
    return c;
}

std::size_t AudioClip::byteAt(std::int64_t ms) const {
    const std::int64_t frame = std::max<std::int64_t>(0, ms) * sampleRate / 1000;
    const std::size_t bytes = static_cast<std::size_t>(frame) * static_cast<std::size_t>(frameBytes());
    return std::min(bytes, pcm.size() - pcm.size() % static_cast<std::size_t>(frameBytes()));
}

// ---- silent output ------------------------------------------------------

SilentOutput::SilentOutput(SteadyNow now)
    : m_now(now ? std::move(now) : SteadyNow([] { return std::chrono::steady_clock::now(); })) {}

bool SilentOutput::start(const AudioClip&, int fromMs, int toMs) {
    m_from = fromMs;
    m_to = std::max(fromMs, toMs);
    m_started = m_now();
    m_running = true;
    return true;
}

int SilentOutput::positionMs() {
    if (!m_running) return m_stoppedAt;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(m_now() - m_started).count();
    const std::int64_t pos = std::min<std::int64_t>(m_from + elapsed, m_to);
    if (pos >= m_to) {
        m_running = false;
        m_stoppedAt = m_to;
    }
    return static_cast<int>(pos);
}

bool SilentOutput::playing() {
    if (m_running) positionMs();
    return m_running;
}

void SilentOutput::stop() {
    if (m_running) m_stoppedAt = positionMs();
    m_running = false;
}

// ---- loading ------------------------------------------------------------

std::optional<AudioClip> loadAudioFile(const std::string& path, const std::string& soundFont, int& error,
                                       const std::function<void(std::string_view)>& notice) {
    const std::string ext = extensionOf(path);
    if (ext != "WAV" && ext != "MID") {
        error = AUDIO_ERR_UNKNOWN_TYPE;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        error = AUDIO_ERR_FILE_NOT_FOUND;
        return std::nullopt;
    }
    AudioClip clip;
    error = AUDIO_ERR_INVALID_FILE;
    if (ext == "WAV") {
        CWaveTrack wave;
        if (!readWave(bytes, wave)) return std::nullopt;
        clip.pcm.assign(wave.samples, wave.samples + wave.sampleCount);
        clip.durationMs = static_cast<std::int64_t>(wave.sampleCount) * 1000 / kSampleRate;
    } else {
        const auto length = midiDurationMs(bytes);
        if (!length) return std::nullopt;
        clip.durationMs = *length;
        clip.sampleRate = kMidiRate;
        clip.channels = 2;
        clip.bytesPerSample = 2;
        const bool rendered =
            !soundFont.empty() && *length <= kMaxRenderedMs && renderMidi(bytes, soundFont, kMidiRate, *length, clip.pcm);
        if (!rendered) {
            clip.pcm.clear();
            clip.silent = true;
            if (notice)
                notice(*length > kMaxRenderedMs ? "MIDI audio longer than 20 minutes plays silent"
                                                : "No General MIDI SoundFont could be loaded: MIDI audio plays silent");
        }
    }
    error = AUDIO_OK;
    return clip;
}

// ---- the device ---------------------------------------------------------

struct AudioDevice::Open {
    AudioClip clip;
    std::unique_ptr<AudioOutput> output;
    int position = 0;  // where a stopped device stands
};

AudioDevice::AudioDevice(AudioLoader loader, AudioOutputFactory outputs)
    : m_loader(std::move(loader)), m_outputs(std::move(outputs)) {}

AudioDevice::~AudioDevice() {
    for (auto& [path, open] : m_open)
        if (open->output) open->output->stop();
}

int AudioDevice::sendString(std::string_view command, char* reply, int replySize) {
    if (reply && replySize > 0) reply[0] = '\0';
    int error;
    const auto parsed = parseAudioCommand(command, error);
    if (!parsed) return error;
    std::string text;
    error = run(*parsed, text);
    if (error == AUDIO_OK && reply && replySize > 0) {
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(replySize - 1));
        std::memcpy(reply, text.data(), n);
        reply[n] = '\0';
    }
    return error;
}

int AudioDevice::run(const AudioCommand& c, std::string& reply) {
    if (c.verb == AudioCommand::OPEN) {
        if (m_open.count(c.device)) return AUDIO_ERR_DEVICE_OPEN;
        int error = AUDIO_ERR_INVALID_FILE;
        auto clip = m_loader(c.device, error);
        if (!clip) return error;
        auto open = std::make_unique<Open>();
        open->clip = std::move(*clip);
        m_open.emplace(c.device, std::move(open));
        return AUDIO_OK;
    }
    const auto it = m_open.find(c.device);
    if (it == m_open.end()) return AUDIO_ERR_INVALID_DEVICE;
    Open& d = *it->second;
    const auto length = static_cast<int>(std::min<std::int64_t>(d.clip.durationMs, INT_MAX));
    switch (c.verb) {
    case AudioCommand::SET_TIME_FORMAT: return AUDIO_OK;  // milliseconds is the only format
    case AudioCommand::PLAY: {
        const int to = c.to.value_or(length);
        if (c.from > length || to > length || to < c.from) return AUDIO_ERR_OUT_OF_RANGE;
        if (d.output) d.output->stop();
        d.output = m_outputs(d.clip);
        d.position = c.from;
        if (!d.output || !d.output->start(d.clip, c.from, to)) {
            d.output.reset();
            return AUDIO_ERR_INVALID_FILE;
        }
        return AUDIO_OK;
    }
    case AudioCommand::STATUS_MODE:
        reply = d.output && d.output->playing() ? "playing" : "stopped";
        return AUDIO_OK;
    case AudioCommand::STATUS_POSITION:
        if (d.output) d.position = d.output->positionMs();
        reply = std::to_string(d.position);
        return AUDIO_OK;
    case AudioCommand::CLOSE:
        if (d.output) d.output->stop();
        m_open.erase(it);
        return AUDIO_OK;
    case AudioCommand::OPEN: break;
    }
    return AUDIO_ERR_UNRECOGNIZED_COMMAND;
}

}  // namespace rova
