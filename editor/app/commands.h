// The command set of the menus, toolbar and keys: ids, prompts, the two menus,
// the toolbar and the accelerator table, and the routing interface through
// which views, documents, frames and the application handle commands.
#pragma once

#include <QKeyCombination>
#include <span>
#include <string_view>
#include <vector>

namespace rova {

enum CommandId : int {
    ID_VIEW_PLAY = 32771,
    ID_VIEW_ZOOM_OUT = 32782,
    ID_VIEW_ZOOM_IN = 32785,
    ID_VIEW_SET_ZOOM = 32786,
    ID_TOOLS_CHANGE_POSITIONS = 32789,
    ID_EDIT_GENERATE_EYES = 32791,
    ID_EDIT_GENERATE_MOUTH = 32792,
    ID_EDIT_GENERATE_TAIL = 32793,
    ID_WINDOW_CLOSE_ALL = 32794,
    ID_WINDOW_SHOW_PLAYER = 32796,
    ID_TOOLS_REPLACE_AUDIO = 32798,
    ID_EDIT_APPLY_MACRO = 32799,
    ID_EDIT_SMOOTH = 32801,
    ID_DANCING_PLACEHOLDER = 32807,
    ID_EDIT_REDUCE = 32808,
    ID_EDIT_EXPAND = 32809,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FIRST = 57616,
    ID_FILE_MRU_LAST = 57625,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE_SPECIAL = 57637,
    ID_EDIT_SELECT_ALL = 57642,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_DANCE_FIRST = 9000,
    ID_DANCE_LAST = 9100,
};

// The state of one command, filled by the object that handles it.
struct CCmdUI {
    int id = 0;
    bool enabled = true;
    bool checked = false;
    bool checkable = false;

    void enable(bool on = true) { enabled = on; }
    void setCheck(bool on) {
        checkable = true;
        checked = on;
    }
};

// An object on the command route: view, document, child frame, main frame,
// application. A command goes to the first object whose onCmdMsg returns true.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // With ui set, fills the command's state; without, runs the command. A
    // handler without an enabling rule leaves ui as it is (enabled).
    virtual bool onCmdMsg(int id, CCmdUI* ui) {
        (void)id;
        (void)ui;
        return false;
    }
};

// Status-bar prompt and tooltip of a command: the prompt string's two lines.
std::string_view commandPrompt(int id);  // the whole string, "" when none
std::string_view promptMessage(int id);  // first line
std::string_view promptTooltip(int id);  // second line, "" when none

struct MenuItem {
    int id;            // 0 for a separator
    const char* text;  // with its mnemonic and, after a tab, its key text
};

struct MenuPopup {
    const char* title;
    std::vector<MenuItem> items;
};

// Menu 128 (no performance open) and menu 129 (performance windows).
const std::vector<MenuPopup>& emptyFrameMenu();
const std::vector<MenuPopup>& performanceMenu();

// Toolbar 128: command ids in order, 0 for a separator.
std::span<const int> toolbarButtons();

struct Accelerator {
    QKeyCombination key;
    int id;
};
// Accelerator table 128.
std::span<const Accelerator> acceleratorTable();

inline constexpr const char* kDancingPlaceholderText = "??to be filled in??";

}  // namespace rova
