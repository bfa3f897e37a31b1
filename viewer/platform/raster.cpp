#include "raster.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace rova::rm {

namespace {

constexpr float kBackDepth = 1.0f;

// Result codes of a surface that cannot be made at the asked size.
constexpr Result kErrTooWide = code(0x887601EA);
constexpr Result kErrTooHigh = code(0x887601D6);

// 0..255, also for a NaN that bad geometry can bring.
inline std::uint32_t channel(float v) {
    return v > 0.0f ? static_cast<std::uint32_t>((v < 255.0f ? v : 255.0f) + 0.5f) : 0u;
}

}  // namespace

IRect IRect::intersect(const IRect& r) const {
    IRect out{std::max(x0, r.x0), std::max(y0, r.y0), std::min(x1, r.x1), std::min(y1, r.y1)};
    return out.empty() ? IRect{} : out;
}

IRect IRect::unite(const IRect& r) const {
    if (empty()) return r;
    if (r.empty()) return *this;
    return {std::min(x0, r.x0), std::min(y0, r.y0), std::max(x1, r.x1), std::max(y1, r.y1)};
}

Result Raster::resize(int width, int height) {
    if (width > kMaxSide) return kErrTooWide;
    if (height > kMaxSide) return kErrTooHigh;
    width = std::max(width, 0);
    height = std::max(height, 0);
    const long pixels = static_cast<long>(width) * height;
    const int factor = pixels <= kAntiAliasedPixels ? 2 : 1;
    const auto samples = static_cast<std::size_t>(pixels) * static_cast<std::size_t>(factor * factor);
    try {
        m_color.assign(samples, packColor(0, 0, 0));
        m_depth.assign(samples, kBackDepth);
        m_picture.assign(static_cast<std::size_t>(pixels), packColor(0, 0, 0));
    } catch (const std::bad_alloc&) {
        *this = Raster{};
        return kErrOutOfMemory;
    }
    m_width = width;
    m_height = height;
    m_factor = factor;
    m_sampleWidth = width * factor;
    m_sampleHeight = height * factor;
    m_clearColor = packColor(0, 0, 0);
    m_touched = {};
    m_pictureDirty = {};
    return kOk;
}

void Raster::clear(IRect rect, std::uint32_t color) {
    const IRect all{0, 0, m_sampleWidth, m_sampleHeight};
    const IRect area = rect.scaled(m_factor).intersect(all);
    // Only samples drawn since the last clear need it, unless the colour changes.
    IRect region = area.intersect(m_touched);
    if (color != m_clearColor) {
        region = area;
        m_clearColor = color;
        m_pictureDirty = {0, 0, m_width, m_height};
    }
    for (int y = region.y0; y < region.y1; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_sampleWidth);
        std::fill(m_color.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(region.x0)),
                  m_color.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(region.x1)), color);
        std::fill(m_depth.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(region.x0)),
                  m_depth.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(region.x1)), kBackDepth);
    }
    if (area.contains(m_touched)) m_touched = {};
}

void Raster::triangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c, IRect clip) {
    clip = clip.intersect({0, 0, m_sampleWidth, m_sampleHeight});
    if (clip.empty()) return;
    const double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                        (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
    if (!(std::fabs(area) > 1e-12) || !std::isfinite(area)) return;

    // Edges in the order that makes the inside positive. Each edge function is
    // worked out from its two ends alone, so a neighbour sharing the edge gets
    // exactly its negation and no sample between them is missed.
    const RasterVertex* v[3] = {&a, &b, &c};
    if (area < 0) std::swap(v[1], v[2]);
    struct Edge {
        double a, b, c;  // a x + b y + c >= 0 inside
    } edges[3];
    for (int i = 0; i < 3; ++i) {
        const RasterVertex& p = *v[i];
        const RasterVertex& q = *v[(i + 1) % 3];
        edges[i] = {static_cast<double>(p.y) - q.y, static_cast<double>(q.x) - p.x,
                    static_cast<double>(p.x) * q.y - static_cast<double>(q.x) * p.y};
    }

    // Attribute planes: f(x, y) = f(a) + dx (x - a.x) + dy (y - a.y).
    const double ex1 = static_cast<double>(b.x) - a.x, ey1 = static_cast<double>(b.y) - a.y;
    const double ex2 = static_cast<double>(c.x) - a.x, ey2 = static_cast<double>(c.y) - a.y;
    auto plane = [&](float fa, float fb, float fc, double& dx, double& dy) {
        const double d1 = static_cast<double>(fb) - fa, d2 = static_cast<double>(fc) - fa;
        dx = (d1 * ey2 - d2 * ey1) / area;
        dy = (d2 * ex1 - d1 * ex2) / area;
    };
    double zdx, zdy, rdx, rdy, gdx, gdy, bdx, bdy;
    plane(a.z, b.z, c.z, zdx, zdy);
    plane(a.r, b.r, c.r, rdx, rdy);
    plane(a.g, b.g, c.g, gdx, gdy);
    plane(a.b, b.b, c.b, bdx, bdy);

    const double minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
    const double lowest = clip.y0 - 1.0, highest = clip.y1 + 1.0;  // keeps the rows within int range
    const int rowFirst = std::max(clip.y0, static_cast<int>(std::ceil(std::clamp(minY - 0.5, lowest, highest))));
    const int rowLast = std::min(clip.y1 - 1, static_cast<int>(std::floor(std::clamp(maxY - 0.5, lowest, highest))));
    IRect drawn;
    for (int y = rowFirst; y <= rowLast; ++y) {
        const double yc = y + 0.5;
        double left = clip.x0 + 0.5, right = clip.x1 - 0.5;
        bool empty = false;
        for (const Edge& e : edges) {
            const double k = e.b * yc + e.c;
            if (e.a > 0) {
                left = std::max(left, -k / e.a);
            } else if (e.a < 0) {
                right = std::min(right, -k / e.a);
            } else if (k < 0) {
                empty = true;
            }
        }
        if (empty || left > right) continue;
        const int x0 = static_cast<int>(std::ceil(left - 0.5));
        const int x1 = static_cast<int>(std::floor(right - 0.5));
        if (x0 > x1) continue;

        const double dxs = x0 + 0.5 - a.x, dys = yc - a.y;
        float z = static_cast<float>(a.z + zdx * dxs + zdy * dys);
        float r = static_cast<float>(a.r + rdx * dxs + rdy * dys);
        float g = static_cast<float>(a.g + gdx * dxs + gdy * dys);
        float bl = static_cast<float>(a.b + bdx * dxs + bdy * dys);
        const float zs = static_cast<float>(zdx), rs = static_cast<float>(rdx);
        const float gs = static_cast<float>(gdx), bs = static_cast<float>(bdx);
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_sampleWidth);
        float* depth = m_depth.data() + row;
        std::uint32_t* color = m_color.data() + row;
        for (int x = x0; x <= x1; ++x) {
            if (z < depth[x] && z >= 0.0f) {
                depth[x] = z;
                color[x] = packColor(channel(r), channel(g), channel(bl));
            }
            z += zs;
            r += rs;
            g += gs;
            bl += bs;
        }
        drawn = drawn.unite({x0, y, x1 + 1, y + 1});
    }
    m_touched = m_touched.unite(drawn);
}

const std::uint32_t* Raster::resolve() {
    // Pixels can differ from the clear colour where samples were drawn now or
    // where the picture showed something before.
    IRect touched = m_touched;
    if (m_factor > 1 && !touched.empty()) {
        touched = {touched.x0 / m_factor, touched.y0 / m_factor, (touched.x1 + m_factor - 1) / m_factor,
                   (touched.y1 + m_factor - 1) / m_factor};
    }
    const IRect region = touched.unite(m_pictureDirty).intersect({0, 0, m_width, m_height});
    const auto sw = static_cast<std::size_t>(m_sampleWidth);
    for (int y = region.y0; y < region.y1; ++y) {
        std::uint32_t* out = m_picture.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
        if (m_factor == 1) {
            const std::uint32_t* in = m_color.data() + static_cast<std::size_t>(y) * sw;
            std::copy(in + region.x0, in + region.x1, out + region.x0);
            continue;
        }
        const std::uint32_t* top = m_color.data() + static_cast<std::size_t>(2 * y) * sw;
        const std::uint32_t* bottom = top + sw;
        for (int x = region.x0; x < region.x1; ++x) {
            const std::uint32_t s0 = top[2 * x], s1 = top[2 * x + 1], s2 = bottom[2 * x], s3 = bottom[2 * x + 1];
            // Two channels at a time in 16-bit lanes; four bytes cannot overflow one.
            const std::uint32_t rb =
                (s0 & 0x00FF00FFu) + (s1 & 0x00FF00FFu) + (s2 & 0x00FF00FFu) + (s3 & 0x00FF00FFu) + 0x00020002u;
            const std::uint32_t ga = ((s0 >> 8) & 0x00FF00FFu) + ((s1 >> 8) & 0x00FF00FFu) + ((s2 >> 8) & 0x00FF00FFu) +
                                     ((s3 >> 8) & 0x00FF00FFu) + 0x00020002u;
            out[x] = ((rb >> 2) & 0x00FF00FFu) | (((ga >> 2) & 0x00FF00FFu) << 8);
        }
    }
    m_pictureDirty = touched;
    return m_picture.data();
}

}  // namespace rova::rm
