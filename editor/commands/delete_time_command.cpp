// Edit > Delete Time (Ctrl+Delete): the selected range goes from the selected
// rows and what follows moves earlier; the last pose (and eye state) holds to
// the end, so every track keeps its length.
#include "commands/editor_commands.h"
#include "shell/document.h"
#include "view/main_view.h"
#include "view/time_edits.h"

namespace rova {
namespace {


class CDeleteTimeCommand : public CViewCommand {
public:
    CDeleteTimeCommand()
        : CViewCommand({.id = ID_EDIT_DELETE_TIME,
                        .text = "&Delete Time\tCtrl+Delete",
                        .prompt = "Delete the selected time from the selected rows; what follows moves earlier\n"
                                  "Delete Time",
                        .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_Delete)},
                        .verbs = {"delete-time"}}) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.hasSelection()); }

    void onExecute(CMainView& view) override {
        MessageInterface& ui = view.doc().ui();
        if (const std::string refusal = selectionTimeEditRefusal(view); !refusal.empty()) {
            ui.showMessage(refusal);
            return;
        }
        const TimeEditOutcome outcome =
            runTimeEdit(view, "Delete Time", {TimeEditKind::Delete, view.selStart(), view.selLength(), 0});
        if (!outcome.message.empty()) ui.showMessage(outcome.message);
    }
};

}  // namespace

void addDeleteTimeCommand(CommandRegistry& registry) { registry.add(std::make_unique<CDeleteTimeCommand>()); }

}  // namespace rova
