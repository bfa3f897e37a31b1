#include "video/video_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/channels.h"
#include "video/encoder.h"
#include "video/frame_renderer.h"
#include "video/sound_track.h"

namespace rova::video {

namespace {

constexpr std::int64_t kStepMsWide = kMsPerStep;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool containerOf(const std::string& path, Container& out) {
    const std::string ext = lower(std::filesystem::path(path).extension().string());
    if (ext == ".mp4") {
        out = Container::Mp4;
        return true;
    }
    if (ext == ".webm") {
        out = Container::WebM;
        return true;
    }
    return false;
}

int motionSteps(const CMotionTrack& motion) { return std::max(0, motion.totalTicks() / kTicksPerStep); }

// The span filmed, in steps: the options' range within the motion.
int spanSteps(const VideoInput& input, const VideoOptions& options) {
    const int all = motionSteps(*input.motion);
    return options.lengthSteps < 0 ? all - options.startStep : options.lengthSteps;
}

// The file written until it is complete: beside the target, hidden, its own.
std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(::getpid()) + ".partial");
}

// Flushes a file (or a folder, for the names in it) to the disk, as the
// editor's file sets do, so that a power cut leaves the old video or the new one.
bool flushToDisk(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

std::int64_t frameCount(std::int64_t durationMs, int fps) {
    if (durationMs <= 0 || fps <= 0) return 0;
    return (durationMs * fps + 999) / 1000;
}

std::string checkVideo(const std::string& outPath, const VideoInput& input, const VideoOptions& options) {
    Container container;
    if (!containerOf(outPath, container)) return "The video's name must end in .mp4 or .webm.";
    if (!input.motion || input.motion->kind() == MOTION_NONE) return "The performance has no motion to film.";
    if (options.width < 16 || options.height < 16 || options.width > kMaxSide || options.height > kMaxSide ||
        options.width % 2 != 0 || options.height % 2 != 0) {
        return "The size must be even, from 16 to " + std::to_string(kMaxSide) + " pixels each way.";
    }
    if (options.fps < 1 || options.fps > kMaxFps) return "The frame rate must be 1 to " + std::to_string(kMaxFps) + ".";
    const int all = motionSteps(*input.motion);
    if (options.startStep < 0 || options.startStep >= all) return "The part to film starts outside the performance.";
    const int steps = spanSteps(input, options);
    if (steps <= 0 || static_cast<std::int64_t>(options.startStep) + steps > all)
        return "The part to film must lie within the performance.";
    return "";
}

VideoResult exportVideo(const std::string& outPath, const VideoInput& input, const VideoOptions& options,
                        const VideoProgress& progress) {
    VideoResult result;
    result.error = checkVideo(outPath, input, options);
    if (!result.error.empty()) return result;
    Container container = Container::Mp4;
    containerOf(outPath, container);

    const std::int64_t startMs = std::int64_t{options.startStep} * kStepMsWide;
    const std::int64_t durationMs = std::int64_t{spanSteps(input, options)} * kStepMsWide;
    const std::int64_t frames = frameCount(durationMs, options.fps);

    FrameRenderer renderer;
    if (result.error = renderer.open(input, options); !result.error.empty()) return result;
    std::vector<float> sound;
    const bool withSound = input.sound != SoundKind::None && input.soundData && input.soundSize > 0;
    if (withSound) {
        result.error = buildSoundTrack(input, startMs, durationMs, options.soundFont, sound);
        if (!result.error.empty()) return result;
    }

    const std::filesystem::path target(outPath);
    const std::filesystem::path partial = temporaryBeside(target);
    // Whatever happens from here on, only a complete file takes the target's name.
    struct Cleanup {
        const std::filesystem::path& path;
        bool keep = false;
        ~Cleanup() {
            std::error_code ignored;
            if (!keep) std::filesystem::remove(path, ignored);
        }
    } cleanup{partial};
    {
        Encoder encoder;
        result.error = encoder.open(partial.string(), container, options.width, options.height, options.fps, withSound);
        for (std::int64_t k = 0; result.error.empty() && k < frames; ++k) {
            const std::int64_t ms = k * 1000 / options.fps;
            const std::uint8_t* picture = renderer.draw(ms).data();
            result.error = encoder.addFrame(picture, !renderer.changed(), sound);
            if (result.error.empty() && progress && !progress(k + 1, frames)) {
                result.cancelled = true;
                return result;
            }
        }
        if (result.error.empty()) result.error = encoder.finish(sound);
        result.summary = {frames, durationMs, encoder.videoCodec(), encoder.audioCodec()};
    }
    if (!result.error.empty()) return result;
    // The video is written by the encoders' own file layer, a stream too large to
    // hold in memory; so it does not go through a FileSet, but the same way: a
    // temporary beside the target, flushed, then renamed into place.
    if (!flushToDisk(partial)) {
        result.error = "The video could not be written to the disk.";
        return result;
    }
    std::error_code ec;
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        result.error = "The video could not be put in place: " + ec.message() + ".";
        return result;
    }
    cleanup.keep = true;
    flushToDisk(target.has_parent_path() ? target.parent_path() : std::filesystem::path("."));
    result.ok = true;
    return result;
}

}  // namespace rova::video
