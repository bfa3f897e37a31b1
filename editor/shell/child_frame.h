// The frame of one performance window inside the main frame: it holds the
// view, asks the save question when closed, and makes its view the player
// link's active view when it is activated.
#pragma once

#include <QMdiSubWindow>

#include "shell/commands.h"

namespace rova {

class CDocument;
class CView;

class CChildFrame : public QMdiSubWindow {
public:
    CChildFrame(CDocument& document, CView* view);

    CDocument& document() const { return m_document; }
    CView* view() const { return m_view; }

    // The framework's activation: an activated frame's view becomes the active
    // view; deactivation changes nothing.
    void onMdiActivate(bool activating);
    // Closes after the question has been answered elsewhere (Close All, Exit).
    void closeWithoutAsking();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CDocument& m_document;
    CView* m_view;
    bool m_asked = false;
};

}  // namespace rova
