// Behaviour a desktop user expects of the shell: edit boxes that open with
// their value selected, a list without a current row until the user picks
// one, Cascade and Tile that keep windows large, prompts of disabled items,
// one title in the caption of a maximised window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTest>

#include "shell/child_frame.h"
#include "shell/dialogs.h"
#include "gui_support.h"

using namespace rova;
using namespace rova::test;

namespace {

std::vector<CChildFrame*> openWindows(Shell& shell, Performances& files, int count) {
    shell.frame().resize(1100, 800);
    shell.frame().show();
    for (int i = 0; i < count; ++i) EXPECT_TRUE(shell.open(files.add(std::string(1, static_cast<char>('A' + i)))));
    QCoreApplication::processEvents();
    return shell.frame().childFrames();
}

}  // namespace

TEST(Desktop, ZoomFactorOpensWithItsValueSelectedSoTypingReplacesIt) {
    RecordingMessages ui;
    CZoomFactorDlg dialog(ui);
    dialog.setZoomFactor(40);
    QString selected;
    whenModal([&](QWidget*) {
        selected = dialog.edit()->selectedText();
        QTest::keyClicks(dialog.edit(), "20");
        dialog.accept();
        if (dialog.isVisible()) dialog.reject();  // the text was refused: end the dialog all the same
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(selected, "40");
    EXPECT_EQ(dialog.zoomFactor(), 20);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(Desktop, MacroListStartsWithoutACurrentRowAndDownSelectsTheFirst) {
    CApplyMacroDlg dialog({"Set legs: sleep", "Set legs: sit", "Set tail: default"});
    int currentOnFocus = -2, currentAfterDown = -2;
    whenModal([&](QWidget*) {
        dialog.list()->setFocus(Qt::TabFocusReason);
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(dialog.list(), &focus);
        currentOnFocus = dialog.list()->currentRow();
        QTest::keyClick(dialog.list(), Qt::Key_Down);
        currentAfterDown = dialog.list()->currentRow();
        dialog.accept();
    });
    dialog.exec();
    EXPECT_EQ(currentOnFocus, -1);
    EXPECT_EQ(currentAfterDown, 0);
    EXPECT_EQ(dialog.macroName(), "Set legs: sleep");
}

// Cascade keeps windows large, each a title bar further; Tile stacks them full width.
TEST(Desktop, CascadeAndTile) {
    Performances files;
    Shell shell;
    auto frames = openWindows(shell, files, 3);
    ASSERT_EQ(frames.size(), 3u);
    frames[1]->showMaximized();
    shell.frame().executeCommand(ID_WINDOW_CASCADE);
    QCoreApplication::processEvents();
    const QSize room = shell.frame().mdiArea()->viewport()->size();
    const int offset = frames[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frames[0]);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(frames[static_cast<std::size_t>(i)]->isMaximized());
        const QRect g = frames[static_cast<std::size_t>(i)]->geometry();
        EXPECT_EQ(g.topLeft(), QPoint(offset * i, offset * i));
        EXPECT_EQ(g.size(), QSize(room.width() - 2 * offset, room.height() - 2 * offset));
    }

    shell.frame().executeCommand(ID_WINDOW_TILE);
    QCoreApplication::processEvents();
    int y = 0;
    for (CChildFrame* f : frames) {
        const QRect g = f->geometry();
        EXPECT_EQ(g.left(), 0);
        EXPECT_EQ(g.width(), room.width());
        EXPECT_EQ(g.top(), y);
        EXPECT_NEAR(g.height(), room.height() / 3, 1);
        y = g.bottom() + 1;
    }
    EXPECT_EQ(y, room.height());
}

TEST(Desktop, DisabledMenuItemsShowTheirPrompt) {
    Performances files;
    Shell shell;
    openWindows(shell, files, 1);
    QMenu* edit = menuNamed(shell.frame(), "&Edit");
    ASSERT_NE(edit, nullptr);
    QAction* tail = shell.frame().action(ID_EDIT_GENERATE_TAIL);
    ASSERT_NE(tail, nullptr);
    edit->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
    ASSERT_FALSE(tail->isEnabled());
    const QPoint at = edit->actionGeometry(tail).center();
    QMouseEvent move(QEvent::MouseMove, at, edit->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &move);
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.frame().statusBar()->currentMessage(), "Generate Tail Motions");
    edit->close();
}

TEST(Desktop, MaximisedWindowTitleShowsOnceInTheCaption) {
    Performances files;
    Shell shell;
    auto frames = openWindows(shell, files, 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(shell.frame().windowTitle(), "Rova Edit - Performance Editor - A.MTN");
    frames[0]->showMaximized();
    QCoreApplication::processEvents();
    shell.frame().updateCommandUI();
    QCoreApplication::processEvents();
    const QString maximised = shell.frame().windowTitle();
    EXPECT_EQ(maximised.count("A.MTN"), 1) << maximised.toStdString();
    EXPECT_TRUE(maximised.startsWith("Rova Edit - Performance Editor - ")) << maximised.toStdString();
    frames[0]->showNormal();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.frame().windowTitle(), "Rova Edit - Performance Editor - A.MTN");
}
