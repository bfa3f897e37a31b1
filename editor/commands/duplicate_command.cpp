// Edit > Duplicate (Ctrl+D): the selected rows' motion and eye lights over the
// selection are copied to the time right after it, replacing what was there;
// while Snap to Beats is on the copy starts at the next beat, or at the next
// bar when the selection starts a bar. The selection moves onto the copy, so
// Duplicate again repeats the phrase once more.
#include <algorithm>

#include "commands/editor_commands.h"
#include "shell/document.h"
#include "view/main_view.h"
#include "view/time_edits.h"

namespace rova {
namespace {

constexpr const char* kMsgNoRoom = "There is no time after the selection to duplicate it into";

class CDuplicateCommand : public CViewCommand {
public:
    CDuplicateCommand()
        : CViewCommand({.id = ID_EDIT_DUPLICATE,
                        .text = "D&uplicate\tCtrl+D",
                        .prompt = "Copy the selected rows' motion over the selection to the time right after it\n"
                                  "Duplicate",
                        .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_D)},
                        .verbs = {"duplicate"}}) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.hasSelection()); }

    void onExecute(CMainView& view) override {
        MessageInterface& ui = view.doc().ui();
        if (const std::string refusal = selectionTimeEditRefusal(view); !refusal.empty()) {
            ui.showMessage(refusal);
            return;
        }
        const int to = destination(view);
        if (to < 0 || to > timeEditEnd(view)) {
            ui.showMessage(kMsgNoRoom);
            return;
        }
        const TimeEditOutcome outcome =
            runTimeEdit(view, "Duplicate", {TimeEditKind::Duplicate, view.selStart(), view.selLength(), to});
        if (!outcome.message.empty()) ui.showMessage(outcome.message);
    }

private:
    static int destination(CMainView& view) {
        const int after = view.selStart() + view.selLength();
        if (!CBeatTrack::snapToBeats()) return after;
        const BeatSteps beats = beatStepsOf(view.beatGrid());
        if (beats.empty()) return after;
        // A phrase that starts a bar repeats at the next bar; without one, at the next beat.
        if (std::binary_search(beats.bars.begin(), beats.bars.end(), view.selStart()))
            if (const int bar = firstAtOrAfter(beats.bars, after); bar >= 0) return bar;
        const int beat = firstAtOrAfter(beats.beats, after);
        return beat >= 0 ? beat : after;
    }
};

}  // namespace

void addDuplicateCommand(CommandRegistry& registry) { registry.add(std::make_unique<CDuplicateCommand>()); }

}  // namespace rova
