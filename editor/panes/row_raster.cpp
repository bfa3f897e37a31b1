#include "panes/row_raster.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace rova {

void RowRaster::begin(const QRect& area) {
    m_area = area;
    m_left = m_top = 0;
    m_right = m_bottom = -1;
    if (area.isEmpty()) return;
    // The image is kept between rows and only grows: a row costs no allocation.
    if (m_image.width() < area.width() || m_image.height() < area.height())
        m_image = QImage(std::max(m_image.width(), area.width()), std::max(m_image.height(), area.height()),
                         QImage::Format_ARGB32_Premultiplied);
    m_bits = m_image.bits();
    m_stride = m_image.bytesPerLine();
    const auto bytes = static_cast<std::size_t>(area.width()) * sizeof(QRgb);
    for (int y = 0; y < area.height(); ++y) std::fill_n(m_bits + y * m_stride, bytes, 0);
}

void RowRaster::fill(long long x, long long y, long long width, long long height, QRgb colour) {
    const long long x0 = std::max<long long>(x, m_area.left()), x1 = std::min<long long>(x + width, m_area.right() + 1);
    const long long y0 = std::max<long long>(y, m_area.top()), y1 = std::min<long long>(y + height, m_area.bottom() + 1);
    if (x0 >= x1) return;
    if (y0 >= y1) return;
    for (long long yy = y0; yy < y1; ++yy) {
        QRgb* pixels = row(yy - m_area.top());
        std::fill(pixels + (x0 - m_area.left()), pixels + (x1 - m_area.left()), colour);
    }
    touch(x0 - m_area.left(), x1 - 1 - m_area.left(), y0 - m_area.top(), y1 - 1 - m_area.top());
}

// The painter's aliased one-pixel line: endpoints in 26.6 fixed point, each end
// extended by half a pixel (the square cap), then one pixel per row (steep
// lines) or per column (flat lines) stepped in 16.16 fixed point from the
// nearest pixel centre. The arithmetic is 64-bit so that far ends outside the
// area neither overflow nor cost a step each: only the rows or columns inside
// the area are walked.
void RowRaster::line(long long x1, long long y1, long long x2, long long y2, QRgb colour) {
    if (x1 == x2 && y1 == y2) {
        put(x1, y1, colour);
        return;
    }
    auto fixedDiv = [](long long a, long long b) { return a * 65536 / b; };
    // Steep lines step along y, flat ones along x; the code below walks the
    // "major" axis u and the "minor" axis v and maps back.
    const bool steep = std::llabs(x2 - x1) < std::llabs(y2 - y1);
    long long u1 = (steep ? y1 : x1) * 64, v1 = (steep ? x1 : y1) * 64;
    long long u2 = (steep ? y2 : x2) * 64, v2 = (steep ? x2 : y2) * 64;
    if (u1 > u2) {
        std::swap(u1, u2);
        std::swap(v1, v2);
    }
    const long long inc = fixedDiv(v2 - v1, u2 - u1);
    long long v = v1 * 1024;
    u1 -= 32;
    v -= inc >> 1;
    u2 += 32;
    long long u = (u1 + 32) >> 6;
    const long long uEnd = (u2 + 32) >> 6;
    if (u == uEnd) return;
    v += (((u * 64) + (inc > 0 ? 32 : 0) - u1) * inc) >> 6;
    // Only the part inside the area.
    const long long areaFirst = steep ? m_area.top() : m_area.left();
    const long long areaEnd = (steep ? m_area.bottom() : m_area.right()) + 1;
    if (u < areaFirst) {
        v += (areaFirst - u) * inc;
        u = areaFirst;
    }
    const long long last = std::min(uEnd, areaEnd);
    for (; u < last; ++u, v += inc) {
        if (steep) put(v >> 16, u, colour);
        else put(u, v >> 16, colour);
    }
}

void RowRaster::end(QPainter& p) {
    // Only the part that holds pixels is laid over.
    if (m_right < m_left || m_bottom < m_top) return;
    const QRect used(QPoint(static_cast<int>(m_left), static_cast<int>(m_top)),
                     QPoint(static_cast<int>(m_right), static_cast<int>(m_bottom)));
    p.drawImage(used.topLeft() + m_area.topLeft(), m_image, used);
}

}  // namespace rova
