#include "shell/view.h"

#include <QPainter>
#include <QScrollBar>

#include "shell/document.h"

namespace rova {

CView::CView(CDocument& document, QWidget* parent) : QAbstractScrollArea(parent), m_document(document) {
    setFocusPolicy(Qt::StrongFocus);
    document.addView(this);
}

CView::~CView() {
    playerLink().forgetView(this);
    m_document.removeView(this);
}

void CView::onUpdate(int hint) {
    viewport()->update();
    if (hint == 1) onInitialUpdate();
}

void CView::onKeyDown(int) {}

bool CView::onViewerJointValue(int, int) { return false; }

void CView::activeViewChanged(bool) { viewport()->update(); }

void CView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    onDraw(painter);
}

}  // namespace rova
