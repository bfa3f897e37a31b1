#include "shell/window_arrange.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

namespace rova {

namespace {

// The windows to arrange, in the order they were opened; minimised ones stay where they are.
QList<QMdiSubWindow*> arrangeable(QMdiArea& area) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isVisible() || w->isMinimized()) continue;
        if (w->isMaximized()) w->showNormal();
        windows.push_back(w);
    }
    return windows;
}

// The whole window area: scroll bars shown for today's windows go once they are arranged to fit.
QSize roomFor(const QMdiArea& area) { return area.contentsRect().size(); }

}  // namespace

void cascadeWindows(QMdiArea& area) {
    const QList<QMdiSubWindow*> windows = arrangeable(area);
    if (windows.isEmpty()) return;
    const QSize room = roomFor(area);
    const int offset = std::max(1, windows.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.front()));
    const int n = static_cast<int>(windows.size());
    // When the area is too small for every offset, the windows keep a usable size and overlap more.
    const int step = std::min(offset, std::max(0, std::min(room.width(), room.height()) / 2 / std::max(1, n - 1)));
    const int width = std::max(room.width() - step * (n - 1), windows.front()->minimumSizeHint().width());
    const int height = std::max(room.height() - step * (n - 1), windows.front()->minimumSizeHint().height());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = windows[i];
        w->setGeometry(step * i, step * i, width, height);
        w->raise();
    }
    area.setActiveSubWindow(windows.back());
}

void tileWindowsHorizontally(QMdiArea& area) {
    const QList<QMdiSubWindow*> windows = arrangeable(area);
    if (windows.isEmpty()) return;
    const QSize room = roomFor(area);
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        // Integer shares: the last window takes what the division leaves.
        const int top = room.height() * i / n, bottom = room.height() * (i + 1) / n;
        windows[i]->setGeometry(0, top, room.width(), bottom - top);
    }
}

}  // namespace rova
