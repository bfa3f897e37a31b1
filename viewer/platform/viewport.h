// A viewport: a rectangle of a device that shows the scene through a camera
// frame. The camera looks along its +z axis (left-handed, y up) in perspective;
// at distance 1 the half of the viewport's shorter side spans field units.
#pragma once

#include <memory>
#include <vector>

#include "device.h"
#include "frame.h"
#include "math3d.h"
#include "objects.h"
#include "result.h"

namespace rova::rm {

// Homogeneous screen coordinates: the pixel is (x / w, y / w), the depth z / w
// runs from 0 at the front clipping plane to 1 at the back one.
struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
};

// What lies under a point: the frames from the scene frame (element 0) down to
// the one holding the visual, and how far from the camera the hit is.
struct PickHit {
    std::vector<std::shared_ptr<Frame>> path;
    std::shared_ptr<Visual> visual;
    float depth = 0;  // camera-space z
    Vec3 position;    // scene (world) coordinates
};

class Viewport {
public:
    static constexpr float kDefaultFront = 1.0f;
    static constexpr float kDefaultBack = 100.0f;
    static constexpr float kDefaultField = 0.5f;

    // Use Root::createViewport().
    Viewport(std::shared_ptr<Device> device, std::shared_ptr<Frame> camera, int x, int y, int width, int height);

    int x() const { return m_x; }
    int y() const { return m_y; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::shared_ptr<Device>& device() const { return m_device; }

    float front() const { return m_front; }
    Result setFront(float distance);
    float back() const { return m_back; }
    Result setBack(float distance);
    float field() const { return m_field; }
    Result setField(float field);
    ColorRGB background() const { return m_background; }
    void setBackground(ColorRGB color) { m_background = color; }

    // Fills the viewport with the background colour.
    Result clear();
    // Draws frame and everything below it, lit by the lights found there.
    Result render(const Frame& scene);
    // Every visual under the pixel (x, y) of the window, nearest first, in the
    // hierarchy that holds the camera.
    Result pick(int x, int y, std::vector<PickHit>& hits) const;

    // World (scene) coordinates to homogeneous screen coordinates and back.
    Result transform(Vec4& out, Vec3 world) const;
    Result inverseTransform(Vec3& out, Vec4 screen) const;

private:
    bool cameraTransforms(Matrix& toCamera, Matrix& fromCamera) const;
    double scale() const;

    std::shared_ptr<Device> m_device;
    std::shared_ptr<Frame> m_camera;
    int m_x, m_y, m_width, m_height;
    float m_front = kDefaultFront;
    float m_back = kDefaultBack;
    float m_field = kDefaultField;
    ColorRGB m_background{0, 0, 0};
};

}  // namespace rova::rm
