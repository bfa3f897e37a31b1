// The undo history: steps only for changes, exact restores, the save point and the bounds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/edit_history.h"
#include "support/track_builder.h"

using namespace rova;
using rova::test::makeTrack;
using rova::test::rowsOf;

namespace {

struct Tracks {
    CMotionTrack motion = makeTrack(MOTION_TAIL, {{0, 0, 0}, {5, 10, 20}, {5, 0, 0}});
    CLedTrack leds{{0, 1, 2, 3}, false};
    CEditHistory history;

    // One action that sets the middle keyframe's first value (0 leaves it), or paints an LED step.
    bool act(const char* name, std::int32_t value, int ledStep = -1, ViewSelection selection = {}) {
        history.begin(motion, leds, name, selection);
        if (value != 0) {
            motion.setValue(1, 0, value);
            motion.setModified(true);
        }
        if (ledStep >= 0) {
            leds.steps[static_cast<std::size_t>(ledStep)] ^= 1;
            leds.modified = true;
        }
        return history.end(motion, leds, {selection.start + 1, 1, 0, 1});
    }
    bool modified() const { return motion.isModified() || leds.isModified(); }
};

}  // namespace

TEST(EditHistory, ActionsThatChangeNothingAddNoStepAndNestedOnesJoin) {
    Tracks t;
    EXPECT_FALSE(t.act("Nothing", 0));
    EXPECT_FALSE(t.history.canUndo());

    t.history.begin(t.motion, t.leds, "Outer", {});
    EXPECT_FALSE(t.act("Inner", 7));  // joins the open action
    EXPECT_TRUE(t.history.inAction());
    EXPECT_TRUE(t.history.end(t.motion, t.leds, {}));
    EXPECT_EQ(t.history.size(), 1u);
    EXPECT_EQ(t.history.undoName(), "Outer");
}

TEST(EditHistory, UndoAndRedoRestoreTracksAndSelectionsExactly) {
    Tracks t;
    const auto rows0 = rowsOf(t.motion);
    const auto leds0 = t.leds.steps;
    ASSERT_TRUE(t.act("Set Value", 99, -1, {3, 2, 1, 1}));
    const auto rows1 = rowsOf(t.motion);
    ASSERT_TRUE(t.act("Paint Eyes", 0, 2, {6, 1, 0, 1}));
    const auto leds2 = t.leds.steps;

    ViewSelection s;
    ASSERT_TRUE(t.history.undo(t.motion, t.leds, s));
    EXPECT_EQ(s, (ViewSelection{6, 1, 0, 1}));
    EXPECT_EQ(t.leds.steps, leds0);
    EXPECT_EQ(rowsOf(t.motion), rows1);
    EXPECT_EQ(t.history.redoName(), "Paint Eyes");
    ASSERT_TRUE(t.history.undo(t.motion, t.leds, s));
    EXPECT_EQ(s, (ViewSelection{3, 2, 1, 1}));
    EXPECT_EQ(rowsOf(t.motion), rows0);
    EXPECT_FALSE(t.history.undo(t.motion, t.leds, s));

    ASSERT_TRUE(t.history.redo(t.motion, t.leds, s));
    EXPECT_EQ(s, (ViewSelection{4, 1, 0, 1}));
    EXPECT_EQ(rowsOf(t.motion), rows1);
    ASSERT_TRUE(t.history.redo(t.motion, t.leds, s));
    EXPECT_EQ(t.leds.steps, leds2);
    EXPECT_FALSE(t.history.redo(t.motion, t.leds, s));
}

TEST(EditHistory, ANewActionDropsWhatWasUndone) {
    Tracks t;
    t.act("A", 1);
    t.act("B", 2);
    ViewSelection s;
    t.history.undo(t.motion, t.leds, s);
    t.act("C", 3);
    EXPECT_FALSE(t.history.canRedo());
    EXPECT_EQ(t.history.size(), 2u);
    EXPECT_EQ(t.history.undoName(), "C");
}

TEST(EditHistory, ModifiedFollowsTheSavePoint) {
    Tracks t;
    t.history.markSaved(t.motion, t.leds);  // as opened
    ViewSelection s;

    // Edit, undo back to the opened state: nothing is modified.
    t.act("A", 1);
    EXPECT_TRUE(t.modified());
    t.history.undo(t.motion, t.leds, s);
    EXPECT_FALSE(t.modified());
    t.history.redo(t.motion, t.leds, s);
    EXPECT_TRUE(t.motion.isModified());
    EXPECT_FALSE(t.leds.isModified());  // only the motion changed since the save

    // Save, then undo: modified again; redo back to the save: clean.
    t.motion.setModified(false);
    t.history.markSaved(t.motion, t.leds);
    t.history.undo(t.motion, t.leds, s);
    EXPECT_TRUE(t.motion.isModified());
    t.history.redo(t.motion, t.leds, s);
    EXPECT_FALSE(t.modified());

    // Back at the save point after a further edit: clean.
    t.act("B", 0, 1);
    t.history.undo(t.motion, t.leds, s);
    EXPECT_FALSE(t.modified());

    // Once the saved state is dropped by a new action after undo, no state is clean.
    t.history.undo(t.motion, t.leds, s);
    t.act("C", 5);
    t.history.undo(t.motion, t.leds, s);
    EXPECT_TRUE(t.modified());
}

TEST(EditHistory, TheOldestStepsGoFirstPastTheBounds) {
    Tracks t;
    t.history.setLimits(3, CEditHistory::kMaxBytes);
    for (int i = 1; i <= 5; ++i) t.act(("S" + std::to_string(i)).c_str(), i * 10);
    EXPECT_EQ(t.history.size(), 3u);
    ViewSelection s;
    while (t.history.undo(t.motion, t.leds, s)) {
    }
    EXPECT_EQ(t.motion.value(1, 0), 20);  // as before S3, the oldest kept
    EXPECT_EQ(t.history.redoName(), "S3");

    Tracks small;
    small.history.setLimits(CEditHistory::kMaxSteps, 1);  // every step is over: only the newest stays
    small.act("A", 1);
    small.act("B", 2);
    EXPECT_EQ(small.history.size(), 1u);
}
