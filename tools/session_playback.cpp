// The session's playback verbs: the cursor, and a play stopped by Esc.
#include "commands/editor_commands.h"
#include "editor_session.h"
#include "view/main_view.h"

namespace rova::tool {

bool EditorSession::playbackVerb(const std::string& verb, const std::vector<std::string>& args, std::string& error) {
    int n = 0;
    if (args.size() != 1 || !parseInt(args[0], n) || n < 0) {
        error = "usage: " + verb + (verb == "cursor" ? " STEP" : " MS");
        return false;
    }
    if (verb == "cursor") {
        // As a Ctrl+click on that step's column.
        if (CMainView* view = activeView()) view->playhead().setCursor(*view, n);
        return true;
    }
    m_playback.play([this] { runCommand(ID_VIEW_PLAY); }, true, n);
    return true;
}

}  // namespace rova::tool
