// Play in a headless run: the sound through the silent output on the steady
// clock, the player window replaced by a viewer that only keeps the pose, and
// a record of the device's command strings and of when each pose went out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace rova::tool {

class JsonWriter;

class ToolPlayback {
public:
    ToolPlayback();
    ~ToolPlayback();

    // Runs the Play command through runPlay with the player window open or
    // closed; Esc goes down escAfterMs after it began (never when negative).
    void play(const std::function<void()>& runPlay, bool playerOpen, std::int64_t escAfterMs = -1);
    bool played() const { return m_played; }
    // "playback": {"commands": [...], "poses": [[ms since the sound started, step], ...]}
    void report(JsonWriter& j) const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
    bool m_played = false;
};

}  // namespace rova::tool
