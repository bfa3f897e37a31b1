// Export of a performance (or a part of it) as a video file: the robot as the
// player window shows it, one picture per frame at the playback's timing, with
// the sound, written as MP4 (H.264 + AAC) or WebM (VP9 + Opus).
//
// Timing: frame k shows the moment k × 1000 / fps ms after the start. Its pose
// is the one the playback shows then: the pose of the 80 ms step that holds the
// moment (poses are held for their step, not interpolated), and its eyes are the
// LED step's at that very moment. The sound starts with frame 0.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/motion_track.h"

namespace rova::video {

enum class SoundKind { None, Wave, Midi };

// What is filmed. The tracks must outlive the export.
struct VideoInput {
    const CMotionTrack* motion = nullptr;
    const CLedTrack* leds = nullptr;
    SoundKind sound = SoundKind::None;
    // WAVE: the 8000 Hz unsigned 8-bit mono samples; MIDI: the whole file.
    const std::uint8_t* soundData = nullptr;
    std::size_t soundSize = 0;
};

// Where the camera stands, as the viewer's camera exports take it.
struct CameraPlace {
    float yaw = 0, pitch = 0, distance = 50;
    float x = 0, y = 0, z = 50;
};

inline constexpr int kDefaultWidth = 1280;
inline constexpr int kDefaultHeight = 720;
inline constexpr int kDefaultFps = 25;
inline constexpr int kMaxSide = 4096;
inline constexpr int kMaxFps = 60;

struct VideoOptions {
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    int fps = kDefaultFps;
    // The steps filmed: from startStep, lengthSteps of them (negative: to the end).
    int startStep = 0;
    int lengthSteps = -1;
    // A strip of the timeline with the playhead under the robot.
    bool timeline = false;
    CameraPlace camera;
    // The General MIDI SoundFont for MIDI sound; "" finds the installed one.
    std::string soundFont;
};

// What was written.
struct VideoSummary {
    std::int64_t frames = 0;
    std::int64_t durationMs = 0;
    std::string video;  // the codec: "h264" or "vp9"
    std::string audio;  // "aac", "opus", or "" without sound
};

struct VideoResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;  // why it failed, for the user
    VideoSummary summary;
};

// Told after each frame; false cancels the export.
using VideoProgress = std::function<bool(std::int64_t framesDone, std::int64_t frameCount)>;

// Checks the options against the input: "" when they can be exported, else
// the reason (size, rate, range, the file's kind from its extension).
std::string checkVideo(const std::string& outPath, const VideoInput& input, const VideoOptions& options);

// The frames of a span of ms at fps: every frame whose moment lies inside it.
std::int64_t frameCount(std::int64_t durationMs, int fps);

// Writes the video to a temporary file beside outPath and renames it into
// place when complete; a cancelled or failed export leaves no file behind and
// an earlier file at outPath as it was.
VideoResult exportVideo(const std::string& outPath, const VideoInput& input, const VideoOptions& options,
                        const VideoProgress& progress = {});

}  // namespace rova::video
