// The main frame: menu bar (the empty frame's menu or the performance menu),
// toolbar, status bar with the lock-key indicators, the window area of the
// performance windows, the accelerator table, and the command route with its
// enabling rules, refreshed when the program goes idle and before a menu opens.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/notifier.h"
#include "shell/commands.h"
#include "shell/readout_fields.h"

class QKeyEvent;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QShortcut;

namespace rova {

class CChildFrame;
class CDocument;
class CEditorApp;
class CView;

class CMainFrame : public QMainWindow {
public:
    explicit CMainFrame(CEditorApp& app);
    ~CMainFrame() override;

    // Builds toolbar, status bar, menus and keys; false when that fails (the
    // toolkit's bars cannot fail to be made, so it succeeds).
    bool create();

    QMdiArea* mdiArea() const { return m_mdi; }
    // The performance window that commands go to (the last activated one).
    CChildFrame* activeChild() const;
    std::vector<CChildFrame*> childFrames() const;
    void addChild(CChildFrame* frame);
    void activateChild(CChildFrame* frame);
    void documentTitleChanged(CDocument& document);

    // What commands work on now: the active performance window's document and view.
    CommandContext commandContext();
    // The state a menu item or button of the command shows (disabled when
    // nothing handles it).
    CCmdUI commandState(int id);
    // Runs the command when it is handled and enabled; false otherwise.
    bool executeCommand(int id);
    const CommandRegistry& commands() const;
    void updateCommandUI();
    void scheduleIdleUpdate();
    void updateMenuBar();
    void updateRecentFileMenu();

    // The menu and toolbar action of a command (the first recent-file entry
    // for 57616), or null.
    QAction* action(int id) const;
    QAction* recentFilePlaceholder() const { return m_mruPlaceholder; }
    const std::vector<QMenu*>& menus(bool performance) const { return performance ? m_docMenus : m_emptyMenus; }
    QMenu* windowMenu() const { return m_windowMenu; }
    QMenu* dancingPopup() const { return m_dancingMenu; }
    QToolBar* toolBar() const { return m_toolBar; }
    QLabel* readyLabel() const { return m_ready; }
    QLabel* indicator(int index) const { return m_indicators[index]; }
    // The status-bar field of the motion budget ("Motion 312/522", "No motion").
    QLabel* motionField() const { return m_motionField; }
    // Called whenever the commands' states are refreshed (after input and
    // commands): panels that follow the active document refresh there.
    void addIdleListener(std::function<void()> listener) { m_idleListeners.push_back(std::move(listener)); }
    QLabel* tempoField() const { return m_tempo; }
    // The fields that read out the active performance window.
    const CReadoutFields* readoutFields() const { return m_readouts.get(); }

    // A menu item that runs a command.
    QAction* addCommandItem(QMenu* menu, int id, const QString& text);
    // Fills the Dancing popup when it still holds only its placeholder.
    void fillDancingMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* commandAction(int id);
    bool keyFromPlayer(QKeyEvent& event);
    QMenu* buildPopup(const MenuPopup& popup);
    void rebuildWindowList();
    void updateTitle();
    void updateIndicators();
    void updateMotionField();
    void onSubWindowActivated(QMdiSubWindow* window);
    // Listens to the active window's readouts (and to none without one).
    void followReadouts();

    CEditorApp& m_app;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_ready = nullptr;
    QLabel* m_indicators[3] = {};
    QLabel* m_motionField = nullptr;
    std::vector<std::function<void()>> m_idleListeners;
    QLabel* m_tempo = nullptr;  // the active window's tempo
    std::unique_ptr<CReadoutFields> m_readouts;
    const CView* m_readoutView = nullptr;
    Notifier<ViewReadout>::Subscription m_readoutSubscription;
    std::map<int, QAction*> m_actions;
    std::map<int, QString> m_menuTexts;  // the menus' own texts, for commands that rename their item
    QAction* m_mruPlaceholder = nullptr;
    std::vector<QAction*> m_mruActions;
    std::vector<QMenu*> m_emptyMenus;
    std::vector<QMenu*> m_docMenus;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_dancingMenu = nullptr;
    std::vector<QAction*> m_windowListActions;
    std::vector<QShortcut*> m_shortcuts;
    QTimer m_idle;
    bool m_performanceMenuShown = false;
};

}  // namespace rova
