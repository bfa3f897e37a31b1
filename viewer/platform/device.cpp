#include "device.h"

#include <algorithm>

#include "faults.h"
#include "window.h"

namespace rova::rm {

Result Clipper::setWindow(const HostWindow* window, std::uint32_t flags) {
    if (Result r = injectedFailure(Call::SetWindow); failed(r)) return r;
    if (flags != 0) return kErrInvalidParams;
    m_window = window;
    return kOk;
}

Device::Device(std::shared_ptr<Clipper> clipper, Raster&& surface)
    : m_clipper(std::move(clipper)), m_surface(std::move(surface)) {}

Result Device::setDither(bool on) {
    if (Result r = injectedFailure(Call::SetDither); failed(r)) return r;
    m_dither = on;
    return kOk;
}

Result Device::setQuality(std::uint32_t quality) {
    if (Result r = injectedFailure(Call::SetQuality); failed(r)) return r;
    m_quality = quality;
    return kOk;
}

Result Device::setTextureQuality(std::uint32_t quality) {
    if (Result r = injectedFailure(Call::SetTextureQuality); failed(r)) return r;
    m_textureQuality = quality;
    return kOk;
}

Result Device::setShades(std::uint32_t shades) {
    if (Result r = injectedFailure(Call::SetShades); failed(r)) return r;
    if (shades == 0) return kErrInvalidParams;
    m_shades = shades;
    return kOk;
}

void Device::present() {
    const HostWindow* window = m_clipper ? m_clipper->window() : nullptr;
    const window::Size client = window::clientSize(window);
    const int w = std::min(client.width, width()), h = std::min(client.height, height());
    window::present(window, reinterpret_cast<const std::uint8_t*>(m_surface.picture()), w, h, width() * 4);
    m_shown = true;
}

Result Device::update() {
    if (Result r = injectedFailure(Call::Update); failed(r)) return r;
    m_surface.resolve();
    present();
    return kOk;
}

Result Device::refresh() {
    if (!m_shown) present();
    return kOk;
}

Result Device::queryWinDevice(std::shared_ptr<WinDevice>& out) {
    out.reset();
    if (Result r = injectedFailure(Call::QueryWinDevice); failed(r)) return r;
    out = std::make_shared<WinDevice>(shared_from_this());
    return kOk;
}

Result WinDevice::handleActivate(std::uintptr_t) {
    // Nothing to give up or take back on (de)activation: the picture lives in
    // memory, not in a surface the system can take away.
    return injectedFailure(Call::HandleActivate);
}

Result WinDevice::handlePaint(const HostWindow*) {
    if (Result r = injectedFailure(Call::HandlePaint); failed(r)) return r;
    return m_device->refresh();
}

}  // namespace rova::rm
