#include "view/playhead.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "model/eye_lights.h"
#include "panes/time_axis.h"
#include "player/player_link.h"
#include "player/viewer_api.h"
#include "shell/document.h"
#include "view/main_view.h"

namespace rova {

int CPlayhead::lineX(int step, int pps) {
    return axis::toPixels(kLabelColumnWidth + axis::stepsWidth(step, pps));
}

void CPlayhead::invalidateColumn(CMainView& view, int step) const {
    if (step < 0) return;
    const int x = lineX(step, view.pixelsPerSecond()) - view.horizontalScroll();
    view.viewport()->update(QRect(x, 0, 1, view.viewport()->height()));
}

void CPlayhead::moveLine(CMainView& view, int step) {
    if (step == m_line) return;
    invalidateColumn(view, m_line);
    m_line = step;
    invalidateColumn(view, m_line);
}

void CPlayhead::clear(CMainView& view) {
    moveLine(view, -1);
    m_cursor = -1;
}

void CPlayhead::setCursor(CMainView& view, int step) {
    step = std::clamp(step, 0, view.lastStep());
    if (view.selStart() >= 0 || view.selLength() > 0) view.setTimeSelection(-1, 0);
    m_cursor = step;
    moveLine(view, step);
    void* viewer = playerLink().getViewer();
    const CMotionTrack& motion = view.doc().motion();
    if (!viewer) return;
    viewerApi().SetEyes(viewer, eyesAtStep(view.doc().leds(), step));
    if (motion.kind() == MOTION_NONE) return;
    int values[kChannelCount];
    if (motion.valuesAtStep(step, values))
        viewerApi().SetJoints(viewer, {motion.firstChannel(), motion.channelCount(), values});
}

void CPlayhead::showStep(CMainView& view, int step) {
    moveLine(view, step);
    // Turning a page repaints the whole window once, and the line is at its left again.
    const int x = lineX(step, view.pixelsPerSecond());
    const int shown = x - view.horizontalScroll();
    if (shown < 0 || shown >= view.viewport()->width())
        view.horizontalScrollBar()->setValue(std::max(0, x - kLabelColumnWidth));
}

void CPlayhead::press(CMainView& view, QPoint doc) {
    m_scrub = true;
    setCursor(view, CMainView::pixelToStep(doc.x() - kLabelColumnWidth, view.pixelsPerSecond()));
}

bool CPlayhead::drag(CMainView& view, QPoint doc, bool leftDown) {
    if (!m_scrub) return false;
    if (!leftDown) {
        m_scrub = false;
        return false;
    }
    const int step = std::clamp(CMainView::pixelToStep(doc.x() - kLabelColumnWidth, view.pixelsPerSecond()), 0,
                                view.lastStep());
    if (step != m_cursor) setCursor(view, step);
    return true;
}

void CPlayhead::draw(QPainter& p, const CMainView& view, const QRect& clip) const {
    if (m_line < 0) return;
    const int x = lineX(m_line, view.pixelsPerSecond());
    if (x < clip.left() || x > clip.right()) return;
    p.fillRect(QRect(x, 0, 1, view.totalHeight()), kPlayheadColour);
}

}  // namespace rova
