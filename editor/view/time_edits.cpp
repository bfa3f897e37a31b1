#include "view/time_edits.h"

#include <QString>
#include <algorithm>

#include "shell/document.h"
#include "view/main_view.h"

namespace rova {
namespace {

constexpr const char* kMsgSelectionRequired = "Selection required";
constexpr const char* kMsgPastEnds = "The selection cannot move past the start or the end of the performance";
// Bars of unknown metre: four beats, the metre of almost all dance music.
constexpr int kAssumedBeatsPerBar = 4;

const char* kindName(MotionKind kind) {
    switch (kind) {
    case MOTION_FULL_BODY: return "full-body";
    case MOTION_HEAD: return "head";
    case MOTION_LEGS: return "legs";
    case MOTION_TAIL: return "tail";
    default: return "";
    }
}

}  // namespace

TimeRows timeRowsOf(const CMainView& view) {
    TimeRows rows;
    const auto& panes = view.panes();
    const int first = view.rowCount() > 0 ? view.firstRow() : 0;
    const int end = view.rowCount() > 0 ? first + view.rowCount() : static_cast<int>(panes.size());
    const int firstChannel = view.doc().motion().firstChannel();
    // The eye rows come green first, then red, as the view builds them.
    unsigned eye = 0;
    for (int row = 0; row < static_cast<int>(panes.size()); ++row) {
        const CTrackPane& pane = *panes[static_cast<std::size_t>(row)];
        const bool selected = row >= first && row < end;
        if (dynamic_cast<const CLedPane*>(&pane)) {
            if (selected) rows.ledBits |= 1u << eye;
            ++eye;
        } else if (const int joint = pane.getJoint(); joint >= 0 && selected) {
            rows.columns |= 1u << (joint - firstChannel);
        }
    }
    return rows;
}

int timeEditEnd(const CMainView& view) { return lastTimeStep(view.doc().motion(), view.doc().leds()); }

std::string droppedMessage(std::int64_t ms) {
    return QString::asprintf("%.2f seconds pushed past the end were dropped", static_cast<double>(ms) / 1000.0)
        .toStdString();
}

std::string selectionTimeEditRefusal(const CMainView& view) {
    if (!view.hasSelection()) return kMsgSelectionRequired;
    if (timeRowsOf(view).empty()) return kMsgNoTimeRows;
    return {};
}

TimeEditOutcome moveSelectionTo(CMainView& view, int to) {
    if (std::string refusal = selectionTimeEditRefusal(view); !refusal.empty()) return {false, std::move(refusal)};
    const int from = view.selStart();
    const std::int64_t lastStart = std::int64_t{timeEditEnd(view)} + 1 - view.selLength();
    if (to == from) return {};
    if (to < 0 || to > lastStart) return {false, kMsgPastEnds};
    return runTimeEdit(view, to > from ? "Move Later" : "Move Earlier", {TimeEditKind::Move, from, view.selLength(), to});
}

BeatSteps beatStepsOf(const beats::BeatGrid& grid) {
    BeatSteps steps;
    auto stepOf = [](int ms) { return static_cast<int>((std::int64_t{ms} + kMsPerStep / 2) / kMsPerStep); };
    for (int ms : grid.beatsMs)
        if (steps.beats.empty() || stepOf(ms) > steps.beats.back()) steps.beats.push_back(stepOf(ms));
    if (grid.downbeatsKnown && !grid.downbeatsMs.empty()) {
        for (int ms : grid.downbeatsMs)
            if (steps.bars.empty() || stepOf(ms) > steps.bars.back()) steps.bars.push_back(stepOf(ms));
    } else {
        for (std::size_t i = 0; i < steps.beats.size(); i += kAssumedBeatsPerBar) steps.bars.push_back(steps.beats[i]);
    }
    return steps;
}

int firstAtOrAfter(const std::vector<int>& marks, int step) {
    const auto it = std::lower_bound(marks.begin(), marks.end(), step);
    return it == marks.end() ? -1 : *it;
}

int lengthAt(const std::vector<int>& marks, int step) {
    const auto next = std::upper_bound(marks.begin(), marks.end(), step);
    if (next == marks.begin() || next == marks.end()) return 0;
    return *next - *(next - 1);
}

TimeEditOutcome runTimeEdit(CMainView& view, const char* name, const TimeEdit& edit) {
    CMainDoc& doc = view.doc();
    TimeEditPlan plan = planTimeEdit(doc.motion(), doc.leds(), timeRowsOf(view), edit);
    if (!plan.fits)
        return {false, QString::asprintf("The result would need %d keyframes, more than the %d a %s motion file can "
                                         "hold; nothing was changed",
                                         plan.keyframes, plan.budget, kindName(doc.motion().kind()))
                           .toStdString()};
    const std::int64_t dropped = plan.droppedMs;
    {
        EditScope scope(view, name);
        applyTimeEdit(doc.motion(), doc.leds(), std::move(plan));
        // The selection goes with the result, inside the step so that Redo puts it back there.
        switch (edit.kind) {
        case TimeEditKind::Move:
        case TimeEditKind::Duplicate: view.setTimeSelection(edit.to, edit.length); break;
        case TimeEditKind::Insert: view.setTimeSelection(edit.start, edit.length); break;
        case TimeEditKind::Delete: break;
        }
    }
    view.pushPoseToViewer();
    return {true, dropped > 0 ? droppedMessage(dropped) : std::string()};
}

}  // namespace rova
