#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "platform/file_set.h"
#include "model/audio_file.h"
#include "model/led_file.h"
#include "model/motion_file.h"
#include "model/rest_poses.h"
#include "platform/files.h"
#include "model/midi_file.h"
#include "sound_import.h"

namespace rova::sound {
namespace {

constexpr const char* kExtensions[] = {"MTN", "LED", "WAV", "MID"};

bool present(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return a == b || fs::equivalent(a, b, ec);
}

// Every name under which the performance's file with this extension exists.
std::vector<fs::path> filesWithExtension(const fs::path& target, const std::string& ext) {
    const PerformancePath p = PerformancePath::split(target);
    // Any case variant counts, however many the folder holds.
    std::vector<fs::path> candidates = p.siblingsAnyCase(ext);
    const std::string own = target.extension().string();
    if (own.size() > 1 && sameIgnoringCase(own.substr(1), ext)) candidates.push_back(target);
    std::vector<fs::path> found;
    for (const fs::path& c : candidates) {
        if (!present(c)) continue;
        if (std::none_of(found.begin(), found.end(), [&](const fs::path& f) { return sameFile(f, c); }))
            found.push_back(c);
    }
    return found;
}

// Where the file with this extension goes: the existing file, else NAME.EXT.
fs::path fileFor(const fs::path& target, const std::string& ext) {
    const auto found = filesWithExtension(target, ext);
    return found.empty() ? PerformancePath::split(target).exact(ext) : found.front();
}

bool startsAsMidi(const fs::path& sound) {
    std::ifstream in(sound, std::ios::binary);
    char magic[4] = {};
    std::error_code ec;
    return fs::is_regular_file(sound, ec) && in.read(magic, 4) && isMidiAudio(Bytes(reinterpret_cast<const std::uint8_t*>(magic), 4));
}

std::vector<std::uint8_t> bytesOf(const std::ostringstream& out) {
    const std::string s = out.str();
    return {s.begin(), s.end()};
}

// The standing rest pose from tick 0 to the end of the sound.
CMotionTrack standingMotion(int ticks) {
    const auto& pose = kStandingPose;
    const int words = kChannelCount + 4;
    std::vector<std::int32_t> block(2 * static_cast<std::size_t>(words), 0);
    for (int k = 0; k < 2; ++k)
        std::copy(pose.begin(), pose.end(), block.begin() + k * words + 4);
    block[static_cast<std::size_t>(words)] = ticks;
    std::array<int, kChannelCount> locators{};
    for (int c = 0; c < kChannelCount; ++c) locators[static_cast<std::size_t>(c)] = c;
    CMotionTrack track;
    track.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), 2);
    track.setFirstChannel(0);
    return track;
}

CreateResult failed(std::string message) {
    CreateResult r;
    r.status = Status::Failed;
    r.message = std::move(message);
    return r;
}

}  // namespace

std::int64_t maxMidiMilliseconds() {
    return static_cast<std::int64_t>(kMaxLedSteps - 1) * 1000 / kLedStepsPerSecond;
}

std::string performanceName(const fs::path& target) { return PerformancePath::split(target).base; }

std::vector<fs::path> existingPerformanceFiles(const fs::path& target) {
    std::vector<fs::path> all;
    for (const char* ext : kExtensions) {
        const auto found = filesWithExtension(target, ext);
        all.insert(all.end(), found.begin(), found.end());
    }
    return all;
}

CreateResult createPerformance(const fs::path& sound, const fs::path& target, const CreateOptions& options,
                               const Progress& progress) {
    const std::string name = performanceName(target);
    if (!options.replaceExisting && !existingPerformanceFiles(target).empty())
        return failed(formatMessage(kAlreadyExistsMessage, {name}));

    const std::string soundText = sound.string();
    const bool midi = startsAsMidi(sound);
    std::vector<std::uint8_t> soundFile;
    CLedTrack leds;
    int ticks = 0;
    if (midi) {
        if (!readWholeFile(sound, soundFile))
            return failed(formatMessage(kCannotReadSoundMessage, {soundText, kUnreadableReason}));
        const auto ms = midiDurationMs(soundFile);
        if (!ms) return failed(formatMessage(kCannotReadSoundMessage, {soundText, kNotMidiReason}));
        if (*ms <= 0) return failed(formatMessage(kEmptySoundMessage, {soundText}));
        if (*ms > maxMidiMilliseconds())
            return failed(formatMessage(kTooLongSoundMessage, {soundText, std::to_string(maxMidiMilliseconds() / 1000)}));
        leds.steps.assign(static_cast<std::size_t>(*ms * kLedStepsPerSecond / 1000), 0);
        ticks = static_cast<int>(*ms / (kSamplesPerTick * 1000 / kSampleRate));
    } else {
        std::vector<std::uint8_t> samples;
        Result r = convertToSamples(sound, options.convert, progress, samples);
        if (!r.ok()) {
            CreateResult c;
            static_cast<Result&>(c) = std::move(r);
            return c;
        }
        const auto count = static_cast<int>(samples.size());
        resetLedTrackToAudio(leds, count);
        CWaveTrack wave;
        wave.sampleCount = count;
        ticks = wave.ticks();
        soundFile = waveFileBytes(samples);
    }
    ticks -= ticks % kTicksPerStep;

    const fs::path soundPath = fileFor(target, midi ? "MID" : "WAV");
    const fs::path ledPath = fileFor(target, "LED");
    const fs::path motionPath = fileFor(target, "MTN");
    std::string error;
    auto cannotWrite = [&](const fs::path& p) {
        return failed(formatMessage(kCannotWriteMessage, {p.string(), error}));
    };
    // In memory first: the limits checked above keep both writers from refusing.
    std::ostringstream ledOut, motionOut;
    error = "the track does not fit the file format.";
    if (!writeLed(ledOut, leds)) return cannotWrite(ledPath);
    if (!writeMotion(motionOut, standingMotion(ticks), name)) return cannotWrite(motionPath);

    FileSet files;
    if (!files.write(soundPath, soundFile, error)) return cannotWrite(soundPath);
    // The document prefers NAME.WAV to NAME.MID: the other sound of a replaced performance goes.
    for (const fs::path& stale : filesWithExtension(target, midi ? "WAV" : "MID"))
        if (!files.remove(stale, error)) return cannotWrite(stale);
    if (!files.write(ledPath, bytesOf(ledOut), error)) return cannotWrite(ledPath);
    if (!files.write(motionPath, bytesOf(motionOut), error)) return cannotWrite(motionPath);

    CreateResult done;
    done.motion = motionPath;
    done.written = files.written();
    fs::path failed;
    if (!files.commit(error, &failed)) return cannotWrite(failed);
    return done;
}

}  // namespace rova::sound
