#include "shell/document.h"

#include <QFileInfo>
#include <algorithm>

#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "shell/recent_files.h"
#include "shell/shell_dialogs.h"
#include "shell/view.h"

namespace rova {

CDocument::CDocument(CEditorApp& app, MessageInterface& ui) : m_app(app), m_doc(ui, app.soundConverter()) {
    m_doc.updateAllViews = [this](int hint) { updateAllViews(hint); };
}

CDocument::~CDocument() { m_doc.updateAllViews = nullptr; }

bool CDocument::open(const QString& path) {
    if (!m_doc.onOpenDocument(path.toStdString())) return false;
    m_doc.setPathName(path.toStdString());
    return true;
}

QString CDocument::pathName() const { return QString::fromStdString(m_doc.pathName()); }

QString CDocument::title() const { return QString::fromStdString(m_doc.title()); }

void CDocument::addView(CView* view) { m_views.push_back(view); }

void CDocument::removeView(CView* view) {
    std::erase(m_views, view);
    // Last statement: releasing deletes this document.
    if (m_views.empty() && m_closing) m_app.releaseDocument(*this);
}

void CDocument::updateAllViews(int hint) {
    for (CView* view : m_views) view->onUpdate(hint);
}

bool CDocument::isModified() { return m_doc.updateSaveState(); }

bool CDocument::saveModified() {
    if (!isModified()) return true;
    QWidget* parent = m_app.mainFrame();
    switch (m_app.dialogs().askSaveChanges(parent, title())) {
    case ShellDialogs::SaveAnswer::Yes: return doFileSave();
    case ShellDialogs::SaveAnswer::No: return true;
    case ShellDialogs::SaveAnswer::Cancel: break;
    }
    return false;
}

bool CDocument::doFileSave() {
    QString path = pathName();
    const QFileInfo file(path);
    if (!file.exists() || !file.isWritable()) {
        // The opened file has gone or become read-only: save under a new name.
        path = m_app.dialogs().chooseSaveName(m_app.mainFrame(), path);
        if (path.isEmpty()) return false;
        path = absolutePath(path);
        if (!m_doc.onSaveDocument(path.toStdString())) return false;
        m_doc.setPathName(path.toStdString());
        m_app.addToRecentFiles(path);
        if (m_app.mainFrame()) m_app.mainFrame()->documentTitleChanged(*this);
        return true;
    }
    return m_doc.onSaveDocument(path.toStdString());
}

}  // namespace rova
