// The session's timeline verbs (the wheel, row labels, the ruler) and the
// report's window fields: title, scroll position and the status bar.
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>

#include "commands/editor_commands.h"
#include "editor_session.h"
#include "json_writer.h"
#include "shell/child_frame.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "view/main_view.h"
#include "view/time_ruler_widget.h"

namespace rova::tool {

bool EditorSession::timelineVerb(const std::string& verb, const std::vector<std::string>& args, std::string& error) {
    auto bad = [&](const char* usage) {
        error = std::string("usage: ") + usage;
        return false;
    };
    std::vector<int> n;
    auto ints = [&](std::size_t count) {
        n.clear();
        for (std::size_t i = 0; i < count; ++i) {
            int v = 0;
            if (i >= args.size() || !parseInt(args[i], v)) return false;
            n.push_back(v);
        }
        return true;
    };
    CMainView* view = activeView();
    if (verb == "wheel") {
        const bool modifier = args.size() == 4 && (args[3] == "shift" || args[3] == "ctrl");
        if ((args.size() != 3 && !modifier) || !ints(3)) return bad("wheel X Y DELTA [shift|ctrl]");
        const auto action = !modifier           ? CMainView::WheelAction::Time
                            : args[3] == "ctrl" ? CMainView::WheelAction::Zoom
                                                : CMainView::WheelAction::Rows;
        if (view) {
            view->setPointer(QPoint(n[0], n[1]));
            view->wheel({n[0], n[1]}, n[2], action);
        }
        return true;
    }
    if (verb == "label-click") {
        const bool modifier = args.size() == 2 && (args[1] == "shift" || args[1] == "ctrl");
        if ((args.size() != 1 && !modifier) || !ints(1) || n[0] < 0) return bad("label-click ROW [ctrl|shift]");
        const auto how = !modifier           ? CMainView::LabelClick::Plain
                         : args[1] == "ctrl" ? CMainView::LabelClick::Ctrl
                                             : CMainView::LabelClick::Shift;
        if (view) view->labelClick(n[0], how);
        return true;
    }
    if (verb == "ruler-click") {
        if (args.size() != 1 || !ints(1)) return bad("ruler-click X");
        if (view) view->rulerClick(n[0]);
        return true;
    }
    if (args.size() != 2 || !ints(2)) return bad("ruler-drag X1 X2");
    if (view) view->rulerDrag(n[0], n[1]);
    return true;
}

void EditorSession::fitViewTo(int width, int height) {
    CMainView* view = activeView();
    CDocument* document = activeDocument();
    CChildFrame* child = document ? document->frame() : nullptr;
    if (!view || !child) return;
    const QSize wanted(width, height - view->ruler()->height());
    // The window's borders, scroll bars and ruler take what they take: the
    // window grows by what the rows still lack, and the main window with it.
    for (int attempt = 0; attempt < 3 && view->viewport()->size() != wanted; ++attempt) {
        child->resize(child->size() + (wanted - view->viewport()->size()));
        QWidget* main = child->window();
        main->resize(main->size().expandedTo(child->size() + QSize(100, 200)));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

void EditorSession::reportWindow(JsonWriter& j) {
    CMainFrame* frame = m_app->mainFrame();
    if (!frame) return;
    CMainView* view = activeView();
    // The window as the user would see it after the last input: readouts and
    // title are brought up to date as the program does when it goes idle.
    if (view) {
        // The tempo field fills in when the analysis ends: report it ended, as the commands do.
        view->beatTrack().waitForAnalysis();
        view->publishReadout();
    }
    frame->updateCommandUI();
    j.key("title").value(frame->windowTitle().toStdString());
    if (view) j.key("scrollX").value(view->horizontalScroll());
    j.key("status").beginObject();
    auto field = [&](const char* name, const QLabel* label) {
        j.key(name).value(label && !label->isHidden() ? label->text().toStdString() : std::string());
    };
    const CReadoutFields* readouts = frame->readoutFields();
    for (const char* name : {"time", "beat", "selection", "angle", "cursor"})
        field(name, readouts ? readouts->field(name) : nullptr);
    field("budget", frame->motionField());
    field("bpm", frame->tempoField());
    j.endObject();
}

}  // namespace rova::tool
