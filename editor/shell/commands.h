// Commands as objects: each command of the menus, toolbar and keys is one
// CCommand with its id, texts, keys, enabling rule and execution side by side.
// A CommandRegistry holds them with the layout of the two menus and the
// toolbar; the main frame builds its menus, toolbar, accelerators, status
// prompts and tooltips from it and runs commands through it.
#pragma once

#include <QKeyCombination>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "res/command_ids.h"

class QMenu;

namespace rova {

// The state of one command, filled by its enabling rule.
struct CCmdUI {
    int id = 0;
    bool enabled = true;
    bool checked = false;
    bool checkable = false;
    QString text = {};  // a menu text that names what the command will do; empty keeps the menu's

    void enable(bool on = true) { enabled = on; }
    void setCheck(bool on) {
        checkable = true;
        checked = on;
    }
};

class CChildFrame;
class CDocument;
class CEditorApp;
class CMainFrame;
class CView;

// What a command works on: the application, its main frame, and the active
// performance window's document and view (null without one).
struct CommandContext {
    CEditorApp& app;
    CMainFrame& frame;
    CChildFrame* child = nullptr;
    CDocument* document = nullptr;
    CView* view = nullptr;
};

// The object that handles a command: without it the command is shown disabled.
enum class CommandTarget { App, Frame, Document, View, Nobody };

// Answers a headless run gives to the dialogs a command opens (rova-tool's
// `run -c VERB ARGS`). Each command that takes arguments parses its own.
struct ScriptedAnswers;

struct CommandInfo {
    int id = 0;
    CommandTarget target = CommandTarget::App;
    const char* text = nullptr;    // menu text with mnemonic and, after a tab, the key text
    const char* prompt = nullptr;  // status-bar prompt, then after a newline the tooltip
    std::vector<QKeyCombination> keys = {};
    std::vector<const char*> verbs = {};  // rova-tool's names for it
};

class CCommand {
public:
    explicit CCommand(CommandInfo info) : m_info(std::move(info)) {}
    virtual ~CCommand() = default;
    CCommand(const CCommand&) = delete;
    CCommand& operator=(const CCommand&) = delete;

    const CommandInfo& info() const { return m_info; }
    int id() const { return m_info.id; }

    // Whether the object that handles the command is there.
    virtual bool isHandled(const CommandContext& context) const;
    // The enabling rule; called only when handled. Enabled unless it says otherwise.
    virtual void onUpdate(CommandContext& context, CCmdUI& ui) {
        (void)context;
        (void)ui;
    }
    virtual void onExecute(CommandContext& context) = 0;

    // rova-tool: takes a verb's arguments into the answers of the dialogs the
    // command opens; false with error set for bad arguments. Commands without
    // arguments accept none.
    virtual bool takeArguments(const std::string& verb, const std::vector<std::string>& args,
                               ScriptedAnswers& answers, std::string& error);

private:
    CommandInfo m_info;
};

// A command whose enabling rule and execution are given as functions.
class CFunctionCommand : public CCommand {
public:
    using Update = std::function<void(CommandContext&, CCmdUI&)>;
    using Execute = std::function<void(CommandContext&)>;
    CFunctionCommand(CommandInfo info, Execute execute, Update update = {})
        : CCommand(std::move(info)), m_execute(std::move(execute)), m_update(std::move(update)) {}
    void onUpdate(CommandContext& context, CCmdUI& ui) override {
        if (m_update) m_update(context, ui);
    }
    void onExecute(CommandContext& context) override { m_execute(context); }

private:
    Execute m_execute;
    Update m_update;
};

struct MenuItem {
    int id;  // 0 for a separator
};

struct MenuPopup {
    const char* title;
    std::vector<MenuItem> items;
};

struct Accelerator {
    QKeyCombination key;
    int id;
};

inline constexpr const char* kDancingPlaceholderText = "??to be filled in??";

class CommandRegistry {
public:
    // Adds a command, replacing one of the same id.
    CCommand& add(std::unique_ptr<CCommand> command);
    CCommand* find(int id) const;
    CCommand* findVerb(std::string_view verb) const;
    const std::map<int, std::unique_ptr<CCommand>>& all() const { return m_commands; }

    // Status-bar prompt and tooltip of a command: the prompt string's two lines.
    std::string_view prompt(int id) const;
    std::string_view promptMessage(int id) const;  // first line
    std::string_view promptTooltip(int id) const;  // second line, "" when none
    // The menu text of a command as the menus show it, "" when unknown.
    const char* text(int id) const;

    // The menu without a performance, the performance menu, the toolbar (0 a separator).
    std::vector<MenuPopup> emptyFrameMenu;
    std::vector<MenuPopup> performanceMenu;
    std::vector<int> toolbarButtons;
    // The accelerator table in its order: the keys of every command, commands in
    // the order they were added.
    std::vector<Accelerator> acceleratorTable() const;
    // The command a key runs, 0 when none.
    int commandForKey(QKeyCombination key) const;

    // Fills a popup that holds only a placeholder the first time a performance
    // window opens (the Dancing menu).
    std::function<void(CMainFrame& frame, QMenu& popup)> dancingMenuBuilder;

private:
    std::map<int, std::unique_ptr<CCommand>> m_commands;
    std::vector<int> m_order;
};

}  // namespace rova
