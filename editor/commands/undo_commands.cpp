// Undo and Redo: the document's history, named in the menu by the step they
// would take back or do again.
#include "commands/editor_commands.h"
#include "shell/document.h"
#include "view/main_view.h"

namespace rova {
namespace {

class CHistoryCommand : public CViewCommand {
public:
    CHistoryCommand(CommandInfo info, bool redo, const char* word)
        : CViewCommand(std::move(info)), m_redo(redo), m_word(word) {}

    void onUpdate(CMainView& view, CCmdUI& ui) override {
        const CEditHistory& history = view.doc().history();
        const bool can = !history.inAction() && (m_redo ? history.canRedo() : history.canUndo());
        ui.enable(can);
        if (!can) return;
        const std::string name = m_redo ? history.redoName() : history.undoName();
        ui.text = QString("&%1 %2\t%3").arg(m_word, QString::fromStdString(name), m_redo ? "Ctrl+Y" : "Ctrl+Z");
    }
    void onExecute(CMainView& view) override {
        if (m_redo)
            view.redo();
        else
            view.undo();
    }

private:
    bool m_redo;
    const char* m_word;
};

}  // namespace

void addUndoCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CHistoryCommand>(
        CommandInfo{.id = ID_EDIT_UNDO_ACTION,
                    .text = "&Undo",
                    .prompt = "Undo the last action\nUndo",
                    .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_Z)},
                    .verbs = {"undo"}},
        false, "Undo"));
    registry.add(std::make_unique<CHistoryCommand>(
        CommandInfo{.id = ID_EDIT_REDO_ACTION,
                    .text = "&Redo",
                    .prompt = "Redo the last action undone\nRedo",
                    .keys = {QKeyCombination(Qt::ControlModifier, Qt::Key_Y),
                             QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)},
                    .verbs = {"redo"}},
        true, "Redo"));
}

}  // namespace rova
