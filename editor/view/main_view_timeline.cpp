// The performance view's timeline around its rows: the ruler, the status-bar
// readouts, the wheel, zooming to a range, clicks on the row labels, and the
// labels that stay in place while the time scrolls.
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "beats/bars.h"
#include "panes/time_axis.h"
#include "shell/document.h"
#include "view/main_view.h"
#include "view/time_ruler_widget.h"

namespace rova {
namespace {

constexpr int kWheelNotch = 120;  // the toolkit's units for one notch of a mouse wheel
// A notch scrolls the time by a fifth of the window: a few notches cross it,
// and one notch still keeps most of what was seen.
constexpr int kTimeScrollDivisor = 5;
constexpr int kRowsPerNotch = 48;  // pixels: about three channel rows
// Zoom to Selection leaves a twentieth of the window free on either side, so
// the selection's edges are not hidden under the window's edges.
constexpr int kFitMarginDivisor = 20;
// Zoom to Fit keeps clear of the blank margin right of the longest track and
// the drawing's slack (the view's layout): 50 + 10 pixels, and one for the
// extents, which round up.
constexpr int kFitSlack = 61;
const QColor kLabelEdge(160, 160, 160);

const char* const kLabelHint =
    "Click: select this row \u00b7 Ctrl+click: add or remove a row \u00b7 Shift+click: the rows from the last one clicked";
const char* const kRulerHint = "Click: set the cursor \u00b7 Drag: select time over the selected rows";
const char* const kRowsHint =
    "Drag: select time \u00b7 Shift+drag: rows \u00b7 Ctrl+click: cursor \u00b7 Right-drag: set values \u00b7 "
    "Ctrl+wheel: zoom";

std::string channelName(int channel) {
    if (channel < 0 || channel >= kChannelCount) return {};
    const std::string_view name = kChannelInfo[static_cast<std::size_t>(channel)].name;
    return std::string(name);
}

}  // namespace

// ---- ruler ------------------------------------------------------------------

// The bars follow the beats in force whether or not their lines are shown:
// nothing while the analysis runs, the hand-set tempo or the analysed beats after.
const std::vector<int>& CMainView::barStarts() const {
    const beats::BeatGrid* grid = &m_beats.grid();
    if (grid->empty()) {
        m_barStarts.clear();
        m_barStartsKey = {};
        return m_barStarts;
    }
    // The first bar start too: moving the downbeat by hand keeps the counts.
    const std::array<std::int64_t, 5> key{static_cast<std::int64_t>(grid->beatsMs.size()), grid->beatsMs.front(),
                                          grid->beatsMs.back(), static_cast<std::int64_t>(grid->downbeatsMs.size()),
                                          grid->downbeatsMs.empty() ? -1 : grid->downbeatsMs.front()};
    if (key != m_barStartsKey || m_barStarts.empty()) {
        m_barStarts = beats::barStartsMs(*grid);
        m_barStartsKey = key;
    }
    return m_barStarts;
}

void CMainView::updateRulerHeight() {
    const int height = rulerHeight(!barStarts().empty());
    if (viewportMargins().top() != height) {
        setViewportMargins(0, height, 0, 0);
        updateScrollBars();
    }
    const QRect area = viewport()->geometry();
    m_ruler->setGeometry(area.left(), area.top() - height, area.width(), height);
}

RulerInfo CMainView::rulerInfo(int width) const {
    RulerInfo r;
    r.pps = pixelsPerSecond();
    r.scrollX = horizontalScroll();
    r.width = width;
    r.contentRight = kLabelColumnWidth + m_contentWidth;
    if (const std::vector<int>& bars = barStarts(); !bars.empty()) r.barStartsMs = &bars;
    if (m_playhead.cursor() >= 0) r.cursorX = CPlayhead::lineX(m_playhead.cursor(), r.pps);
    if (m_selStart >= 0 && m_selLength > 0) {
        r.selLeft = stepX(m_selStart);
        r.selRight = r.selLeft + stepsWidth(m_selLength);
    }
    return r;
}

void CMainView::rulerClick(int docX) {
    endRightDrag();
    makeActive();
    m_dragMode = DragMode::None;
    m_playhead.press(*this, {docX, 0});
    m_playhead.release();
    m_ruler->update();
    publishReadout();
}

void CMainView::rulerDrag(int docX1, int docX2) {
    endRightDrag();
    makeActive();
    auto stepAt = [&](int x) {
        return snapped(std::clamp(pixelToStep(x - kLabelColumnWidth, pixelsPerSecond()), 0, m_lastStep));
    };
    const int a = stepAt(docX1), b = stepAt(docX2);
    if (m_rowCount <= 0 || m_firstRow < 0) selectRows(0, static_cast<int>(m_panes.size()), true);
    const int start = std::min(a, b), length = std::abs(b - a) + 1;
    if (start != m_selStart || length != m_selLength) setTimeSelection(start, length);
    m_ruler->update();
}

// ---- labels -----------------------------------------------------------------

void CMainView::labelClick(int row, LabelClick how) {
    const int rows = static_cast<int>(m_panes.size());
    if (row < 0 || row >= rows) return;
    endRightDrag();
    makeActive();
    m_dragMode = DragMode::None;
    const bool anyRows = m_firstRow >= 0 && m_rowCount > 0;
    const int last = m_firstRow + m_rowCount - 1;
    int first = row, count = 1;
    switch (how) {
    case LabelClick::Plain:
        m_labelAnchor = row;
        break;
    case LabelClick::Shift: {
        const int anchor = m_labelAnchor >= 0 && m_labelAnchor < rows ? m_labelAnchor : anyRows ? m_firstRow : row;
        first = std::min(anchor, row);
        count = std::abs(row - anchor) + 1;
        break;
    }
    case LabelClick::Ctrl:
        // The selected rows are one block: a row outside it joins with the rows
        // between; a row at either end leaves it; a row inside cannot go alone.
        if (!anyRows) {
            m_labelAnchor = row;
        } else if (row < m_firstRow || row > last) {
            first = std::min(m_firstRow, row);
            count = std::max(last, row) - first + 1;
        } else if (m_rowCount == 1) {
            first = -1;
            count = 0;
        } else if (row == m_firstRow) {
            first = row + 1;
            count = m_rowCount - 1;
        } else if (row == last) {
            first = m_firstRow;
            count = m_rowCount - 1;
        } else {
            first = m_firstRow;
            count = m_rowCount;
        }
        break;
    }
    const bool range = m_selStart >= 0 && m_selLength > 0;
    selectRows(first, count, true);
    setTimeSelection(range ? m_selStart : 0, range ? m_selLength : m_lastStep + 1);
}

void CMainView::drawStickyLabels(QPainter& p, const QRect& clipIn) {
    const int scroll = horizontalScroll();
    if (scroll <= 0) return;
    const QRect clip = clipIn.isEmpty() ? QRect(QPoint(scroll, 0), drawingSize()) : clipIn;
    p.save();
    // Document x 0 at the window's left edge; only the label column is painted.
    p.translate(scroll, 0);
    const QRect column(0, clip.top(), kLabelColumnWidth, clip.height());
    p.setClipRect(column);
    p.fillRect(column, Qt::white);
    p.setPen(QPen(Qt::black, 0));
    // No visible time columns: the panes draw their labels and separators only.
    const PaneDrawInfo info{kLabelColumnWidth, kLabelColumnWidth + m_contentWidth, 0, -1};
    for (const auto& pane : m_panes) {
        if (pane->top() > clip.bottom() || pane->top() + pane->height() <= clip.top()) continue;
        pane->draw(p, info);
    }
    // A thin edge: the rows go on under the labels.
    p.fillRect(QRect(kLabelColumnWidth - 1, clip.top(), 1, clip.height()), kLabelEdge);
    p.restore();
}

// ---- wheel and zoom ------------------------------------------------------------

void CMainView::wheelEvent(QWheelEvent* event) {
    const QPoint doc = toDocument(event->position().toPoint());
    const QPoint angle = event->angleDelta();
    const QPoint pixels = event->pixelDelta();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    m_pointer = doc;
    if (modifiers.testFlag(Qt::ControlModifier)) {
        wheel(doc, angle.y() != 0 ? angle.y() : angle.x(), WheelAction::Zoom);
    } else if (modifiers.testFlag(Qt::ShiftModifier)) {
        // Some systems turn a Shift+wheel sideways: either direction scrolls the rows.
        if (!pixels.isNull())
            verticalScrollBar()->setValue(verticalScrollBar()->value() - (pixels.y() != 0 ? pixels.y() : pixels.x()));
        else
            wheel(doc, angle.y() != 0 ? angle.y() : angle.x(), WheelAction::Rows);
    } else if (!pixels.isNull()) {
        // A touchpad scrolls by pixels; sideways and up-down both move the time.
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - pixels.x() - pixels.y());
        publishReadout();
    } else {
        wheel(doc, angle.x() + angle.y(), WheelAction::Time);
    }
    event->accept();
}

void CMainView::wheel(QPoint doc, int delta, WheelAction action) {
    if (delta == 0) return;
    switch (action) {
    case WheelAction::Time: {
        const std::int64_t step = std::max(1, viewport()->width() / kTimeScrollDivisor);
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(axis::toPixels(bar->value() - std::int64_t{delta} * step / kWheelNotch));
        break;
    }
    case WheelAction::Rows: {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(axis::toPixels(bar->value() - std::int64_t{delta} * kRowsPerNotch / kWheelNotch));
        break;
    }
    case WheelAction::Zoom: {
        // A touchpad sends small steps: they add up to whole notches.
        m_zoomWheel += delta;
        int zoom = m_zoom;
        for (; m_zoomWheel >= kWheelNotch; m_zoomWheel -= kWheelNotch) zoom = axis::zoomStep(zoom, true, kMinZoom, kMaxZoom);
        for (; m_zoomWheel <= -kWheelNotch; m_zoomWheel += kWheelNotch)
            zoom = axis::zoomStep(zoom, false, kMinZoom, kMaxZoom);
        if (zoom != m_zoom) zoomAround(zoom, doc.x() - horizontalScroll());
        break;
    }
    }
    publishReadout();
}

void CMainView::zoomAround(int zoom, int windowX) {
    // Over the label column the time at the labels' edge stays put.
    windowX = std::max(windowX, kLabelColumnWidth);
    const std::int64_t ms = std::max<std::int64_t>(
        0, axis::xToMs(std::int64_t{horizontalScroll()} + windowX - kLabelColumnWidth, pixelsPerSecond()));
    setZoom(zoom);
    const std::int64_t x = kLabelColumnWidth + axis::msToX(ms, pixelsPerSecond());
    horizontalScrollBar()->setValue(axis::toPixels(std::max<std::int64_t>(0, axis::scrollToKeep(x, windowX))));
}

std::int64_t CMainView::lengthMs() const {
    const CMainDoc& d = doc();
    std::int64_t ms = std::int64_t{m_lastStep} * kMsPerStep;
    if (d.trackFlags() & TRACK_WAVE) ms = std::max(ms, std::int64_t{d.wave().sampleCount} * kMsPerSecond / kSampleRate);
    if (d.trackFlags() & TRACK_LEDS)
        ms = std::max(ms, std::int64_t{d.leds().length()} * kMsPerSecond / kLedStepsPerSecond);
    if (d.trackFlags() & TRACK_MOTION) ms = std::max(ms, std::int64_t{d.motion().totalTicks()} * kMsPerTick);
    return ms;
}

void CMainView::zoomToSelection() {
    if (!canZoomToSelection()) return;
    const int width = viewport()->width() - kLabelColumnWidth;
    const int margin = width / kFitMarginDivisor;
    const std::int64_t ms = std::int64_t{m_selLength} * kMsPerStep;
    setZoom(std::clamp(axis::zoomToShow(ms, width - 2 * margin), kMinZoom, kMaxZoom));
    horizontalScrollBar()->setValue(std::max(0, stepX(m_selStart) - kLabelColumnWidth - margin));
}

void CMainView::zoomToFit() {
    const int width = viewport()->width() - kLabelColumnWidth - kFitSlack;
    setZoom(std::clamp(axis::zoomToShow(lengthMs(), width), kMinZoom, kMaxZoom));
    horizontalScrollBar()->setValue(0);
}

// ---- readouts ------------------------------------------------------------------

ViewReadout CMainView::readout() const {
    ViewReadout r;
    const int pps = pixelsPerSecond();
    const CMotionTrack& motion = doc().motion();
    if (m_pointer) {
        const QPoint at = *m_pointer;
        const bool overRuler = at.y() == kOverRuler;
        const bool overLabels = at.x() - horizontalScroll() < kLabelColumnWidth;
        if (!overLabels) {
            r.pointerMs = std::max<std::int64_t>(0, axis::xToMs(std::int64_t{at.x()} - kLabelColumnWidth, pps));
            if (const std::vector<int>& bars = barStarts(); !bars.empty()) {
                const beats::BarBeat where = beats::barBeatAt(m_beats.grid(), bars, r.pointerMs);
                r.bar = where.bar;
                r.beat = where.beat;
            }
        }
        int row = -1;
        const CTrackPane* pane = overRuler ? nullptr : hitTestRow(at.y(), row);
        r.hint = overRuler ? kRulerHint : !pane ? "" : overLabels ? kLabelHint : kRowsHint;
        if (pane && pane->getJoint() >= 0 && !overLabels && motion.kind() != MOTION_NONE) {
            int values[kChannelCount];
            const int step = std::clamp(pixelToStep(at.x() - kLabelColumnWidth, pps), 0, m_lastStep);
            const int column = pane->getJoint() - motion.firstChannel();
            if (motion.valuesAtStep(step, values) && column >= 0 && column < motion.channelCount()) {
                r.joint = channelName(pane->getJoint());
                r.degrees = values[column];
            }
        }
        // A right drag on a channel sets the keyframe under the pointer.
        if (const auto* dragged = dynamic_cast<const CChannelPane*>(m_rightDragPane)) {
            const int k = dragged->hitTest(at.x() - kLabelColumnWidth);
            const int column = dragged->getJoint() - motion.firstChannel();
            if (k >= 0 && column >= 0 && column < motion.channelCount()) {
                r.joint = channelName(dragged->getJoint());
                r.degrees = degreesFromValue(motion.value(k, column));
                r.settingAngle = true;
            }
        }
    }
    if (m_setJoint >= 0) {
        r.joint = channelName(m_setJoint);
        r.degrees = m_setDegrees;
        r.settingAngle = true;
    }
    if (m_selStart >= 0 && m_selLength > 0) {
        r.selStart = m_selStart;
        r.selLength = m_selLength;
    }
    if (m_playhead.cursor() >= 0) r.cursorMs = std::int64_t{m_playhead.cursor()} * kMsPerStep;
    return r;
}

void CMainView::publishReadout() {
    const ViewReadout before = readouts().last();
    const ViewReadout now = readout();
    if (before.selStart != now.selStart || before.selLength != now.selLength || before.cursorMs != now.cursorMs)
        m_ruler->update();
    readouts().publish(now);
}

void CMainView::leaveEvent(QEvent* event) {
    CView::leaveEvent(event);
    m_pointer.reset();
    publishReadout();
}

// ---- the gestures, for Help ----------------------------------------------------------

const std::vector<CMainView::Gesture>& CMainView::gestures() {
    static const std::vector<Gesture> list = {
        {"Click, drag", "Select a time step, or a time range, over all rows"},
        {"Shift+click, Shift+drag", "Select time on one row; dragging up or down adds rows"},
        {"Ctrl+click, Ctrl+drag", "Set the cursor (where Play starts without a selection); drag to scrub"},
        {"Alt+drag inside the selection", "Move the selected rows' motion and eye lights in time (to beats when snapping)"},
        {"Right-click, right-drag on a joint's row", "Set the angle of the keyframe under the pointer"},
        {"Right-click, right-drag on an eye row", "Light or clear the eye LED steps"},
        {"Click a row's label", "Select that row over the selected time (the whole length without one)"},
        {"Ctrl+click a row's label", "Add the row to the selected rows, or take it off either end"},
        {"Shift+click a row's label", "Select the rows from the last label clicked to this one"},
        {"Click the ruler", "Set the cursor"},
        {"Drag on the ruler", "Select a time range over the selected rows (all rows without any)"},
        {"Wheel, touchpad swipe", "Scroll the time"},
        {"Shift+wheel", "Scroll the rows"},
        {"Ctrl+wheel", "Zoom in or out around the pointer"},
        {"Left, Right", "The time step before or after (the beat, with Snap to Beats)"},
        {"Up, Down", "The next or previous keyframe of the selected joint"},
        {"1 ... 9", "Set the selected keyframes: 1 the joint's upper limit, 5 the middle, 9 the lower limit"},
        {"S", "Smooth the motion between the selection's ends"},
        {"Space", "Play (Esc stops)"},
        {"Drag a joint in the player window", "Set that joint over the selected time"},
    };
    return list;
}

}  // namespace rova
