#include "shell/child_frame.h"

#include <QCloseEvent>

#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/view.h"
#include "res/icons.h"

namespace rova {

CChildFrame::CChildFrame(CDocument& document, CView* view) : m_document(document), m_view(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    setWindowIcon(res::documentIcon());
    setWindowTitle(document.title());
    document.setFrame(this);
}

void CChildFrame::onMdiActivate(bool activating) {
    if (activating && m_view && playerLink().activeView() != m_view) playerLink().setActiveView(m_view);
}

void CChildFrame::closeWithoutAsking() {
    m_asked = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!m_asked && !m_document.saveModified()) {
        event->ignore();
        return;
    }
    m_asked = true;
    if (CEditorApp* app = CEditorApp::instance()) app->frameClosing(m_document);
    QMdiSubWindow::closeEvent(event);
}

}  // namespace rova
