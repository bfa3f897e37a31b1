// The root object of the retained-mode platform: it makes frames, lights,
// clippers, devices and viewports and loads model files. Failures come back as
// result codes, never as exceptions.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "device.h"
#include "frame.h"
#include "objects.h"
#include "result.h"
#include "viewport.h"
#include "xfile.h"

namespace rova::rm {

class Root {
public:
    // A new root object; fails only when the platform cannot be set up.
    static Result create(std::unique_ptr<Root>& out);

    // A new frame, added as the last child of parent (none: a frame without parent).
    Result createFrame(Frame* parent, std::shared_ptr<Frame>& out);
    Result createLight(Light::Type type, ColorRGB color, std::shared_ptr<Light>& out);
    // Loads a text model file; see loadXFile().
    Result load(std::span<const std::uint8_t> file, const LoadCallback& callback);

    // A clipper not yet bound to a window.
    static Result createClipper(std::shared_ptr<Clipper>& out);
    // A device of width x height pixels that shows its pictures in the
    // clipper's window.
    Result createDeviceFromClipper(const std::shared_ptr<Clipper>& clipper, int width, int height,
                                   std::shared_ptr<Device>& out);
    // A viewport on the device showing what the camera sees.
    Result createViewport(const std::shared_ptr<Device>& device, const std::shared_ptr<Frame>& camera, int x, int y,
                          int width, int height, std::shared_ptr<Viewport>& out);
};

}  // namespace rova::rm
