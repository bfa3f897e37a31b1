// Helpers of the widget tests: answering modal dialogs, scripted shell
// dialogs, a view with a few commands of its own, and performance files.
#pragma once

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSettings>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "commands/editor_commands.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/main_frame.h"
#include "shell/shell_dialogs.h"
#include "shell/view.h"
#include "platform/messages.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"

namespace rova::test {

// Calls answer with the next modal widget as soon as one is open (a dialog's
// exec() blocks the test until then).
inline void whenModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer(qApp);  // the application cleans up a timer that never found a dialog
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 500) return;
        timer->stop();
        timer->deleteLater();
        if (modal) answer(modal);
    });
    timer->start(5);
}

// The popup of the menu bar with that title, null when there is none.
inline QMenu* menuNamed(QMainWindow& frame, const QString& title) {
    for (QAction* a : frame.menuBar()->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

// Deletes what deleteLater() left behind (closed windows).
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// A double click as the window system delivers it: the second press comes
// with its double-click event.
inline void doubleClick(QWidget* widget, QPoint at) {
    const QPointF local(at), global(widget->mapToGlobal(at));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

struct FakeShellDialogs : ShellDialogs {
    std::deque<QStringList> openChoices;  // none left: the dialog is cancelled
    std::deque<SaveAnswer> saveAnswers;    // none left: Cancel
    std::vector<QString> saveQuestions;
    QString saveName;
    int openDialogs = 0;

    std::optional<QStringList> chooseFilesToOpen(QWidget*) override {
        ++openDialogs;
        if (openChoices.empty()) return std::nullopt;
        QStringList choice = openChoices.front();
        openChoices.pop_front();
        return choice;
    }
    SaveAnswer askSaveChanges(QWidget*, const QString& title) override {
        saveQuestions.push_back(QString("Save changes to %1?").arg(title));
        if (saveAnswers.empty()) return SaveAnswer::Cancel;
        const SaveAnswer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    QString chooseSaveName(QWidget*, const QString&) override { return saveName; }
};

// A view with a selection flag that handles Reduce (enabled only with a
// selection), Zoom In, and records the keys the player link passes on.
class TestView : public CView {
public:
    using CView::CView;
    bool hasSelection = false;
    bool acceptJoint = true;
    int reduces = 0;
    int zoomIns = 0;
    std::vector<int> keys;
    std::vector<std::pair<int, int>> joints;
    std::vector<bool> activeChanges;

    void onDraw(QPainter&) override {}
    QSize drawingSize() const override { return {100, 50}; }
    void onKeyDown(int key) override { keys.push_back(key); }
    bool onViewerJointValue(int channel, int degrees) override {
        joints.emplace_back(channel, degrees);
        return acceptJoint;
    }
    void activeViewChanged(bool active) override { activeChanges.push_back(active); }
};

// Performance files in a temporary folder.
struct Performances {
    TempDir dir;

    // NAME.WAV and a full-body NAME.MTN of k keyframes; returns the path of NAME.MTN.
    std::string add(const std::string& name, int keyframes = 4) {
        dir.write(name + ".WAV", waveImage(8000));
        dir.write(name + ".MTN", MotionImage::of(0, 18, keyframes).bytes());
        return dir / (name + ".MTN");
    }
    // A set whose WAVE file is broken: its open fails.
    std::string addBroken(const std::string& name) {
        dir.write(name + ".WAV", std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 1, 2, 3});
        dir.write(name + ".MTN", MotionImage::of(0, 18, 4).bytes());
        return dir / (name + ".MTN");
    }
};

// The editor as the program starts it, with recorded messages and scripted dialogs.
struct Shell {
    RecordingMessages ui;
    FakeShellDialogs dialogs;
    std::vector<TestView*> views;
    CEditorApp app{ui, dialogs, [this](CDocument& d) {
                       auto* v = new TestView(d);
                       views.push_back(v);
                       return v;
                   }};

    explicit Shell(const QStringList& arguments = {}, bool clearSettings = true) {
        if (clearSettings) QSettings(kSettingsOrganization, kSettingsApplication).clear();
        registerEditorCommands(app);
        // Reduce (enabled only with a selection) and Zoom In counted on the test view.
        auto testView = [](CommandContext& c) { return dynamic_cast<TestView*>(c.view); };
        auto onView = [&](int id) {
            CommandInfo info = app.commands().find(id)->info();
            info.target = CommandTarget::View;
            return info;
        };
        app.commands().add(std::make_unique<CFunctionCommand>(
            onView(ID_EDIT_REDUCE), [testView](CommandContext& c) { ++testView(c)->reduces; },
            [testView](CommandContext& c, CCmdUI& state) { state.enable(testView(c)->hasSelection); }));
        app.commands().add(std::make_unique<CFunctionCommand>(
            onView(ID_VIEW_ZOOM_IN), [testView](CommandContext& c) { ++testView(c)->zoomIns; }));
        started = app.initInstance(arguments);
    }
    bool started = false;
    CMainFrame& frame() { return *app.mainFrame(); }
    CDocument* open(const std::string& path) { return app.openDocumentFile(QString::fromStdString(path)); }
    CCmdUI state(int id) { return frame().commandState(id); }
};

}  // namespace rova::test
