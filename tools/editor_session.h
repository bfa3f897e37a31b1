// The editor of one headless run: the real application object, documents and
// performance views on the offscreen platform, with every message recorded,
// questions answered from a queue and dialogs answered by the commands.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "shell/shell_dialogs.h"
#include "platform/messages.h"
#include "view/view_dialogs.h"
#include "tool_playback.h"

class QApplication;

namespace rova {
class CEditorApp;
class CDocument;
class CMainView;
}  // namespace rova

namespace rova::tool {

class JsonWriter;

// The framework's dialogs in a run without a user: nothing is chosen.
struct HeadlessShellDialogs : ShellDialogs {
    std::optional<QStringList> chooseFilesToOpen(QWidget*) override { return std::nullopt; }
    SaveAnswer askSaveChanges(QWidget*, const QString&) override { return SaveAnswer::No; }
    QString chooseSaveName(QWidget*, const QString&) override { return {}; }
};

// The application object of a headless run: on the offscreen platform unless
// another is chosen, and still running when its last window closes.
std::unique_ptr<QApplication> makeHeadlessApp();

class EditorSession {
public:
    EditorSession();
    ~EditorSession();

    // Opens a document and makes its view the active one; false when the open failed.
    bool open(const std::string& path);
    CDocument* activeDocument() const;
    CMainView* activeView() const;

    // Runs one command of `run` on the active view. False with `error` set for
    // an unknown command or bad arguments; a command the editor would show
    // disabled does nothing.
    bool command(const std::vector<std::string>& words, std::string& error);

    // The JSON report of the active document (or of a failed open).
    void report(std::ostream& out, bool opened);

    // Makes the active view's window as large as a window whose rows and ruler
    // fill width x height pixels.
    void fitViewTo(int width, int height);
    // Renders the active view at the given size, with the time ruler over it
    // when asked; false without a view.
    bool renderView(const QString& file, int width, int height, bool ruler = false);

    RecordingMessages ui;

private:
    bool runCommand(int id);
    // A verb of the command registry, with the dialogs' answers from its arguments.
    bool runVerb(const std::string& verb, const std::vector<std::string>& args, std::string& error);
    // `wheel`, `label-click`, `ruler-click` and `ruler-drag`.
    bool timelineVerb(const std::string& verb, const std::vector<std::string>& args, std::string& error);
    // The report's "title", "scrollX" and "status".
    void reportWindow(JsonWriter& j);
    // `cursor STEP` and `play-for MS`.
    bool playbackVerb(const std::string& verb, const std::vector<std::string>& args, std::string& error);

    // Settings of the run live in a folder of its own that goes with it: a
    // headless run leaves the user's recent files and choices alone.
    QTemporaryDir m_settings;
    HeadlessShellDialogs m_shellDialogs;
    ScriptedViewDialogs m_viewDialogs;  // answered from each command's arguments
    ScopedViewDialogs m_installedDialogs{&m_viewDialogs};
    std::unique_ptr<CEditorApp> m_app;
    ToolPlayback m_playback;
    CMainView* m_lastView = nullptr;
};

}  // namespace rova::tool
