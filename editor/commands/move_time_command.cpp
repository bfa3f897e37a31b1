// Edit > Move Earlier / Move Later (Alt+Left / Alt+Right): the selected rows'
// motion and eye lights over the selected range move one time step, or to the
// previous or next beat while Snap to Beats is on. With Shift (Move Earlier /
// Later by a Beat) they move one beat, or a second when the sound has no
// beats. The selection moves with them.
#include <algorithm>

#include "commands/editor_commands.h"
#include "shell/document.h"
#include "view/main_view.h"
#include "view/time_edits.h"

namespace rova {
namespace {

// A second in whole time steps (1000 / 80, truncated).
constexpr int kStepsPerSecond = kMsPerSecond / kMsPerStep;


class CMoveTimeCommand : public CViewCommand {
public:
    CMoveTimeCommand(CommandInfo info, int direction, bool byBeat)
        : CViewCommand(std::move(info)), m_direction(direction), m_byBeat(byBeat) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.hasSelection()); }

    void onExecute(CMainView& view) override {
        // The move itself refuses without a selection, and says why.
        const TimeEditOutcome outcome = moveSelectionTo(view, destination(view));
        if (!outcome.message.empty()) view.doc().ui().showMessage(outcome.message);
    }

private:
    int destination(CMainView& view) const {
        const int start = view.selStart();
        const bool snapping = CBeatTrack::snapToBeats();
        const BeatSteps beats = m_byBeat || snapping ? beatStepsOf(view.beatGrid()) : BeatSteps{};
        if (m_byBeat) {
            const int beat = lengthAt(beats.beats, start);
            return start + m_direction * (beat > 0 ? beat : kStepsPerSecond);
        }
        if (snapping && !beats.empty()) {
            // To the next or previous beat; an end without one beyond stays a plain step.
            if (m_direction > 0) {
                const int next = firstAtOrAfter(beats.beats, start + 1);
                return next >= 0 ? next : start + 1;
            }
            const auto before = std::lower_bound(beats.beats.begin(), beats.beats.end(), start);
            return before != beats.beats.begin() ? *(before - 1) : start - 1;
        }
        return start + m_direction;
    }

    int m_direction;  // -1 earlier, +1 later
    bool m_byBeat;
};

}  // namespace

void addMoveTimeCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CMoveTimeCommand>(
        CommandInfo{.id = ID_EDIT_MOVE_EARLIER,
                    .text = "Move &Earlier\tAlt+Left",
                    .prompt = "Move the selected rows' motion over the selection one time step earlier (to the "
                              "previous beat when snapping)\nMove Earlier",
                    .keys = {QKeyCombination(Qt::AltModifier, Qt::Key_Left)},
                    .verbs = {"move-earlier"}},
        -1, false));
    registry.add(std::make_unique<CMoveTimeCommand>(
        CommandInfo{.id = ID_EDIT_MOVE_LATER,
                    .text = "Move &Later\tAlt+Right",
                    .prompt = "Move the selected rows' motion over the selection one time step later (to the next "
                              "beat when snapping)\nMove Later",
                    .keys = {QKeyCombination(Qt::AltModifier, Qt::Key_Right)},
                    .verbs = {"move-later"}},
        +1, false));
    registry.add(std::make_unique<CMoveTimeCommand>(
        CommandInfo{.id = ID_EDIT_MOVE_EARLIER_BEAT,
                    .text = "Move Earlier by a Beat\tShift+Alt+Left",
                    .prompt = "Move the selected rows' motion over the selection one beat earlier (a second "
                              "without beats)\nMove Earlier by a Beat",
                    .keys = {QKeyCombination(Qt::ShiftModifier | Qt::AltModifier, Qt::Key_Left)},
                    .verbs = {"move-earlier-beat"}},
        -1, true));
    registry.add(std::make_unique<CMoveTimeCommand>(
        CommandInfo{.id = ID_EDIT_MOVE_LATER_BEAT,
                    .text = "Move Later by a Beat\tShift+Alt+Right",
                    .prompt = "Move the selected rows' motion over the selection one beat later (a second "
                              "without beats)\nMove Later by a Beat",
                    .keys = {QKeyCombination(Qt::ShiftModifier | Qt::AltModifier, Qt::Key_Right)},
                    .verbs = {"move-later-beat"}},
        +1, true));
}

}  // namespace rova
