#include "video/video_export.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/channels.h"
#include "platform/file_set.h"
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

    // Only a complete file, flushed to the disk, takes the target's name; a
    // cancelled or failed export leaves nothing behind.
    FileSet files;
    const auto encode = [&](const std::filesystem::path& partial, std::string& error) {
        Encoder encoder;
        error = encoder.open(partial.string(), container, options.width, options.height, options.fps, withSound);
        for (std::int64_t k = 0; error.empty() && k < frames; ++k) {
            const std::int64_t ms = k * 1000 / options.fps;
            const std::uint8_t* picture = renderer.draw(ms).data();
            error = encoder.addFrame(picture, !renderer.changed(), sound);
            if (error.empty() && progress && !progress(k + 1, frames)) {
                result.cancelled = true;
                return false;
            }
        }
        if (error.empty()) error = encoder.finish(sound);
        result.summary = {frames, durationMs, encoder.videoCodec(), encoder.audioCodec()};
        return error.empty();
    };
    std::string error;
    if (!files.writeByPath(outPath, encode, error) || !files.commit(error)) {
        if (!result.cancelled) result.error = error;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace rova::video
