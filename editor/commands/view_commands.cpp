// The View menu: Toolbar, Status Bar, Zoom In, Zoom Out and Set Zoom.
#include <QStatusBar>
#include <QToolBar>

#include "commands/editor_commands.h"
#include "shell/main_frame.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

class CZoomInCommand : public CViewCommand {
public:
    CZoomInCommand()
        : CViewCommand(
              {.id = ID_VIEW_ZOOM_IN, .text = "Zoom &In", .prompt = "Zoom In\nZoom In", .verbs = {"zoom-in"}}) {}
    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.zoom() > CMainView::kMinZoom); }
    void onExecute(CMainView& view) override {
        if (view.zoom() > CMainView::kMinZoom) view.setZoom(view.zoom() / 2);
    }
};

class CZoomOutCommand : public CViewCommand {
public:
    CZoomOutCommand()
        : CViewCommand(
              {.id = ID_VIEW_ZOOM_OUT, .text = "Zoom &Out", .prompt = "Zoom Out\nZoom Out", .verbs = {"zoom-out"}}) {}
    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.zoom() * 2 <= CMainView::kMaxZoom); }
    void onExecute(CMainView& view) override {
        if (view.zoom() * 2 <= CMainView::kMaxZoom) view.setZoom(view.zoom() * 2);
    }
};

class CSetZoomCommand : public CViewCommand {
public:
    CSetZoomCommand()
        : CViewCommand({.id = ID_VIEW_SET_ZOOM,
                        .text = "Set &Zoom...",
                        .prompt = "Set Zoom Factor\nSet Zoom",
                        .verbs = {"zoom"}}) {}
    void onExecute(CMainView& view) override {
        const int zoom = viewDialogs().askZoomFactor(&view, view.zoom()).value_or(view.zoom());
        view.setZoom(zoom);
    }
    // zoom N: the dialog takes 1 to 100 only; anything else it refuses, and the user cancels.
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        int n;
        if (args.size() != 1 || !parseInt(args[0], n)) {
            error = "usage: zoom N";
            return false;
        }
        if (n >= 1 && n <= 100)
            answers.zoom = n;
        else
            answers.messages.push_back("Please enter an integer between 1 and 100.");
        return true;
    }
};

}  // namespace

void addViewCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CFunctionCommand>(
        CommandInfo{.id = ID_VIEW_TOOLBAR,
                    .target = CommandTarget::Frame,
                    .text = "&Toolbar",
                    .prompt = "Show or hide the toolbar\nToggle ToolBar"},
        [](CommandContext& c) { c.frame.toolBar()->setVisible(c.frame.toolBar()->isHidden()); },
        [](CommandContext& c, CCmdUI& ui) { ui.setCheck(!c.frame.toolBar()->isHidden()); }));
    registry.add(std::make_unique<CFunctionCommand>(
        CommandInfo{.id = ID_VIEW_STATUS_BAR,
                    .target = CommandTarget::Frame,
                    .text = "&Status Bar",
                    .prompt = "Show or hide the status bar\nToggle StatusBar"},
        [](CommandContext& c) { c.frame.statusBar()->setVisible(c.frame.statusBar()->isHidden()); },
        [](CommandContext& c, CCmdUI& ui) { ui.setCheck(!c.frame.statusBar()->isHidden()); }));
    registry.add(std::make_unique<CZoomInCommand>());
    registry.add(std::make_unique<CZoomOutCommand>());
    registry.add(std::make_unique<CSetZoomCommand>());
}

}  // namespace rova
