#include "shell/menu_prompts.h"

#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

namespace rova {

namespace {

class DisabledItemPrompts : public QObject {
public:
    DisabledItemPrompts(QMenu& menu, QMainWindow& frame) : QObject(&menu), m_menu(&menu), m_frame(&frame) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseMove) return false;
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        // After the menu's own handling, which clears the prompt when its
        // current item is one without a prompt of its own.
        QTimer::singleShot(0, this, [this, at] {
            if (!m_menu || !m_frame || !m_menu->isVisible()) return;
            const QAction* action = m_menu->actionAt(at);
            if (action && !action->isEnabled() && !action->isSeparator() && !action->statusTip().isEmpty())
                m_frame->statusBar()->showMessage(action->statusTip());
        });
        return false;
    }

private:
    QPointer<QMenu> m_menu;
    QPointer<QMainWindow> m_frame;
};

}  // namespace

void showPromptsOfDisabledItems(QMenu& menu, QMainWindow& frame) {
    menu.installEventFilter(new DisabledItemPrompts(menu, frame));
}

}  // namespace rova
