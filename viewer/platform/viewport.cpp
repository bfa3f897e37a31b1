#include "viewport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "faults.h"

namespace rova::rm {

namespace {

struct DirectionalLight {
    Vec3 toLight;  // unit vector toward the light, camera space
    ColorRGB color;
};

struct Lights {
    ColorRGB ambient;
    std::vector<DirectionalLight> directional;
};

// How a face reflects light.
struct Surface {
    ColorRGB diffuse{1, 1, 1};
    ColorRGB specular;
    float power = 0;
    ColorRGB emissive;
};

struct ClipVertex {
    Vec3 p;  // camera space
    float r, g, b;
};

Vec3 unit(Vec3 v) {
    const float len = length(v);
    return len > 0 ? v * (1.0f / len) : v;
}

void collectLights(const Frame& frame, const Matrix& parentToCamera, Lights& lights) {
    const Matrix m = compose(frame.transform(), parentToCamera);
    for (const auto& light : frame.lights()) {
        const ColorRGB c = light->color();
        switch (light->type()) {
        case Light::Type::Ambient:
            lights.ambient = {lights.ambient.r + c.r, lights.ambient.g + c.g, lights.ambient.b + c.b};
            break;
        case Light::Type::Directional: {
            // The light shines along its frame's z axis.
            const Vec3 along = unit(m.direction({0, 0, 1}));
            lights.directional.push_back({along * -1.0f, c});
            break;
        }
        default: break;  // the viewer's scene uses no other kinds
        }
    }
    for (const auto& child : frame.children()) collectLights(*child, m, lights);
}

// Colour (0..255 per channel) of a surface point p with unit normal n.
std::array<float, 3> shade(const Surface& s, Vec3 p, Vec3 n, const Lights& lights, bool lit) {
    if (!lit) return {s.diffuse.r * 255, s.diffuse.g * 255, s.diffuse.b * 255};
    float r = lights.ambient.r * s.diffuse.r, g = lights.ambient.g * s.diffuse.g, b = lights.ambient.b * s.diffuse.b;
    const bool shiny = s.power > 0 && (s.specular.r > 0 || s.specular.g > 0 || s.specular.b > 0);
    for (const DirectionalLight& light : lights.directional) {
        const float ndl = dot(n, light.toLight);
        if (ndl <= 0) continue;
        r += light.color.r * s.diffuse.r * ndl;
        g += light.color.g * s.diffuse.g * ndl;
        b += light.color.b * s.diffuse.b * ndl;
        if (shiny) {
            const Vec3 half = unit(light.toLight + unit(p * -1.0f));
            const float ndh = dot(n, half);
            if (ndh > 0) {
                const float f = std::pow(ndh, s.power);
                r += light.color.r * s.specular.r * f;
                g += light.color.g * s.specular.g * f;
                b += light.color.b * s.specular.b * f;
            }
        }
    }
    r += s.emissive.r;
    g += s.emissive.g;
    b += s.emissive.b;
    return {r * 255, g * 255, b * 255};
}

ColorRGB fromColor(Color c) {
    return {static_cast<float>((c >> 16) & 0xFF) / 255.0f, static_cast<float>((c >> 8) & 0xFF) / 255.0f,
            static_cast<float>(c & 0xFF) / 255.0f};
}

std::uint32_t toColor(ColorRGB c) {
    auto byte = [](float v) {
        return v > 0.0f ? static_cast<std::uint32_t>((v < 1.0f ? v : 1.0f) * 255.0f + 0.5f) : 0u;
    };
    return packColor(byte(c.r), byte(c.g), byte(c.b));
}

// Keeps the part of a convex polygon on the side of the plane z = limit where
// sign * (z - limit) >= 0.
int clipPolygon(const ClipVertex* in, int count, ClipVertex* out, float limit, float sign) {
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const ClipVertex& a = in[i];
        const ClipVertex& b = in[(i + 1) % count];
        const float da = sign * (a.p.z - limit), db = sign * (b.p.z - limit);
        if (da >= 0) out[n++] = a;
        if ((da >= 0) != (db >= 0)) {
            const float t = da / (da - db);
            out[n++] = {a.p + (b.p - a.p) * t, a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
        }
    }
    return n;
}

// Draws the visuals of a scene tree into a device surface.
class SceneDrawer {
public:
    SceneDrawer(Raster& surface, const Lights& lights, bool gouraud, bool lit, double centerX, double centerY,
                double scale, float front, float back, IRect clip)
        : m_surface(surface),
          m_lights(lights),
          m_gouraud(gouraud),
          m_lit(lit),
          m_factor(surface.samplesPerSide()),
          m_centerX(centerX),
          m_centerY(centerY),
          m_scale(scale),
          m_front(front),
          m_back(back),
          m_clip(clip) {}

    void drawFrame(const Frame& frame, const Frame* parent, const Matrix& parentToCamera) {
        const Matrix m = compose(frame.transform(), parentToCamera);
        for (const auto& visual : frame.visuals()) {
            if (const auto* mesh = dynamic_cast<const Mesh*>(visual.get())) drawMesh(*mesh, frame, parent, m);
        }
        for (const auto& child : frame.children()) drawFrame(*child, &frame, m);
    }

private:
    Surface surfaceOf(const Mesh& mesh, const Mesh::Face& face, const Frame& frame, const Frame* parent) const {
        Surface s;
        switch (mesh.keepsMaterials ? MaterialMode::FromMesh : frame.materialMode()) {
        case MaterialMode::FromFrame: s.diffuse = fromColor(frame.color()); return s;
        case MaterialMode::FromParent: s.diffuse = fromColor((parent ? *parent : frame).color()); return s;
        case MaterialMode::FromMesh: break;
        }
        if (face.material >= 0 && static_cast<std::size_t>(face.material) < mesh.materials.size()) {
            const Material& m = *mesh.materials[static_cast<std::size_t>(face.material)];
            s.diffuse = {m.color.r, m.color.g, m.color.b};
            s.specular = m.specular;
            s.power = m.power;
            s.emissive = m.emissive;
        }
        return s;
    }

    void drawMesh(const Mesh& mesh, const Frame& frame, const Frame* parent, const Matrix& toCamera) {
        m_positions.resize(mesh.vertices.size());
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i) m_positions[i] = toCamera.point(mesh.vertices[i]);
        m_normals.resize(mesh.normals.size());
        for (std::size_t i = 0; i < mesh.normals.size(); ++i) m_normals[i] = unit(toCamera.direction(mesh.normals[i]));

        for (const Mesh::Face& face : mesh.faces) {
            const std::size_t n = face.vertices.size();
            if (n < 3) continue;
            bool valid = true;
            for (std::uint32_t v : face.vertices) valid = valid && v < m_positions.size();
            if (!valid) continue;
            const bool hasNormals =
                face.normals.size() == n && std::all_of(face.normals.begin(), face.normals.end(),
                                                        [&](std::uint32_t k) { return k < m_normals.size(); });
            auto at = [&](std::size_t k) { return m_positions[face.vertices[k]]; };

            // Faces wind clockwise seen from their front: the cross product of
            // two edges points out of the front, toward a camera that sees it.
            m_visible.assign(n, false);
            bool any = false;
            Vec3 faceNormal{};
            for (std::size_t k = 1; k + 1 < n; ++k) {
                const Vec3 g = cross(at(k) - at(0), at(k + 1) - at(0));
                if (dot(g, at(0)) < 0) {
                    m_visible[k] = true;
                    if (!any) faceNormal = unit(g);
                    any = true;
                }
            }
            if (!any) continue;

            const Surface s = surfaceOf(mesh, face, frame, parent);
            m_colors.resize(n);
            if (m_gouraud) {
                for (std::size_t k = 0; k < n; ++k) {
                    const Vec3 normal = hasNormals ? m_normals[face.normals[k]] : faceNormal;
                    m_colors[k] = shade(s, at(k), normal, m_lights, m_lit);
                }
            } else {
                Vec3 centre{};
                for (std::size_t k = 0; k < n; ++k) centre = centre + at(k);
                const auto c = shade(s, centre * (1.0f / static_cast<float>(n)), faceNormal, m_lights, m_lit);
                std::fill(m_colors.begin(), m_colors.end(), c);
            }
            for (std::size_t k = 1; k + 1 < n; ++k) {
                if (!m_visible[k]) continue;
                const std::size_t idx[3] = {0, k, k + 1};
                ClipVertex tri[3];
                for (int i = 0; i < 3; ++i) {
                    const auto& c = m_colors[idx[i]];
                    tri[i] = {at(idx[i]), c[0], c[1], c[2]};
                }
                drawTriangle(tri);
            }
        }
    }

    void drawTriangle(const ClipVertex (&tri)[3]) {
        const auto inside = [&](const ClipVertex& v) { return v.p.z >= m_front && v.p.z <= m_back; };
        ClipVertex a[5], b[5];
        int count = 3;
        const ClipVertex* poly = tri;
        if (!inside(tri[0]) || !inside(tri[1]) || !inside(tri[2])) {
            count = clipPolygon(tri, 3, a, m_front, 1.0f);
            count = clipPolygon(a, count, b, m_back, -1.0f);
            poly = b;
        }
        if (count < 3) return;
        RasterVertex projected[5];
        for (int i = 0; i < count; ++i) projected[i] = project(poly[i]);
        for (int i = 1; i + 1 < count; ++i) m_surface.triangle(projected[0], projected[i], projected[i + 1], m_clip);
    }

    RasterVertex project(const ClipVertex& v) const {
        const double z = v.p.z;
        const double x = (m_centerX + m_scale * v.p.x / z) * m_factor;
        const double y = (m_centerY - m_scale * v.p.y / z) * m_factor;
        const double depth =
            static_cast<double>(m_back) * (z - m_front) / ((static_cast<double>(m_back) - m_front) * z);
        return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(depth), v.r, v.g, v.b};
    }

    Raster& m_surface;
    const Lights& m_lights;
    bool m_gouraud, m_lit;
    int m_factor;
    double m_centerX, m_centerY, m_scale;
    float m_front, m_back;
    IRect m_clip;
    std::vector<Vec3> m_positions, m_normals;
    std::vector<std::array<float, 3>> m_colors;
    std::vector<bool> m_visible;
};

// The nearest crossing of the ray t * dir (t > 0) with triangle a b c, or -1.
double intersect(Vec3 dir, Vec3 a, Vec3 b, Vec3 c) {
    const double e1x = b.x - a.x, e1y = b.y - a.y, e1z = b.z - a.z;
    const double e2x = c.x - a.x, e2y = c.y - a.y, e2z = c.z - a.z;
    const double px = dir.y * e2z - dir.z * e2y, py = dir.z * e2x - dir.x * e2z, pz = dir.x * e2y - dir.y * e2x;
    const double det = e1x * px + e1y * py + e1z * pz;
    if (std::fabs(det) < 1e-12) return -1;
    const double inv = 1.0 / det;
    const double tx = -a.x, ty = -a.y, tz = -a.z;  // the ray starts at the camera
    const double u = (tx * px + ty * py + tz * pz) * inv;
    if (u < 0 || u > 1) return -1;
    const double qx = ty * e1z - tz * e1y, qy = tz * e1x - tx * e1z, qz = tx * e1y - ty * e1x;
    const double v = (dir.x * qx + dir.y * qy + dir.z * qz) * inv;
    if (v < 0 || u + v > 1) return -1;
    return (e2x * qx + e2y * qy + e2z * qz) * inv;
}

struct Picker {
    Vec3 dir;  // camera space, z = 1, so the ray parameter is the depth
    float front, back;
    const Matrix& fromCamera;
    std::vector<PickHit>& hits;
    std::vector<std::shared_ptr<Frame>> path;

    void visit(const std::shared_ptr<Frame>& frame, const Matrix& parentToCamera) {
        const Matrix m = compose(frame->transform(), parentToCamera);
        path.push_back(frame);
        for (const auto& visual : frame->visuals()) {
            const auto* mesh = dynamic_cast<const Mesh*>(visual.get());
            if (!mesh) continue;
            double nearest = -1;
            for (const Mesh::Face& face : mesh->faces) {
                const std::size_t n = face.vertices.size();
                if (n < 3) continue;
                auto at = [&](std::size_t k) -> std::optional<Vec3> {
                    const std::uint32_t v = face.vertices[k];
                    if (v >= mesh->vertices.size()) return std::nullopt;
                    return m.point(mesh->vertices[v]);
                };
                const auto first = at(0);
                if (!first) continue;
                for (std::size_t k = 1; k + 1 < n; ++k) {
                    const auto b = at(k), c = at(k + 1);
                    if (!b || !c) continue;
                    const double t = intersect(dir, *first, *b, *c);
                    if (t >= front && t <= back && (nearest < 0 || t < nearest)) nearest = t;
                }
            }
            if (nearest >= 0) {
                const auto depth = static_cast<float>(nearest);
                hits.push_back({path, visual, depth, fromCamera.point(dir * depth)});
            }
        }
        for (const auto& child : frame->children()) visit(child, m);
        path.pop_back();
    }
};

}  // namespace

Viewport::Viewport(std::shared_ptr<Device> device, std::shared_ptr<Frame> camera, int x, int y, int width, int height)
    : m_device(std::move(device)), m_camera(std::move(camera)), m_x(x), m_y(y), m_width(width), m_height(height) {}

Result Viewport::setFront(float distance) {
    if (!(distance > 0) || !std::isfinite(distance) || distance >= m_back) return kErrBadValue;
    m_front = distance;
    return kOk;
}

Result Viewport::setBack(float distance) {
    if (Result r = injectedFailure(Call::SetBack); failed(r)) return r;
    if (!std::isfinite(distance) || distance <= m_front) return kErrBadValue;
    m_back = distance;
    return kOk;
}

Result Viewport::setField(float field) {
    if (!(field > 0) || !std::isfinite(field)) return kErrBadValue;
    m_field = field;
    return kOk;
}

double Viewport::scale() const { return std::min(m_width, m_height) / (2.0 * m_field); }

bool Viewport::cameraTransforms(Matrix& toCamera, Matrix& fromCamera) const {
    if (!m_camera) return false;
    fromCamera = m_camera->worldTransform();
    return invert(fromCamera, toCamera);
}

Result Viewport::clear() {
    if (Result r = injectedFailure(Call::Clear); failed(r)) return r;
    if (!m_device) return kErrBadObject;
    m_device->surface().clear({m_x, m_y, m_x + m_width, m_y + m_height}, toColor(m_background));
    return kOk;
}

Result Viewport::render(const Frame& scene) {
    if (Result r = injectedFailure(Call::Render); failed(r)) return r;
    if (!m_device) return kErrBadObject;
    Matrix toCamera, fromCamera;
    if (!cameraTransforms(toCamera, fromCamera)) return kErrBadValue;
    // The scene's own transform places it in world space.
    Matrix worldToCamera = toCamera;
    if (const Frame* parent = scene.parent()) worldToCamera = compose(parent->worldTransform(), toCamera);

    Lights lights;
    collectLights(scene, worldToCamera, lights);
    Raster& surface = m_device->surface();
    const std::uint32_t quality = m_device->quality();
    const int f = surface.samplesPerSide();
    SceneDrawer drawer(surface, lights, (quality & kShadeMask) != kShadeFlat, (quality & kLightMask) != 0,
                       m_x + m_width / 2.0, m_y + m_height / 2.0, scale(), m_front, m_back,
                       IRect{m_x, m_y, m_x + m_width, m_y + m_height}.scaled(f));
    drawer.drawFrame(scene, scene.parent(), worldToCamera);
    return kOk;
}

Result Viewport::pick(int x, int y, std::vector<PickHit>& hits) const {
    hits.clear();
    Matrix toCamera, fromCamera;
    if (!cameraTransforms(toCamera, fromCamera)) return kErrBadValue;
    if (x < m_x || y < m_y || x >= m_x + m_width || y >= m_y + m_height) return kOk;
    Frame* top = m_camera.get();
    while (top->parent()) top = top->parent();

    const double k = scale();
    const Vec3 dir{static_cast<float>((x + 0.5 - (m_x + m_width / 2.0)) / k),
                   static_cast<float>(-(y + 0.5 - (m_y + m_height / 2.0)) / k), 1.0f};
    Picker picker{dir, m_front, m_back, fromCamera, hits, {}};
    picker.visit(top->shared_from_this(), toCamera);
    std::stable_sort(hits.begin(), hits.end(), [](const PickHit& a, const PickHit& b) { return a.depth < b.depth; });
    return kOk;
}

Result Viewport::transform(Vec4& out, Vec3 world) const {
    Matrix toCamera, fromCamera;
    if (!cameraTransforms(toCamera, fromCamera)) return kErrBadValue;
    const Vec3 p = toCamera.point(world);
    const double k = scale(), z = p.z;
    out.x = static_cast<float>((m_x + m_width / 2.0) * z + k * p.x);
    out.y = static_cast<float>((m_y + m_height / 2.0) * z - k * p.y);
    out.z = static_cast<float>(static_cast<double>(m_back) * (z - m_front) / (static_cast<double>(m_back) - m_front));
    out.w = p.z;
    return kOk;
}

Result Viewport::inverseTransform(Vec3& out, Vec4 screen) const {
    Matrix toCamera, fromCamera;
    if (!cameraTransforms(toCamera, fromCamera)) return kErrBadValue;
    if (screen.w == 0 || !std::isfinite(screen.w)) return kErrBadValue;
    const double w = screen.w;
    const double sx = screen.x / w, sy = screen.y / w, sz = screen.z / w;
    const double back = m_back, front = m_front;
    const double denominator = back - sz * (back - front);
    if (denominator == 0) return kErrBadValue;
    const double z = back * front / denominator;
    const double k = scale();
    const Vec3 p{static_cast<float>((sx - (m_x + m_width / 2.0)) * z / k),
                 static_cast<float>(((m_y + m_height / 2.0) - sy) * z / k), static_cast<float>(z)};
    const Vec3 world = fromCamera.point(p);
    if (!std::isfinite(world.x) || !std::isfinite(world.y) || !std::isfinite(world.z)) return kErrBadValue;
    out = world;
    return kOk;
}

}  // namespace rova::rm
