// Reduce, Expand, Smooth, Apply Macro and Change Start and End on the view's selection.
#include "view/macros.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

CCmdUI state(CMainView& v, int id) {
    CCmdUI ui{id};
    v.onCmdMsg(id, &ui);
    return ui;
}

}  // namespace

TEST(EditCommands, ReduceNeedsATimeRange) {
    Editor e;
    CMainView& v = e.open();
    v.onSelectAll();
    v.onRButtonDown({0, 0}, false);  // rows stay, the time range goes
    EXPECT_FALSE(state(v, ID_EDIT_REDUCE).enabled);
    v.onReduce();
    v.onExpand();
    EXPECT_THAT(e.ui.messages, ElementsAre("Selection required", "Selection required"));
    v.onSelectAll();
    EXPECT_TRUE(state(v, ID_EDIT_REDUCE).enabled);
}

TEST(EditCommands, ReduceARampAndExpandItBack) {
    Editor e;
    CMainView& v = e.open("P", 14);  // a straight ramp in every channel, a keyframe each step
    CMotionTrack& m = v.document().doc().motion();
    v.onSelectAll();
    v.onReduce();
    EXPECT_THAT(e.ui.messages, IsEmpty());
    EXPECT_LT(m.keyframeCount(), 14);
    EXPECT_EQ(m.totalTicks(), 65);
    v.onReduce();
    EXPECT_THAT(e.ui.messages, ElementsAre("Nothing to reduce"));
    v.onExpand();
    EXPECT_EQ(m.keyframeCount(), 14);
    EXPECT_EQ(m.value(7, 0), 8000);
    v.onExpand();
    EXPECT_THAT(e.ui.messages, ElementsAre("Nothing to reduce", "Nothing to expand"));
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
    v.onApplyMacro();
    for (int k = 0; k < 8; ++k) {
        const bool inside = k >= 2 && k <= 5;
        EXPECT_EQ(m.value(k, RFLegY - 4), inside ? valueFromDegrees(-10) : (k + 1) * 1000) << k;
        EXPECT_EQ(m.value(k, LRPawY - 4), inside ? valueFromDegrees(30) : (k + 1) * 12000) << k;
    }
    EXPECT_TRUE(m.isModified());
}

TEST(EditCommands, MacroRefusalsAndCancel) {
    Editor e;
    e.files.dir.write("H.WAV", waveImage(8000));
    e.files.dir.write("H.MTN", MotionImage::of(0, 4, 8).bytes());
    CMainView& head = e.openPath(e.files.dir / "H.MTN", "H");
    head.onApplyMacro();
    head.onSelectAll();
    e.viewDlgs.macro = "Set head: default";
    head.onApplyMacro();
    EXPECT_THAT(e.ui.messages, ElementsAre("Selection needed", "Legs motion track needed"));

    CMainView& full = e.open("F");
    CMotionTrack& m = full.document().doc().motion();
    full.onSelectAll();
    e.viewDlgs.macro.reset();  // Cancel
    full.onApplyMacro();
    e.viewDlgs.macro = "set legs: stand";  // names compare exactly
    full.onApplyMacro();
    EXPECT_FALSE(m.isModified());
    // A range holding no keyframe still marks the track modified.
    full.setTimeSelection(100, 2);
    e.viewDlgs.macro = "Set tail: default";
    full.onApplyMacro();
    EXPECT_TRUE(m.isModified());
}

TEST(EditCommands, SmoothOnlyTouchesSelectedChannelRows) {
    Editor e;
    CMainView& v = e.open("P", 14);
    CMotionTrack& m = v.document().doc().motion();
    m.setValue(5, HeadY, 0);
    m.setModified(false);
    v.selectRows(0, 6, false);  // audio and LED rows only
    v.setTimeSelection(0, 14);
    v.onSmooth();
    EXPECT_EQ(m.value(5, HeadY), 0);
    EXPECT_FALSE(m.isModified());
    int row;
    v.findPaneByJoint(HeadY, row);
    v.selectRows(row, 3, false);  // HeadY, a separator, HeadX
    v.onSmooth();
    EXPECT_EQ(m.value(5, HeadY), 6000);  // back on the line
}

TEST(EditCommands, MacroTableEndsAndLooksUpExactly) {
    int n = 0;
    for (const MacroInfo* m = kMacroInfo; m->name; ++m) ++n;
    EXPECT_EQ(n, 11);
    ASSERT_NE(findMacro("Set legs: sitc"), nullptr);
    EXPECT_FLOAT_EQ(findMacro("Set legs: sitc")->degrees[LRLegY], -80);
    EXPECT_EQ(findMacro("Set legs"), nullptr);
}

TEST(EditCommands, ChangeStartAndEndIsNotThereYet) {
    Editor e;
    CMainView& v = e.open();
    v.onChangePositions();
    EXPECT_THAT(e.ui.messages, ElementsAre("Sorry, not yet implemented"));
}
