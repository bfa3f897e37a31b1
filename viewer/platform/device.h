// The rendering device and what binds it to the host's window: a clipper that
// holds the window, a device made from it at a size, and the device's window
// interface for activation and paint messages.
#pragma once

#include <cstdint>
#include <memory>

#include "VirtRova.h"
#include "raster.h"
#include "result.h"

namespace rova::rm {

// Render quality: shade mode, lighting and fill bits.
inline constexpr std::uint32_t kShadeFlat = 0x0;
inline constexpr std::uint32_t kShadeGouraud = 0x1;
inline constexpr std::uint32_t kShadeMask = 0x7;
inline constexpr std::uint32_t kLightOn = 0x8;
inline constexpr std::uint32_t kLightMask = 0x38;
inline constexpr std::uint32_t kFillSolid = 0x80;
inline constexpr std::uint32_t kQualityFlat = kShadeFlat | kLightOn | kFillSolid;
inline constexpr std::uint32_t kQualityGouraud = kShadeGouraud | kLightOn | kFillSolid;

inline constexpr std::uint32_t kTextureNearest = 0;
inline constexpr std::uint32_t kDefaultShades = 32;

// Keeps the window that a device draws into.
class Clipper {
public:
    Result setWindow(const HostWindow* window, std::uint32_t flags);
    const HostWindow* window() const { return m_window; }

private:
    const HostWindow* m_window = nullptr;
};

class WinDevice;

class Device : public std::enable_shared_from_this<Device> {
public:
    // Use Root::createDeviceFromClipper().
    Device(std::shared_ptr<Clipper> clipper, Raster&& surface);

    int width() const { return m_surface.width(); }
    int height() const { return m_surface.height(); }

    bool dither() const { return m_dither; }
    Result setDither(bool on);
    std::uint32_t quality() const { return m_quality; }
    Result setQuality(std::uint32_t quality);
    std::uint32_t textureQuality() const { return m_textureQuality; }
    Result setTextureQuality(std::uint32_t quality);
    std::uint32_t shades() const { return m_shades; }
    Result setShades(std::uint32_t shades);

    // Shows what was rendered since the last update in the clipper's window
    // (cut to the window's client area).
    Result update();
    // Shows the picture again if the window has not shown it since it changed.
    Result refresh();
    // The device's window interface.
    Result queryWinDevice(std::shared_ptr<WinDevice>& out);

    Raster& surface() { return m_surface; }
    const std::uint32_t* picture() const { return m_surface.picture(); }

private:
    void present();

    std::shared_ptr<Clipper> m_clipper;
    Raster m_surface;
    bool m_dither = true;
    std::uint32_t m_quality = kQualityGouraud;
    std::uint32_t m_textureQuality = kTextureNearest;
    std::uint32_t m_shades = kDefaultShades;
    bool m_shown = false;  // the window shows the current picture
};

class WinDevice {
public:
    explicit WinDevice(std::shared_ptr<Device> device) : m_device(std::move(device)) {}
    Result handleActivate(std::uintptr_t wParam);
    Result handlePaint(const HostWindow* dc);

private:
    std::shared_ptr<Device> m_device;
};

}  // namespace rova::rm
