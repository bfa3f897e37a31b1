// The audio device behind playback: a small interpreter of command strings
// ("open", "set ... time format milliseconds", "play ... from .. [to ..]",
// "status ... mode|position", "close") whose device name is the audio file's
// full path in double quotes. It decodes the file once when opened and hands
// the sound to an output: the sound card, or a silent output that keeps the
// same time with the steady clock. Free of any toolkit.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rova {

// Results of sendString; 0 is success.
enum AudioError : int {
    AUDIO_OK = 0,
    AUDIO_ERR_BAD_INTEGER = 257,
    AUDIO_ERR_UNRECOGNIZED_COMMAND = 261,
    AUDIO_ERR_INVALID_DEVICE = 263,  // no device of that name is open
    AUDIO_ERR_DEVICE_OPEN = 265,     // a device of that name is open already
    AUDIO_ERR_UNKNOWN_TYPE = 266,    // the extension names no kind of device
    AUDIO_ERR_FILE_NOT_FOUND = 275,
    AUDIO_ERR_OUT_OF_RANGE = 282,    // a position beyond the end of the sound
    AUDIO_ERR_INVALID_FILE = 296,    // the file is not of a kind the device plays
};

// What playback needs of the audio device.
class AudioCommands {
public:
    virtual ~AudioCommands() = default;
    // Carries out one command; a reply (when the command has one) goes into
    // reply, cut to replySize - 1 characters and terminated.
    virtual int sendString(std::string_view command, char* reply, int replySize) = 0;
};

inline constexpr int kAudioReplySize = 64;

// One parsed command string.
struct AudioCommand {
    enum Verb { OPEN, SET_TIME_FORMAT, PLAY, STATUS_MODE, STATUS_POSITION, CLOSE };
    Verb verb = OPEN;
    std::string device;  // the path between the first and the last quote
    int from = 0;
    std::optional<int> to;  // play: none plays to the end
};

// Parses exactly the command formats above (words without regard to case,
// any run of blanks between them); the path runs from the first quote to the
// last. On failure error holds the result to give.
std::optional<AudioCommand> parseAudioCommand(std::string_view text, int& error);

// Decoded sound: interleaved PCM, unsigned 8-bit or signed 16-bit.
struct AudioClip {
    int sampleRate = 8000;
    int channels = 1;
    int bytesPerSample = 1;
    std::vector<std::uint8_t> pcm;
    std::int64_t durationMs = 0;
    // No sound could be made (MIDI without a SoundFont): the clip keeps its
    // true duration and plays as silence.
    bool silent = false;

    int frameBytes() const { return channels * bytesPerSample; }
    // Byte offset of a time, on a frame boundary, within the clip.
    std::size_t byteAt(std::int64_t ms) const;
};

// Plays part of a clip and tells where it is.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts playing [fromMs, toMs) of the clip, which outlives the output.
    virtual bool start(const AudioClip& clip, int fromMs, int toMs) = 0;
    virtual bool playing() = 0;
    // Milliseconds from the start of the clip.
    virtual int positionMs() = 0;
    virtual void stop() = 0;
};

using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;

// Plays nothing, at the pace of the steady clock.
class SilentOutput : public AudioOutput {
public:
    explicit SilentOutput(SteadyNow now = {});
    bool start(const AudioClip& clip, int fromMs, int toMs) override;
    bool playing() override;
    int positionMs() override;
    void stop() override;

private:
    SteadyNow m_now;
    std::chrono::steady_clock::time_point m_started{};
    int m_from = 0;
    int m_to = 0;
    bool m_running = false;
    int m_stoppedAt = 0;
};

// Reads an audio file into a clip; on failure error holds the result to give.
using AudioLoader = std::function<std::optional<AudioClip>(const std::string& path, int& error)>;
// An output for a clip.
using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>(const AudioClip& clip)>;

// Loads NAME.WAV (8000 Hz mono 8-bit only) and NAME.MID (rendered with the
// SoundFont, or silent for its true length when soundFont is empty or fails).
// notice is told once per call when a MIDI file plays silent.
std::optional<AudioClip> loadAudioFile(const std::string& path, const std::string& soundFont, int& error,
                                       const std::function<void(std::string_view)>& notice = {});

class AudioDevice : public AudioCommands {
public:
    AudioDevice(AudioLoader loader, AudioOutputFactory outputs);
    ~AudioDevice() override;

    int sendString(std::string_view command, char* reply, int replySize) override;

    bool isOpen(const std::string& path) const { return m_open.count(path) != 0; }
    std::size_t openCount() const { return m_open.size(); }

private:
    struct Open;
    int run(const AudioCommand& command, std::string& reply);

    AudioLoader m_loader;
    AudioOutputFactory m_outputs;
    std::map<std::string, std::unique_ptr<Open>> m_open;
};

}  // namespace rova
