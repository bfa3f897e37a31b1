#include "panes/time_ruler.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "model/clock_text.h"
#include "panes/time_axis.h"
#include "panes/track_pane.h"

namespace rova {
namespace {

const QColor kBackground(240, 240, 240);
const QColor kCaptionBackground(224, 224, 224);
const QColor kTickColour(64, 64, 64);
const QColor kTextColour(32, 32, 32);
const QColor kBarColour(90, 90, 150);
const QColor kSelectionColour(170, 200, 240);
const QColor kCursorColour(255, 0, 255);  // the playhead's colour
constexpr int kLabelTickHeight = 7;
constexpr int kMinorTickHeight = 3;
constexpr int kTextGap = 3;     // between a tick and its label
constexpr int kLabelGap = 10;   // the least space between two labels
constexpr int kTextInset = 1;   // text top below the row's top

// The widest time the ruler writes at each precision.
constexpr const char* kWidestTenths = "00:00.0";
constexpr const char* kWidestWhole = "000:00";

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

int rulerLabelSpacing(const QPainter& p) {
    const QFontMetrics fm(p.font());
    return std::max(fm.horizontalAdvance(kWidestTenths), fm.horizontalAdvance(kWidestWhole)) + kTextGap + kLabelGap;
}

void drawRuler(QPainter& p, const RulerInfo& r) {
    const bool bars = r.barStartsMs && !r.barStartsMs->empty();
    const int height = rulerHeight(bars);
    const int pps = std::max(1, r.pps);
    p.fillRect(0, 0, r.width, height, kBackground);
    // Window x of a time.
    auto xOf = [&](std::int64_t ms) { return kLabelColumnWidth + axis::msToX(ms, pps) - r.scrollX; };
    const std::int64_t right = std::min<std::int64_t>(r.width, std::int64_t{r.contentRight} - r.scrollX + 1);

    if (r.selRight > r.selLeft)
        p.fillRect(QRect(r.selLeft - r.scrollX, 0, r.selRight - r.selLeft, kRulerTimeRowHeight), kSelectionColour);

    // Times: the first tick at or left of the window's left edge, then on to its right edge.
    const axis::RulerSpacing spacing = axis::rulerSpacing(pps, rulerLabelSpacing(p));
    const bool minor = axis::msToX(spacing.minorMs, pps) >= axis::kMinMinorTickPixels;
    const std::int64_t tickMs = minor ? spacing.minorMs : spacing.labelMs;
    const std::int64_t leftMs = std::max<std::int64_t>(0, axis::xToMs(std::int64_t{r.scrollX} - kLabelColumnWidth, pps));
    const int digits = spacing.labelMs < kMsPerSecond ? 1 : 0;
    const QFontMetrics fm(p.font());
    p.setPen(kTextColour);
    for (std::int64_t t = leftMs / tickMs * tickMs;; t += tickMs) {
        const std::int64_t x = xOf(t);
        if (x > right) break;
        const bool labelled = t % spacing.labelMs == 0;
        const int tick = labelled ? kLabelTickHeight : kMinorTickHeight;
        p.fillRect(static_cast<int>(x), kRulerTimeRowHeight - tick, 1, tick, kTickColour);
        if (labelled)
            p.drawText(QPoint(static_cast<int>(x) + kTextGap, kTextInset + fm.ascent()), qs(clockText(t, digits)));
    }
    p.fillRect(0, kRulerTimeRowHeight - 1, r.width, 1, kTickColour);

    if (bars) {
        const std::vector<int>& starts = *r.barStartsMs;
        const int top = kRulerTimeRowHeight;
        // Bar numbers only as often as they fit: every bar, or every 2nd, 4th, ...
        const std::int64_t span = starts.size() > 1 ? axis::msToX(starts.back() - starts.front(), pps) : 1000;
        const auto gaps = static_cast<std::int64_t>(std::max<std::size_t>(1, starts.size() - 1));
        const std::int64_t perBar = std::max<std::int64_t>(1, span / gaps);
        const int numberWidth = fm.horizontalAdvance(QString::number(starts.size())) + kTextGap + kLabelGap / 2;
        std::size_t every = 1;
        while (perBar * static_cast<std::int64_t>(every) < numberWidth && every < starts.size()) every *= 2;
        const auto first = std::upper_bound(starts.begin(), starts.end(), leftMs);
        for (auto it = first == starts.begin() ? first : first - 1; it != starts.end(); ++it) {
            const std::int64_t x = xOf(*it);
            if (x > right) break;
            const std::size_t index = static_cast<std::size_t>(it - starts.begin());
            const bool numbered = index % every == 0;
            p.fillRect(static_cast<int>(x), top + (numbered ? 0 : kRulerBarRowHeight / 2), 1,
                       numbered ? kRulerBarRowHeight : kRulerBarRowHeight / 2, kBarColour);
            if (numbered)
                p.drawText(QPoint(static_cast<int>(x) + kTextGap, top + kTextInset - 1 + fm.ascent()),
                           QString::number(index + 1));
        }
        p.fillRect(0, height - 1, r.width, 1, kTickColour);
    }

    if (r.cursorX >= 0) {
        const int x = r.cursorX - r.scrollX;
        p.fillRect(x, 0, 1, height, kCursorColour);
        const QPoint marker[3] = {{x - 4, 0}, {x + 5, 0}, {x, 5}};
        p.setPen(Qt::NoPen);
        p.setBrush(kCursorColour);
        p.drawPolygon(marker, 3);
        p.setBrush(Qt::NoBrush);
    }

    // The captions over the label column stay put while the times scroll.
    p.fillRect(0, 0, kLabelColumnWidth, height, kCaptionBackground);
    p.fillRect(kLabelColumnWidth - 1, 0, 1, height, kTickColour);
    p.setPen(kTextColour);
    p.drawText(QPoint(10, kTextInset + fm.ascent()), QStringLiteral("Time"));
    if (bars) p.drawText(QPoint(10, kRulerTimeRowHeight + kTextInset - 1 + fm.ascent()), QStringLiteral("Bar"));
}

}  // namespace rova
