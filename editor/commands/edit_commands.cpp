// Select All, Smooth, Apply Macro, Reduce and Expand on the view's selection.
#include "commands/editor_commands.h"
#include "model/keyframe_ops.h"
#include "shell/document.h"
#include "view/macros.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova {
namespace {

class CSelectAllCommand : public CViewCommand {
public:
    CSelectAllCommand()
        : CViewCommand({.id = ID_EDIT_SELECT_ALL,
                        .text = "Select &All\tA",
                        .prompt = "Select All\nSelect All",
                        .keys = {QKeyCombination(Qt::Key_A), QKeyCombination(Qt::ControlModifier, Qt::Key_A)},
                        .verbs = {"select-all"}}) {}
    void onExecute(CMainView& view) override { view.selectAll(); }
};

// Smooth is the S key of the selected rows.
class CSmoothCommand : public CViewCommand {
public:
    CSmoothCommand()
        : CViewCommand({.id = ID_EDIT_SMOOTH,
                        .text = "&Smooth motion\tS",
                        .prompt = "Smooth motion between endpoints of selection\nSmooth",
                        .verbs = {"smooth"}}) {}
    void onExecute(CMainView& view) override { view.onKeyDown('S'); }
};

class CApplyMacroCommand : public CViewCommand {
public:
    CApplyMacroCommand()
        : CViewCommand({.id = ID_EDIT_APPLY_MACRO,
                        .text = "Apply &Macro...",
                        .prompt = "Apply Macro\nApply Macro",
                        .verbs = {"macro"}}) {}

    void onExecute(CMainView& view) override {
        CMainDoc& doc = view.doc();
        if (!view.hasSelection()) {
            doc.ui().showMessage("Selection needed");
            return;
        }
        if (!(doc.trackFlags() & TRACK_LEGS)) {
            doc.ui().showMessage("Legs motion track needed");
            return;
        }
        QStringList names;
        for (const MacroInfo* m = kMacroInfo; m->name; ++m) names << QString::fromLatin1(m->name);
        const auto chosen = viewDialogs().askMacro(&view, names);
        if (!chosen) return;
        const MacroInfo* macro = findMacro(chosen->toLatin1().constData());
        if (!macro) return;
        view.beginEdit("Apply Macro");
        applyMacro(doc.motion(), *macro, view.selStart(), view.selLength());
        view.endEdit();
        view.invalidateAll();
    }

    // The macro's name, which may hold spaces, is the rest of the line.
    bool takeArguments(const std::string&, const std::vector<std::string>& args, ScriptedAnswers& answers,
                       std::string&) override {
        QString name;
        for (std::size_t i = 0; i < args.size(); ++i) name += (i > 0 ? " " : "") + QString::fromStdString(args[i]);
        answers.macro = name;
        return true;
    }
};

// Reduce and Expand: the keyframe operations over the selected time steps.
class CKeyframeCommand : public CViewCommand {
public:
    using Operation = bool (*)(CMotionTrack&, int, int);
    CKeyframeCommand(CommandInfo info, Operation operation, const char* name, const char* nothing)
        : CViewCommand(std::move(info)), m_operation(operation), m_name(name), m_nothing(nothing) {}

    void onExecute(CMainView& view) override {
        MessageInterface& ui = view.doc().ui();
        if (!view.hasSelection()) {
            ui.showMessage("Selection required");
            return;
        }
        view.beginEdit(m_name);  // its end repaints what changed
        const bool changed = m_operation(view.doc().motion(), view.selStart(), view.selLength());
        view.endEdit();
        if (!changed) ui.showMessage(m_nothing);
    }

protected:
    Operation m_operation;
    const char* m_name;
    const char* m_nothing;
};

class CReduceCommand : public CKeyframeCommand {
public:
    CReduceCommand()
        : CKeyframeCommand({.id = ID_EDIT_REDUCE,
                            .text = "Red&uce\tU",
                            .prompt = "Reduce the editable points",
                            .keys = {QKeyCombination(Qt::Key_U), QKeyCombination(Qt::ControlModifier, Qt::Key_U)},
                            .verbs = {"reduce"}},
                           [](CMotionTrack& m, int s, int n) { return reduce(m, s, n); }, "Reduce",
                           "Nothing to reduce") {}
    void onUpdate(CMainView& view, CCmdUI& ui) override { ui.enable(view.hasSelection()); }
};

}  // namespace

void addEditCommands(CommandRegistry& registry) {
    registry.add(std::make_unique<CSelectAllCommand>());
    registry.add(std::make_unique<CKeyframeCommand>(
        CommandInfo{.id = ID_EDIT_EXPAND,
                    .text = "&E&xpand\tE",
                    .prompt = "Expand selection to include many editable points",
                    .keys = {QKeyCombination(Qt::Key_E), QKeyCombination(Qt::ControlModifier, Qt::Key_E)},
                    .verbs = {"expand"}},
        [](CMotionTrack& m, int s, int n) { return expand(m, s, n); }, "Expand", "Nothing to expand"));
    registry.add(std::make_unique<CReduceCommand>());
    registry.add(std::make_unique<CSmoothCommand>());
    registry.add(std::make_unique<CApplyMacroCommand>());
}

}  // namespace rova
