// The session's verbs for editing in time that stand for the user's keys and
// mouse rather than one menu command: `move-time STEPS` and `alt-drag X1 X2`.
#pragma once

#include <string>
#include <vector>

namespace rova {
class CMainView;
class MessageInterface;
}  // namespace rova

namespace rova::tool {

// Runs the verb on the view (nothing without one); false with error set for bad arguments.
bool timeVerb(CMainView* view, MessageInterface& ui, const std::string& name, const std::vector<std::string>& args,
              std::string& error);

}  // namespace rova::tool
