#include "player/player_link.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "model/channels.h"
#include "player/player_window.h"
#include "player/viewer_api.h"
#include "player/window_messages.h"

namespace rova {

CPlayerLink& playerLink() {
    static CPlayerLink link;
    return link;
}

void* CPlayerLink::getViewer() const { return m_window ? m_window->viewer() : nullptr; }

void CPlayerLink::showPlayer() {
    if (!m_window) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int screenWidth = screen ? screen->geometry().width() : 1024;
        // 300 x 300 near the top right of the screen.
        m_window = CPlayerWindow::create(QRect(screenWidth - 400, 10, 300, 300), *this);
        // A new model shows the selection from the start.
        showSelectedJoints(true);
    }
    if (m_window) {
        m_window->showNormal();
        m_window->raise();
        m_window->activateWindow();
    }
}

void CPlayerLink::refreshPlayer() {
    if (m_window) m_window->repaint();
}

void CPlayerLink::resetCamera() {
    if (void* viewer = getViewer()) viewerApi().ResetCamera(viewer);
}

bool CPlayerLink::onViewerKey(int key) {
    if (key < win::kVkLeft || key > win::kVkDown) return false;
    if (m_activeView)
        m_activeView->onKeyDown(key);
    else if (beep)
        beep();
    else
        QApplication::beep();
    return true;
}

bool CPlayerLink::jointNotify(void*, int joint, int value) {
    // The paws and ears have no channel: they move freely. No joint lies below 0.
    if (joint < 0) return false;
    if (joint >= kChannelCount) return true;
    PlayerClient* view = playerLink().m_activeView;
    return view ? view->onViewerJointValue(joint, value) : false;
}

void CPlayerLink::onViewerMouseReleased() {
    if (m_activeView) m_activeView->viewerDragEnded();
    // A press picks and highlights a part of the model, and a joint drag
    // narrows the view's rows to that joint: the highlight follows the view again.
    showSelectedJoints(true);
}

void CPlayerLink::setActiveView(PlayerClient* view) {
    if (view == m_activeView) return;
    PlayerClient* previous = m_activeView;
    m_activeView = view;
    if (previous) previous->activeViewChanged(false);
    if (view) view->activeViewChanged(true);
    showSelectedJoints();
}

void CPlayerLink::forgetView(PlayerClient* view) {
    if (!view || view != m_activeView) return;
    m_activeView = nullptr;
    showSelectedJoints();
}

void CPlayerLink::showSelectedJoints(bool always) {
    void* viewer = getViewer();
    if (!viewer) {
        m_shownJoints.reset();  // a new window starts from its own state
        return;
    }
    std::vector<int> joints = m_activeView ? m_activeView->selectedJoints() : std::vector<int>{};
    if (!always && m_shownJoints == joints) return;
    ViewerApi& api = viewerApi();
    api.BeginMultiJoint(viewer);
    for (int joint : joints) api.SelectJoint(viewer, joint);
    api.EndMultiJoint(viewer);
    m_shownJoints = std::move(joints);
}

}  // namespace rova
