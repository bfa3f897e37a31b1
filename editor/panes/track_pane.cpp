#include "track_pane.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "check/segment_rules.h"
#include "model/keyframe_ops.h"
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
        QPoint at(info.contentLeft, mid);
        for (int i = info.firstColumn; i <= info.lastColumn; ++i) {
            const std::int64_t index = axis::xToSample(i, pixels);
            if (index >= m_track.sampleCount) break;
            const int sample = m_track.samples[index];
            const QPoint to(info.contentLeft + i, mid + ((sample - 128) * 40) / 256);
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
    for (std::int64_t i = from; i < to; ++i)
        if (m_track.steps[static_cast<std::size_t>(i)] & mask())
            p.fillRect(axis::toPixels(info.contentLeft + axis::ledStepToX(i, pixels)), m_top, width, m_height, colour);
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

    const QPen previous = p.pen();
    // Two-pixel lines are drawn as two one-pixel lines side by side: the same
    // look as a wide pen at a fraction of its cost on long performances.
    const QPen normal(kNormalPen, 1), fast(kFastPen, 1), alarm(kAlarmPen, 1);
    const int half = m_height / 2 - 2;
    const int mid = m_top + m_height / 2;
    const double lower = ch.lower, upper = ch.upper;
    auto yOf = [&](double d) { return mid + static_cast<int>(std::trunc(half - (d - lower) * 2 * half / (upper - lower))); };
    // The performance check judges by the same rules, so its list and these colours agree.
    const check::ChannelRules rules(ch);

    // Only the segments that reach the visible columns are drawn: from the
    // keyframe before the first visible one to the first one past the right.
    const int count = m_track.keyframeCount();
    int lo = 0, hi = count;
    while (lo < hi) {
        const int probe = (lo + hi) / 2;
        if (column(m_track.keyframeTime(probe)) < drawInfo.firstColumn) lo = probe + 1;
        else hi = probe;
    }
    const int from = std::max(0, lo - 1);
    // Consecutive lines of one pen are drawn together, in their order, so the
    // picture is the same as drawing them one by one.
    const QPen* pens[] = {&normal, &fast, &alarm};  // indexed by check::SegmentPen
    int batchPen = 0;
    std::vector<QLine> batch;
    auto flush = [&] {
        if (batch.empty()) return;
        p.setPen(*pens[batchPen]);
        p.drawLines(batch.data(), static_cast<int>(batch.size()));
        batch.clear();
    };
    QPoint at;
    double previousDegrees = 0;
    for (int k = from; k < count; ++k) {
        const double d = degreesFromValue(m_track.value(k, m_column));
        const std::int64_t x = column(m_track.keyframeTime(k));
        const QPoint here(axis::toPixels(drawInfo.contentLeft + x), yOf(d));
        if (k > from) {
            const int pen = check::classifySegment(previousDegrees, d, m_track.duration(k), rules);
            if (pen != batchPen) {
                flush();
                batchPen = pen;
            }
            const QPoint beside = std::abs(here.x() - at.x()) >= std::abs(here.y() - at.y()) ? QPoint(0, 1) : QPoint(1, 0);
            batch.emplace_back(at, here);
            batch.emplace_back(at + beside, here + beside);
            batch.emplace_back(here.x(), here.y() - 2, here.x(), here.y() + 2);
            batch.emplace_back(here.x() + 1, here.y() - 2, here.x() + 1, here.y() + 2);
        }
        at = here;
        previousDegrees = d;
        if (x > drawInfo.lastColumn) break;
    }
    flush();
    p.setPen(previous);
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
    const int k = hitTest(x);
    if (k >= 0) {
        setValueFromY(k, y);
        if (m_view) m_view->setTimeSelection(-1, 0);
    }
    return true;
}

void CChannelPane::onRightDrag(int x, int y) {
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
