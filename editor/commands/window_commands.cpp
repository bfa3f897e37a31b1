// The Window menu: Close All, Cascade, Tile and Show Player.
#include <QMdiArea>

#include "commands/editor_commands.h"
#include "player/player_link.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "shell/window_arrange.h"

namespace rova {

void addWindowCommands(CommandRegistry& registry) {
    auto add = [&](CommandInfo info, CFunctionCommand::Execute execute) {
        info.target = CommandTarget::Frame;
        registry.add(std::make_unique<CFunctionCommand>(std::move(info), std::move(execute)));
    };
    add({.id = ID_WINDOW_CLOSE_ALL, .text = "Close &All", .prompt = "Close All Windows\nClose All"},
        [](CommandContext& c) {
            if (c.app.saveAllModified()) c.app.closeAllDocuments();
        });
    add({.id = ID_WINDOW_CASCADE, .text = "&Cascade", .prompt = "Arrange windows so they overlap\nCascade Windows"},
        [](CommandContext& c) { cascadeWindows(*c.frame.mdiArea()); });
    add({.id = ID_WINDOW_TILE, .text = "&Tile", .prompt = "Arrange windows as non-overlapping tiles\nTile Windows"},
        [](CommandContext& c) { tileWindowsHorizontally(*c.frame.mdiArea()); });
    add({.id = ID_WINDOW_SHOW_PLAYER,
         .text = "Show &Player",
         .prompt = "Show player window (Virtual ROVA)\nPlayer Window"},
        [](CommandContext&) { playerLink().showPlayer(); });
}

}  // namespace rova
