// The menu without a performance, the performance menu and the toolbar: which
// commands stand where. Their texts, prompts and keys are the commands' own.
#include <cstdlib>

#include "commands/editor_commands.h"
#include "shell/child_frame.h"
#include "view/main_view.h"

namespace rova {

CMainView* performanceView(const CommandContext& context) { return dynamic_cast<CMainView*>(context.view); }

bool parseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

void registerEditorCommands(CommandRegistry& registry) {
    // The order of the families is the order of the accelerator table.
    addEditCommands(registry);
    addClipboardCommands(registry);
    addFileCommands(registry);
    addNewPerformanceCommand(registry);
    addUndoCommands(registry);
    addGeneratorCommands(registry);
    addViewCommands(registry);
    addPlayCommand(registry);
    addPlaybackOptionCommands(registry);
    addWindowCommands(registry);
    addToolsCommands(registry);
    addDanceCommands(registry);
    addCheckCommands(registry);
    addBeatCommands(registry);
    addDanceToMusicCommand(registry);
    addMoveTimeCommands(registry);
    addInsertTimeCommand(registry);
    addDeleteTimeCommand(registry);
    addDuplicateCommand(registry);
    addResetCameraCommand(registry);
    addExportVideoCommand(registry);

    addZoomRangeCommands(registry);
    addKeyboardMouseCommand(registry);
    addGettingStartedCommand(registry);
    addSaveAsCommand(registry);
    constexpr MenuItem separator{0};
    registry.emptyFrameMenu = {
        {"&File",
         {{ID_FILE_NEW_FROM_SOUND}, {ID_FILE_OPEN}, {ID_FILE_PRINT_SETUP}, separator, {ID_FILE_MRU_FIRST}, separator,
          {ID_APP_EXIT}}},
        {"&View", {{ID_VIEW_TOOLBAR}, {ID_VIEW_STATUS_BAR}}},
        {"&Help", {{ID_HELP_GETTING_STARTED}, {ID_HELP_KEYBOARD_MOUSE}, separator, {ID_APP_ABOUT}}},
    };
    registry.performanceMenu = {
        {"&File",
         {{ID_FILE_NEW_FROM_SOUND}, {ID_FILE_OPEN}, {ID_FILE_CLOSE}, {ID_FILE_SAVE}, {ID_FILE_SAVE_AS}, separator, {ID_FILE_EXPORT_VIDEO}, separator, {ID_FILE_PRINT},
          {ID_FILE_PRINT_PREVIEW}, {ID_FILE_PRINT_SETUP}, separator, {ID_FILE_MRU_FIRST}, separator, {ID_APP_EXIT}}},
        {"&Edit",
         {{ID_EDIT_UNDO_ACTION}, {ID_EDIT_REDO_ACTION}, separator, {ID_EDIT_COPY}, {ID_EDIT_PASTE_SPECIAL}, separator,
          {ID_EDIT_GENERATE_EYES}, {ID_EDIT_GENERATE_MOUTH}, {ID_EDIT_GENERATE_TAIL}, separator,
          {ID_EDIT_SELECT_ALL}, {ID_EDIT_SMOOTH}, {ID_EDIT_APPLY_MACRO}, separator, {ID_EDIT_REDUCE},
          {ID_EDIT_EXPAND}, separator, {ID_EDIT_MOVE_EARLIER}, {ID_EDIT_MOVE_LATER}, {ID_EDIT_MOVE_EARLIER_BEAT},
          {ID_EDIT_MOVE_LATER_BEAT}, {ID_EDIT_INSERT_TIME}, {ID_EDIT_DELETE_TIME}, {ID_EDIT_DUPLICATE}}},
        {"&View",
         {{ID_VIEW_TOOLBAR}, {ID_VIEW_STATUS_BAR}, separator, {ID_VIEW_ZOOM_IN}, {ID_VIEW_ZOOM_OUT},
          {ID_VIEW_SET_ZOOM}, {ID_VIEW_ZOOM_TO_SELECTION}, {ID_VIEW_ZOOM_TO_FIT}, separator, {ID_VIEW_SHOW_BEATS}, {ID_VIEW_SNAP_TO_BEATS}, separator, {ID_VIEW_PLAY},
          {ID_VIEW_LOOP_PLAYBACK}, separator, {ID_VIEW_RESET_CAMERA}}},
        {"&Dancing", {{ID_DANCING_PLACEHOLDER}}},
        {"&Tools",
         {{ID_TOOLS_REPLACE_AUDIO}, {ID_TOOLS_CHANGE_POSITIONS}, {ID_TOOLS_PLAYBACK_OFFSET}, separator,
          {ID_TOOLS_CHECK_PERFORMANCE}, {ID_TOOLS_CLAMP_TO_LIMITS}, separator, {ID_TOOLS_BEATS}, {ID_TOOLS_DANCE_TO_MUSIC}}},
        {"&Window",
         {{ID_WINDOW_CLOSE_ALL}, {ID_WINDOW_CASCADE}, {ID_WINDOW_TILE}, separator, {ID_WINDOW_SHOW_PLAYER}}},
        {"&Help", {{ID_HELP_GETTING_STARTED}, {ID_HELP_KEYBOARD_MOUSE}, separator, {ID_APP_ABOUT}}},
    };
    registry.toolbarButtons = {
        ID_FILE_NEW_FROM_SOUND, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_UNDO_ACTION, ID_EDIT_REDO_ACTION, 0,
        ID_VIEW_ZOOM_IN,       ID_VIEW_ZOOM_OUT,      0, ID_EDIT_GENERATE_EYES, ID_EDIT_GENERATE_MOUTH, 0,
        ID_EDIT_COPY,          ID_EDIT_PASTE_SPECIAL, ID_EDIT_APPLY_MACRO, 0, ID_WINDOW_SHOW_PLAYER, ID_VIEW_PLAY,
        0,                     ID_TOOLS_CHECK_PERFORMANCE,
    };
}

}  // namespace rova
