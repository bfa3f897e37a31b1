// Alt+drag of the selection: the selected time range follows the pointer by
// whole time steps (to beats while Snap to Beats is on) and the release moves
// the selected rows' motion and eye lights there, as one undo step.
#pragma once

#include <QPoint>

namespace rova {

class CMainView;

class CTimeDrag {
public:
    // A press inside the selected time range starts the drag; false elsewhere.
    bool press(CMainView& view, QPoint doc);
    // The pointer moved; false when no drag runs. Without the left button the
    // drag is cancelled and the selection goes back.
    bool drag(CMainView& view, QPoint doc, bool leftDown);
    // The release: the move, when the range left its place. False when no drag runs.
    bool release(CMainView& view);
    bool active() const { return m_from >= 0; }

private:
    int m_from = -1;   // the selection's start when the drag began
    int m_anchor = 0;  // the time step pressed
};

}  // namespace rova
