// Edit > Insert Time...: time inserted on the selected rows (every row when
// none is selected) at the selection's start, or at the cursor without a
// selection; at the nearest beat while Snap to Beats is on. The dialog offers
// the selection's length, one beat, one bar or a number of time steps. What
// is pushed past the end is dropped, and the message says how much.
#include <algorithm>

#include "commands/editor_commands.h"
#include "shell/document.h"
#include "view/main_view.h"
#include "view/time_edits.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

constexpr const char* kMsgNeedPoint = "Select a time range or set the cursor to insert time there";

class CInsertTimeCommand : public CViewCommand {
public:
    CInsertTimeCommand()
        : CViewCommand({.id = ID_EDIT_INSERT_TIME,
                        .text = "&Insert Time...",
                        .prompt = "Insert time at the selection or the cursor on the selected rows; what follows "
                                  "moves later\nInsert Time",
                        .verbs = {"insert-time"}}) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override {
        ui.enable(view.hasSelection() || view.playhead().cursor() >= 0);
    }

    void onExecute(CMainView& view) override {
        MessageInterface& ui = view.doc().ui();
        const bool selected = view.hasSelection();
        if (!selected && view.playhead().cursor() < 0) {
            ui.showMessage(kMsgNeedPoint);
            return;
        }
        if (timeRowsOf(view).empty()) {
            ui.showMessage(kMsgNoTimeRows);
            return;
        }
        const int end = timeEditEnd(view);
        const BeatSteps beats = beatStepsOf(view.beatGrid());
        int at = selected ? view.selStart() : view.playhead().cursor();
        if (CBeatTrack::snapToBeats() && !beats.empty()) at = nearest(beats.beats, at);

        InsertTimeOffer offer;
        offer.selectionSteps = selected ? view.selLength() : 0;
        offer.beatSteps = lengthAt(beats.beats, at);
        offer.barSteps = lengthAt(beats.bars, at);
        offer.steps = selected ? view.selLength() : 1;
        offer.maxSteps = end + 1;
        const auto choice = viewDialogs().askInsertTime(&view, offer);
        if (!choice) return;
        const int steps = insertSteps(*choice, offer);
        if (steps <= 0) return;

        const TimeEditOutcome outcome = runTimeEdit(view, "Insert Time", {TimeEditKind::Insert, at, steps, 0});
        if (!outcome.message.empty()) ui.showMessage(outcome.message);
    }

    // insert-time STEPS|selection|beat|bar: the dialog confirmed with that length.
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        InsertTimeChoice choice;
        int steps = 0;
        if (args.size() == 1 && args[0] == "selection") choice.length = InsertLength::Selection;
        else if (args.size() == 1 && args[0] == "beat") choice.length = InsertLength::Beat;
        else if (args.size() == 1 && args[0] == "bar") choice.length = InsertLength::Bar;
        else if (args.size() == 1 && parseInt(args[0], steps) && steps > 0) choice.steps = steps;
        else {
            error = "usage: insert-time STEPS|selection|beat|bar";
            return false;
        }
        answers.insertTime = choice;
        return true;
    }

private:
    static int nearest(const std::vector<int>& marks, int step) {
        const int after = firstAtOrAfter(marks, step);
        const auto before = std::lower_bound(marks.begin(), marks.end(), step);
        if (before == marks.begin()) return after;
        const int previous = *(before - 1);
        return after < 0 || step - previous <= after - step ? previous : after;
    }
};

}  // namespace

void addInsertTimeCommand(CommandRegistry& registry) { registry.add(std::make_unique<CInsertTimeCommand>()); }

}  // namespace rova
