// The channel rows drawn pixel by pixel must show the painter's own lines
// wherever keyframes lie two or more pixels apart, at any zoom and scroll.
// The reference is the same segments drawn as painter lines (the path that
// printing keeps), over the whole content at once, so that no line of the
// reference is cut by a clip.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <random>

#include "panes/row_raster.h"
#include "panes/track_pane.h"
#include "support/pane_host.h"

using namespace rova;

namespace {

using Host = test::PaneHostStub;

// A full-body motion of uneven keyframe spacing (5 to 300 ticks) whose values
// wander over and past every channel's limits, with fast and alarm segments.
CMotionTrack unevenMotion(int keyframes) {
    std::mt19937 rng(16);
    std::vector<std::int32_t> block;
    const int durations[] = {5, 5, 5, 10, 15, 40, 125, 300};
    for (int k = 0; k < keyframes; ++k) {
        block.insert(block.end(), {k == 0 ? 0 : durations[rng() % 8], 0, 0, 0});
        for (int c = 0; c < kChannelCount; ++c) {
            const ChannelInfo& ch = kChannelInfo[static_cast<std::size_t>(c)];
            const double span = ch.upper - ch.lower;
            const double degrees = ch.lower - 0.3 * span + 1.6 * span * static_cast<double>(rng() % 1000) / 1000.0;
            block.push_back(valueFromDegrees(degrees));
        }
    }
    CMotionTrack t;
    std::array<int, kChannelCount> loc{};
    t.assign(MOTION_FULL_BODY, kChannelCount, loc, std::move(block), keyframes);
    t.setFirstChannel(0);
    return t;
}

struct Rows {
    Host host;
    CMotionTrack motion = unevenMotion(60);
    std::vector<std::unique_ptr<CChannelPane>> panes;
    int height = 0;
    Rows() {
        for (int c = 0; c < kChannelCount; ++c) {
            panes.emplace_back(new CChannelPane(motion, c));
            height += panes.back()->attach(&host, height + 30) + 30;  // room for values past the limits
        }
        height += 60;
    }
    int contentWidth() {
        int w, s;
        panes.front()->getExtent(w, s);
        return w;
    }
};

QImage blank(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

}  // namespace

TEST(ChannelRows, PixelsMatchThePainterLinesAtEveryZoomAndScroll) {
    Rows rows;
    // Zooms at which the closest keyframes (5 ticks) stay at least 2 pixels apart.
    for (int zoom : {1, 3, 5, 10, 20, 40}) {
        rows.host.pps = 1000 / zoom;
        const int right = kLabelColumnWidth + rows.contentWidth() + 50;
        QImage reference = blank(right + 10, rows.height);
        {
            QPainter p(&reference);
            for (auto& pane : rows.panes) pane->drawSegmentsAsLines(p, {kLabelColumnWidth, right, 0, right - kLabelColumnWidth});
        }
        // Windows of several widths at several scroll positions, the first at time zero.
        const int width = std::max(200, (right + 10) / 7);
        for (int scroll = 0; scroll + width <= right + 10; scroll += width * 2 / 3 + 13) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << " scroll " << scroll);
            QImage window = blank(width, rows.height);
            {
                QPainter p(&window);
                p.translate(-scroll, 0);
                const PaneDrawInfo info{kLabelColumnWidth, right, std::max(0, scroll - kLabelColumnWidth),
                                        scroll + width - kLabelColumnWidth};
                for (auto& pane : rows.panes) pane->drawSegmentsAsPixels(p, info);
            }
            for (int y = 0; y < rows.height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(window.pixel(x, y), reference.pixel(scroll + x, y)) << "at " << scroll + x << "," << y;
        }
    }
}

TEST(ChannelRows, DenseStretchesKeepEveryKeyframeAndTheStrongestPen) {
    Rows rows;
    for (int zoom : {80, 320, 1000}) {
        rows.host.pps = 1000 / zoom;
        const int right = kLabelColumnWidth + rows.contentWidth() + 50;
        QImage img = blank(right, rows.height);
        {
            QPainter p(&img);
            for (auto& pane : rows.panes) pane->drawSegmentsAsPixels(p, {kLabelColumnWidth, right, 0, right - kLabelColumnWidth});
        }
        // Every keyframe's own pixel is drawn in one of the three pens.
        for (auto& pane : rows.panes) {
            QImage lines = blank(right, rows.height);
            {
                QPainter p(&lines);
                pane->drawSegmentsAsLines(p, {kLabelColumnWidth, right, 0, right - kLabelColumnWidth});
            }
            for (int x = kLabelColumnWidth; x < right; ++x) {
                // Each column the lines reach is reached by the spans too, in a pen at least as strong.
                auto strength = [](QRgb c) {
                    if (c == qRgb(255, 0, 0)) return 3;
                    if (c == qRgb(255, 255, 0)) return 2;
                    if (c == qRgb(0, 0, 255)) return 1;
                    return 0;
                };
                int linePen = 0, spanPen = 0;
                for (int y = 0; y < rows.height; ++y) {
                    linePen = std::max(linePen, strength(lines.pixel(x, y)));
                    if (y >= pane->top() - 30 && y < pane->top() + pane->height() + 30)
                        spanPen = std::max(spanPen, strength(img.pixel(x, y)));
                }
                if (linePen > 0) {
                    ASSERT_GE(spanPen, linePen) << "zoom " << zoom << " x " << x << " " << pane->getJoint();
                }
            }
        }
    }
}

TEST(ChannelRows, ValuesFarPastTheLimitsStayWithinThePaintedWindow) {
    Host host;
    host.pps = 25;
    std::vector<std::int32_t> block;
    const std::int32_t values[] = {0, INT32_MAX, INT32_MIN + 1, 0};
    for (int k = 0; k < 4; ++k) {
        block.insert(block.end(), {k == 0 ? 0 : 25, 0, 0, 0});
        for (int c = 0; c < kChannelCount; ++c) block.push_back(values[k]);
    }
    CMotionTrack t;
    std::array<int, kChannelCount> loc{};
    t.assign(MOTION_FULL_BODY, kChannelCount, loc, std::move(block), 4);
    t.setFirstChannel(0);
    CChannelPane pane(t, HeadY);
    pane.attach(&host, 100);
    QImage pixels = blank(400, 300), lines = blank(400, 300);
    {
        QPainter p(&pixels);
        pane.drawSegmentsAsPixels(p, {kLabelColumnWidth, 400, 0, 400 - kLabelColumnWidth});
    }
    {
        QPainter p(&lines);
        pane.drawSegmentsAsLines(p, {kLabelColumnWidth, 400, 0, 400 - kLabelColumnWidth});
    }
    // The steep lines run off the image both ways; the columns they cross are drawn.
    int drawn = 0;
    for (int x = 0; x < 400; ++x) drawn += pixels.pixel(x, 0) != qRgb(255, 255, 255);
    EXPECT_GT(drawn, 0);
    for (int x = 0; x < 400; ++x) EXPECT_EQ(pixels.pixel(x, 0) == qRgb(255, 255, 255), lines.pixel(x, 0) == qRgb(255, 255, 255)) << x;
}

// Lines that stay inside the painter's device (the painter cuts longer ones
// first, which moves their start; the rows draw the whole line instead).
TEST(RowRaster, LinesMatchThePainterInEveryDirection) {
    std::mt19937 rng(7);
    RowRaster raster;
    auto coordinate = [&] { return static_cast<int>(rng() % 80) + 10; };
    for (int i = 0; i < 3000; ++i) {
        const int x1 = coordinate(), y1 = coordinate();
        const int x2 = i % 4 == 0 ? std::clamp(x1 + static_cast<int>(rng() % 5) - 2, 10, 89) : coordinate();
        const int y2 = i % 4 == 1 ? std::clamp(y1 + static_cast<int>(rng() % 5) - 2, 10, 89) : coordinate();
        QImage painted = blank(80, 80), rastered = blank(80, 80);
        {
            QPainter p(&painted);
            p.translate(-10, -10);
            p.setPen(QPen(QColor(0, 0, 255), 1));
            p.drawLine(x1, y1, x2, y2);
        }
        {
            QPainter p(&rastered);
            p.translate(-10, -10);
            raster.begin(QRect(10, 10, 80, 80));
            raster.line(x1, y1, x2, y2, qRgb(0, 0, 255));
            raster.end(p);
        }
        ASSERT_TRUE(painted == rastered) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

// A scroll paints only the uncovered strip beside the pixels it moved: every
// pane must paint a strip exactly as the same columns of a whole repaint.
TEST(PaneStrips, PaintedStripByStripEqualTheWholeRow) {
    Rows rows;
    std::vector<std::uint8_t> samples(8000 * 4);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>((i * 7919) % 251);
    CWaveTrack wave{samples.data(), static_cast<int>(samples.size())};
    CLedTrack leds;
    leds.steps.resize(48);
    for (std::size_t i = 0; i < leds.steps.size(); ++i) leds.steps[i] = static_cast<std::uint8_t>(i * 5 % 4);
    CAudioPane audio(wave);
    CLedPane green(leds, 0), red(leds, 1);
    audio.attach(&rows.host, rows.height);
    green.attach(&rows.host, rows.height + 40);
    red.attach(&rows.host, rows.height + 48);
    std::vector<CTrackPane*> panes{&audio, &green, &red};
    for (auto& pane : rows.panes) panes.push_back(pane.get());
    const int height = rows.height + 56;
    for (int zoom : {1, 4, 7, 40, 50, 100, 1000}) {
        rows.host.pps = 1000 / zoom;
        const int right = kLabelColumnWidth + std::max(rows.contentWidth(), 4 * rows.host.pps) + 50;
        const int width = std::min(right + 10, 3000);
        QImage whole = blank(width, height), strips = blank(width, height);
        {
            QPainter p(&whole);
            for (CTrackPane* pane : panes) pane->draw(p, {kLabelColumnWidth, right, 0, width - kLabelColumnWidth});
        }
        QPainter p(&strips);
        for (int left = 0; left < width; left += 37) {
            const int stripRight = std::min(width, left + 37);
            p.setClipRect(left, 0, stripRight - left, height);
            for (CTrackPane* pane : panes)
                pane->draw(p, {kLabelColumnWidth, right, std::max(0, left - kLabelColumnWidth), stripRight - kLabelColumnWidth});
        }
        p.end();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) ASSERT_EQ(strips.pixel(x, y), whole.pixel(x, y)) << "zoom " << zoom << " at " << x << "," << y;
    }
}
