// Making a performance from any sound file: decoding (libsndfile), mixing to
// mono, resampling to 8000 Hz (libsoxr), peak normalisation and 8-bit
// quantisation; writing the new performance's files as one set. Standard
// library only, so the editor, the tool and the tests share it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/whole_file.h"

namespace rova::sound {

namespace fs = std::filesystem;

// Message texts; %1, %2 are filled in by formatMessage.
inline constexpr std::string_view kCannotReadSoundMessage = "Cannot read sound file \"%1\": %2";
inline constexpr std::string_view kEmptySoundMessage = "The sound in \"%1\" is empty.";
inline constexpr std::string_view kTooLongSoundMessage =
    "The sound in \"%1\" is too long: at most %2 seconds fit a performance.";
inline constexpr std::string_view kCannotWriteMessage = "Cannot write \"%1\": %2";
inline constexpr std::string_view kAlreadyExistsMessage = "%1 already exists";
inline constexpr std::string_view kReplaceQuestion = "%1 already exists. Replace its files?";
// Reasons for kCannotReadSoundMessage that libsndfile does not give.
inline constexpr std::string_view kNotMidiReason = "not a valid Standard MIDI File.";
inline constexpr std::string_view kUnreadableReason = "the file cannot be read.";
inline constexpr std::string_view kUndecodableReason = "the sound cannot be decoded.";
inline constexpr std::string_view kBadFormatReason = "unsupported channel count or sample rate.";

// Replaces %1..%9 in the pattern by the arguments in order.
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

// Normalised peak: -1 dBFS.
inline constexpr double kNormalisedPeak = 0.89125093813374556;  // 10^(-1/20)

// The longest WAVE sound a performance can hold: the editor reads a track file
// whole only up to kMaxWholeFileBytes (about 9.3 hours at 8000 Hz), which is
// below what the eye-light file and an int sample count allow.
inline constexpr std::int64_t kMaxWaveSamples = static_cast<std::int64_t>(kMaxWholeFileBytes) - 64;
// The longest MIDI sound in milliseconds: its eye-light track (12 steps a
// second) must stay below the eye-light file's limit of steps.
std::int64_t maxMidiMilliseconds();

enum class Status { Ok, Failed, Cancelled };

struct Result {
    Status status = Status::Ok;
    std::string message;  // why it failed; empty on success and cancel
    bool ok() const { return status == Status::Ok; }
};

struct ConvertOptions {
    bool normalise = true;
    // The longest result in samples at 8000 Hz; tests lower it.
    std::int64_t maxSamples = kMaxWaveSamples;
};

// Called with the fraction done (0..1) now and then while decoding; returning
// false cancels the conversion.
using Progress = std::function<bool(double)>;

// Decodes any sound file libsndfile reads into unsigned 8-bit mono samples at
// 8000 Hz (128 is silence). Channels are averaged, the rate is converted at
// high quality, the peak is raised or lowered to -1 dBFS when asked.
Result convertToSamples(const fs::path& source, const ConvertOptions& options, const Progress& progress,
                        std::vector<std::uint8_t>& samples);

// The bytes of an 8000 Hz mono 8-bit PCM WAVE file holding the samples.
std::vector<std::uint8_t> waveFileBytes(std::span<const std::uint8_t> samples);

// Converts any sound file into an 8000 Hz mono 8-bit WAVE file at target,
// written beside it and renamed into place, so a failure leaves target as it was.
Result convertToWave(const fs::path& source, const fs::path& target, const ConvertOptions& options,
                     const Progress& progress);

// True when the file already is 8000 Hz mono 8-bit PCM WAVE as the editor reads it.
bool isPerformanceWave(const fs::path& file);

// The performance files (NAME.MTN, NAME.LED, NAME.WAV, NAME.MID, in that
// order) of the performance that target names, as they are named on disk:
// each upper-case extension, the target's own name, and a single name that
// differs only in case.
std::vector<fs::path> existingPerformanceFiles(const fs::path& target);

// The performance's name: target's file name up to its last dot.
std::string performanceName(const fs::path& target);

struct CreateOptions {
    ConvertOptions convert;
    // Replace the files of an existing performance (after the user agreed);
    // when false an existing file fails with kAlreadyExistsMessage.
    bool replaceExisting = false;
};

struct CreateResult : Result {
    fs::path motion;                 // NAME.MTN, to open afterwards
    std::vector<fs::path> written;   // in the order written: sound, LED, motion
};

// Makes a new performance from a sound file: NAME.WAV (converted) or NAME.MID
// (a MIDI file, copied unchanged), then NAME.LED (every step dark, as long as
// the sound) and NAME.MTN (a full-body motion named NAME holding the standing
// pose from tick 0 to the sound's end on the time-step grid). Nothing is
// written when the sound cannot be used; a failure part way through removes
// what was written and puts replaced files back.
CreateResult createPerformance(const fs::path& sound, const fs::path& target, const CreateOptions& options,
                               const Progress& progress);

}  // namespace rova::sound
