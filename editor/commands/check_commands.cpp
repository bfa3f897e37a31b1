// Check Performance (the Problems panel) and Clamp to Limits.
#include "check/check.h"
#include "commands/editor_commands.h"
#include "commands/problems_dock.h"
#include "document/main_doc.h"
#include "shell/main_frame.h"
#include "view/main_view.h"

namespace rova {
namespace {

class CCheckPerformanceCommand : public CCommand {
public:
    CCheckPerformanceCommand()
        : CCommand({.id = ID_TOOLS_CHECK_PERFORMANCE,
                    .target = CommandTarget::Frame,
                    .text = "&Check Performance\tF7",
                    .prompt = "List what the robot cannot do: joint limits, speeds, motion size, eye "
                              "flashes\nCheck Performance",
                    .keys = {QKeyCombination(Qt::Key_F7)}}) {}
    void onUpdate(CommandContext& c, CCmdUI& ui) override { ui.enable(c.document != nullptr); }
    void onExecute(CommandContext& c) override { CProblemsDock::showFor(c.frame); }
};

// Sets the out-of-range keyframes of the selected rows and steps to the
// nearest limit, as one edit.
class CClampToLimitsCommand : public CViewCommand {
public:
    CClampToLimitsCommand()
        : CViewCommand({.id = ID_TOOLS_CLAMP_TO_LIMITS,
                        .target = CommandTarget::View,
                        .text = "Clamp to &Limits",
                        .prompt = "Set the out-of-range editable points of the selection to the nearest "
                                  "limit\nClamp to Limits",
                        .verbs = {"clamp"}}) {}

protected:
    void onUpdate(CMainView& view, CCmdUI& ui) override {
        ui.enable(view.hasSelection() && view.doc().motion().kind() != MOTION_NONE);
    }
    void onExecute(CMainView& view) override {
        const auto& panes = view.panes();
        view.beginEdit("Clamp to Limits");
        for (int row = std::max(0, view.firstRow());
             row < view.firstRow() + view.rowCount() && row < static_cast<int>(panes.size()); ++row) {
            const int channel = panes[static_cast<std::size_t>(row)]->getJoint();
            if (channel >= 0) check::clampToLimits(view.doc().motion(), channel, view.selStart(), view.selLength());
        }
        view.endEdit();
    }
};

}  // namespace

void addCheckCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CCheckPerformanceCommand>());
    registry.add(std::make_unique<CClampToLimitsCommand>());
}

}  // namespace rova
