// View ▸ Reset Camera: the player window's camera back to the usual front view
// after the user orbited, panned or zoomed it. Enabled while the player window
// is open.
#include "commands/editor_commands.h"
#include "player/player_link.h"

namespace rova {
namespace {

class CResetCameraCommand : public CCommand {
public:
    using CCommand::CCommand;
    void onUpdate(CommandContext&, CCmdUI& ui) override { ui.enable(playerLink().getViewer() != nullptr); }
    void onExecute(CommandContext&) override { playerLink().resetCamera(); }
};

}  // namespace

void addResetCameraCommand(CommandRegistry& registry) {
    registry.add(std::make_unique<CResetCameraCommand>(
        CommandInfo{.id = ID_VIEW_RESET_CAMERA,
                    .target = CommandTarget::Frame,
                    .text = "Reset &Camera",
                    .prompt = "Show the robot from the front again in the player window\nReset Camera",
                    .verbs = {"reset-camera"}}));
}

}  // namespace rova
