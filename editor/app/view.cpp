#include "app/view.h"

#include <QPainter>
#include <QScrollBar>

#include "app/document.h"
#include "app/editor_app.h"
#include "app/printing.h"

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

bool CView::onCmdMsg(int id, CCmdUI* ui) {
    if (id != ID_FILE_PRINT && id != ID_FILE_PRINT_PREVIEW) return false;
    if (ui) return true;
    CEditorApp* app = CEditorApp::instance();
    if (!app) return true;
    if (id == ID_FILE_PRINT)
        printViewWithDialog(*this, app->printer(), window());
    else
        previewView(*this, app->printer(), window());
    return true;
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
