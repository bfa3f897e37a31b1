#include "app/commands.h"

#include <array>
#include <map>

namespace rova {
namespace {

const std::map<int, std::string_view>& prompts() {
    static const std::map<int, std::string_view> table = {
        {ID_FILE_OPEN, "Open an existing document\nOpen"},
        {ID_FILE_CLOSE, "Close the active document\nClose"},
        {ID_FILE_SAVE, "Save the active document\nSave"},
        {ID_FILE_PRINT, "Print the active document\nPrint"},
        {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
        {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
        {ID_FILE_MRU_FIRST, "Open this document"},
        {ID_FILE_MRU_FIRST + 1, "Open this document"},
        {ID_FILE_MRU_FIRST + 2, "Open this document"},
        {ID_FILE_MRU_FIRST + 3, "Open this document, you get the point..."},
        {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
        {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
        {ID_EDIT_PASTE_SPECIAL, "Paste Clipboard contents on top of selection\nPaste Special"},
        {ID_EDIT_GENERATE_EYES, "Generate eyes from audio track\nGenerate Eyes (requires WAV audio)"},
        {ID_EDIT_GENERATE_MOUTH, "Generate mouth from audio track\nGenerate Mouth  (requires WAV audio)"},
        {ID_EDIT_GENERATE_TAIL, "Generate Tail Motions\nGenerate Tail"},
        {ID_EDIT_SELECT_ALL, "Select All\nSelect All"},
        {ID_EDIT_SMOOTH, "Smooth motion between endpoints of selection\nSmooth"},
        {ID_EDIT_APPLY_MACRO, "Apply Macro\nApply Macro"},
        {ID_EDIT_REDUCE, "Reduce the editable points"},
        {ID_EDIT_EXPAND, "Expand selection to include many editable points"},
        {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
        {ID_VIEW_ZOOM_IN, "Zoom In\nZoom In"},
        {ID_VIEW_ZOOM_OUT, "Zoom Out\nZoom Out"},
        {ID_VIEW_SET_ZOOM, "Set Zoom Factor\nSet Zoom"},
        {ID_VIEW_PLAY, "Play the performance\nPlay"},
        {ID_TOOLS_REPLACE_AUDIO, "Replace Audio track with a new WAV or MIDI file\nReplace Audio"},
        {ID_TOOLS_CHANGE_POSITIONS, "Change start and end positions\nChange Positions"},
        {ID_WINDOW_CLOSE_ALL, "Close All Windows\nClose All"},
        {ID_WINDOW_CASCADE, "Arrange windows so they overlap\nCascade Windows"},
        {ID_WINDOW_TILE, "Arrange windows as non-overlapping tiles\nTile Windows"},
        {ID_WINDOW_SHOW_PLAYER, "Show player window (Virtual ROVA)\nPlayer Window"},
        {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    };
    return table;
}

}  // namespace

std::string_view commandPrompt(int id) {
    const auto it = prompts().find(id);
    return it == prompts().end() ? std::string_view{} : it->second;
}

std::string_view promptMessage(int id) {
    const std::string_view p = commandPrompt(id);
    return p.substr(0, p.find('\n'));
}

std::string_view promptTooltip(int id) {
    const std::string_view p = commandPrompt(id);
    const auto nl = p.find('\n');
    return nl == std::string_view::npos ? std::string_view{} : p.substr(nl + 1);
}

const std::vector<MenuPopup>& emptyFrameMenu() {
    static const std::vector<MenuPopup> menu = {
        {"&File",
         {{ID_FILE_OPEN, "&Open...\tCtrl+O"},
          {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
          {0, nullptr},
          {ID_FILE_MRU_FIRST, "Recent File"},
          {0, nullptr},
          {ID_APP_EXIT, "E&xit"}}},
        {"&View", {{ID_VIEW_TOOLBAR, "&Toolbar"}, {ID_VIEW_STATUS_BAR, "&Status Bar"}}},
        {"&Help", {{ID_APP_ABOUT, "&About ROVA Editor..."}}},
    };
    return menu;
}

const std::vector<MenuPopup>& performanceMenu() {
    static const std::vector<MenuPopup> menu = {
        {"&File",
         {{ID_FILE_OPEN, "&Open...\tCtrl+O"},
          {ID_FILE_CLOSE, "&Close"},
          {ID_FILE_SAVE, "&Save\tCtrl+S"},
          {0, nullptr},
          {ID_FILE_PRINT, "&Print...\tCtrl+P"},
          {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
          {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
          {0, nullptr},
          {ID_FILE_MRU_FIRST, "Recent File"},
          {0, nullptr},
          {ID_APP_EXIT, "E&xit"}}},
        {"&Edit",
         {{ID_EDIT_COPY, "&Copy\tCtrl+C"},
          {ID_EDIT_PASTE_SPECIAL, "&Paste Special...\tCtrl+V"},
          {0, nullptr},
          {ID_EDIT_GENERATE_EYES, "Generate &Eyes..."},
          {ID_EDIT_GENERATE_MOUTH, "Generate &Mouth..."},
          {ID_EDIT_GENERATE_TAIL, "Generate &Tail"},
          {0, nullptr},
          {ID_EDIT_SELECT_ALL, "Select &All\tA"},
          {ID_EDIT_SMOOTH, "&Smooth motion\tS"},
          {ID_EDIT_APPLY_MACRO, "Apply &Macro..."},
          {0, nullptr},
          {ID_EDIT_REDUCE, "Red&uce\tU"},
          {ID_EDIT_EXPAND, "&E&xpand\tE"}}},
        {"&View",
         {{ID_VIEW_TOOLBAR, "&Toolbar"},
          {ID_VIEW_STATUS_BAR, "&Status Bar"},
          {0, nullptr},
          {ID_VIEW_ZOOM_IN, "Zoom &In"},
          {ID_VIEW_ZOOM_OUT, "Zoom &Out"},
          {ID_VIEW_SET_ZOOM, "Set &Zoom..."},
          {0, nullptr},
          {ID_VIEW_PLAY, "&Play"}}},
        {"&Dancing", {{ID_DANCING_PLACEHOLDER, kDancingPlaceholderText}}},
        {"&Tools",
         {{ID_TOOLS_REPLACE_AUDIO, "Replace Audio..."}, {ID_TOOLS_CHANGE_POSITIONS, "Change Start and End..."}}},
        {"&Window",
         {{ID_WINDOW_CLOSE_ALL, "Close &All"},
          {ID_WINDOW_CASCADE, "&Cascade"},
          {ID_WINDOW_TILE, "&Tile"},
          {0, nullptr},
          {ID_WINDOW_SHOW_PLAYER, "Show &Player"}}},
        {"&Help", {{ID_APP_ABOUT, "&About ROVA Editor..."}}},
    };
    return menu;
}

std::span<const int> toolbarButtons() {
    static constexpr std::array<int, 15> buttons = {
        ID_FILE_OPEN,          ID_FILE_SAVE,        0, ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, 0,
        ID_EDIT_GENERATE_EYES, ID_EDIT_GENERATE_MOUTH, 0, ID_EDIT_COPY, ID_EDIT_PASTE_SPECIAL,
        ID_EDIT_APPLY_MACRO,   0,                   ID_WINDOW_SHOW_PLAYER, ID_VIEW_PLAY,
    };
    return buttons;
}

std::span<const Accelerator> acceleratorTable() {
    static const std::array<Accelerator, 13> table = {{
        {QKeyCombination(Qt::Key_A), ID_EDIT_SELECT_ALL},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_A), ID_EDIT_SELECT_ALL},
        {QKeyCombination(Qt::Key_C), ID_EDIT_COPY},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_C), ID_EDIT_COPY},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Insert), ID_EDIT_COPY},
        {QKeyCombination(Qt::Key_E), ID_EDIT_EXPAND},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_E), ID_EDIT_EXPAND},
        {QKeyCombination(Qt::Key_U), ID_EDIT_REDUCE},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_U), ID_EDIT_REDUCE},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_O), ID_FILE_OPEN},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_S), ID_FILE_SAVE},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_V), ID_EDIT_PASTE_SPECIAL},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert), ID_EDIT_PASTE_SPECIAL},
    }};
    return table;
}

}  // namespace rova
