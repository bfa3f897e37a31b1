#include "session_time.h"

#include "commands/editor_commands.h"
#include "platform/messages.h"
#include "view/main_view.h"
#include "view/time_edits.h"

namespace rova::tool {

bool timeVerb(CMainView* view, MessageInterface& ui, const std::string& name, const std::vector<std::string>& args,
              std::string& error) {
    int a = 0, b = 0;
    if (name == "move-time") {
        // The selected rows over the selected range, STEPS later (earlier when negative), as one step.
        if (args.size() != 1 || !parseInt(args[0], a)) {
            error = "usage: move-time STEPS";
            return false;
        }
        if (!view) return true;
        const TimeEditOutcome outcome = moveSelectionTo(*view, view->selStart() + a);
        if (!outcome.message.empty()) ui.showMessage(outcome.message);
        return true;
    }
    // alt-drag X1 X2: Alt and the left button pressed at document x X1, moved to X2, released.
    if (args.size() != 2 || !parseInt(args[0], a) || !parseInt(args[1], b)) {
        error = "usage: alt-drag X1 X2";
        return false;
    }
    if (!view) return true;
    if (view->onAltButtonDown({a, 0})) view->onMouseMove({b, 0}, true, false);
    view->onLButtonUp();
    return true;
}

}  // namespace rova::tool
