#include "editor_session.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <map>

#include "app/child_frame.h"
#include "app/commands.h"
#include "app/document.h"
#include "app/editor_app.h"
#include "app/main_frame.h"
#include "json_writer.h"
#include "player/window_messages.h"
#include "view/main_view.h"

namespace rova::tool {
namespace {

bool toInt(const std::string& s, int& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

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

// Letters that the performance window's accelerator table turns into commands.
int acceleratorCommand(int key) {
    switch (key) {
    case 'A': return ID_EDIT_SELECT_ALL;
    case 'C': return ID_EDIT_COPY;
    case 'E': return ID_EDIT_EXPAND;
    case 'U': return ID_EDIT_REDUCE;
    default: return 0;
    }
}

}  // namespace

EditorSession::EditorSession() {
    setViewDialogs(&m_viewDialogs);
    m_app = std::make_unique<CEditorApp>(ui, m_shellDialogs, [this](CDocument& d) {
        m_lastView = new CMainView(d);
        return m_lastView;
    });
    // Started without a file: the Open dialog it shows is cancelled at once.
    m_app->initInstance({});
}

EditorSession::~EditorSession() {
    m_app.reset();
    setViewDialogs(nullptr);
}

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

bool EditorSession::command(const std::vector<std::string>& words, std::string& error) {
    if (words.empty()) {
        error = "empty command";
        return false;
    }
    const std::string& name = words[0];
    const std::size_t argc = words.size() - 1;
    auto bad = [&](const std::string& usage) {
        error = "usage: " + usage;
        return false;
    };
    std::vector<int> n;
    auto ints = [&](std::size_t from, std::size_t count) {
        n.clear();
        for (std::size_t i = from; i < from + count; ++i) {
            int v;
            if (i >= words.size() || !toInt(words[i], v)) return false;
            n.push_back(v);
        }
        return true;
    };

    if (name == "open") {
        if (argc != 1) return bad("open FILE");
        open(words[1]);
        return true;
    }
    static const std::map<std::string, int> plain = {
        {"select-all", ID_EDIT_SELECT_ALL}, {"reduce", ID_EDIT_REDUCE},   {"expand", ID_EDIT_EXPAND},
        {"smooth", ID_EDIT_SMOOTH},         {"zoom-in", ID_VIEW_ZOOM_IN}, {"zoom-out", ID_VIEW_ZOOM_OUT},
        {"save", ID_FILE_SAVE},
    };
    if (auto it = plain.find(name); it != plain.end()) {
        if (argc != 0) return bad(name);
        runCommand(it->second);
        return true;
    }
    CMainView* view = activeView();
    if (name == "select" || name == "rows") {
        if (argc != 2 || !ints(1, 2)) return bad(name + (name == "select" ? " START LENGTH" : " FIRST COUNT"));
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
        const int key = argc == 1 ? keyCode(words[1]) : 0;
        if (!key) return bad("key 1..9|A..Z|Left|Right|Up|Down|Space|Escape");
        if (const int id = acceleratorCommand(key)) runCommand(id);
        else if (view) view->onKeyDown(key);
        return true;
    }
    if (name == "lbutton" || name == "rbutton") {
        const bool shift = argc == 3 && words[3] == "shift";
        if ((argc != 2 && !shift) || !ints(1, 2) || (name == "rbutton" && argc != 2))
            return bad(name + " X Y" + (name == "lbutton" ? " [shift]" : ""));
        if (!view) return true;
        if (name == "lbutton") view->onLButtonDown({n[0], n[1]}, shift);
        else view->onRButtonDown({n[0], n[1]}, false);
        return true;
    }
    if (name == "move") {
        const bool button = argc == 3 && (words[3] == "left" || words[3] == "right");
        if ((argc != 2 && !button) || !ints(1, 2)) return bad("move X Y [left|right]");
        if (view) view->onMouseMove({n[0], n[1]}, button && words[3] == "left", button && words[3] == "right");
        return true;
    }
    if (name == "lup" || name == "rup") {
        if (argc != 2 || !ints(1, 2)) return bad(name + " X Y");
        if (!view) return true;
        if (name == "lup") view->onLButtonUp();
        else view->onRButtonUp({n[0], n[1]});
        return true;
    }
    if (name == "zoom") {
        if (argc != 1 || !ints(1, 1)) return bad("zoom N");
        // The dialog takes 1 to 100 only; anything else it refuses, and the user cancels.
        if (n[0] >= 1 && n[0] <= 100) {
            m_viewDialogs.zoom = n[0];
        } else {
            ui.showMessage("Please enter an integer between 1 and 100.");
            m_viewDialogs.zoom.reset();
        }
        runCommand(ID_VIEW_SET_ZOOM);
        m_viewDialogs.zoom.reset();
        return true;
    }
    if (name == "dance") {
        if (argc != 1 || !ints(1, 1)) return bad("dance ID");
        runCommand(n[0]);
        return true;
    }
    if (name == "macro") {
        QString chosen;
        for (std::size_t i = 1; i < words.size(); ++i) chosen += (i > 1 ? " " : "") + QString::fromStdString(words[i]);
        m_viewDialogs.macro = chosen;
        runCommand(ID_EDIT_APPLY_MACRO);
        m_viewDialogs.macro.reset();
        return true;
    }
    if (name == "generate-eyes" || name == "generate-mouth") {
        const bool eyes = name == "generate-eyes";
        const std::size_t count = eyes ? 2 : 1;
        // The dialog's sliders reach thresholds 0 to 63 only.
        const bool inRange = argc == count && ints(1, count) &&
                             std::all_of(n.begin(), n.end(), [](int t) { return t >= 0 && t <= kMaxThreshold; });
        if (!inRange) return bad(eyes ? "generate-eyes GREEN RED (0..63)" : "generate-mouth T (0..63)");
        if (eyes) m_viewDialogs.eyes = EyeThresholds{n[0], n[1]};
        else m_viewDialogs.mouth = n[0];
        runCommand(eyes ? ID_EDIT_GENERATE_EYES : ID_EDIT_GENERATE_MOUTH);
        m_viewDialogs.eyes.reset();
        m_viewDialogs.mouth.reset();
        return true;
    }
    if (name == "copy") {
        if (argc != 0) return bad("copy");
        runCommand(ID_EDIT_COPY);
        return true;
    }
    if (name == "paste" || name == "paste-cancel") {
        if (name == "paste-cancel" && argc != 0) return bad("paste-cancel");
        PasteParts parts{false, false, false, false, false, false, false, false, false};
        static const std::map<std::string, bool PasteParts::*> boxes = {
            {"head", &PasteParts::head},   {"mouth", &PasteParts::mouth},     {"rf", &PasteParts::rfLeg},
            {"lf", &PasteParts::lfLeg},    {"rr", &PasteParts::rrLeg},        {"lr", &PasteParts::lrLeg},
            {"tail", &PasteParts::tail},   {"swap-lr", &PasteParts::swapLR},  {"swap-fb", &PasteParts::swapFB},
        };
        for (std::size_t i = 1; i < words.size(); ++i) {
            const auto box = boxes.find(words[i]);
            if (box == boxes.end()) return bad("paste [head] [mouth] [rf] [lf] [rr] [lr] [tail] [swap-lr] [swap-fb]");
            parts.*(box->second) = true;
        }
        if (name == "paste") m_viewDialogs.paste = parts;
        runCommand(ID_EDIT_PASTE_SPECIAL);
        m_viewDialogs.paste.reset();
        return true;
    }
    if (name == "play") {
        if (argc > 1 || (argc == 1 && words[1] != "closed")) return bad("play [closed]");
        m_playback.play([this] { runCommand(ID_VIEW_PLAY); }, argc == 0);
        return true;
    }
    if (name == "replace-audio") {
        if (argc != 1) return bad("replace-audio PATH");
        ui.files.push_back(words[1]);
        runCommand(ID_TOOLS_REPLACE_AUDIO);
        ui.files.clear();
        return true;
    }
    if (name == "save-as") {
        if (argc != 1) return bad("save-as PATH");
        if (CDocument* doc = activeDocument()) {
            const std::string path = QString::fromStdString(words[1]).toStdString();
            if (doc->doc().onSaveDocument(path)) {
                doc->doc().setPathName(path);
                m_app->mainFrame()->documentTitleChanged(*doc);
            }
        }
        return true;
    }
    error = "unknown command '" + name + "'";
    return false;
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
    if (CMainView* view = opened ? activeView() : nullptr) {
        j.key("selection").beginObject();
        j.key("start").value(view->selStart()).key("length").value(view->selLength());
        j.key("firstRow").value(view->firstRow()).key("rowCount").value(view->rowCount());
        j.endObject();
        j.key("zoom").value(view->zoom()).key("lastStep").value(view->lastStep());
    }
    if (m_playback.played()) m_playback.report(j);
    j.endObject();
    out << '\n';
}

bool EditorSession::renderView(const QString& file, int width, int height) {
    CMainView* view = activeView();
    if (!view) return false;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.translate(-view->horizontalScroll(), -view->verticalScroll());
        view->onDraw(painter);
    }
    return image.save(file, "PNG");
}

}  // namespace rova::tool
