#include "attach.h"

#include "error_text.h"
#include "platform/window.h"
#include "report.h"
#include "scene.h"

namespace rova::viewer {

namespace {

// Device at the window's client size, scene, and a viewport over the device.
bool createDevice(ViewerContext& context) {
    const rm::window::Size size = rm::window::clientSize(context.window);
    rm::Result r = context.root->createDeviceFromClipper(context.clipper, size.width, size.height, context.device);
    if (rm::failed(r)) {
        reportError("TRACE: FromClipper failed %ld $%lx %s", r, r, errorText(r));
        return false;
    }
    if (!createScene(context)) return false;
    r = context.root->createViewport(context.device, context.camera, 0, 0, context.device->width(),
                                     context.device->height(), context.viewport);
    if (rm::failed(r)) {
        reportError("CreateViewport failed %ld $%lx", r, r);
        return false;
    }
    return rm::succeeded(context.viewport->setBack(kAttachBackDistance));
}

bool newViewport(ViewerContext& context, int width, int height) {
    return rm::succeeded(
               context.root->createViewport(context.device, context.camera, 0, 0, width, height, context.viewport)) &&
           rm::succeeded(context.viewport->setBack(kResizeBackDistance));
}

bool rebuildDevice(ViewerContext& context, int width, int height) {
    // A device lost to an earlier failed rebuild is made anew with the defaults.
    bool dither = true;
    std::uint32_t quality = rm::kQualityGouraud, textureQuality = rm::kTextureNearest, shades = rm::kDefaultShades;
    if (const rm::Device* old = context.device.get()) {
        dither = old->dither();
        quality = old->quality();
        textureQuality = old->textureQuality();
        shades = old->shades();
    }
    context.viewport.reset();
    context.device.reset();

    const rm::Result r = context.root->createDeviceFromClipper(context.clipper, width, height, context.device);
    if (rm::failed(r)) {
        reportError("Creating a device from HWND failed while rebuilding device.\n%s", errorText(r));
        return false;
    }
    rm::Device& device = *context.device;
    const bool ok = rm::succeeded(device.setDither(dither)) && rm::succeeded(device.setQuality(quality)) &&
                    rm::succeeded(device.setTextureQuality(textureQuality)) &&
                    rm::succeeded(device.setShades(shades)) && newViewport(context, device.width(), device.height());
    if (!ok) {
        reportError("A failure occurred while rebuilding the device.\n");
        return false;
    }
    return true;
}

}  // namespace

bool attach(ViewerContext& context, const HostWindow* window) {
    if (context.window || context.clipper || !context.root) return false;
    rm::Result r = rm::Root::createClipper(context.clipper);
    if (rm::failed(r)) {
        reportError("DirectX Error: CreateClipper %ld $%lx", r, r);
        return false;
    }
    context.window = window;
    r = context.clipper->setWindow(window, 0);
    if (rm::failed(r)) {
        context.clipper.reset();
        reportError("DirectX Error: SetHWnd %ld $%lx", r, r);
        return false;
    }
    if (!createDevice(context)) {
        reportError("DirectX Error: CreateDevice failed");
        context.clipper.reset();
        return false;
    }
    if (rm::failed(loadModel(context))) {
        messageBox("Error: could not load ROVA model", "");
        return false;
    }
    return true;
}

bool handleSize(ViewerContext& context, std::intptr_t lParam) {
    const int width = static_cast<int>(lParam & 0xFFFF);
    const int height = static_cast<int>((lParam >> 16) & 0xFFFF);
    if (width == 0 || height == 0) return true;            // minimised
    if (!context.clipper || !context.camera) return true;  // not attached: nothing follows the size
    if (!context.device) return rebuildDevice(context, width, height);
    if (context.viewport && width == context.viewport->width() && height == context.viewport->height()) return true;
    if (width <= context.device->width() && height <= context.device->height()) {
        context.viewport.reset();
        if (!newViewport(context, width, height)) {
            reportError("A failure occurred while resizing the viewport.\n");
            return false;
        }
        return true;
    }
    return rebuildDevice(context, width, height);
}

void handleActivate(ViewerContext& context, std::uintptr_t wParam) {
    if (!context.device) return;
    std::shared_ptr<rm::WinDevice> winDevice;
    if (rm::failed(context.device->queryWinDevice(winDevice))) {
        reportError("Failed to create Windows device to handle WM_ACTIVATE.\n");
        return;
    }
    if (rm::failed(winDevice->handleActivate(wParam))) reportError("Failed to handle WM_ACTIVATE.\n");
}

void handlePaint(ViewerContext& context, PaintRecord* out) {
    if (out) out->dc = nullptr;
    if (!context.device || !context.updatePending) return;
    // Begin the paint: the window no longer waits for one.
    context.updatePending = false;
    const rm::window::Size client = rm::window::clientSize(context.window);
    const PaintRecord record{context.window, 0, 0, 0, client.width, client.height};
    std::shared_ptr<rm::WinDevice> winDevice;
    if (rm::failed(context.device->queryWinDevice(winDevice))) {
        reportError("Failed to create Windows device to handle WM_PAINT.\n");
    } else if (rm::failed(winDevice->handlePaint(record.dc))) {
        reportError("Failed to handle WM_PAINT.\n");
    }
    if (out) *out = record;
}

bool render(ViewerContext& context) {
    if (!context.window || !context.viewport || !context.scene) return false;
    return rm::succeeded(context.viewport->clear()) && rm::succeeded(context.viewport->render(*context.scene)) &&
           rm::succeeded(context.device->update());
}

void invalidate(ViewerContext& context, const HostWindow* window) {
    if (!window) window = context.window;
    if (!window) return;
    context.updatePending = true;
    rm::window::invalidate(window);
}

}  // namespace rova::viewer
