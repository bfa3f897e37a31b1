// The time ruler: label spacing at every zoom, the tick positions, bar numbers
// with beats, and the zoom arithmetic of Zoom to Selection and Zoom to Fit.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "model/clock_text.h"
#include "panes/time_axis.h"
#include "panes/time_ruler.h"
#include "panes/track_pane.h"

using namespace rova;

namespace {

const QColor kBackground(240, 240, 240);

QImage render(const RulerInfo& info) {
    const bool bars = info.barStartsMs && !info.barStartsMs->empty();
    QImage image(info.width, rulerHeight(bars), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawRuler(p, info);
    return image;
}

}  // namespace

TEST(RulerSpacing, LabelsNeverOverlapAtAnyZoom) {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter p(&image);
    const int spacing = rulerLabelSpacing(p);
    const QFontMetrics fm(p.font());
    for (int zoom = 1; zoom <= 1000; ++zoom) {
        const int pps = 1000 / zoom;
        const axis::RulerSpacing s = axis::rulerSpacing(pps, spacing);
        SCOPED_TRACE(zoom);
        const std::int64_t apart = axis::msToX(s.labelMs, pps);
        EXPECT_GE(apart, spacing);
        // The widest label of that precision fits between two labelled ticks.
        const std::string widest = clockText(s.labelMs < 1000 ? 599'900 : 5'999'000, s.labelMs < 1000 ? 1 : 0);
        EXPECT_LT(fm.horizontalAdvance(QString::fromStdString(widest)), apart);
        EXPECT_EQ(s.labelMs % s.minorMs, 0);
    }
    // Finely zoomed the labels come at tenths; coarsely at minutes.
    EXPECT_LT(axis::rulerSpacing(1000, spacing).labelMs, 1000);
    EXPECT_GE(axis::rulerSpacing(1, spacing).labelMs, 60'000);
}

TEST(RulerSpacing, ZoomToShowIsTheFinestZoomThatFits) {
    struct Case {
        std::int64_t ms, pixels;
        int zoom;
    };
    const Case cases[] = {
        {40'000, 1000, 39},  // 25 px/s: 1000 px exactly
        {1'000, 5000, 1},    // more room than zoom 1 needs
        {0, 100, 1},
        {600'000, 0, INT32_MAX},
        {3'600'000, 100, INT32_MAX},  // not even 1 px/s holds it
        {2'000, 1000, 2},             // 500 px/s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        const int zoom = axis::zoomToShow(c.ms, c.pixels);
        EXPECT_EQ(zoom, c.zoom);
        if (zoom == INT32_MAX || c.ms == 0) continue;
        EXPECT_LE(axis::msToX(c.ms, 1000 / zoom), c.pixels);
        if (zoom > 1) {
            EXPECT_GT(axis::msToX(c.ms, 1000 / (zoom - 1)), c.pixels);
        }
    }
}

TEST(Ruler, TicksAndBarsFallOnTheirTimes) {
    const std::vector<int> bars = {1000, 3000, 5000, 7000};
    RulerInfo info;
    info.pps = 100;
    info.width = 900;
    info.contentRight = kLabelColumnWidth + 1000;
    info.barStartsMs = &bars;
    const QImage image = render(info);
    ASSERT_EQ(image.height(), kRulerTimeRowHeight + kRulerBarRowHeight);
    const int barRowY = kRulerTimeRowHeight + kRulerBarRowHeight - 3;
    const int timeTickY = kRulerTimeRowHeight - 3;
    for (int bar = 0; bar < 4; ++bar) {
        const int x = kLabelColumnWidth + bars[static_cast<std::size_t>(bar)] / 10;
        SCOPED_TRACE(bar);
        if (x < info.width) {
            EXPECT_NE(image.pixelColor(x, barRowY), kBackground);
        }
        EXPECT_EQ(image.pixelColor(x + 1, barRowY + 1), kBackground);
    }
    // A tick at every labelled second (and at its minor ticks), none half-way between minor ticks.
    for (int s = 1; s < 8; ++s) EXPECT_NE(image.pixelColor(kLabelColumnWidth + 100 * s, timeTickY), kBackground);
    // Scrolled by 250 pixels, the ticks move with the time.
    info.scrollX = 250;
    const QImage scrolled = render(info);
    EXPECT_NE(scrolled.pixelColor(kLabelColumnWidth + 300 - 250, timeTickY), kBackground);
    EXPECT_NE(scrolled.pixelColor(kLabelColumnWidth + 300 - 250, barRowY), kBackground);
    // Without beats the ruler is only the time row.
    info.barStartsMs = nullptr;
    EXPECT_EQ(render(info).height(), kRulerTimeRowHeight);
}

TEST(Ruler, ManyBarsAreNumberedOnlyAsOftenAsTheNumbersFit) {
    std::vector<int> bars;
    for (int b = 0; b < 400; ++b) bars.push_back(b * 1920);  // 125 BPM in 4/4
    RulerInfo info;
    info.pps = 1;  // 2 pixels a bar
    info.width = 900;
    info.contentRight = kLabelColumnWidth + 800;
    info.barStartsMs = &bars;
    const QImage image = render(info);
    // Numbers are text: count the columns of the bar row's upper half that hold
    // dark text pixels between ticks; with a number at every bar they would fill it.
    int textColumns = 0;
    for (int x = kLabelColumnWidth; x < kLabelColumnWidth + 770; ++x) {
        bool dark = false;
        for (int y = kRulerTimeRowHeight + 1; y < kRulerTimeRowHeight + kRulerBarRowHeight / 2; ++y)
            if (image.pixelColor(x, y).lightness() < 100) dark = true;
        if (dark) ++textColumns;
    }
    EXPECT_LT(textColumns, 770 / 2);
}
