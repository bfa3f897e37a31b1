#include "root.h"

#include <new>

#include "faults.h"

namespace rova::rm {

Result Root::create(std::unique_ptr<Root>& out) {
    out.reset();
    if (Result r = injectedFailure(Call::CreateRoot); failed(r)) return r;
    out.reset(new (std::nothrow) Root);
    return out ? kOk : kErrOutOfMemory;
}

Result Root::createFrame(Frame* parent, std::shared_ptr<Frame>& out) {
    out.reset();
    if (Result r = injectedFailure(Call::CreateFrame); failed(r)) return r;
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
    if (Result r = injectedFailure(Call::CreateLight); failed(r)) return r;
    try {
        out = std::make_shared<Light>(type, color);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrBadAlloc;
    }
}

Result Root::load(std::span<const std::uint8_t> file, const LoadCallback& callback) {
    if (Result r = injectedFailure(Call::Load); failed(r)) return r;
    return loadXFile(file, callback);
}

Result Root::createClipper(std::shared_ptr<Clipper>& out) {
    out.reset();
    if (Result r = injectedFailure(Call::CreateClipper); failed(r)) return r;
    try {
        out = std::make_shared<Clipper>();
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    }
}

Result Root::createDeviceFromClipper(const std::shared_ptr<Clipper>& clipper, int width, int height,
                                     std::shared_ptr<Device>& out) {
    out.reset();
    if (Result r = injectedFailure(Call::CreateDevice); failed(r)) return r;
    if (!clipper) return kErrInvalidParams;
    if (!clipper->window()) return kErrNoWindow;
    try {
        Raster surface;
        if (Result r = surface.resize(width, height); failed(r)) return r;
        out = std::make_shared<Device>(clipper, std::move(surface));
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    }
}

Result Root::createViewport(const std::shared_ptr<Device>& device, const std::shared_ptr<Frame>& camera, int x, int y,
                            int width, int height, std::shared_ptr<Viewport>& out) {
    out.reset();
    if (Result r = injectedFailure(Call::CreateViewport); failed(r)) return r;
    if (!device || !camera) return kErrBadObject;
    if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > device->width() || y + height > device->height()) {
        return kErrBadValue;
    }
    try {
        out = std::make_shared<Viewport>(device, camera, x, y, width, height);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrBadAlloc;
    }
}

}  // namespace rova::rm
