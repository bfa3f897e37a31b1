// The editor's commands and the menus and toolbar they make. The program, the
// headless tool and the tests fill an application's registry with them.
#pragma once

#include <string>
#include <vector>

#include "document/main_doc.h"
#include "shell/commands.h"

namespace rova {

class CMainView;
class CEditorApp;

// Every command, the two menus, the toolbar and the Dancing menu's builder.
void registerEditorCommands(CommandRegistry& registry);
// The same for an application, which also gets the sound converter its
// documents use to replace a sound.
void registerEditorCommands(CEditorApp& app);
SoundConverter performanceSoundConverter();

// The families (one file each).
void addFileCommands(CommandRegistry& registry);
void addNewPerformanceCommand(CommandRegistry& registry);
void addEditCommands(CommandRegistry& registry);
void addUndoCommands(CommandRegistry& registry);
void addClipboardCommands(CommandRegistry& registry);
void addGeneratorCommands(CommandRegistry& registry);
void addViewCommands(CommandRegistry& registry);
void addWindowCommands(CommandRegistry& registry);
void addToolsCommands(CommandRegistry& registry);
void addDanceCommands(CommandRegistry& registry);
void addPlayCommand(CommandRegistry& registry);
void addCheckCommands(CommandRegistry& registry);
void addPlaybackOptionCommands(CommandRegistry& registry);
void addBeatCommands(CommandRegistry& registry);
void addDanceToMusicCommand(CommandRegistry& registry);
void addMoveTimeCommands(CommandRegistry& registry);
void addInsertTimeCommand(CommandRegistry& registry);
void addDeleteTimeCommand(CommandRegistry& registry);
void addDuplicateCommand(CommandRegistry& registry);
void addResetCameraCommand(CommandRegistry& registry);
void addExportVideoCommand(CommandRegistry& registry);

void addZoomRangeCommands(CommandRegistry& registry);
void addKeyboardMouseCommand(CommandRegistry& registry);
void addGettingStartedCommand(CommandRegistry& registry);
void addSaveAsCommand(CommandRegistry& registry);
// Where Help ▸ Getting Started finds its guide; "" when it is not there.
QString gettingStartedPath();
// The performance view a command works on, null when the active window has none.
CMainView* performanceView(const CommandContext& context);

// A command of the performance view: handled only when the active window shows one.
class CViewCommand : public CCommand {
public:
    using CCommand::CCommand;
    bool isHandled(const CommandContext& context) const override { return performanceView(context) != nullptr; }
    void onUpdate(CommandContext& context, CCmdUI& ui) final { onUpdate(*performanceView(context), ui); }
    void onExecute(CommandContext& context) final { onExecute(*performanceView(context)); }

protected:
    virtual void onUpdate(CMainView& view, CCmdUI& ui) {
        (void)view;
        (void)ui;
    }
    virtual void onExecute(CMainView& view) = 0;
};

// Reads a whole number argument; false when it is not one.
bool parseInt(const std::string& text, int& value);

}  // namespace rova
