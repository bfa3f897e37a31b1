// The pictures of a video: the viewer library draws the posed robot into an
// offscreen window, and a strip of the timeline with the playhead can be added
// under it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/playback.h"
#include "video/video_export.h"

namespace rova::video {

class FrameRenderer {
public:
    FrameRenderer();
    ~FrameRenderer();
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // A viewer of width x height (less the strip's height with a timeline),
    // with the camera placed; "" or the reason it could not be made.
    std::string open(const VideoInput& input, const VideoOptions& options);

    // Draws the frame at ms after the export's start; the picture is RGBA, rows
    // of width × 4 bytes. Unchanged pose and eyes redraw nothing.
    const std::vector<std::uint8_t>& draw(std::int64_t ms);

    // Whether the last draw() gave a picture other than the one before.
    bool changed() const { return m_changed; }

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    struct Viewer;
    void drawStrip(std::int64_t ms);

    std::unique_ptr<Viewer> m_viewer;
    const VideoInput* m_input = nullptr;
    CJointStream m_stream;  // the poses exactly as the playback sends them
    int m_width = 0, m_height = 0, m_stripHeight = 0;
    int m_startStep = 0, m_steps = 0;
    std::vector<std::uint8_t> m_frame;
    std::vector<std::uint8_t> m_strip;  // the strip without its playhead
    int m_lastStep = -1, m_lastEyes = -1;
    bool m_changed = true;
    std::int64_t m_lastPlayheadX = -1;
};

// The strip's height for a picture of this height: a sixth, at least 24 pixels.
int stripHeight(int height);

}  // namespace rova::video
