// The list of Help ▸ Keyboard and Mouse: every command's keys, read from the
// command registry in the order of the menus, then the mouse gestures and keys
// of the performance view, read from the view. Nothing is written twice, so the
// list cannot drift from what the keys do.
#pragma once

#include <QString>
#include <vector>

#include "shell/commands.h"

namespace rova {

struct HelpRow {
    QString section;  // the menu ("Edit"), or the timeline for the view's own gestures
    QString input;    // "Ctrl+C, C", "Shift+click a row's label"
    QString action;   // the menu item or what the gesture does
};

std::vector<HelpRow> keyboardAndMouseRows(const CommandRegistry& registry);

// A command's menu text as a name: without the & marks and the key after the tab.
QString commandName(const char* menuText);

}  // namespace rova
