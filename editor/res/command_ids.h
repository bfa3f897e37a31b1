// The ids of the commands of the menus, toolbar and keys: the framework's
// standard ids, the program's own from 32771, the dance steps from 9000, and
// the commands added since from 33000.
#pragma once

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
    // The program's own commands beyond the original set start here.
    ID_EDIT_UNDO_ACTION = 33000,
    ID_EDIT_REDO_ACTION = 33001,
    ID_FILE_NEW_FROM_SOUND = 33002,
    // Beats: the lines, snapping to them, and the tempo set by hand.
    ID_VIEW_SHOW_BEATS = 33020,
    ID_VIEW_SNAP_TO_BEATS = 33021,
    ID_TOOLS_BEATS = 33022,
    // Playback: looping a selection and the sound device's offset.
    ID_VIEW_LOOP_PLAYBACK = 33030,
    ID_TOOLS_PLAYBACK_OFFSET = 33031,
    ID_TOOLS_CHECK_PERFORMANCE = 33040,
    ID_TOOLS_CLAMP_TO_LIMITS = 33041,
    ID_TOOLS_DANCE_TO_MUSIC = 33050,
    // The player's camera and the video of a performance.
    ID_VIEW_RESET_CAMERA = 33140,
    ID_FILE_EXPORT_VIDEO = 33141,
    // Editing in time on the selected rows: moving, inserting, deleting and duplicating.
    ID_EDIT_MOVE_EARLIER = 33100,
    ID_EDIT_MOVE_LATER = 33101,
    ID_EDIT_MOVE_EARLIER_BEAT = 33102,
    ID_EDIT_MOVE_LATER_BEAT = 33103,
    ID_EDIT_INSERT_TIME = 33104,
    ID_EDIT_DELETE_TIME = 33105,
    ID_EDIT_DUPLICATE = 33106,
    // The timeline: zooming to a range, and the help on keys and getting started.
    ID_VIEW_ZOOM_TO_SELECTION = 33120,
    ID_VIEW_ZOOM_TO_FIT = 33121,
    ID_HELP_KEYBOARD_MOUSE = 33122,
    ID_HELP_GETTING_STARTED = 33123,
    ID_FILE_SAVE_AS = 33124,
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

}  // namespace rova
