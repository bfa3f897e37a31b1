#include "track_pane.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "check/segment_rules.h"
#include "model/keyframe_ops.h"
#include "panes/row_raster.h"
#include "panes/time_axis.h"

namespace rova {
namespace {

const QColor kMarkColour(64, 64, 64);
const QColor kLabelColour(128, 128, 128);
const QColor kNormalPen(0, 0, 255);
const QColor kFastPen(255, 255, 0);
const QColor kAlarmPen(255, 0, 0);

}  // namespace

void CTrackPane::draw(QPainter& p, const PaneDrawInfo& info) {
    p.fillRect(0, m_top, info.contentRight, m_height, Qt::black);
}

void CTrackPane::drawTimeMarks(QPainter& p, const PaneDrawInfo& info, int divisor, int multiplier) const {
    const int pixels = pps();
    if (pixels < 60) return;
    const std::int64_t step = static_cast<std::int64_t>(multiplier) * pixels;
    // Only the marks that can fall into the visible columns are drawn.
    const std::int64_t right = std::min<std::int64_t>(info.contentRight, info.contentLeft + info.lastColumn + 1);
    const std::int64_t first = std::max<std::int64_t>(1, (static_cast<std::int64_t>(info.firstColumn) - 1) * divisor / step);
    for (std::int64_t d = first * step; d / divisor + info.contentLeft <= right; d += step)
        p.fillRect(static_cast<int>(d / divisor + info.contentLeft), m_top + m_height - 4, 1, 4, kMarkColour);
}

void CTrackPane::redrawRow() const {
    if (m_view) m_view->invalidateBand(m_top, m_height);
}

void CTrackPane::drawLabel(QPainter& p, int x, int y, const QString& text) const {
    // Text positions name the top-left corner of the text, as labels are laid out.
    const QPen previous = p.pen();
    p.setPen(kLabelColour);
    p.drawText(QRect(x, y, 1000, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    p.setPen(previous);
}

void CSeparatorPane::draw(QPainter& p, const PaneDrawInfo& info) {
    const int left = m_fromTimeZero ? info.contentLeft : 0;
    p.fillRect(left, m_top, info.contentRight - left, m_height, Qt::black);
}

void CAudioPane::draw(QPainter& p, const PaneDrawInfo& info) {
    const int pixels = pps();
    if (m_track.sampleCount > 0) {
        const int mid = m_top + 20;
        auto pointAt = [&](int i, QPoint& point) {
            const std::int64_t index = axis::xToSample(i, pixels);
            if (index >= m_track.sampleCount) return false;
            point = QPoint(info.contentLeft + i, mid + ((m_track.samples[index] - 128) * 40) / 256);
            return true;
        };
        // A drawing that starts right of time zero (a strip uncovered by a
        // scroll) starts from the column before it, so that its first column
        // shows the same pixels as a drawing of the whole row.
        QPoint at(info.contentLeft, mid);
        int first = info.firstColumn;
        if (first > 0) pointAt(first - 1, at);
        for (int i = first; i <= info.lastColumn; ++i) {
            QPoint to;
            if (!pointAt(i, to)) break;
            p.drawLine(at, to);
            at = to;
        }
    }
    drawTimeMarks(p, info, 10, 1);
    drawLabel(p, 10, m_top + 10, QStringLiteral("Audio"));
}

void CAudioPane::getExtent(int& width, int& steps) const {
    width = axis::toPixels(axis::samplesWidth(m_track.sampleCount, pps()));
    steps = 0;
}

void CMidiPane::draw(QPainter& p, const PaneDrawInfo& info) {
    drawLabel(p, 10, m_top + 5, QStringLiteral("MIDI"));
    drawLabel(p, info.contentLeft + 10, m_top + 4, QStringLiteral("  (MIDI Audio dump -- Not Yet Implemented)"));
}

void CLedPane::draw(QPainter& p, const PaneDrawInfo& info) {
    if (m_bit == 0) drawLabel(p, 10, m_top, QStringLiteral("LEDs"));
    drawTimeMarks(p, info, 1, 1);
    const int pixels = pps();
    const int width = std::max(1, pixels / 12);
    const QColor colour = m_bit == 0 ? QColor(0, 255, 0) : QColor(255, 0, 0);
    // Only the steps that can reach the visible columns are drawn.
    const std::int64_t from = std::max<std::int64_t>(0, axis::xToLedStep(info.firstColumn, pixels) - 1);
    const std::int64_t to =
        std::min<std::int64_t>(m_track.length(), axis::xToLedStep(std::int64_t{info.lastColumn} + 1, pixels) + 1);
    // Lit steps whose rectangles touch or overlap are filled as one rectangle:
    // the same pixels, far fewer calls where steps are narrower than a pixel.
    std::int64_t runLeft = 0, runRight = -1;  // the pending rectangle's columns [left, right)
    auto flush = [&] {
        if (runRight > runLeft)
            p.fillRect(axis::toPixels(info.contentLeft + runLeft), m_top, axis::toPixels(runRight - runLeft), m_height,
                       colour);
    };
    for (std::int64_t i = from; i < to; ++i) {
        if (!(m_track.steps[static_cast<std::size_t>(i)] & mask())) continue;
        const std::int64_t x = axis::ledStepToX(i, pixels);
        if (x <= runRight) {
            runRight = std::max(runRight, x + width);
            continue;
        }
        flush();
        runLeft = x;
        runRight = x + width;
    }
    flush();
}

void CLedPane::getExtent(int& width, int& steps) const {
    width = axis::toPixels(axis::ledStepsWidth(m_track.length(), pps()));
    steps = 0;
}

bool CLedPane::onRightButtonDown(int x, int /*y*/, unsigned /*keyState*/) {
    if (x < 0) return false;
    const std::int64_t i = axis::xToLedStep(x, pps());
    if (i >= m_track.length()) return false;
    auto& step = m_track.steps[static_cast<std::size_t>(i)];
    m_light = !(step & mask());
    step = static_cast<std::uint8_t>(m_light ? step | mask() : step & ~mask());
    m_anchor = static_cast<int>(i);
    m_track.modified = true;
    redrawRow();
    return true;
}

void CLedPane::onRightDrag(int x, int /*y*/) {
    if (m_track.length() == 0) return;
    const std::int64_t at = std::clamp<std::int64_t>(axis::xToLedStep(x, pps()), 0, m_track.length() - 1);
    const int from = static_cast<int>(std::min<std::int64_t>(m_anchor, at));
    const int to = static_cast<int>(std::max<std::int64_t>(m_anchor, at));
    bool changed = false;
    for (int i = std::max(0, from); i <= to && i < m_track.length(); ++i) {
        auto& step = m_track.steps[static_cast<std::size_t>(i)];
        const auto next = static_cast<std::uint8_t>(m_light ? step | mask() : step & ~mask());
        if (next != step) {
            step = next;
            changed = true;
        }
    }
    if (changed) {
        m_track.modified = true;
        redrawRow();
    }
}

void CChannelPane::draw(QPainter& p, const PaneDrawInfo& drawInfo) {
    const ChannelInfo& ch = info();
    drawLabel(p, 10, m_top + m_height / 8, QString::fromLatin1(ch.name.data(), static_cast<int>(ch.name.size())));
    drawTimeMarks(p, drawInfo, 125, 10);
    // Where a drawing pixel is a device pixel the segments are drawn pixel by
    // pixel; a scaled painter (printing, a high-density screen) gets lines,
    // which stay lines at any scale.
    if (p.deviceTransform().type() <= QTransform::TxTranslate) drawSegmentsAsPixels(p, drawInfo);
    else drawSegmentsAsLines(p, drawInfo);
}

std::vector<CChannelPane::Point> CChannelPane::visiblePoints(const PaneDrawInfo& drawInfo) const {
    const ChannelInfo& ch = info();
    const int half = m_height / 2 - 2;
    const int mid = m_top + m_height / 2;
    const double lower = ch.lower, upper = ch.upper;
    auto yOf = [&](double d) { return mid + static_cast<int>(std::trunc(half - (d - lower) * 2 * half / (upper - lower))); };
    // The performance check judges by the same rules, so its list and these colours agree.
    const check::ChannelRules rules(ch);

    // Only the segments that reach the visible columns: from the keyframe
    // before the first one at or right of the column left of the view (a
    // segment's second line and its tick reach one column right of its end)
    // to the first one past the right.
    const int count = m_track.keyframeCount();
    int lo = 0, hi = count;
    while (lo < hi) {
        const int probe = (lo + hi) / 2;
        if (column(m_track.keyframeTime(probe)) < drawInfo.firstColumn - 1) lo = probe + 1;
        else hi = probe;
    }
    const int from = std::max(0, lo - 1);
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(std::min(count - from, 1 << 16)));
    const int pixels = pps();
    double previousDegrees = 0;
    for (int k = from; k < count; ++k) {
        const double d = degreesFromValue(m_track.value(k, m_column));
        const std::int64_t x = axis::tickToX(m_track.keyframeTime(k), pixels);
        Point here{axis::toPixels(drawInfo.contentLeft + x), yOf(d), PEN_NORMAL};
        if (k > from) {
            here.pen = check::classifySegment(previousDegrees, d, m_track.duration(k), rules);
        }
        points.push_back(here);
        previousDegrees = d;
        if (x > drawInfo.lastColumn) break;
    }
    return points;
}

namespace {

// The side on which a segment's second one-pixel line lies: below flat
// segments, right of steep ones (two such lines look like a two-pixel pen).
QPoint besideOf(QPoint from, QPoint to) {
    return std::abs(to.x() - from.x()) >= std::abs(to.y() - from.y()) ? QPoint(0, 1) : QPoint(1, 0);
}

}  // namespace

void CChannelPane::drawSegmentsAsLines(QPainter& p, const PaneDrawInfo& drawInfo) const {
    const std::vector<Point> points = visiblePoints(drawInfo);
    const QPen previous = p.pen();
    const QPen pens[] = {QPen(kNormalPen, 1), QPen(kFastPen, 1), QPen(kAlarmPen, 1)};
    // Consecutive lines of one pen are drawn together, in their order, so the
    // picture is the same as drawing them one by one.
    int batchPen = PEN_NORMAL;
    std::vector<QLine> batch;
    auto flush = [&] {
        if (batch.empty()) return;
        p.setPen(pens[batchPen]);
        p.drawLines(batch.data(), static_cast<int>(batch.size()));
        batch.clear();
    };
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPoint at(points[i - 1].x, points[i - 1].y), here(points[i].x, points[i].y);
        if (points[i].pen != batchPen) {
            flush();
            batchPen = points[i].pen;
        }
        const QPoint beside = besideOf(at, here);
        batch.emplace_back(at, here);
        batch.emplace_back(at + beside, here + beside);
        batch.emplace_back(here.x(), here.y() - 2, here.x(), here.y() + 2);
        batch.emplace_back(here.x() + 1, here.y() - 2, here.x() + 1, here.y() + 2);
    }
    flush();
    p.setPen(previous);
}

void CChannelPane::drawSegmentsAsPixels(QPainter& p, const PaneDrawInfo& drawInfo) const {
    const std::vector<Point> points = visiblePoints(drawInfo);
    if (points.size() < 2) return;
    static const QRgb colours[] = {kNormalPen.rgba(), kFastPen.rgba(), kAlarmPen.rgba()};

    // The area to draw: the visible columns, and the rows the segments reach
    // (values beyond the channel's limits reach past the pane) within what
    // the painter's device shows.
    int minY = m_top, maxY = m_top + m_height - 1;
    for (const Point& pt : points) {
        minY = std::min(minY, pt.y - 2);
        maxY = std::max(maxY, pt.y + 2);
    }
    QRect area(drawInfo.contentLeft + drawInfo.firstColumn, minY, drawInfo.lastColumn - drawInfo.firstColumn + 1,
               maxY - minY + 1);
    if (const QPaintDevice* device = p.device())
        area &= p.transform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
    if (p.hasClipping()) area &= p.clipBoundingRect().toAlignedRect();
    if (area.isEmpty()) return;

    static RowRaster raster;
    raster.begin(area);
    // Where keyframes lie less than two pixels apart, every column keeps the
    // extent of the segments and ticks that cross it and the strongest of
    // their pens, and is drawn as one span: the picture of a dense stretch at
    // the cost of its columns, not of its keyframes.
    const int left = area.left(), width = area.width();
    std::vector<int> spans(3 * static_cast<std::size_t>(width));  // top, bottom, pen + 1 (0: none) per column
    int spanFirst = width, spanLast = -1;
    auto addSpan = [&](int x, int top, int bottom, int pen) {
        const int i = x - left;
        if (i < 0 || i >= width) return;
        int* span = &spans[3 * static_cast<std::size_t>(i)];
        if (span[2] == 0) {
            span[0] = top;
            span[1] = bottom;
            span[2] = pen + 1;
        } else {
            span[0] = std::min(span[0], top);
            span[1] = std::max(span[1], bottom);
            span[2] = std::max(span[2], pen + 1);
        }
        spanFirst = std::min(spanFirst, i);
        spanLast = std::max(spanLast, i);
    };
    auto flushSpans = [&] {
        for (int i = spanFirst; i <= spanLast; ++i) {
            int* span = &spans[3 * static_cast<std::size_t>(i)];
            if (span[2] == 0) continue;
            raster.column(left + i, span[0], span[1], colours[span[2] - 1]);
            span[2] = 0;
        }
        spanFirst = width;
        spanLast = -1;
    };
    for (std::size_t i = 1; i < points.size(); ++i) {
        const Point& a = points[i - 1];
        const Point& b = points[i];
        const QRgb colour = colours[b.pen];
        if (b.x - a.x < 2) {
            const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
            for (int x = a.x; x <= b.x + 1; ++x) addSpan(x, top, bottom, b.pen);
            addSpan(b.x, b.y - 2, b.y + 2, b.pen);
            addSpan(b.x + 1, b.y - 2, b.y + 2, b.pen);
            continue;
        }
        // Keyframes far enough apart: the lines as the painter draws them, in order.
        if (spanLast >= 0) flushSpans();
        const QPoint beside = besideOf(QPoint(a.x, a.y), QPoint(b.x, b.y));
        raster.line(a.x, a.y, b.x, b.y, colour);
        raster.line(a.x + beside.x(), a.y + beside.y(), b.x + beside.x(), b.y + beside.y(), colour);
        raster.fill(b.x, b.y - 2, 2, 5, colour);
    }
    if (spanLast >= 0) flushSpans();
    raster.end(p);
}

void CChannelPane::getExtent(int& width, int& steps) const {
    const std::int64_t total = m_track.totalTicks();
    width = axis::toPixels(axis::ticksWidth(total, pps()));
    steps = axis::toPixels((total + kTicksPerStep - 1) / kTicksPerStep);
}

std::int64_t CChannelPane::column(std::int64_t ticks) const { return axis::tickToX(ticks, pps()); }

int CChannelPane::hitTest(int x) const {
    for (int k = 0; k < m_track.keyframeCount(); ++k)
        if (std::llabs(column(m_track.keyframeTime(k)) - x) <= 4) return k;
    return -1;
}

bool CChannelPane::setValueFromY(int k, int y) {
    if (k <= 0 || k >= m_track.keyframeCount() - 1) return false;
    const ChannelInfo& ch = info();
    const int h2 = m_height / 2;
    float degrees = (ch.upper + ch.lower) * 0.5f - static_cast<float>(y - h2) * (ch.upper - ch.lower) / static_cast<float>(h2 * 2 - 4);
    degrees = std::clamp(degrees, ch.lower, ch.upper);
    const std::int32_t value = valueFromDegrees(degrees);
    if (value != m_track.value(k, m_column)) {
        m_track.setValue(k, m_column, value);
        redrawRow();
    }
    return true;
}

// A press between keyframes still takes the drag: the moves and the release
// that follow set the keyframes they pass over.
bool CChannelPane::onRightButtonDown(int x, int y, unsigned /*keyState*/) {
    if (x < 0) return false;
    m_dragX = x;
    m_dragY = y;
    const int k = hitTest(x);
    if (k >= 0) {
        setValueFromY(k, y);
        if (m_view) m_view->setTimeSelection(-1, 0);
    }
    return true;
}

// A fast mouse skips keyframes between two of its events: those whose columns
// lie between the last point and this one take the y of the straight line
// between the two, so the stroke leaves no one-step spikes behind.
void CChannelPane::onRightDrag(int x, int y) {
    const int fromX = m_dragX, fromY = m_dragY;
    m_dragX = x;
    m_dragY = y;
    if (x != fromX) {
        const std::int64_t left = std::min(fromX, x), right = std::max(fromX, x);
        for (int k = 1; k < m_track.keyframeCount() - 1; ++k) {
            const std::int64_t c = column(m_track.keyframeTime(k));
            if (c < left || c > right) continue;
            const std::int64_t along = fromY + (c - fromX) * (static_cast<std::int64_t>(y) - fromY) / (x - fromX);
            setValueFromY(k, static_cast<int>(along));
        }
    }
    const int k = hitTest(x);
    if (k >= 0) setValueFromY(k, y);
}

bool CChannelPane::onKey(int key) {
    int start, length;
    if (!m_view || !m_view->getSelection(start, length)) return CTrackPane::onKey(key);
    const ChannelInfo& ch = info();
    if (key >= '1' && key <= '9') {
        const int level = '9' - key;
        const float degrees = (ch.upper - ch.lower) * static_cast<float>(level) * 0.125f + ch.lower;
        if (m_track.setValueInRange(m_column, valueFromDegrees(degrees), start, length)) {
            m_view->pushPoseToViewer();
            redrawRow();
        }
        return false;
    }
    if (key == 'S') {
        smoothBetweenEnds(m_track, m_column, start, length);
        m_view->pushPoseToViewer();
        redrawRow();
        return false;
    }
    bool pastEnd = false;
    if (key == kKeyDown) {
        for (int s = start - 1; s >= 0; --s)
            if (m_track.isKeyframeAtStep(s, pastEnd)) {
                m_view->setTimeSelection(s, 1);
                break;
            }
        return true;
    }
    if (key == kKeyUp) {
        for (int s = start + 1;; ++s) {
            if (m_track.isKeyframeAtStep(s, pastEnd)) {
                m_view->setTimeSelection(s, 1);
                break;
            }
            if (pastEnd) break;
        }
        return true;
    }
    return CTrackPane::onKey(key);
}

bool CChannelPane::setValueInSelection(int degrees) {
    int start, length;
    if (!m_view || !m_view->getSelection(start, length)) return false;
    const bool any = m_track.setValueInRange(m_column, valueFromDegrees(degrees), start, length);
    if (any) redrawRow();
    return any;
}

}  // namespace rova
