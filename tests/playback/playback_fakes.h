// Fakes for playback: a virtual clock that waiting advances, an audio device
// (the real interpreter over the silent output, on that clock) that records
// its commands, and a viewer that records its calls.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "player/viewer_api.h"
#include "playback/playback.h"

namespace rova::test {

struct VirtualHost : PlaybackHost {
    std::int64_t now = 1000;  // the process clock does not start at 0
    void* viewer = nullptr;
    bool escape = false;
    std::int64_t escapeAt = -1;  // Esc goes down at this clock time
    std::int64_t lateMs = 0;     // every wait wakes this much after the time asked for, as a busy system's do
    std::function<void()> duringWait;
    std::vector<std::string> calls;  // showPlayer, refreshPlayer
    std::vector<std::pair<std::int64_t, int>> poses;  // [ms since start, step]
    std::vector<int> shown;  // the steps the playhead was given
    int waits = 0;

    void* getViewer() override { return viewer; }
    void showPlayer() override { calls.push_back("showPlayer"); }
    void refreshPlayer() override { calls.push_back("refreshPlayer"); }
    std::int64_t clockMs() override { return now; }
    void waitUntil(std::int64_t ms) override {
        ++waits;
        if (duringWait) duringWait();
        if (escape) return;
        const std::int64_t wake = std::max(now, ms) + lateMs;
        if (escapeAt >= 0 && wake >= escapeAt) {
            now = std::max(now, escapeAt);
            escape = true;
            return;
        }
        now = wake;
    }
    bool escapeDown() override { return escape; }
    void poseSent(int step, std::int64_t ms) override { poses.emplace_back(ms, step); }
    void stepShown(int step) override { shown.push_back(step); }

    std::vector<int> steps() const {
        std::vector<int> s;
        for (const auto& p : poses) s.push_back(p.second);
        return s;
    }
};

// The interpreter with clips of a given length (by path) playing silently on
// the host's clock. forced answers a command (by its first word) with a result.
struct RecordingAudio : AudioCommands {
    VirtualHost& host;
    std::map<std::string, std::int64_t> lengths;  // path -> ms; missing paths do not open
    std::map<std::string, int> forced;
    std::vector<std::string> commands;
    AudioDevice device;

    explicit RecordingAudio(VirtualHost& h)
        : host(h),
          device(
              [this](const std::string& path, int& error) -> std::optional<AudioClip> {
                  const auto it = lengths.find(path);
                  if (it == lengths.end()) {
                      error = AUDIO_ERR_FILE_NOT_FOUND;
                      return std::nullopt;
                  }
                  AudioClip clip;
                  clip.durationMs = it->second;
                  return clip;
              },
              [this](const AudioClip&) {
                  return std::make_unique<SilentOutput>([this] {
                      return std::chrono::steady_clock::time_point(std::chrono::milliseconds(host.now));
                  });
              }) {}

    int sendString(std::string_view command, char* reply, int size) override {
        commands.emplace_back(command);
        const std::string verb(command.substr(0, command.find(' ')));
        if (const auto it = forced.find(verb); it != forced.end()) {
            if (reply && size > 0) reply[0] = '\0';
            return it->second;
        }
        return device.sendString(command, reply, size);
    }

    // The commands other than the status queries of the loop.
    std::vector<std::string> plain() const {
        std::vector<std::string> out;
        for (const auto& c : commands)
            if (c.rfind("status", 0) != 0) out.push_back(c);
        return out;
    }
};

struct RecordingViewer : WindowlessViewer {
    std::vector<std::string> calls;
    int changed = 1;  // what SetJoints answers
    int SetJoints(void*, const ViewerJointRange& r) override {
        std::string s = "SetJoints " + std::to_string(r.first) + " " + std::to_string(r.count);
        for (int i = 0; i < r.count; ++i) s += " " + std::to_string(r.values[i]);
        calls.push_back(s);
        return changed;
    }
    void SelectJoint(void*, int joint) override { calls.push_back("SelectJoint " + std::to_string(joint)); }
    bool SetJointsVisible(void*, int first, int count, bool visible) override {
        calls.push_back("SetJointsVisible " + std::to_string(first) + " " + std::to_string(count) + " " +
                        std::to_string(visible));
        return true;
    }
};

}  // namespace rova::test
