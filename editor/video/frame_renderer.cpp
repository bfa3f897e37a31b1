#include "video/frame_renderer.h"

#include <algorithm>
#include <cstring>

#include "VirtRova.h"
#include "model/eye_lights.h"
#include "playback/playback.h"

namespace rova::video {

namespace {

// The strip's colours: those of the timeline's rows on a dark ground.
constexpr std::uint8_t kGround[3] = {32, 32, 32};
constexpr std::uint8_t kGreen[3] = {0, 255, 0};
constexpr std::uint8_t kRed[3] = {255, 0, 0};
constexpr std::uint8_t kWaveColour[3] = {96, 160, 255};
constexpr std::uint8_t kPlayhead[3] = {255, 255, 255};

}  // namespace

int stripHeight(int height) { return std::max(24, height / 6); }

// The viewer in its offscreen window: the window keeps the last picture.
struct FrameRenderer::Viewer {
    HostWindow host{};
    ViewerContext* context = nullptr;
    int width = 0, height = 0;
    std::vector<std::uint8_t>* target = nullptr;  // the frame the picture goes to, at its top
    std::string messages;

    Viewer() {
        host.user = this;
        host.clientSize = [](void* user, std::int32_t* w, std::int32_t* h) {
            *w = self(user).width;
            *h = self(user).height;
        };
        host.present = [](void* user, const std::uint8_t* rgba, std::int32_t w, std::int32_t h, std::int32_t stride) {
            Viewer& v = self(user);
            if (!v.target || w != v.width || h > v.height) return;
            const auto row = static_cast<std::size_t>(w) * 4;
            for (std::int32_t y = 0; y < h; ++y)
                std::memcpy(v.target->data() + static_cast<std::size_t>(y) * row,
                            rgba + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride), row);
        };
        host.messageBox = [](void* user, const char* text, const char*) { self(user).messages += text; };
    }
    ~Viewer() {
        if (context) Destroy(context);
    }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;
    static Viewer& self(void* user) { return *static_cast<Viewer*>(user); }
};

FrameRenderer::FrameRenderer() = default;
FrameRenderer::~FrameRenderer() = default;

std::string FrameRenderer::open(const VideoInput& input, const VideoOptions& options) {
    m_input = &input;
    m_width = options.width;
    m_height = options.height;
    m_stripHeight = options.timeline ? stripHeight(options.height) : 0;
    m_startStep = options.startStep;
    m_steps = options.lengthSteps;
    m_frame.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height) * 4, 0);

    m_viewer = std::make_unique<Viewer>();
    m_viewer->width = m_width;
    m_viewer->height = m_height - m_stripHeight;
    m_viewer->target = &m_frame;
    m_viewer->context = Create();
    if (!m_viewer->context) return "The 3D viewer could not be created.";
    if (!Attach(m_viewer->context, &m_viewer->host)) {
        Destroy(m_viewer->context);
        m_viewer->context = nullptr;
        return "The 3D viewer could not draw: " + m_viewer->messages;
    }
    ViewerContext* viewer = m_viewer->context;
    const CameraPlace& c = options.camera;
    std::int32_t r = VirtRova_SetCamera(viewer, c.yaw, c.pitch, c.distance);
    if (r == VIRTROVA_OK) r = VirtRova_SetCameraTarget(viewer, c.x, c.y, c.z);
    if (r != VIRTROVA_OK) return VirtRova_ErrorText(r);
    // As during playback: the joints the motion does not move rest at 0, in grey.
    m_stream.decode(*input.motion);
    SetJointsVisible(viewer, 0, kChannelCount, false);
    SetJointsVisible(viewer, m_stream.firstChannel(), m_stream.channelCount(), true);
    if (m_stripHeight > 0) {
        m_strip.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_stripHeight) * 4, 0);
        drawStrip(-1);
    }
    return "";
}

void FrameRenderer::drawStrip(std::int64_t ms) {
    const auto w = static_cast<std::size_t>(m_width);
    auto put = [&](std::vector<std::uint8_t>& image, std::size_t x, std::size_t y, const std::uint8_t* c) {
        std::uint8_t* p = image.data() + (y * w + x) * 4;
        p[0] = c[0];
        p[1] = c[1];
        p[2] = c[2];
        p[3] = 255;
    };
    const std::int64_t spanMs = std::max<std::int64_t>(1, std::int64_t{m_steps} * kStepMs);
    const std::int64_t startMs = std::int64_t{m_startStep} * kStepMs;
    if (ms < 0) {
        // The ground, two LED rows at the top and the sound's outline below them.
        const auto h = static_cast<std::size_t>(m_stripHeight);
        const std::size_t ledRow = std::max<std::size_t>(2, h / 8);
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x) put(m_strip, x, y, kGround);
        for (std::size_t x = 0; x < w; ++x) {
            const std::int64_t at = startMs + static_cast<std::int64_t>(x) * spanMs / m_width;
            const std::uint8_t eyes = m_input->leds ? eyesAtMs(*m_input->leds, at) : 0;
            for (std::size_t y = 0; y < ledRow; ++y) {
                if (eyes & 1) put(m_strip, x, 1 + y, kGreen);
                if (eyes & 2) put(m_strip, x, 2 + ledRow + y, kRed);
            }
            if (m_input->sound != SoundKind::Wave || !m_input->soundData) continue;
            // The loudest sample of the column, up and down from the middle.
            const std::int64_t from = at * 8, to = (startMs + static_cast<std::int64_t>(x + 1) * spanMs / m_width) * 8;
            int peak = 0;
            for (std::int64_t s = from; s < to && s < static_cast<std::int64_t>(m_input->soundSize); ++s)
                peak = std::max(peak, std::abs(int{m_input->soundData[static_cast<std::size_t>(s)]} - 128));
            const std::size_t top = 4 + 2 * ledRow, middle = (top + h) / 2, half = (h - top) / 2;
            const auto reach = static_cast<std::size_t>(peak) * half / 128;
            for (std::size_t y = middle - reach; y <= middle + reach && y < h; ++y) put(m_strip, x, y, kWaveColour);
        }
        return;
    }
    std::uint8_t* bottom = m_frame.data() + static_cast<std::size_t>(m_height - m_stripHeight) * w * 4;
    std::memcpy(bottom, m_strip.data(), m_strip.size());
    const std::int64_t x = std::clamp<std::int64_t>(ms * m_width / spanMs, 0, m_width - 1);
    for (int y = 0; y < m_stripHeight; ++y) {
        std::uint8_t* p = bottom + (static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) * 4;
        std::memcpy(p, kPlayhead, 3);
    }
    m_lastPlayheadX = x;
}

const std::vector<std::uint8_t>& FrameRenderer::draw(std::int64_t ms) {
    // The pose the playback shows at this moment: its step's, held for 80 ms.
    const int step = m_startStep + static_cast<int>(ms / kStepMs);
    const int eyes = m_input->leds ? eyesAtMs(*m_input->leds, std::int64_t{m_startStep} * kStepMs + ms) : 0;
    m_changed = step != m_lastStep || eyes != m_lastEyes;
    if (m_changed) {
        ViewerContext* viewer = m_viewer->context;
        // Steps beyond the motion send nothing, as in playback: the last pose stays.
        if (step >= 0 && step < m_stream.stepCount()) {
            std::int32_t values[kChannelCount];
            std::copy_n(m_stream.pose(step), m_stream.channelCount(), values);
            const JointRange range{m_stream.firstChannel(), m_stream.channelCount(), values};
            SetJoints(viewer, &range);
        }
        VirtRova_SetEyes(viewer, eyes);
        std::int32_t result = 0;
        HandleMessages(viewer, &m_viewer->host, VR_WM_PAINT, 0, 0, &result);
        m_lastStep = step;
        m_lastEyes = eyes;
    }
    if (m_stripHeight > 0) {
        const std::int64_t before = m_lastPlayheadX;
        drawStrip(ms);
        m_changed = m_changed || m_lastPlayheadX != before;
    }
    return m_frame;
}

}  // namespace rova::video
