// The library's exported functions. Each keeps every exception inside: a
// failure the host cannot see as a result leaves the viewer as it was.
#include <algorithm>
#include <new>

#include "VirtRova.h"
#include "attach.h"
#include "camera.h"
#include "context.h"
#include "error_text.h"
#include "eyes.h"
#include "input.h"
#include "platform/window.h"
#include "report.h"
#include "scene.h"

namespace {

using namespace rova::viewer;

template <typename Result, typename Body>
Result guarded(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <typename Body>
void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

bool validJoint(std::int64_t joint) { return joint >= 0 && joint < kViewerJointCount; }

// The checks every eye and camera export makes first.
std::int32_t attachedViewer(const ViewerContext* context) {
    if (!context) return VIRTROVA_E_NO_VIEWER;
    if (!context->window || !context->camera) return VIRTROVA_E_NOT_ATTACHED;
    return VIRTROVA_OK;
}

std::int32_t placeOrbit(ViewerContext& context, const CameraOrbit& orbit) {
    if (const std::int32_t r = checkOrbit(orbit); r != VIRTROVA_OK) return r;
    context.orbit = orbit;
    placeCamera(context);
    invalidate(context);
    return VIRTROVA_OK;
}

}  // namespace

extern "C" {

ViewerContext* Create(void) {
    return guarded<ViewerContext*>(nullptr, []() -> ViewerContext* {
        auto* context = new (std::nothrow) ViewerContext{};
        if (!context) return nullptr;
        if (rova::rm::failed(rova::rm::Root::create(context->root))) {
            delete context;
            return nullptr;
        }
        context->dragCursor = VIRTROVA_ARROW_CURSOR;
        return context;
    });
}

bool Attach(ViewerContext* context, const HostWindow* window) {
    if (!context) return false;
    return guarded(false, [&] {
        HostScope scope(window);
        return attach(*context, window);
    });
}

void Destroy(ViewerContext* context) {
    if (!context) return;
    guarded([&] {
        for (auto& frame : context->jointFrames) frame.reset();
        context->scene.reset();
        context->camera.reset();
        context->viewport.reset();
        context->device.reset();
        context->root.reset();
        context->clipper.reset();
        rova::rm::window::destroy(context->window);
    });
    delete context;
}

void SetCursor(ViewerContext* context, HostCursor cursor) {
    if (context) context->dragCursor = cursor;
}

void SetNotifyProc(ViewerContext* context, JointNotifyProc proc) {
    if (context) context->notifyProc = proc;
}

bool HandleMessages(ViewerContext* context, const HostWindow* window, uint32_t message, uintptr_t wParam,
                    intptr_t lParam, int32_t* result) {
    if (!context) return false;
    return guarded(false, [&] {
        const HostWindow* host = window ? window : context->window;
        HostScope scope(host);
        switch (message) {
        case VR_WM_SIZE:
            // Default handling goes on either way; a viewer that cannot follow
            // the size cannot draw any more.
            if (!handleSize(*context, lParam)) rova::rm::window::postQuit(host, 1);
            return false;
        case VR_WM_ACTIVATE: handleActivate(*context, wParam); return false;
        case VR_WM_PAINT:
            render(*context);
            handlePaint(*context, nullptr);
            return true;
        case VR_WM_KEYDOWN:
        case VR_WM_KEYUP:
        case VR_WM_MOUSEMOVE:
        case VR_WM_LBUTTONDOWN:
        case VR_WM_LBUTTONUP:
        case VR_WM_RBUTTONDOWN:
        case VR_WM_RBUTTONUP: {
            const std::int32_t r = handleInput(*context, window, message, wParam, lParam);
            if (result) *result = r;
            return true;
        }
        default: return false;
        }
    });
}

int32_t HandleInput(ViewerContext* context, const HostWindow* window, uint32_t message, uintptr_t wParam,
                    intptr_t lParam) {
    if (!context) return 0;
    return guarded(0, [&] { return handleInput(*context, window, message, wParam, lParam); });
}

bool HandleSize(ViewerContext* context, intptr_t lParam) {
    if (!context) return false;
    return guarded(false, [&] {
        HostScope scope(context->window);
        return handleSize(*context, lParam);
    });
}

void HandleActivate(ViewerContext* context, uintptr_t wParam) {
    if (!context) return;
    guarded([&] {
        HostScope scope(context->window);
        handleActivate(*context, wParam);
    });
}

void HandlePaint(ViewerContext* context, PaintRecord* out) {
    if (!context) {
        if (out) out->dc = nullptr;
        return;
    }
    guarded([&] {
        HostScope scope(context->window);
        handlePaint(*context, out);
    });
}

bool Render(ViewerContext* context) {
    if (!context) return false;
    return guarded(false, [&] { return render(*context); });
}

ViewerDevice* GetDevice2(ViewerContext* context) {
    return context ? reinterpret_cast<ViewerDevice*>(context->device.get()) : nullptr;
}

void GetJoints(ViewerContext* context, const JointRange* range) {
    if (!context || !range || !range->values) return;
    for (std::int32_t k = 0; k < range->count; ++k) {
        const std::int64_t joint = static_cast<std::int64_t>(range->first) + k;
        if (validJoint(joint)) range->values[k] = context->jointValues[static_cast<std::size_t>(joint)];
    }
}

int32_t SetJoints(ViewerContext* context, const JointRange* range) {
    if (!context || !range || !range->values) return 0;
    return guarded(0, [&] {
        std::int32_t changed = 0;
        for (std::int32_t k = 0; k < range->count; ++k) {
            const std::int64_t joint = static_cast<std::int64_t>(range->first) + k;
            if (!validJoint(joint)) continue;
            const auto j = static_cast<int>(joint);
            if (range->values[k] == context->jointValues[static_cast<std::size_t>(j)]) continue;
            setJoint(*context, j, range->values[k]);
            ++changed;
        }
        if (changed) invalidate(*context);
        return changed;
    });
}

void SelectJoint(ViewerContext* context, int32_t joint) {
    if (!context) return;
    guarded([&] {
        const bool valid = validJoint(joint);
        if (!context->multiJointMode) {
            // Any index that names no joint clears the selection, as -1 does.
            selectFrame(*context, valid ? context->jointFrames[static_cast<std::size_t>(joint)] : nullptr);
        } else if (valid) {
            highlightFrame(context->jointFrames[static_cast<std::size_t>(joint)].get(), true, kSelectionColor);
        }
        invalidate(*context);
    });
}

void BeginMultiJoint(ViewerContext* context) {
    if (!context) return;
    guarded([&] {
        selectFrame(*context, nullptr);
        context->multiJointMode = true;
        for (const auto& frame : context->jointFrames) highlightFrame(frame.get(), false, 0);
    });
}

void EndMultiJoint(ViewerContext* context) {
    if (context) context->multiJointMode = false;
}

bool SetJointsVisible(ViewerContext* context, int32_t first, int32_t count, bool visible) {
    if (!context) return true;
    guarded([&] { setJointsVisible(*context, first, count, visible); });
    return true;
}

const char* VirtRova_ErrorText(int32_t code) { return errorText(code); }

int32_t VirtRova_SetEyes(ViewerContext* context, int32_t state) {
    if (const std::int32_t r = attachedViewer(context); r != VIRTROVA_OK) return r;
    if (state < VIRTROVA_EYES_OFF || state > VIRTROVA_EYES_BOTH) return VIRTROVA_E_BAD_EYES;
    return guarded(rova::rm::kErrGeneric, [&] {
        if (setEyes(*context, state)) invalidate(*context);
        return VIRTROVA_OK;
    });
}

int32_t VirtRova_GetEyes(ViewerContext* context, int32_t* state) {
    if (!context) return VIRTROVA_E_NO_VIEWER;
    if (!state) return VIRTROVA_E_NULL_POINTER;
    *state = context->eyes;
    return VIRTROVA_OK;
}

int32_t VirtRova_SetCamera(ViewerContext* context, float yaw, float pitch, float distance) {
    if (const std::int32_t r = attachedViewer(context); r != VIRTROVA_OK) return r;
    CameraOrbit orbit = context->orbit;
    orbit.yaw = yaw;
    orbit.pitch = pitch;
    orbit.distance = distance;
    return guarded(rova::rm::kErrGeneric, [&] { return placeOrbit(*context, orbit); });
}

int32_t VirtRova_GetCamera(ViewerContext* context, float* yaw, float* pitch, float* distance) {
    if (!context) return VIRTROVA_E_NO_VIEWER;
    if (!yaw || !pitch || !distance) return VIRTROVA_E_NULL_POINTER;
    *yaw = context->orbit.yaw;
    *pitch = context->orbit.pitch;
    *distance = context->orbit.distance;
    return VIRTROVA_OK;
}

int32_t VirtRova_SetCameraTarget(ViewerContext* context, float x, float y, float z) {
    if (const std::int32_t r = attachedViewer(context); r != VIRTROVA_OK) return r;
    CameraOrbit orbit = context->orbit;
    orbit.target = {x, y, z};
    return guarded(rova::rm::kErrGeneric, [&] { return placeOrbit(*context, orbit); });
}

int32_t VirtRova_GetCameraTarget(ViewerContext* context, float* x, float* y, float* z) {
    if (!context) return VIRTROVA_E_NO_VIEWER;
    if (!x || !y || !z) return VIRTROVA_E_NULL_POINTER;
    *x = context->orbit.target.x;
    *y = context->orbit.target.y;
    *z = context->orbit.target.z;
    return VIRTROVA_OK;
}

int32_t VirtRova_ResetCamera(ViewerContext* context) {
    if (const std::int32_t r = attachedViewer(context); r != VIRTROVA_OK) return r;
    return guarded(rova::rm::kErrGeneric, [&] { return placeOrbit(*context, CameraOrbit{}); });
}

bool VirtRova_HandleCameraInput(ViewerContext* context, const HostWindow* window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
    if (!context) return false;
    return guarded(false, [&] {
        HostScope scope(window ? window : context->window);
        return handleCameraInput(*context, window, message, wParam, lParam);
    });
}

}  // extern "C"
