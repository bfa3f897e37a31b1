// What the editor needs of the 3D viewer library: the exports it calls and the
// services its window offers to the viewer. The program talks to the viewer
// only through viewerApi(), so the library can be bound in one place.
#pragma once

#include <cstdint>
#include <string_view>

namespace rova {

// count joint values in whole degrees; values[k] belongs to viewer joint first + k.
struct ViewerJointRange {
    std::int32_t first;
    std::int32_t count;
    std::int32_t* values;
};

// Where the camera stands: it orbits the target (x, y, z) at distance, turned
// by yaw and raised by pitch (degrees). The default is the usual front view.
struct ViewerCamera {
    float yaw = 0, pitch = 0, distance = 50;
    float x = 0, y = 0, z = 50;
};

// Asked while the user drags a joint: true lets the joint take the value.
using ViewerNotifyProc = bool (*)(void* context, int joint, int value);

// Services of the host window: the viewer has no window of its own.
class ViewerHost {
public:
    virtual ~ViewerHost() = default;
    virtual void clientSize(int& width, int& height) const = 0;
    // Shows a rendered image (RGBA, 8 bits per channel, rows of stride bytes).
    virtual void present(const std::uint8_t* rgba, int width, int height, int stride) = 0;
    virtual void invalidate() = 0;
    virtual void captureMouse() = 0;
    virtual void releaseMouse() = 0;
    // A cursor handle given to SetCursor, kArrowCursor, or null for no cursor.
    virtual void setCursor(const void* cursor) = 0;
    virtual const void* getCursor() const = 0;
    // Bit 0x8000 set while the key (a virtual-key code) is down.
    virtual std::int16_t asyncKeyState(int virtualKey) const = 0;
    virtual void destroyWindow() = 0;
    virtual void messageBox(std::string_view text, std::string_view caption) = 0;
    // The viewer cannot go on drawing in this window.
    virtual void postQuit(int exitCode) = 0;
};

// The system's arrow cursor as a cursor handle.
inline const void* const kArrowCursor = reinterpret_cast<const void*>(std::uintptr_t{1});

// The viewer exports that the editor calls, under the exports' names.
class ViewerApi {
public:
    virtual ~ViewerApi() = default;
    virtual void* Create() = 0;
    virtual bool Attach(void* context, ViewerHost* window) = 0;
    virtual void Destroy(void* context) = 0;
    virtual void SetCursor(void* context, const void* cursor) = 0;
    virtual void SetNotifyProc(void* context, ViewerNotifyProc proc) = 0;
    virtual bool HandleMessages(void* context, ViewerHost* window, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam, std::int32_t* result) = 0;
    virtual int SetJoints(void* context, const ViewerJointRange& range) = 0;
    virtual void SelectJoint(void* context, int joint) = 0;
    virtual void BeginMultiJoint(void* context) = 0;
    virtual void EndMultiJoint(void* context) = 0;
    virtual bool SetJointsVisible(void* context, int first, int count, bool visible) = 0;

    // The eye lamps and the camera. A viewer without them (the headless tool,
    // most fakes) takes the calls and does nothing. Results are the viewer's
    // codes, 0 for success.
    virtual int SetEyes(void*, int state) {
        (void)state;
        return 0;
    }
    virtual bool GetCamera(void*, ViewerCamera&) { return false; }
    virtual int ResetCamera(void*) { return 0; }
    // The camera's mouse input, offered before HandleMessages: true when taken.
    virtual bool HandleCameraInput(void*, ViewerHost*, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        (void)message;
        (void)wParam;
        (void)lParam;
        return false;
    }
};

// A viewer without a window that does nothing: the base of viewers that only
// keep or record what they are sent (the headless tool, tests, benchmarks).
class WindowlessViewer : public ViewerApi {
public:
    void* Create() override { return this; }
    bool Attach(void*, ViewerHost*) override { return true; }
    void Destroy(void*) override {}
    void SetCursor(void*, const void*) override {}
    void SetNotifyProc(void*, ViewerNotifyProc) override {}
    bool HandleMessages(void*, ViewerHost*, unsigned, std::uintptr_t, std::intptr_t, std::int32_t*) override {
        return false;
    }
    int SetJoints(void*, const ViewerJointRange&) override { return 0; }
    void SelectJoint(void*, int) override {}
    void BeginMultiJoint(void*) override {}
    void EndMultiJoint(void*) override {}
    bool SetJointsVisible(void*, int, int, bool) override { return true; }
};

// The viewer in use: the VirtRova library unless a test sets another;
// setViewerApi(nullptr) goes back to the library.
ViewerApi& viewerApi();
void setViewerApi(ViewerApi* api);

}  // namespace rova
