// View ▸ Zoom to Selection: the selected time fills the window.
// View ▸ Zoom to Fit: the whole performance fits in the window.
#include "commands/editor_commands.h"
#include "view/main_view.h"

namespace rova {
namespace {

class CZoomToSelectionCommand : public CViewCommand {
public:
    CZoomToSelectionCommand()
        : CViewCommand({.id = ID_VIEW_ZOOM_TO_SELECTION,
                        .text = "Zoom to &Selection",
                        .prompt = "Zoom so that the selected time fills the window\nZoom to Selection",
                        .verbs = {"zoom-to-selection"}}) {}
    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.canZoomToSelection()); }
    void onExecute(CMainView& view) override { view.zoomToSelection(); }
};

class CZoomToFitCommand : public CViewCommand {
public:
    CZoomToFitCommand()
        : CViewCommand({.id = ID_VIEW_ZOOM_TO_FIT,
                        .text = "Zoom to &Fit",
                        .prompt = "Zoom so that the whole performance fits in the window\nZoom to Fit",
                        .verbs = {"zoom-to-fit"}}) {}
    void onExecute(CMainView& view) override { view.zoomToFit(); }
};

}  // namespace

void addZoomRangeCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CZoomToSelectionCommand>());
    registry.add(std::make_unique<CZoomToFitCommand>());
}

}  // namespace rova
