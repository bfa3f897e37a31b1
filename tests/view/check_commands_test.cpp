// Check Performance (the Problems panel and the motion budget in the status
// bar) and Clamp to Limits.
#include <QLabel>
#include <QTreeWidget>

#include "commands/problems_dock.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;

// The test set's Mouth values are all above 0, its upper limit: every Mouth
// keyframe is out of range. Its eye track [1, 2, 3] flashes green twice.
TEST(CheckCommands, ProblemsPanelListsSelectsAndFollowsEdits) {
    Editor e;
    CMainView& v = e.open("P", 14);
    EXPECT_EQ(CProblemsDock::find(e.frame()), nullptr);
    ASSERT_TRUE(e.run(ID_TOOLS_CHECK_PERFORMANCE));
    CProblemsDock* dock = CProblemsDock::find(e.frame());
    ASSERT_NE(dock, nullptr);
    EXPECT_TRUE(dock->isVisible());
    EXPECT_EQ(dock->windowTitle(), "Problems (16)");
    ASSERT_EQ(dock->list()->topLevelItemCount(), 16);
    // Sorted by time: the first green flash and Mouth's keyframe 0 at 0 ms.
    EXPECT_EQ(dock->list()->topLevelItem(0)->text(0), "Eye flash too short");
    EXPECT_EQ(dock->list()->topLevelItem(0)->text(1), "Green eye");
    EXPECT_EQ(dock->list()->topLevelItem(1)->text(0), "Out of range");
    EXPECT_EQ(dock->list()->topLevelItem(1)->text(1), "Mouth");
    const QTreeWidgetItem* third = dock->list()->topLevelItem(3);  // Mouth at keyframe 2 (0.16 s)
    EXPECT_EQ(third->text(2), "0.16");
    EXPECT_EQ(third->text(3), "2");

    // Going to a problem selects its segment in its row.
    EXPECT_FALSE(e.state(ID_TOOLS_CLAMP_TO_LIMITS).enabled);  // no selection yet
    ASSERT_TRUE(dock->goToProblem(3));
    EXPECT_EQ(v.selStart(), 1);
    EXPECT_EQ(v.selLength(), 2);
    EXPECT_EQ(v.firstRow(), rowOf(v, Mouth));
    EXPECT_EQ(v.rowCount(), 1);

    // Clamp to Limits over that selection, as one edit the panel follows.
    ASSERT_TRUE(e.run(ID_TOOLS_CLAMP_TO_LIMITS));
    const CMotionTrack& m = v.doc().motion();
    EXPECT_EQ(m.value(1, Mouth), 0);
    EXPECT_EQ(m.value(2, Mouth), 0);
    EXPECT_EQ(m.value(3, Mouth), 4 * 4000);  // outside the selection
    EXPECT_EQ(m.value(2, HeadY), 3000);      // another row
    e.frame().updateCommandUI();
    EXPECT_EQ(dock->windowTitle(), "Problems (14)");
    EXPECT_EQ(e.state(ID_EDIT_UNDO_ACTION).text, QString("&Undo Clamp to Limits\tCtrl+Z"));
    ASSERT_TRUE(e.run(ID_EDIT_UNDO_ACTION));
    e.frame().updateCommandUI();
    EXPECT_EQ(dock->windowTitle(), "Problems (16)");

    // An eye problem selects its flash in the green eye's row.
    ASSERT_TRUE(dock->goToProblem(0));
    EXPECT_EQ(v.selStart(), 0);
    EXPECT_EQ(v.selLength(), 2);  // 0 to 83 ms
    ASSERT_GE(v.firstRow(), 0);
    EXPECT_NE(dynamic_cast<const CLedPane*>(v.panes()[static_cast<std::size_t>(v.firstRow())].get()), nullptr);

    // Running the command again keeps one panel.
    dock->hide();
    ASSERT_TRUE(e.run(ID_TOOLS_CHECK_PERFORMANCE));
    EXPECT_EQ(e.frame().findChildren<CProblemsDock*>().size(), 1);
    EXPECT_TRUE(dock->isVisible());
    EXPECT_FALSE(dock->goToProblem(16));
}

TEST(CheckCommands, StatusFieldShowsTheMotionBudget) {
    Editor e;
    QLabel* field = e.frame().motionField();
    ASSERT_NE(field, nullptr);
    e.frame().updateCommandUI();
    EXPECT_TRUE(field->isHidden());  // no performance
    EXPECT_FALSE(e.state(ID_TOOLS_CHECK_PERFORMANCE).enabled);

    e.open("Small", 14);
    e.frame().updateCommandUI();
    EXPECT_EQ(field->text(), "Motion 14/522");
    EXPECT_TRUE(field->styleSheet().isEmpty());

    e.open("Big", 523);
    e.frame().updateCommandUI();
    EXPECT_EQ(field->text(), "Motion 523/522");
    EXPECT_TRUE(field->styleSheet().contains("color"));

    e.openSound("Mute");
    e.frame().updateCommandUI();
    EXPECT_EQ(field->text(), "No motion");
    EXPECT_TRUE(field->styleSheet().isEmpty());
}
