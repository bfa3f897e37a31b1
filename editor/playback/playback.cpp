#include "playback/playback.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "model/eye_lights.h"

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

namespace {

// Rounds toward minus infinity: times before a pose's are not yet that pose.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// One playback. Poses are counted from 0 (the range's start) through the whole
// playback, across the passes of a loop: pose g is due when the sound has
// played g × 80 + offset ms since it first started, counting each pass as its
// whole steps (a range that runs past the sound's end is one of as many steps
// as the sound covers).
class PlaybackRun {
public:
    PlaybackRun(const std::optional<std::string>& audioPath, int start, int count, void* viewer,
                const PlaybackContext& cx, const PlaybackOptions& options)
        : m_cx(cx),
          m_viewer(viewer),
          m_sound(audioPath.has_value()),
          m_device(audioPath ? quoted(*audioPath) : std::string()),
          m_start(start),
          m_count(count),
          m_loop(options.loop && count > 0),
          m_offset(m_sound ? std::clamp(options.offsetMs, -kMaxPlaybackOffsetMs, kMaxPlaybackOffsetMs) : 0),
          m_startMs(static_cast<std::int64_t>(start) * kStepMs),
          m_endMs((static_cast<std::int64_t>(start) + count) * kStepMs),
          m_passSteps(std::max(1, count)),
          m_leds(options.leds) {}

    bool run(const CMotionTrack& motion);

private:
    int send(const std::string& command) { return m_cx.audio.sendString(command, m_reply, sizeof m_reply); }
    bool playing() {
        send("status " + m_device + " mode");
        return std::strcmp(m_reply, "playing") == 0;
    }
    // Plays the range, or to the sound's end when the range runs past it.
    int startSound();
    int stepOf(std::int64_t g) const {
        const std::int64_t s = m_start + (m_loop ? g % m_passSteps : g);
        return static_cast<int>(std::min<std::int64_t>(s, INT32_MAX));
    }
    // The clock reading at which sound time u (ms since the sound first started) comes.
    std::int64_t clockAt(std::int64_t u) const { return m_base + m_startMs - m_passBase + u; }
    // Shows the pose due at sound time u - offset when it is a new one.
    void reach(std::int64_t u);
    void show(std::int64_t g, bool refresh);
    bool escape() { return m_cx.host.escapeDown(); }

    const PlaybackContext& m_cx;
    void* m_viewer;
    CJointStream m_stream;
    const bool m_sound;
    const std::string m_device;
    const int m_start, m_count;
    const bool m_loop;
    const int m_offset;
    const std::int64_t m_startMs, m_endMs;
    char m_reply[kAudioReplySize] = {};
    std::string m_playCommand;    // what started the sound
    std::int64_t m_started = 0;   // clock reading when the sound first started (or is to start)
    std::int64_t m_base = 0;      // clock reading at audio position 0 of the current pass
    std::int64_t m_passBase = 0;  // sound time at which the current pass began
    std::int64_t m_passSteps = 0;  // poses in one pass of a loop
    std::int64_t m_lastShown = -1;
    const CLedTrack* m_leds;
    int m_eyesShown = -1;  // the eye state last sent, -1 before the first
};

int PlaybackRun::startSound() {
    if (!m_playCommand.empty()) return send(m_playCommand);
    const std::string from = "play " + m_device + " from " + std::to_string(m_startMs);
    m_playCommand = from + " to " + std::to_string(m_endMs);
    int result = send(m_playCommand);
    // The range ends beyond the sound: play what there is.
    if (result == AUDIO_ERR_OUT_OF_RANGE) {
        m_playCommand = from;
        result = send(m_playCommand);
    }
    return result;
}

void PlaybackRun::show(std::int64_t g, bool refresh) {
    m_lastShown = g;
    // A shifted pose past the range's end belongs to no step the sound plays.
    if (!m_loop && m_offset != 0 && g >= m_count) return;
    const int step = stepOf(g);
    if (m_viewer) {
        const int eyes = m_leds ? eyesAtStep(*m_leds, step) : 0;
        const bool eyesChanged = eyes != m_eyesShown;
        if (eyesChanged) m_cx.viewerApi.SetEyes(m_viewer, eyes);
        m_eyesShown = eyes;
        if ((m_stream.sendStep(m_cx.viewerApi, m_viewer, step) || eyesChanged) && refresh) m_cx.host.refreshPlayer();
        if (step < m_stream.stepCount()) m_cx.host.poseSent(step, m_cx.host.clockMs() - m_started);
    }
    m_cx.host.stepShown(step);
}

void PlaybackRun::reach(std::int64_t u) {
    const std::int64_t g = floorDiv(u - m_offset, kStepMs);
    // Only forward: a position that corrects the extrapolation backwards
    // must not make the model twitch back to a pose it has shown.
    if (g > m_lastShown) show(g, true);
}

bool PlaybackRun::run(const CMotionTrack& motion) {
    m_stream.decode(motion);
    if (m_viewer) m_cx.host.showPlayer();
    if (!m_sound && !m_viewer) {
        m_cx.ui.showMessage(kMsgOpenPlayerFirst);
        return false;
    }
    if (m_sound && send("open " + m_device) != 0) {
        m_cx.ui.showMessage(kMsgCannotOpenSound);
        return false;
    }

    if (m_viewer) {
        m_cx.viewerApi.SelectJoint(m_viewer, -1);
        m_cx.viewerApi.SetJointsVisible(m_viewer, 0, kChannelCount, false);
        m_cx.viewerApi.SetJointsVisible(m_viewer, m_stream.firstChannel(), m_stream.channelCount(), true);
    }
    // The first pose goes out before the sound starts, unless the offset holds it back.
    m_started = m_cx.host.clockMs() + std::max(0, -m_offset);
    if (m_offset <= 0) show(0, false);

    // A negative offset: the poses due before the sound starts go out by the clock.
    m_base = m_started - m_startMs;
    while (m_offset < 0 && !escape()) {
        const std::int64_t now = m_cx.host.clockMs();
        if (now >= m_started) break;
        reach(now - m_started);
        m_cx.host.waitUntil(std::min(m_started, clockAt(m_offset + (m_lastShown + 1) * kStepMs)));
    }
    if (m_offset < 0 && escape()) {
        send("close " + m_device);
        return true;
    }

    if (m_sound) {
        send("set " + m_device + " time format milliseconds");
        if (startSound() != 0) {
            m_cx.ui.showMessage(kMsgCannotPlaySound);
            send("close " + m_device);
            return false;
        }
    }

    // The audio position, taken when it changes and carried on with the clock
    // in between, gives the time; without audio the clock alone does.
    // base is the clock reading at audio time 0, so that before the device
    // first reports a new position the clock carries on from startMs.
    std::int64_t lastPosition = m_startMs;
    m_started = m_cx.host.clockMs();
    m_base = m_started - m_startMs;
    reach(0);  // a pose due as the sound starts
    std::optional<std::int64_t> stoppedAt;  // sound time at which the sound ended
    for (;;) {
        std::int64_t t;
        if (m_sound) {
            if (!playing()) {
                // The clock runs on past the sound's end until this poll sees
                // it stopped; the device stands where the sound ended, which
                // bounds the end (a pass longer than its sound would put every
                // later pose early).
                send("status " + m_device + " position");
                const std::int64_t stoppedPosition = replyNumber(m_reply);
                std::int64_t end = std::max(lastPosition, m_cx.host.clockMs() - m_base);
                if (stoppedPosition >= lastPosition) end = std::min(end, stoppedPosition);
                if (m_playCommand.find(" to ") != std::string::npos) end = std::min(end, m_endMs);
                const std::int64_t stopU = m_passBase + end - m_startMs;
                // A sound that gave nothing to play would only start again and again.
                if (!m_loop || end <= m_startMs || escape() || startSound() != 0) {
                    stoppedAt = stopU;
                    break;
                }
                // Again from the range's start. A first pass cut short by the
                // sound's end sets how many steps every pass has.
                if (m_passBase == 0) m_passSteps = std::min(m_passSteps, (end - m_startMs + kStepMs - 1) / kStepMs);
                m_passBase += m_passSteps * kStepMs;
                lastPosition = m_startMs;
                m_base = m_cx.host.clockMs() - m_startMs;
                reach(m_passBase);
                continue;
            }
            send("status " + m_device + " position");
            const std::int64_t position = replyNumber(m_reply);
            const std::int64_t now = m_cx.host.clockMs();
            if (position != lastPosition) {
                lastPosition = position;
                m_base = now - position;
                t = position;
            } else {
                t = now - m_base;
                if (t <= lastPosition) {
                    m_cx.host.waitUntil(m_base + lastPosition + 1);
                    continue;
                }
            }
        } else {
            t = m_cx.host.clockMs() - m_base;
        }
        reach(m_passBase + t - m_startMs);
        if (!m_sound && !m_loop && m_lastShown >= m_count) break;
        if (escape()) break;
        // No pose is due before the next step begins; a device is asked again
        // sooner, so that a change of its position is seen close to when it
        // happened and the end of the sound soon after it comes.
        std::int64_t due = clockAt(m_offset + (m_lastShown + 1) * kStepMs);
        if (m_sound) due = std::min(due, m_cx.host.clockMs() + kPollMs);
        m_cx.host.waitUntil(due);
    }

    // A positive offset: the poses of the sound's last moments, which the
    // listener hears that much later, still go out by the clock.
    while (stoppedAt && m_offset > 0 && !escape()) {
        const std::int64_t u = m_cx.host.clockMs() - m_base + m_passBase - m_startMs;
        if (u >= *stoppedAt + m_offset) break;
        reach(u);
        m_cx.host.waitUntil(std::min(clockAt(*stoppedAt + m_offset), clockAt(m_offset + (m_lastShown + 1) * kStepMs)));
    }

    m_cx.host.waitUntil(m_cx.host.clockMs() + kSettleMs);
    if (m_sound) send("close " + m_device);
    return true;
}

}  // namespace

bool playPerformance(const std::optional<std::string>& audioPath, const CMotionTrack& motion, int start, int count,
                     void* viewer, const PlaybackContext& context, const PlaybackOptions& options) {
    return PlaybackRun(audioPath, start, count, viewer, context, options).run(motion);
}

}  // namespace rova
