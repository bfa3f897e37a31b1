// A pane row drawn pixel by pixel into a transparent image and then laid over
// the view in one blit. Thousands of short segments cost little this way,
// where a painter call per segment costs more than its pixels.
#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <algorithm>

class QPainter;

namespace rova {

class RowRaster {
public:
    // Starts a drawing of the document area `area`, all transparent.
    void begin(const QRect& area);
    // The line from (x1, y1) to (x2, y2), both ends included, with the same
    // pixels as the painter's one-pixel aliased line between those points.
    // Coordinates are document pixels; what falls outside the area is dropped.
    void line(long long x1, long long y1, long long x2, long long y2, QRgb colour);
    // A filled rectangle, clipped to the area.
    void fill(long long x, long long y, long long width, long long height, QRgb colour);
    // A one-pixel column from y0 to y1 inclusive, clipped to the area.
    void column(long long x, long long y0, long long y1, QRgb colour) {
        x -= m_area.left();
        if (x < 0 || x >= m_area.width()) return;
        y0 = std::max<long long>(y0 - m_area.top(), 0);
        y1 = std::min<long long>(y1 - m_area.top(), m_area.height() - 1);
        if (y0 > y1) return;
        uchar* at = m_bits + y0 * m_stride + x * static_cast<long long>(sizeof(QRgb));
        for (long long y = y0; y <= y1; ++y, at += m_stride) *reinterpret_cast<QRgb*>(at) = colour;
        touch(x, x, y0, y1);
    }
    // Lays the drawing over the painter's device (transparent pixels leave what is there).
    void end(QPainter& p);

    const QRect& area() const { return m_area; }

private:
    void put(long long x, long long y, QRgb colour) {
        x -= m_area.left();
        y -= m_area.top();
        if (x >= 0 && y >= 0 && x < m_area.width() && y < m_area.height()) {
            row(y)[x] = colour;
            touch(x, x, y, y);
        }
    }
    QRgb* row(long long y) { return reinterpret_cast<QRgb*>(m_bits + y * m_stride); }
    // Widens the part of the area that holds pixels (area-relative, inclusive).
    void touch(long long x0, long long x1, long long y0, long long y1) {
        m_left = std::min(m_left, x0);
        m_right = std::max(m_right, x1);
        m_top = std::min(m_top, y0);
        m_bottom = std::max(m_bottom, y1);
    }

    QImage m_image;
    uchar* m_bits = nullptr;  // the image's pixels, without a detach check per pixel
    qsizetype m_stride = 0;
    QRect m_area;
    long long m_left = 0, m_right = -1, m_top = 0, m_bottom = -1;
};

}  // namespace rova
