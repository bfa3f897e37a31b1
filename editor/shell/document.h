// The framework's side of a performance document: its path and title, its
// views and frame, the save question and Save, Close and Replace Audio on the
// command route. The tracks and files are CMainDoc's.
#pragma once

#include <QString>
#include <vector>

#include "shell/commands.h"
#include "document/main_doc.h"

namespace rova {

class CChildFrame;
class CEditorApp;
class CView;

class CDocument {
public:
    CDocument(CEditorApp& app, MessageInterface& ui);
    ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    CMainDoc& doc() { return m_doc; }
    const CMainDoc& doc() const { return m_doc; }

    // Reads the performance of path (its messages shown) and takes path as
    // the document's path name.
    bool open(const QString& path);
    QString pathName() const;
    QString title() const;

    const std::vector<CView*>& views() const { return m_views; }
    void addView(CView* view);
    // A closing document goes away with its last view.
    void removeView(CView* view);
    void markClosing() { m_closing = true; }
    CChildFrame* frame() const { return m_frame; }
    void setFrame(CChildFrame* frame) { m_frame = frame; }
    void updateAllViews(int hint);

    // Brings the modified flag up to date with the tracks and returns it.
    bool isModified();
    // The save question for a modified document: Yes saves, No drops the
    // changes, Cancel (or a failed save) keeps the document open (false).
    bool saveModified();
    // Saves to the path name, or, when that file can no longer be written, to
    // a name the user chooses.
    bool doFileSave();


private:
    CEditorApp& m_app;
    CMainDoc m_doc;
    std::vector<CView*> m_views;
    CChildFrame* m_frame = nullptr;
    bool m_closing = false;
};

}  // namespace rova
