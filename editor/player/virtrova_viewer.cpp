// The ViewerApi of the program: the VirtRova library's exports, with each
// ViewerHost described to the library as a HostWindow of callbacks.
#include <map>
#include <memory>
#include <string_view>

#include "VirtRova.h"
#include "player/viewer_api.h"

namespace rova {
namespace {

ViewerHost* host(void* user) { return static_cast<ViewerHost*>(user); }

// What the library keeps a pointer to for an attached context.
struct Binding {
    HostWindow window{};
    ViewerNotifyProc notify = nullptr;
};

std::map<void*, std::unique_ptr<Binding>>& bindings() {
    static std::map<void*, std::unique_ptr<Binding>> all;
    return all;
}

Binding& binding(void* context) {
    auto& slot = bindings()[context];
    if (!slot) slot = std::make_unique<Binding>();
    return *slot;
}

const HostWindow* windowOf(void* context) {
    const auto it = bindings().find(context);
    return it == bindings().end() ? nullptr : &it->second->window;
}

HostWindow describe(ViewerHost* window) {
    HostWindow w{};
    w.user = window;
    w.clientSize = [](void* user, int32_t* width, int32_t* height) {
        int cw = 0, ch = 0;
        host(user)->clientSize(cw, ch);
        if (width) *width = cw;
        if (height) *height = ch;
    };
    w.present = [](void* user, const uint8_t* rgba, int32_t width, int32_t height, int32_t stride) {
        host(user)->present(rgba, width, height, stride);
    };
    w.invalidate = [](void* user) { host(user)->invalidate(); };
    w.captureMouse = [](void* user) { host(user)->captureMouse(); };
    w.releaseMouse = [](void* user) { host(user)->releaseMouse(); };
    w.setCursor = [](void* user, HostCursor cursor) {
        host(user)->setCursor(cursor == VIRTROVA_ARROW_CURSOR ? kArrowCursor : cursor);
    };
    w.getCursor = [](void* user) -> HostCursor {
        const void* cursor = host(user)->getCursor();
        return cursor == kArrowCursor ? VIRTROVA_ARROW_CURSOR : cursor;
    };
    w.asyncKeyState = [](void* user, int32_t key) { return host(user)->asyncKeyState(key); };
    w.destroyWindow = [](void* user) { host(user)->destroyWindow(); };
    w.messageBox = [](void* user, const char* text, const char* caption) {
        host(user)->messageBox(text ? text : "", caption ? caption : "");
    };
    w.postQuit = [](void* user, int32_t exitCode) { host(user)->postQuit(exitCode); };
    return w;
}

bool notifyTrampoline(ViewerContext* context, int32_t joint, int32_t value) {
    const auto it = bindings().find(context);
    const ViewerNotifyProc proc = it == bindings().end() ? nullptr : it->second->notify;
    return proc ? proc(context, joint, value) : true;
}

ViewerContext* ctx(void* context) { return static_cast<ViewerContext*>(context); }

class VirtRovaViewer : public ViewerApi {
public:
    void* Create() override { return ::Create(); }

    bool Attach(void* context, ViewerHost* window) override {
        // The description must outlive the context: it lives until Destroy.
        Binding& b = binding(context);
        b.window = describe(window);
        return ::Attach(ctx(context), &b.window);
    }

    void Destroy(void* context) override {
        ::Destroy(ctx(context));
        bindings().erase(context);
    }

    void SetCursor(void* context, const void* cursor) override {
        ::SetCursor(ctx(context), cursor == kArrowCursor ? VIRTROVA_ARROW_CURSOR : cursor);
    }

    void SetNotifyProc(void* context, ViewerNotifyProc proc) override {
        binding(context).notify = proc;
        ::SetNotifyProc(ctx(context), proc ? &notifyTrampoline : nullptr);
    }

    bool HandleMessages(void* context, ViewerHost*, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                        std::int32_t* result) override {
        return ::HandleMessages(ctx(context), windowOf(context), message, wParam, lParam, result);
    }

    int SetJoints(void* context, const ViewerJointRange& range) override {
        const JointRange r{range.first, range.count, range.values};
        return ::SetJoints(ctx(context), &r);
    }

    void SelectJoint(void* context, int joint) override { ::SelectJoint(ctx(context), joint); }
    void BeginMultiJoint(void* context) override { ::BeginMultiJoint(ctx(context)); }
    void EndMultiJoint(void* context) override { ::EndMultiJoint(ctx(context)); }
    bool SetJointsVisible(void* context, int first, int count, bool visible) override {
        return ::SetJointsVisible(ctx(context), first, count, visible);
    }
    int SetEyes(void* context, int state) override { return ::VirtRova_SetEyes(ctx(context), state); }
    bool GetCamera(void* context, ViewerCamera& camera) override {
        return ::VirtRova_GetCamera(ctx(context), &camera.yaw, &camera.pitch, &camera.distance) == VIRTROVA_OK &&
               ::VirtRova_GetCameraTarget(ctx(context), &camera.x, &camera.y, &camera.z) == VIRTROVA_OK;
    }
    int ResetCamera(void* context) override { return ::VirtRova_ResetCamera(ctx(context)); }
    bool HandleCameraInput(void* context, ViewerHost*, unsigned message, std::uintptr_t wParam,
                           std::intptr_t lParam) override {
        return ::VirtRova_HandleCameraInput(ctx(context), windowOf(context), message, wParam, lParam);
    }
};

ViewerApi* g_api = nullptr;

}  // namespace

ViewerApi& viewerApi() {
    static VirtRovaViewer library;
    return g_api ? *g_api : library;
}

void setViewerApi(ViewerApi* api) { g_api = api; }

}  // namespace rova
