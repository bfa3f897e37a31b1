// The drawing surface behind a device: colour and depth samples, a triangle
// filler with a depth test, and the picture that is shown. Small surfaces keep
// 2 x 2 samples per pixel and average them, which smooths the model's edges.
#pragma once

#include <cstdint>
#include <vector>

#include "result.h"

namespace rova::rm {

// Half-open rectangle [x0, x1) x [y0, y1).
struct IRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool empty() const { return x0 >= x1 || y0 >= y1; }
    bool contains(const IRect& r) const { return r.empty() || (x0 <= r.x0 && y0 <= r.y0 && x1 >= r.x1 && y1 >= r.y1); }
    IRect intersect(const IRect& r) const;
    IRect unite(const IRect& r) const;
    IRect scaled(int factor) const { return {x0 * factor, y0 * factor, x1 * factor, y1 * factor}; }
};

// A corner of a triangle in sample coordinates, with depth 0 (front) .. 1
// (back) and a colour of 0..255 per channel.
struct RasterVertex {
    float x, y, z;
    float r, g, b;
};

// Pixels are 32-bit words whose bytes are red, green, blue, alpha in memory.
constexpr std::uint32_t packColor(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16) | 0xFF000000u;
}

class Raster {
public:
    // Above this many pixels a surface keeps one sample per pixel: four would not
    // draw within a frame's time.
    static constexpr long kAntiAliasedPixels = 1920L * 1080L;
    static constexpr int kMaxSide = 8192;

    // A surface of width x height pixels, cleared to black; the old content is
    // lost. Fails for sizes beyond kMaxSide or when memory runs out.
    Result resize(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int samplesPerSide() const { return m_factor; }

    // Sets the pixels of rect (pixel coordinates) to colour at the back depth.
    void clear(IRect rect, std::uint32_t color);
    // Fills a triangle (either winding) into the samples inside clip (sample
    // coordinates) where it lies in front of what is there.
    void triangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c, IRect clip);

    // Brings the picture up to date with the samples and returns it: rows of
    // width() pixels.
    const std::uint32_t* resolve();
    const std::uint32_t* picture() const { return m_picture.data(); }

private:
    int m_width = 0, m_height = 0;
    int m_factor = 1;
    int m_sampleWidth = 0, m_sampleHeight = 0;
    std::vector<std::uint32_t> m_color;  // samples
    std::vector<float> m_depth;          // samples
    std::vector<std::uint32_t> m_picture;
    std::uint32_t m_clearColor = packColor(0, 0, 0);
    IRect m_touched;       // samples that may differ from the clear colour
    IRect m_pictureDirty;  // pixels of the picture that may differ from the clear colour
};

}  // namespace rova::rm
