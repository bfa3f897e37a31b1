// Playback of a performance: the sound on the audio device while the model in
// the viewer takes one pose per 80 ms time step, paced by the sound's own
// position. Free of any toolkit: the audio device, the viewer, the clock,
// waiting and the Esc key come in through small interfaces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/motion_track.h"
#include "platform/audio_device.h"
#include "platform/messages.h"
#include "player/viewer_api.h"

namespace rova {

inline constexpr int kStepMs = 80;

inline constexpr std::string_view kMsgOpenPlayerFirst = "Open the Virtual ROVA Window before playing back motion";
inline constexpr std::string_view kMsgCannotOpenSound = "Error trying to play sound file";
inline constexpr std::string_view kMsgCannotPlaySound = "Error: can't play on audio device";

// Micro-radians to the whole degrees of the stream: the degree value truncated
// toward zero and kept to 16 bits, as the viewer's poses are.
int streamDegrees(std::int32_t value);

// The motion decoded into one pose per time step. Step s holds the pose that
// the motion reaches at the end of that step's 80 ms.
class CJointStream {
public:
    // False for a track without motion (the stream is then empty).
    bool decode(const CMotionTrack& motion);
    // Sends the pose of step s; true when some joint of the model moved.
    // Steps beyond the stream send nothing.
    bool sendStep(ViewerApi& api, void* viewer, int s);

    int channelCount() const { return m_channels; }
    int firstChannel() const { return m_first; }
    int stepCount() const { return m_steps; }
    const std::int32_t* pose(int s) const { return &m_poses[static_cast<std::size_t>(s) * static_cast<std::size_t>(m_channels)]; }

private:
    int m_channels = 0;
    int m_first = 0;
    int m_steps = 0;
    std::vector<std::int32_t> m_poses;
};

// Everything a playback needs from the program besides the audio device and
// the viewer's exports.
class PlaybackHost {
public:
    virtual ~PlaybackHost() = default;
    // The player window's viewer, or null while it is closed.
    virtual void* getViewer() = 0;
    // Brings the player window up, restored.
    virtual void showPlayer() = 0;
    // Paints the player window now.
    virtual void refreshPlayer() = 0;
    // The process clock in milliseconds.
    virtual std::int64_t clockMs() = 0;
    // Returns when the clock reaches ms, or earlier when Esc is pressed. The
    // windows repaint meanwhile; the user's input does not reach them.
    virtual void waitUntil(std::int64_t ms) = 0;
    // Esc was pressed since the playback began.
    virtual bool escapeDown() = 0;
    // A pose went to the viewer: its step, and milliseconds since the sound started.
    virtual void poseSent(int step, std::int64_t msSinceStart) {
        (void)step;
        (void)msSinceStart;
    }
    // The step the playback shows now (for the playhead), with or without a viewer.
    virtual void stepShown(int step) { (void)step; }
};

// How a playback runs beyond its range: whether it starts again at the range's
// start each time the sound reaches its end (until Esc), and how many
// milliseconds after its step's time on the sound clock each pose goes out (a
// device that plays late wants a positive offset; with a negative one the
// first poses go out before the sound starts). Without sound the offset has
// nothing to shift against and is not used.
struct PlaybackOptions {
    bool loop = false;
    int offsetMs = 0;
    // The eye lights shown with each pose, at the pose's time; none: dark eyes.
    const CLedTrack* leds = nullptr;
};

inline constexpr int kMaxPlaybackOffsetMs = 500;

struct PlaybackContext {
    AudioCommands& audio;
    ViewerApi& viewerApi;
    PlaybackHost& host;
    MessageInterface& ui;
};

// Plays count steps from start with the sound of audioPath (none: by the clock
// alone, which needs the viewer). True when the playback ran, also when Esc
// ended it; false, after its message, when it could not start. The offset is
// kept within ±kMaxPlaybackOffsetMs.
bool playPerformance(const std::optional<std::string>& audioPath, const CMotionTrack& motion, int start, int count,
                     void* viewer, const PlaybackContext& context, const PlaybackOptions& options = {});

}  // namespace rova
