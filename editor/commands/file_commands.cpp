// The File menu: Open, Close, Save, Print, Print Preview, Print Setup, the
// recent files and Exit; and Help's About.

#include "commands/editor_commands.h"
#include "shell/dialogs.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "shell/printing.h"
#include "shell/view.h"

namespace rova {
namespace {

// The recent-file entries: one command each, enabled while the list reaches it.
class CRecentFileCommand : public CCommand {
public:
    CRecentFileCommand(int index, const char* prompt)
        : CCommand({.id = ID_FILE_MRU_FIRST + index, .target = CommandTarget::App, .prompt = prompt}),
          m_index(index) {}
    void onUpdate(CommandContext& context, CCmdUI& ui) override { ui.enable(m_index < context.app.recentFiles().size()); }
    void onExecute(CommandContext& context) override { context.app.onOpenRecentFile(m_index); }

private:
    int m_index;
};

}  // namespace

void addFileCommands(CommandRegistry& registry) {
    using Ctx = CommandContext;
    auto add = [&](CommandInfo info, CFunctionCommand::Execute execute, CFunctionCommand::Update update = {}) {
        registry.add(std::make_unique<CFunctionCommand>(std::move(info), std::move(execute), std::move(update)));
    };
    add({.id = ID_FILE_OPEN,
         .target = CommandTarget::App,
         .text = "&Open...\tCtrl+O",
         .prompt = "Open an existing document\nOpen",
         .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_O)}},
        [](Ctx& c) { c.app.onFileOpen(); });
    add({.id = ID_FILE_CLOSE,
         .target = CommandTarget::Document,
         .text = "&Close",
         .prompt = "Close the active document\nClose"},
        [](Ctx& c) {
            if (c.document->saveModified()) c.app.closeDocument(*c.document);
        });
    add({.id = ID_FILE_SAVE,
         .target = CommandTarget::Document,
         .text = "&Save\tCtrl+S",
         .prompt = "Save the active document\nSave",
         .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_S)},
         .verbs = {"save"}},
        [](Ctx& c) { c.document->doFileSave(); }, [](Ctx& c, CCmdUI& ui) { ui.enable(c.document->isModified()); });
    add({.id = ID_FILE_PRINT,
         .target = CommandTarget::View,
         .text = "&Print...\tCtrl+P",
         .prompt = "Print the active document\nPrint"},
        [](Ctx& c) { printViewWithDialog(*c.view, c.app.printer(), c.view->window()); });
    add({.id = ID_FILE_PRINT_PREVIEW,
         .target = CommandTarget::View,
         .text = "Print Pre&view",
         .prompt = "Display full pages\nPrint Preview"},
        [](Ctx& c) { previewView(*c.view, c.app.printer(), c.view->window()); });
    add({.id = ID_FILE_PRINT_SETUP,
         .target = CommandTarget::App,
         .text = "P&rint Setup...",
         .prompt = "Change the printer and printing options\nPrint Setup"},
        [](Ctx& c) {
            choosePrinterAndPage(c.app.printer(), &c.frame);
        });
    for (int i = 0; i <= ID_FILE_MRU_LAST - ID_FILE_MRU_FIRST; ++i)
        registry.add(std::make_unique<CRecentFileCommand>(
            i, i < 3 ? "Open this document" : i == 3 ? "Open this document, you get the point..." : nullptr));
    add({.id = ID_APP_EXIT,
         .target = CommandTarget::App,
         .text = "E&xit",
         .prompt = "Quit the application; prompts to save documents\nExit"},
        [](Ctx& c) { c.frame.close(); });
    add({.id = ID_APP_ABOUT,
         .target = CommandTarget::App,
         .text = "&About ROVA Editor...",
         .prompt = "Display program information, version number and copyright\nAbout"},
        [](Ctx& c) {
            CAboutDlg dialog(&c.frame);
            dialog.exec();
        });
}

}  // namespace rova
