#include "playback/playback.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace rova {
namespace {

constexpr double kDegreesPerMicroRadian = 180 * 3.183098861837907e-7;
// Sleep after the last pose, before the sound is closed.
constexpr int kSettleMs = 5;
// How often the audio device is asked for its position between poses.
constexpr int kPollMs = 10;

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

// The reply read as a decimal integer, as far as it is one.
std::int64_t replyNumber(const char* reply) {
    std::int64_t v = 0;
    std::from_chars(reply, reply + std::strlen(reply), v);
    return v;
}

}  // namespace

int streamDegrees(std::int32_t value) {
    const auto whole = static_cast<std::int32_t>(static_cast<double>(value) * kDegreesPerMicroRadian);
    return static_cast<std::int16_t>(whole);
}

bool CJointStream::decode(const CMotionTrack& motion) {
    m_poses.clear();
    m_channels = m_steps = 0;
    if (motion.kind() == MOTION_NONE) return false;
    m_channels = motion.channelCount();
    m_first = motion.firstChannel();
    m_steps = std::max(0, motion.totalTicks() / kTicksPerStep);
    const std::size_t n = static_cast<std::size_t>(m_channels);
    m_poses.assign(static_cast<std::size_t>(m_steps) * n, 0);
    auto put = [&](int step, int c, std::int64_t v) {
        if (step < m_steps) m_poses[static_cast<std::size_t>(step) * n + static_cast<std::size_t>(c)] =
            streamDegrees(static_cast<std::int32_t>(v));
    };
    int out = 0;
    for (int k = 0; k < motion.keyframeCount(); ++k) {
        const int steps = std::max(0, motion.duration(k) / kTicksPerStep);
        for (int c = 0; c < m_channels; ++c) {
            const std::int64_t v = motion.value(k, c);
            if (k == 0) {
                // Up to keyframe 0's time the motion holds its value, as the
                // interpolation does before the first keyframe.
                for (int j = 0; j < std::max(1, steps); ++j) put(j, c, v);
                continue;
            }
            const std::int64_t p = motion.value(k - 1, c);
            const std::int64_t d = v - p;
            std::int64_t acc = d;
            for (int j = 0; j < steps; ++j, acc += d) put(out + j, c, p + acc / steps);
        }
        out += steps;
    }
    return true;
}

bool CJointStream::sendStep(ViewerApi& api, void* viewer, int s) {
    if (s < 0 || s >= m_steps) return false;
    ViewerJointRange range{m_first, m_channels, &m_poses[static_cast<std::size_t>(s) * static_cast<std::size_t>(m_channels)]};
    return api.SetJoints(viewer, range) > 0;
}

bool playPerformance(const std::optional<std::string>& audioPath, const CMotionTrack& motion, int start, int count,
                     void* viewer, const PlaybackContext& cx) {
    CJointStream stream;
    stream.decode(motion);
    if (viewer) cx.host.showPlayer();
    if (!audioPath && !viewer) {
        cx.ui.showMessage(kMsgOpenPlayerFirst);
        return false;
    }
    char reply[kAudioReplySize];
    const std::string device = audioPath ? quoted(*audioPath) : std::string();
    auto send = [&](const std::string& command) { return cx.audio.sendString(command, reply, sizeof reply); };
    if (audioPath && send("open " + device) != 0) {
        cx.ui.showMessage(kMsgCannotOpenSound);
        return false;
    }

    int lastShown = start;
    if (viewer) {
        cx.viewerApi.SelectJoint(viewer, -1);
        cx.viewerApi.SetJointsVisible(viewer, 0, kChannelCount, false);
        cx.viewerApi.SetJointsVisible(viewer, stream.firstChannel(), stream.channelCount(), true);
        stream.sendStep(cx.viewerApi, viewer, start);
        if (start < stream.stepCount()) cx.host.poseSent(start, 0);
    }

    const std::int64_t startMs = static_cast<std::int64_t>(start) * kStepMs;
    if (audioPath) {
        send("set " + device + " time format milliseconds");
        const std::string from = " from " + std::to_string(startMs);
        const std::int64_t endMs = (static_cast<std::int64_t>(start) + count) * kStepMs;
        int result = send("play " + device + from + " to " + std::to_string(endMs));
        // The range ends beyond the sound: play what there is.
        if (result == AUDIO_ERR_OUT_OF_RANGE) result = send("play " + device + from);
        if (result != 0) {
            cx.ui.showMessage(kMsgCannotPlaySound);
            send("close " + device);
            return false;
        }
    }

    // The audio position, taken when it changes and carried on with the clock
    // in between, gives the time; without audio the clock alone does.
    // base is the clock reading at audio time 0, so that before the device
    // first reports a new position the clock carries on from startMs.
    std::int64_t lastPosition = startMs;
    const std::int64_t started = cx.host.clockMs();
    std::int64_t base = started - startMs;
    const std::int64_t endStep = static_cast<std::int64_t>(start) + count;
    for (;;) {
        std::int64_t t;
        if (audioPath) {
            send("status " + device + " mode");
            if (std::strcmp(reply, "playing") != 0) break;
            send("status " + device + " position");
            const std::int64_t position = replyNumber(reply);
            const std::int64_t now = cx.host.clockMs();
            if (position != lastPosition) {
                lastPosition = position;
                base = now - position;
                t = position;
            } else {
                t = now - base;
                if (t <= lastPosition) {
                    cx.host.waitUntil(base + lastPosition + 1);
                    continue;
                }
            }
        } else {
            t = cx.host.clockMs() - base;
        }
        const int step = static_cast<int>(t / kStepMs);
        // Only forward: a position that corrects the extrapolation backwards
        // must not make the model twitch back to a pose it has shown.
        if (step > lastShown) {
            if (viewer) {
                if (stream.sendStep(cx.viewerApi, viewer, step)) cx.host.refreshPlayer();
                if (step < stream.stepCount()) cx.host.poseSent(step, cx.host.clockMs() - started);
            }
            lastShown = step;
        }
        if (!audioPath && step >= endStep) break;
        if (cx.host.escapeDown()) break;
        // No pose is due before the next step begins; a device is asked again
        // sooner, so that a change of its position is seen close to when it
        // happened and the end of the sound soon after it comes.
        std::int64_t due = base + static_cast<std::int64_t>(lastShown + 1) * kStepMs;
        if (audioPath) due = std::min(due, cx.host.clockMs() + kPollMs);
        cx.host.waitUntil(due);
    }

    cx.host.waitUntil(cx.host.clockMs() + kSettleMs);
    if (audioPath) send("close " + device);
    return true;
}

}  // namespace rova
