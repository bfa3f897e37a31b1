// Whatever model the loader accepts, the viewer's renderer and picker take
// without crashing: drawn flat and smooth, from outside and from within, and
// picked over a grid of points.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "VirtRova.h"
#include "platform/device.h"
#include "platform/root.h"
#include "platform/viewport.h"
#include "report.h"
#include "resource.h"
#include "scene.h"

using namespace rova;

// The harness carries no embedded model; it draws what it is given.
std::span<const viewer::ResourceEntry> rova::viewer::embeddedResources() { return {}; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (viewer::setMessageBoxSink([](std::string_view, std::string_view) {}), true);
    (void)quiet;
    static HostWindow window = [] {
        HostWindow w{};
        w.clientSize = [](void*, std::int32_t* width, std::int32_t* height) { *width = *height = 24; };
        return w;
    }();

    ViewerContext context;
    context.root = std::make_unique<rm::Root>();
    if (!viewer::createScene(context)) return 0;
    if (rm::failed(viewer::loadModel(context, std::span<const std::uint8_t>(data, size)))) return 0;
    std::shared_ptr<rm::Clipper> clipper;
    std::shared_ptr<rm::Device> device;
    std::shared_ptr<rm::Viewport> viewport;
    if (rm::failed(rm::Root::createClipper(clipper)) || rm::failed(clipper->setWindow(&window, 0)) ||
        rm::failed(context.root->createDeviceFromClipper(clipper, 24, 24, device)) ||
        rm::failed(context.root->createViewport(device, context.camera, 0, 0, 24, 24, viewport))) {
        return 0;
    }
    viewport->setBack(5000);
    for (std::uint32_t quality : {rm::kQualityGouraud, rm::kQualityFlat}) {
        device->setQuality(quality);
        for (rm::Vec3 camera : {rm::Vec3{0, 0, 0}, rm::Vec3{0, -5, 45}}) {
            context.camera->setPosition(context.scene.get(), camera);
            viewport->clear();
            viewport->render(*context.scene);
            device->update();
        }
    }
    viewer::setJointsVisible(context, 0, viewer::kViewerJointCount, false);
    viewer::selectFrame(context, context.jointFrames[1]);
    viewport->clear();
    viewport->render(*context.scene);
    device->update();
    std::vector<rm::PickHit> hits;
    for (int y = 0; y < 24; y += 5) {
        for (int x = 0; x < 24; x += 5) viewport->pick(x, y, hits);
    }
    return 0;
}
