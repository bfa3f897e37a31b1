#include "root.h"

#include <new>

namespace rova::rm {

Result Root::createFrame(Frame* parent, std::shared_ptr<Frame>& out) {
    out.reset();
    try {
        auto frame = Frame::create();
        if (parent) {
            if (Result r = parent->addChild(frame); failed(r)) return r;
        }
        out = std::move(frame);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrBadAlloc;
    }
}

Result Root::createLight(Light::Type type, ColorRGB color, std::shared_ptr<Light>& out) {
    out.reset();
    try {
        out = std::make_shared<Light>(type, color);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrBadAlloc;
    }
}

Result Root::load(std::span<const std::uint8_t> file, const LoadCallback& callback) {
    return loadXFile(file, callback);
}

}  // namespace rova::rm
