// Reduce, Expand, Smooth, Apply Macro and Change Start and End on the view's selection.
#include "view/macros.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

// Reduce and Expand need a time range; Change Start and End is not there yet.
TEST(EditCommands, RefusalsWithoutATimeRangeAndChangeStartAndEnd) {
    Editor e;
    CMainView& v = e.open();
    runOn(v, ID_EDIT_SELECT_ALL);
    v.onRButtonDown({0, 0}, false);  // rows stay, the time range goes
    // The frame's state, as the menu asks it of the performance view.
    EXPECT_FALSE(e.state(ID_EDIT_REDUCE).enabled);
    runOn(v, ID_EDIT_REDUCE);
    runOn(v, ID_EDIT_EXPAND);
    runOn(v, ID_TOOLS_CHANGE_POSITIONS);
    EXPECT_THAT(e.ui.messages, ElementsAre("Selection required", "Selection required", "Sorry, not yet implemented"));
    EXPECT_TRUE(e.run(ID_EDIT_SELECT_ALL));
    EXPECT_TRUE(e.state(ID_EDIT_REDUCE).enabled);
    EXPECT_FALSE(e.state(ID_EDIT_GENERATE_TAIL).enabled);
}

TEST(EditCommands, ReduceARampAndExpandItBack) {
    Editor e;
    CMainView& v = e.open("P", 14);  // a straight ramp in every channel, a keyframe each step
    CMotionTrack& m = v.document().doc().motion();
    runOn(v, ID_EDIT_SELECT_ALL);
    runOn(v, ID_EDIT_REDUCE);
    EXPECT_THAT(e.ui.messages, IsEmpty());
    EXPECT_LT(m.keyframeCount(), 14);
    EXPECT_EQ(m.totalTicks(), 65);
    runOn(v, ID_EDIT_REDUCE);
    EXPECT_THAT(e.ui.messages, ElementsAre("Nothing to reduce"));
    runOn(v, ID_EDIT_EXPAND);
    EXPECT_EQ(m.keyframeCount(), 14);
    EXPECT_EQ(m.value(7, 0), 8000);
    runOn(v, ID_EDIT_EXPAND);
    EXPECT_THAT(e.ui.messages, ElementsAre("Nothing to reduce", "Nothing to expand"));
}

TEST(EditCommands, MacroTableEndsAndLooksUpExactly) {
    int n = 0;
    for (const MacroInfo* m = kMacroInfo; m->name; ++m) ++n;
    EXPECT_EQ(n, 11);
    ASSERT_NE(findMacro("Set legs: sitc"), nullptr);
    EXPECT_FLOAT_EQ(findMacro("Set legs: sitc")->degrees[LRLegY], -80);
    EXPECT_EQ(findMacro("Set legs"), nullptr);
}

TEST(EditCommands, MacroSetsLegsBetweenTheEndsInclusive) {
    Editor e;
    e.files.dir.write("L.MTN", MotionImage::of(4, 12, 8).bytes());
    CMainView& v = e.openPath(e.files.dir / "L.MTN", "L");
    CMotionTrack& m = v.document().doc().motion();
    v.setTimeSelection(0, 0);
    v.selectRows(0, 1, false);
    v.setTimeSelection(2, 3);  // steps 2..5: keyframes at ticks 10..25, both ends
    e.viewDlgs.macro = "Set legs: stand";
    runOn(v, ID_EDIT_APPLY_MACRO);
    for (int k = 0; k < 8; ++k) {
        const bool inside = k >= 2 && k <= 5;
        EXPECT_EQ(m.value(k, RFLegY - 4), inside ? valueFromDegrees(-10) : (k + 1) * 1000) << k;
        EXPECT_EQ(m.value(k, LRPawY - 4), inside ? valueFromDegrees(30) : (k + 1) * 12000) << k;
    }
    EXPECT_TRUE(m.isModified());
}

TEST(EditCommands, MacroRefusalsAndCancel) {
    Editor e;
    CMainView& head = e.openMotion("H", MotionImage::of(0, 4, 8));
    runOn(head, ID_EDIT_APPLY_MACRO);
    runOn(head, ID_EDIT_SELECT_ALL);
    e.viewDlgs.macro = "Set head: default";
    runOn(head, ID_EDIT_APPLY_MACRO);
    EXPECT_THAT(e.ui.messages, ElementsAre("Selection needed", "Legs motion track needed"));

    CMainView& full = e.open("F");
    CMotionTrack& m = full.document().doc().motion();
    runOn(full, ID_EDIT_SELECT_ALL);
    e.viewDlgs.macro.reset();  // Cancel
    runOn(full, ID_EDIT_APPLY_MACRO);
    // Names compare exactly, case and length: no macro of the table is found.
    for (const char* name : {"set legs: stand", "Set legs"}) {
        e.viewDlgs.macro = name;
        runOn(full, ID_EDIT_APPLY_MACRO);
    }
    EXPECT_FALSE(m.isModified());
    // A range holding no keyframe changes nothing: nothing is marked and no step is added.
    full.setTimeSelection(100, 2);
    e.viewDlgs.macro = "Set tail: default";
    runOn(full, ID_EDIT_APPLY_MACRO);
    EXPECT_FALSE(m.isModified());
    EXPECT_FALSE(full.document().doc().history().canUndo());
}

TEST(EditCommands, SmoothOnlyTouchesSelectedChannelRows) {
    Editor e;
    CMainView& v = e.open("P", 14);
    CMotionTrack& m = v.document().doc().motion();
    m.setValue(5, HeadY, 0);
    m.setModified(false);
    v.document().doc().history().markMotionSaved(m);  // as if the file held it
    v.selectRows(0, 6, false);  // audio and LED rows only
    v.setTimeSelection(0, 14);
    runOn(v, ID_EDIT_SMOOTH);
    EXPECT_EQ(m.value(5, HeadY), 0);
    EXPECT_FALSE(m.isModified());
    v.selectRows(rowOf(v, HeadY), 3, false);  // HeadY, a separator, HeadX
    runOn(v, ID_EDIT_SMOOTH);
    EXPECT_EQ(m.value(5, HeadY), 6000);  // back on the line
}

