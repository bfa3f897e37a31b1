#include "tool_playback.h"

#include <algorithm>
#include <array>
#include <thread>

#include "json_writer.h"
#include "platform/qt_audio.h"
#include "commands/play_command.h"

namespace rova::tool {
namespace {

using Clock = std::chrono::steady_clock;

// The device of the program with every output silent, recording what it is sent.
struct RecordedAudio : AudioCommands {
    AudioDevice device{[](const std::string& path, int& error) { return loadAudioFile(path, "", error); },
                       [](const AudioClip&) { return std::make_unique<SilentOutput>(); }};
    std::vector<std::string> commands;

    int sendString(std::string_view command, char* reply, int size) override {
        commands.emplace_back(command);
        return device.sendString(command, reply, size);
    }
};

// A viewer that holds the pose and answers how many joints changed, as the
// library does; it has no window.
struct PoseViewer : WindowlessViewer {
    std::array<int, 24> joints{};
    int SetJoints(void*, const ViewerJointRange& r) override {
        int changed = 0;
        for (int i = 0; i < r.count; ++i) {
            const auto j = static_cast<std::size_t>(r.first + i);
            if (j < joints.size() && joints[j] != r.values[i]) {
                joints[j] = r.values[i];
                ++changed;
            }
        }
        return changed;
    }
    bool SetJointsVisible(void*, int first, int count, bool visible) override {
        if (!visible)
            for (int i = first; i < first + count && i < 24; ++i) joints[static_cast<std::size_t>(i)] = 0;
        return true;
    }
};

// Waits by sleeping: nothing else runs in a headless run; Esc goes down at
// escapeAt when that is set.
struct SleepingHost : PlaybackHost {
    void* viewer = nullptr;
    const Clock::time_point epoch = Clock::now();
    std::int64_t escapeAt = -1;
    std::vector<std::pair<std::int64_t, int>> poses;

    void* getViewer() override { return viewer; }
    void showPlayer() override {}
    void refreshPlayer() override {}
    std::int64_t clockMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - epoch).count();
    }
    void waitUntil(std::int64_t ms) override {
        if (escapeAt >= 0) ms = std::min(ms, escapeAt);
        std::this_thread::sleep_until(epoch + std::chrono::milliseconds(ms));
    }
    bool escapeDown() override { return escapeAt >= 0 && clockMs() >= escapeAt; }
    void poseSent(int step, std::int64_t ms) override { poses.emplace_back(ms, step); }
};

}  // namespace

struct ToolPlayback::Parts {
    RecordedAudio audio;
    PoseViewer viewer;
    SleepingHost host;
};

ToolPlayback::ToolPlayback() : m_parts(std::make_unique<Parts>()) {}

ToolPlayback::~ToolPlayback() = default;

void ToolPlayback::play(const std::function<void()>& runPlay, bool playerOpen, std::int64_t escAfterMs) {
    m_parts->host.viewer = playerOpen ? &m_parts->viewer : nullptr;
    m_parts->host.escapeAt = escAfterMs >= 0 ? m_parts->host.clockMs() + escAfterMs : -1;
    const PlaybackServices services{&m_parts->audio, &m_parts->host, &m_parts->viewer};
    setPlaybackServices(&services);
    runPlay();
    setPlaybackServices(nullptr);
    m_played = true;
}

void ToolPlayback::report(JsonWriter& j) const {
    j.key("playback").beginObject();
    j.key("commands").beginArray();
    for (const auto& c : m_parts->audio.commands) j.value(c);
    j.endArray();
    j.key("poses").beginArray();
    for (const auto& [ms, step] : m_parts->host.poses) j.beginArray().value(ms).value(step).endArray();
    j.endArray().endObject();
}

}  // namespace rova::tool
