// The editor with performance views, scripted dialogs and recorded messages.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <sstream>

#include "gui/gui_support.h"
#include "support/led_image.h"
#include "model/led_file.h"
#include "player/player_link.h"
#include "player/player_window.h"
#include "player/viewer_api.h"
#include "commands/editor_commands.h"
#include "shell/main_frame.h"
#include "view/main_view.h"
#include "view/view_dialogs.h"

namespace rova::test {

struct ViewerCalls : WindowlessViewer {
    std::vector<std::string> calls;
    int SetJoints(void*, const ViewerJointRange& r) override {
        std::string s = "SetJoints " + std::to_string(r.first) + " " + std::to_string(r.count);
        for (int i = 0; i < r.count; ++i) s += " " + std::to_string(r.values[i]);
        calls.push_back(s);
        return r.count;
    }
    void SelectJoint(void*, int joint) override { calls.push_back("Select " + std::to_string(joint)); }
    void BeginMultiJoint(void*) override { calls.push_back("Begin"); }
    void EndMultiJoint(void*) override { calls.push_back("End"); }
};

// A recording viewer installed, and the player window shown on it when asked;
// both go again however the test ends.
struct OpenPlayer {
    ViewerCalls viewer;
    explicit OpenPlayer(bool show = true) {
        setViewerApi(&viewer);
        if (show) playerLink().showPlayer();
    }
    ~OpenPlayer() {
        delete playerLink().playerWindow();
        flushDeletes();
        setViewerApi(nullptr);
    }
    OpenPlayer(const OpenPlayer&) = delete;
    OpenPlayer& operator=(const OpenPlayer&) = delete;
};

struct Editor {
    RecordingMessages ui;
    FakeShellDialogs dialogs;
    ScriptedViewDialogs viewDlgs;
    ScopedViewDialogs installedDlgs{&viewDlgs};
    std::vector<CMainView*> views;
    // What the views opened from now on find beats with; the real analysis when empty.
    beats::Analyser beatAnalyser;
    CEditorApp app{ui, dialogs, [this](CDocument& d) {
                       auto* v = new CMainView(d, beatAnalyser);
                       views.push_back(v);
                       return v;
                   }};
    Performances files;

    Editor() {
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
        registerEditorCommands(app);
        app.initInstance({});  // the Open dialog is answered with Cancel
    }

    CMainFrame& frame() { return *app.mainFrame(); }
    // A command as its menu item or key runs it: nothing when disabled.
    bool run(int id) { return frame().executeCommand(id); }
    // A command run whatever its enabling rule says, on the active window.
    void force(int id) {
        CommandContext context = frame().commandContext();
        CCommand* command = app.commands().find(id);
        ASSERT_NE(command, nullptr);
        ASSERT_TRUE(command->isHandled(context));
        command->onExecute(context);
    }
    CCmdUI state(int id) { return frame().commandState(id); }

    // A full-body set of k keyframes 5 ticks apart, with audio and eye LEDs.
    CMainView& open(const std::string& name = "P", int keyframes = 14) {
        return openPath(files.add(name, keyframes), name);
    }
    // Adds eye LEDs beside an existing set and opens it.
    CMainView& openPath(const std::string& path, const std::string& name) {
        files.dir.write(name + ".LED", ledImage({1, 2, 3}));
        EXPECT_NE(app.openDocumentFile(QString::fromStdString(path)), nullptr);
        return *views.back();
    }
    // A second of sound and the given motion, with eye LEDs.
    CMainView& openMotion(const std::string& name, const MotionImage& motion) {
        files.dir.write(name + ".WAV", waveImage(8000));
        files.dir.write(name + ".MTN", motion.bytes());
        return openPath(files.dir / (name + ".MTN"), name);
    }
    // A second of sound alone, opened from NAME.WAV.
    CMainView& openSound(const std::string& name) {
        files.dir.write(name + ".WAV", waveImage(8000));
        EXPECT_NE(app.openDocumentFile(QString::fromStdString(files.dir / (name + ".WAV"))), nullptr);
        return *views.back();
    }
};

// The row of a joint's pane (-1 when the view shows none) and the top of that row.
inline int rowOf(CMainView& v, int joint) {
    int row = -1;
    v.findPaneByJoint(joint, row);
    return row;
}
inline int rowTop(CMainView& v, int joint) { return v.panes().at(static_cast<std::size_t>(rowOf(v, joint)))->top(); }

// Every row over the given steps.
inline void selectAllRows(CMainView& v, int start, int length) {
    v.selectRows(0, static_cast<int>(v.panes().size()), false);
    v.setTimeSelection(start, length);
}

// The view drawn on white as its window shows it.
inline QImage renderView(CMainView& v) {
    QImage image(v.drawingSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    v.onDraw(p);
    p.end();
    return image;
}

// A command's state and run on a given view, as if its window were the active
// one; the run ignores the enabling rule.
inline CommandContext contextOf(CMainView& v) {
    CEditorApp& app = *CEditorApp::instance();
    CommandContext context{app, *app.mainFrame()};
    context.document = &v.document();
    context.view = &v;
    return context;
}
inline CCmdUI state(CMainView& v, int id) {
    CCmdUI ui{id};
    CommandContext context = contextOf(v);
    CCommand* command = CEditorApp::instance()->commands().find(id);
    if (!command || !command->isHandled(context)) ui.enabled = false;
    else command->onUpdate(context, ui);
    return ui;
}
inline void runOn(CMainView& v, int id) {
    CommandContext context = contextOf(v);
    CEditorApp::instance()->commands().find(id)->onExecute(context);
}

}  // namespace rova::test
