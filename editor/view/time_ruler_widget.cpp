#include "view/time_ruler_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdlib>

#include "view/main_view.h"

namespace rova {
namespace {

// A press that moves less than this is a click, not a drag.
constexpr int kDragThreshold = 3;

}  // namespace

CTimeRuler::CTimeRuler(CMainView& view) : QWidget(&view), m_view(view) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

int CTimeRuler::toDocument(double x) const { return static_cast<int>(x) + m_view.horizontalScroll(); }

void CTimeRuler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawRuler(p, m_view.rulerInfo(width()));
}

void CTimeRuler::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || event->position().x() < kLabelColumnWidth) return;
    m_view.setFocus(Qt::MouseFocusReason);
    m_pressX = toDocument(event->position().x());
    m_dragging = false;
}

void CTimeRuler::mouseMoveEvent(QMouseEvent* event) {
    const int x = toDocument(event->position().x());
    if (m_pressX && event->buttons().testFlag(Qt::LeftButton)) {
        if (std::abs(x - *m_pressX) >= kDragThreshold) m_dragging = true;
        if (m_dragging) m_view.rulerDrag(*m_pressX, x);
    }
    // The readouts follow the pointer over the ruler as over the rows.
    m_view.setPointer(QPoint(x, CMainView::kOverRuler));
    m_view.publishReadout();
}

void CTimeRuler::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressX) return;
    const int x = toDocument(event->position().x());
    if (m_dragging) m_view.rulerDrag(*m_pressX, x);
    else m_view.rulerClick(x);
    m_pressX.reset();
    m_dragging = false;
    m_view.publishReadout();
}

void CTimeRuler::wheelEvent(QWheelEvent* event) {
    // Over the ruler the wheel scrolls or zooms the time; there are no rows here.
    const QPoint doc(toDocument(event->position().x()), 0);
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const auto action = event->modifiers().testFlag(Qt::ControlModifier) ? CMainView::WheelAction::Zoom
                                                                           : CMainView::WheelAction::Time;
    m_view.wheel(doc, delta, action);
    event->accept();
}

void CTimeRuler::leaveEvent(QEvent*) {
    m_view.setPointer(std::nullopt);
    m_view.publishReadout();
}

}  // namespace rova
