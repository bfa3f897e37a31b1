#include "editor_session.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <algorithm>
#include <cstdlib>
#include <map>

#include "shell/child_frame.h"
#include "shell/command_line.h"
#include "commands/editor_commands.h"
#include "commands/playback_options.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "image_file.h"
#include "json_writer.h"
#include "player/window_messages.h"
#include "view/main_view.h"
#include "session_time.h"

namespace rova::tool {
namespace {

// Key names of `key NAME` as virtual-key codes.
int keyCode(const std::string& name) {
    if (name.size() == 1 && ((name[0] >= '1' && name[0] <= '9') || (name[0] >= 'A' && name[0] <= 'Z'))) return name[0];
    static const std::map<std::string, int> named = {
        {"Left", win::kVkLeft},   {"Right", win::kVkRight}, {"Up", win::kVkUp},
        {"Down", win::kVkDown},   {"Space", win::kVkSpace}, {"Escape", win::kVkEscape},
    };
    const auto it = named.find(name);
    return it == named.end() ? 0 : it->second;
}

}  // namespace

std::unique_ptr<QApplication> makeHeadlessApp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application keeps a reference to argc and argv for its whole life.
    static int argc = 1;
    static char name[] = "rova-tool";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return app;
}

EditorSession::EditorSession() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    m_app = std::make_unique<CEditorApp>(ui, m_shellDialogs, [this](CDocument& d) {
        m_lastView = new CMainView(d);
        return m_lastView;
    });
    registerEditorCommands(*m_app);
    // Started without a file: the Open dialog it shows is cancelled at once.
    m_app->initInstance({});
}

EditorSession::~EditorSession() { m_app.reset(); }

bool EditorSession::open(const std::string& path) { return m_app->openDocumentFile(QString::fromStdString(path)) != nullptr; }

CDocument* EditorSession::activeDocument() const {
    CMainFrame* frame = m_app->mainFrame();
    CChildFrame* child = frame ? frame->activeChild() : nullptr;
    return child ? &child->document() : nullptr;
}

CMainView* EditorSession::activeView() const {
    CMainFrame* frame = m_app->mainFrame();
    CChildFrame* child = frame ? frame->activeChild() : nullptr;
    return child ? dynamic_cast<CMainView*>(child->view()) : nullptr;
}

bool EditorSession::runCommand(int id) { return m_app->mainFrame() && m_app->mainFrame()->executeCommand(id); }

bool EditorSession::runVerb(const std::string& verb, const std::vector<std::string>& args, std::string& error) {
    CCommand* command = m_app->commands().findVerb(verb);
    if (!command) {
        error = "unknown command '" + verb + "'";
        return false;
    }
    m_viewDialogs.reset();
    if (!command->takeArguments(verb, args, m_viewDialogs, error)) return false;
    for (const std::string& text : m_viewDialogs.messages) ui.showMessage(text);
    ui.files.assign(m_viewDialogs.files.begin(), m_viewDialogs.files.end());
    runCommand(command->id());
    m_viewDialogs.reset();
    ui.files.clear();
    return true;
}

bool EditorSession::command(const std::vector<std::string>& words, std::string& error) {
    if (words.empty()) {
        error = "empty command";
        return false;
    }
    const std::string& name = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    const std::size_t argc = args.size();
    auto bad = [&](const std::string& usage) {
        error = "usage: " + usage;
        return false;
    };
    std::vector<int> n;
    auto ints = [&](std::size_t count) {
        n.clear();
        for (std::size_t i = 0; i < count; ++i) {
            int v;
            if (i >= argc || !parseInt(args[i], v)) return false;
            n.push_back(v);
        }
        return true;
    };

    // What the user does with the mouse and keys, and what the session itself does;
    // everything else is a command of the registry.
    CMainView* view = activeView();
    // A script works on the performance as the user sees it once its beats are found.
    if (view) view->beatTrack().waitForAnalysis();
    if (name == "open") {
        if (argc != 1) return bad("open FILE");
        open(args[0]);
        return true;
    }
    if (name == "select" || name == "rows") {
        if (argc != 2 || !ints(2)) return bad(name + (name == "select" ? " START LENGTH" : " FIRST COUNT"));
        if (!view) return true;
        if (name == "select") {
            view->selectRows(0, static_cast<int>(view->panes().size()), true);
            view->setTimeSelection(n[0], n[1]);
        } else {
            view->selectRows(n[0], n[1], true);
        }
        return true;
    }
    if (name == "key") {
        const int key = argc == 1 ? keyCode(args[0]) : 0;
        if (!key) return bad("key 1..9|A..Z|Left|Right|Up|Down|Space|Escape");
        // A letter of the accelerator table runs its command; other keys go to the view.
        const int id = key >= 'A' && key <= 'Z' ? m_app->commands().commandForKey(QKeyCombination(Qt::Key(key))) : 0;
        if (id) runCommand(id);
        else if (view) view->onKeyDown(key);
        return true;
    }
    if (name == "lbutton" || name == "rbutton") {
        const bool shift = argc == 3 && args[2] == "shift";
        if ((argc != 2 && !shift) || !ints(2) || (name == "rbutton" && argc != 2))
            return bad(name + " X Y" + (name == "lbutton" ? " [shift]" : ""));
        if (!view) return true;
        if (name == "lbutton") view->onLButtonDown({n[0], n[1]}, shift);
        else view->onRButtonDown({n[0], n[1]}, false);
        return true;
    }
    if (name == "move") {
        const bool button = argc == 3 && (args[2] == "left" || args[2] == "right");
        if ((argc != 2 && !button) || !ints(2)) return bad("move X Y [left|right]");
        if (view) view->onMouseMove({n[0], n[1]}, button && args[2] == "left", button && args[2] == "right");
        return true;
    }
    if (name == "lup" || name == "rup") {
        if (argc != 2 || !ints(2)) return bad(name + " X Y");
        if (!view) return true;
        if (name == "lup") view->onLButtonUp();
        else view->onRButtonUp({n[0], n[1]});
        return true;
    }
    if (name == "dance") {
        if (argc != 1 || !ints(1)) return bad("dance ID");
        runCommand(n[0]);
        return true;
    }
    if (name == "play") {
        if (argc > 1 || (argc == 1 && args[0] != "closed")) return bad("play [closed]");
        // No one would press Esc to end a loop.
        if (view && view->hasSelection() && rememberedPlaybackOptions().loop)
            return bad("play-for MS (Loop Playback is on)");
        m_playback.play([this] { runCommand(ID_VIEW_PLAY); }, argc == 0);
        return true;
    }
    if (name == "cursor" || name == "play-for") return playbackVerb(name, args, error);
    if (name == "move-time" || name == "alt-drag") return timeVerb(view, ui, name, args, error);
    if (name == "wheel" || name == "label-click" || name == "ruler-click" || name == "ruler-drag")
        return timelineVerb(name, args, error);
    if (name == "save-as") {
        if (argc != 1) return bad("save-as PATH");
        // File > Save As with PATH chosen in its dialog.
        CommandContext context = m_app->mainFrame()->commandContext();
        CCommand* saveAs = m_app->commands().find(ID_FILE_SAVE_AS);
        if (auto* withFile = dynamic_cast<CFileArgumentCommand*>(saveAs); withFile && saveAs->isHandled(context))
            withFile->executeWithFile(context, args[0]);
        return true;
    }
    return runVerb(name, args, error);
}

void EditorSession::report(std::ostream& out, bool opened) {
    JsonWriter j(out);
    j.beginObject();
    j.key("opened").value(opened);
    j.key("messages").beginArray();
    for (const auto& m : ui.messages) j.value(m);
    j.endArray();
    CDocument* document = opened ? activeDocument() : nullptr;
    const CMainDoc* doc = document ? &document->doc() : nullptr;
    const unsigned flags = doc ? doc->trackFlags() : 0;
    j.key("flags").value(flags);

    j.key("audio");
    if (flags & TRACK_WAVE)
        j.beginObject().key("type").value("wave").key("samples").value(doc->wave().sampleCount).endObject();
    else if (flags & TRACK_MIDI)
        j.beginObject().key("type").value("midi").endObject();
    else
        j.null();

    j.key("leds");
    if (flags & TRACK_LEDS) {
        const CLedTrack& leds = doc->leds();
        std::string data;
        data.reserve(leds.steps.size());
        for (auto b : leds.steps) data += static_cast<char>('0' + (b % 10));
        j.beginObject().key("steps").value(leds.length()).key("modified").value(leds.isModified());
        j.key("data").value(data).endObject();
    } else {
        j.null();
    }

    j.key("motion");
    if (flags & TRACK_MOTION) {
        const CMotionTrack& m = doc->motion();
        j.beginObject();
        j.key("kind").value(static_cast<int>(m.kind())).key("first").value(m.firstChannel());
        j.key("channels").value(m.channelCount()).key("keyframes").value(m.keyframeCount());
        j.key("totalTicks").value(m.totalTicks()).key("modified").value(m.isModified());
        j.key("frames").beginArray();
        for (int k = 0; k < m.keyframeCount(); ++k) {
            j.beginArray().value(m.duration(k));
            for (int c = 0; c < m.channelCount(); ++c) j.value(m.value(k, c));
            j.endArray();
        }
        j.endArray().endObject();
    } else {
        j.null();
    }
    j.key("modified").value(doc ? (doc->leds().isModified() || doc->motion().isModified()) : false);
    // The steps Undo and Redo would take, by the names the Edit menu shows.
    j.key("undo").beginObject();
    const CEditHistory* history = doc ? &doc->history() : nullptr;
    j.key("undo");
    if (history && history->canUndo()) j.value(history->undoName());
    else j.null();
    j.key("redo");
    if (history && history->canRedo()) j.value(history->redoName());
    else j.null();
    j.endObject();
    if (CMainView* view = opened ? activeView() : nullptr) {
        j.key("selection").beginObject();
        j.key("start").value(view->selStart()).key("length").value(view->selLength());
        j.key("firstRow").value(view->firstRow()).key("rowCount").value(view->rowCount());
        j.endObject();
        j.key("zoom").value(view->zoom()).key("lastStep").value(view->lastStep());
        // Only when there are: a report without them reads as before.
        if (view->playhead().cursor() >= 0) j.key("cursor").value(view->playhead().cursor());
        if (view->playhead().line() >= 0) j.key("playhead").value(view->playhead().line());
    }
    if (m_playback.played()) m_playback.report(j);
    if (opened) reportWindow(j);
    j.endObject();
    out << '\n';
}

bool EditorSession::renderView(const QString& file, int width, int height, bool ruler) {
    CMainView* view = activeView();
    if (!view) return false;
    // The beat lines are drawn once the sound's analysis is done: wait for it.
    view->beatTrack().waitForAnalysis();
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        // The ruler across the top, the rows below it, as the window shows them.
        const RulerInfo info = view->rulerInfo(width);
        const int top = ruler ? rulerHeight(info.barStartsMs != nullptr) : 0;
        if (ruler) drawRuler(painter, info);
        painter.translate(-view->horizontalScroll(), top - view->verticalScroll());
        const QRect shown(view->horizontalScroll(), view->verticalScroll(), width, height - top);
        painter.setClipRect(shown);
        view->onDraw(painter);
        view->drawStickyLabels(painter, shown);
    }
    return savePng(image, file.toStdString());
}

}  // namespace rova::tool
