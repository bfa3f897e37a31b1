// The one link between the performance views and the player window: it knows
// the active view (the view the viewer talks to) and the player window, and
// carries the viewer's keys and joint drags to that view.
#pragma once

#include <functional>
#include <optional>
#include <vector>

class QKeyEvent;

namespace rova {

class CPlayerWindow;
class MessageInterface;

// What the player link asks of a performance view.
class PlayerClient {
public:
    virtual ~PlayerClient() = default;
    // A key pressed in the player window, as a virtual-key code (the arrows).
    virtual void onKeyDown(int virtualKey) = 0;
    // The user dragged channel joint 0..17 to degrees; true lets the model follow.
    virtual bool onViewerJointValue(int channel, int degrees) = 0;
    // The view became or stopped being the active view (its highlight changes).
    virtual void activeViewChanged(bool active) = 0;
    // The mouse button that dragged joints was released: the drag is one edit.
    virtual void viewerDragEnded() {}
    // The joints of the selected rows in row order while the view has a
    // selection (rows and a time range); none without one.
    virtual std::vector<int> selectedJoints() const { return {}; }
};

class CPlayerLink {
public:
    // The player window's viewer context, or null while there is no player window.
    void* getViewer() const;
    // Creates the player window when there is none, then shows it restored.
    void showPlayer();
    // Paints the player window at once (after a pose during playback).
    void refreshPlayer();
    // Puts the player's camera back to the usual front view.
    void resetCamera();
    // A key pressed in the player window: the arrows go to the active view
    // (or beep without one) and count as handled; other keys are the viewer's.
    bool onViewerKey(int virtualKey);
    // A mouse button was released in the player window: ends the active view's joint drag.
    void onViewerMouseReleased();
    // The viewer's notify callback: channel joints 0..17 go to the active view
    // (false without one), the paws and ears (18 and up) move freely, and a
    // negative joint is refused.
    static bool jointNotify(void* context, int joint, int value);

    PlayerClient* activeView() const { return m_activeView; }
    // Makes view the active view; the previous and the new one repaint.
    void setActiveView(PlayerClient* view);
    // A view that goes away leaves the link.
    void forgetView(PlayerClient* view);
    // Keeps the viewer's highlight on the active view's selected joints, and on
    // none without an active view: sends them when they differ from what the
    // viewer was last given, or whatever it was given when `always`.
    void showSelectedJoints(bool always = false);

    // The editor's own keys pressed in the player window (the main window's
    // accelerators, the view's keys): the program hands them to its main
    // window; true when taken. Unset, every key stays with the viewer.
    std::function<bool(QKeyEvent&)> editorKeys;

    CPlayerWindow* playerWindow() const { return m_window; }

    // Where the player's messages go; the program sets its message boxes.
    void setMessages(MessageInterface* ui) { m_ui = ui; }
    MessageInterface* messages() const { return m_ui; }
    // The system's "asterisk" sound; replaceable for tests.
    std::function<void()> beep;

private:
    friend class CPlayerWindow;
    PlayerClient* m_activeView = nullptr;
    CPlayerWindow* m_window = nullptr;
    MessageInterface* m_ui = nullptr;
    // What the viewer highlights now, as far as the link knows; none when unknown.
    std::optional<std::vector<int>> m_shownJoints;
};

CPlayerLink& playerLink();

}  // namespace rova
