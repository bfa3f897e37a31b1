// The Tools menu: Replace Audio and Change Start and End.
#include "commands/editor_commands.h"
#include "shell/document.h"
#include "view/main_view.h"

#include "view/view_dialogs.h"

namespace rova {
namespace {

class CReplaceAudioCommand : public CCommand {
public:
    CReplaceAudioCommand()
        : CCommand({.id = ID_TOOLS_REPLACE_AUDIO,
                    .target = CommandTarget::Document,
                    .text = "Replace Audio...",
                    .prompt = "Replace Audio track with a new WAV or MIDI file\nReplace Audio",
                    .verbs = {"replace-audio"}}) {}
    void onUpdate(CommandContext& c, CCmdUI& ui) override { ui.enable(c.document->doc().canReplaceAudio()); }
    void onExecute(CommandContext& c) override {
        const CMainView* view = performanceView(c);
        c.document->doc().onReplaceAudio(view ? view->selection() : ViewSelection{});
    }
    // replace-audio PATH: the file chosen in the dialog.
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string& error) override {
        if (args.size() != 1) {
            error = "usage: replace-audio PATH";
            return false;
        }
        answers.files = args;
        return true;
    }
};

}  // namespace

void addToolsCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CReplaceAudioCommand>());
    registry.add(std::make_unique<CFunctionCommand>(
        CommandInfo{.id = ID_TOOLS_CHANGE_POSITIONS,
                    .target = CommandTarget::View,
                    .text = "Change Start and End...",
                    .prompt = "Change start and end positions\nChange Positions"},
        [](CommandContext& c) {
            if (CMainView* view = performanceView(c)) view->doc().ui().showMessage("Sorry, not yet implemented");
        }));
}

}  // namespace rova
