#include "view/time_drag.h"

#include <algorithm>
#include <utility>

#include "beats/beats.h"
#include "shell/document.h"
#include "view/main_view.h"
#include "view/time_edits.h"

namespace rova {
namespace {

int stepUnder(const CMainView& view, QPoint doc) {
    return CMainView::pixelToStep(doc.x() - kLabelColumnWidth, view.pixelsPerSecond());
}

}  // namespace

bool CTimeDrag::press(CMainView& view, QPoint doc) {
    if (!view.hasSelection()) return false;
    const int step = stepUnder(view, doc);
    if (step < view.selStart() || step >= view.selStart() + view.selLength()) return false;
    m_from = view.selStart();
    m_anchor = step;
    return true;
}

bool CTimeDrag::drag(CMainView& view, QPoint doc, bool leftDown) {
    if (!active()) return false;
    const int length = view.selLength();
    if (!leftDown) {
        view.setTimeSelection(m_from, length);
        m_from = -1;
        return true;
    }
    int start = m_from + (stepUnder(view, doc) - m_anchor);
    const int last = timeEditEnd(view);
    if (CBeatTrack::snapToBeats()) start = beats::snapStepToBeat(view.beatGrid(), start, last);
    // The range stays within the tracks: a drag past an end stops there.
    start = std::clamp(start, 0, std::max(0, last + 1 - length));
    if (start != view.selStart()) view.setTimeSelection(start, length);
    return true;
}

bool CTimeDrag::release(CMainView& view) {
    if (!active()) return false;
    const int from = std::exchange(m_from, -1);
    const int to = view.selStart();
    const int length = view.selLength();
    if (to == from) return true;
    // The step's selection before is where the range was.
    view.setTimeSelection(from, length);
    const TimeEditOutcome outcome = runTimeEdit(view, to > from ? "Move Later" : "Move Earlier",
                                                {TimeEditKind::Move, from, length, to});
    if (!outcome.applied) view.setTimeSelection(from, length);
    if (!outcome.message.empty()) view.doc().ui().showMessage(outcome.message);
    return true;
}

}  // namespace rova
