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

struct ScriptedViewDialogs : ViewDialogs {
    std::optional<int> zoom;
    std::optional<QString> macro;
    std::optional<int> askZoomFactor(QWidget*, int) override { return zoom; }
    std::optional<QString> askMacro(QWidget*, const QStringList&) override { return macro; }

    // The generator dialogs: what they were opened with, and the answer.
    std::optional<EyeThresholds> eyes;
    std::optional<int> mouth;
    std::vector<std::pair<int, int>> eyesShown;
    std::vector<int> mouthShown;
    std::optional<EyeThresholds> askGenerateEyes(QWidget*, EyeThresholds current) override {
        eyesShown.emplace_back(current.green, current.red);
        return eyes;
    }
    std::optional<int> askGenerateMouth(QWidget*, int current) override {
        mouthShown.push_back(current);
        return mouth;
    }
    // Paste Special: the answer, and the view's selection while it is open.
    std::optional<PasteParts> paste;
    std::vector<std::pair<int, int>> pasteSelections;
    std::optional<PasteParts> askPasteSpecial(QWidget* parent) override {
        if (auto* view = dynamic_cast<CMainView*>(parent))
            pasteSelections.emplace_back(view->selStart(), view->selLength());
        return paste;
    }
};

struct Editor {
    RecordingMessages ui;
    FakeShellDialogs dialogs;
    ScriptedViewDialogs viewDlgs;
    std::vector<CMainView*> views;
    CEditorApp app{ui, dialogs, [this](CDocument& d) {
                       auto* v = new CMainView(d);
                       views.push_back(v);
                       return v;
                   }};
    Performances files;

    Editor() {
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
        app.initInstance({});  // the Open dialog is answered with Cancel
        setViewDialogs(&viewDlgs);
    }
    ~Editor() { setViewDialogs(nullptr); }

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
};

}  // namespace rova::test
