// The "Problems" panel of the main frame: the performance check of the active
// document as a list, refreshed whenever the program goes idle while the panel
// is shown. Double-clicking a problem selects its time steps and row in the
// performance view and scrolls there.
#pragma once

#include <QDockWidget>
#include <vector>

#include "check/check.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace rova {

class CMainFrame;
class CMainView;

class CProblemsDock : public QDockWidget {
public:
    explicit CProblemsDock(CMainFrame& frame);

    // The frame's panel, made and docked on first use; shown, raised and checked anew.
    static CProblemsDock& showFor(CMainFrame& frame);
    static CProblemsDock* find(CMainFrame& frame);

    // Checks the active document again; the list is rebuilt only when its problems changed.
    void refresh(bool force = false);
    // Selects problem `index` of the list in the view and scrolls to it; false when there is none.
    bool goToProblem(int index);

    const std::vector<check::Problem>& problems() const { return m_problems; }
    QTreeWidget* list() const { return m_list; }

private:
    void rebuild(const std::vector<check::Problem>& before);

    CMainFrame& m_frame;
    QTreeWidget* m_list = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_clamp = nullptr;
    const void* m_document = nullptr;  // identity of the document listed, never dereferenced
    std::vector<check::Problem> m_problems;
    bool m_hasDocument = false;
};

// The performance view a problem's selection goes to: its rows and steps, scrolled into sight.
void showProblemInView(CMainView& view, const check::Problem& problem);

}  // namespace rova
