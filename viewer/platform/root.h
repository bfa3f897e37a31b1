// The root object of the retained-mode platform: it makes frames and lights and
// loads model files. Failures come back as result codes, never as exceptions.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "frame.h"
#include "objects.h"
#include "result.h"
#include "xfile.h"

namespace rova::rm {

class Root {
public:
    // A new frame, added as the last child of parent (none: a frame without parent).
    Result createFrame(Frame* parent, std::shared_ptr<Frame>& out);
    Result createLight(Light::Type type, ColorRGB color, std::shared_ptr<Light>& out);
    // Loads a text model file; see loadXFile().
    Result load(std::span<const std::uint8_t> file, const LoadCallback& callback);
};

}  // namespace rova::rm
