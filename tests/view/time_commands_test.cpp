// Move Earlier/Later, Insert Time, Delete Time, Duplicate and Alt+drag on the view's selection.
#include <stdexcept>

#include "model/time_edit.h"
#include "support/motion_image.h"
#include "support/track_builder.h"
#include "view/time_edits.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// Rows of a performance with sound, eye lights and a full-body motion: the
// sound, the green and the red eye, then channel c at row 6 + 2c.
constexpr int kGreenRow = 2;
constexpr int kRedRow = 4;
constexpr int channelRow(int c) { return 6 + 2 * c; }

// A full-body ramp of k keyframes a step apart (value (i + 1) × 1000 × (c + 1))
// with one second of sound and eye lights 0123 0123 0123 (the file reads back
// with a thirteenth step, dark).
CMainView& openWithLeds(Editor& e, const std::string& name, int keyframes) {
    const std::string path = e.files.add(name, keyframes);
    e.files.dir.write(name + ".LED", ledImage({0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3}));
    EXPECT_NE(e.app.openDocumentFile(QString::fromStdString(path)), nullptr);
    return *e.views.back();
}

std::string ledDigits(const CLedTrack& leds) {
    std::string s;
    for (auto b : leds.steps) s += static_cast<char>('0' + b);
    return s;
}

// The tracks as the model's edit makes them from the tracks as they are now.
std::pair<CMotionTrack, CLedTrack> expectedAfter(CMainView& v, const TimeRows& rows, const TimeEdit& edit) {
    CMotionTrack motion = v.doc().motion();
    CLedTrack leds = v.doc().leds();
    applyTimeEdit(motion, leds, planTimeEdit(motion, leds, rows, edit));
    return {motion, leds};
}

}  // namespace

TEST(TimeCommands, MoveLaterMovesEveryRowOneStepAsOneUndoStep) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    CMainDoc& doc = v.doc();
    const CMotionTrack motionBefore = doc.motion();
    const CLedTrack ledsBefore = doc.leds();
    selectAllRows(v, 2, 3);
    const auto [motion, leds] = expectedAfter(v, {(1u << 18) - 1, 3}, {TimeEditKind::Move, 2, 3, 3});
    runOn(v, ID_EDIT_MOVE_LATER);
    EXPECT_THAT(e.ui.messages, IsEmpty());
    EXPECT_EQ(doc.motion().block(), motion.block());
    EXPECT_EQ(doc.motion().valueAtStep(3, 0), 3000);  // what was at step 2
    EXPECT_EQ(ledDigits(doc.leds()), "0102302301230");
    EXPECT_EQ(ledDigits(leds), ledDigits(doc.leds()));
    EXPECT_EQ(v.selStart(), 3);
    EXPECT_EQ(v.selLength(), 3);
    EXPECT_TRUE(doc.motion().isModified());
    EXPECT_EQ(doc.history().undoName(), "Move Later");

    ASSERT_TRUE(v.undo());
    EXPECT_EQ(doc.motion().block(), motionBefore.block());
    EXPECT_EQ(doc.leds().steps, ledsBefore.steps);
    EXPECT_EQ(v.selStart(), 2);
    EXPECT_FALSE(doc.history().canUndo());
}

TEST(TimeCommands, EachCommandWorksOnTheSelectedRowsOnly) {
    struct Case {
        const char* name;
        int id;
        TimeEdit edit;  // what the command does with the selection of steps 4..6
        int selStartAfter;
    };
    const Case cases[] = {
        {"Move Earlier", ID_EDIT_MOVE_EARLIER, {TimeEditKind::Move, 4, 3, 3}, 3},
        {"Move Later", ID_EDIT_MOVE_LATER, {TimeEditKind::Move, 4, 3, 5}, 5},
        {"Delete Time", ID_EDIT_DELETE_TIME, {TimeEditKind::Delete, 4, 3, 0}, 4},
        {"Duplicate", ID_EDIT_DUPLICATE, {TimeEditKind::Duplicate, 4, 3, 7}, 7},
    };
    struct Rows {
        const char* name;
        int first, count;
        TimeRows rows;
    };
    const Rows rowSets[] = {
        {"one channel", channelRow(5), 1, {1u << 5, 0}},
        {"the red eye", kRedRow, 1, {0, 2}},
        {"both eyes and the head", kGreenRow, channelRow(3) - kGreenRow + 1, {0xF, 3}},
    };
    for (const Case& c : cases)
        for (const Rows& r : rowSets) {
            Editor e;
            CMainView& v = openWithLeds(e, "P", 14);
            v.selectRows(r.first, r.count, false);
            v.setTimeSelection(4, 3);
            const auto [motion, leds] = expectedAfter(v, r.rows, c.edit);
            runOn(v, c.id);
            EXPECT_THAT(e.ui.messages, IsEmpty()) << c.name << ", " << r.name;
            EXPECT_EQ(test::rowsOf(v.doc().motion()), test::rowsOf(motion)) << c.name << ", " << r.name;
            EXPECT_EQ(ledDigits(v.doc().leds()), ledDigits(leds)) << c.name << ", " << r.name;
            EXPECT_EQ(v.selStart(), c.selStartAfter) << c.name << ", " << r.name;
            EXPECT_EQ(v.doc().history().undoName(), c.name);
        }
}

TEST(TimeCommands, RefusalsSayWhyAndChangeNothing) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    const std::vector<std::int32_t> block = v.doc().motion().block();
    EXPECT_FALSE(state(v, ID_EDIT_MOVE_LATER).enabled);
    runOn(v, ID_EDIT_MOVE_LATER);
    selectAllRows(v, 0, 2);
    runOn(v, ID_EDIT_MOVE_EARLIER);
    v.setTimeSelection(12, 2);  // the last step is 13
    runOn(v, ID_EDIT_MOVE_LATER);
    runOn(v, ID_EDIT_DUPLICATE);
    v.selectRows(0, 2, false);  // the sound alone
    runOn(v, ID_EDIT_DELETE_TIME);
    EXPECT_THAT(e.ui.messages,
                ElementsAre("Selection required", "The selection cannot move past the start or the end of the performance",
                            "The selection cannot move past the start or the end of the performance",
                            "There is no time after the selection to duplicate it into",
                            "Select motion or eye-light rows to edit in time"));
    EXPECT_EQ(v.doc().motion().block(), block);
    EXPECT_FALSE(v.doc().history().canUndo());
}

TEST(TimeCommands, AResultBeyondTheKeyframeBudgetIsRefusedBeforeAnythingChanges) {
    Editor e;
    // 300 keyframes two steps apart: moving one row by a step needs a keyframe between each pair.
    MotionImage image = MotionImage::of(0, 18, 300);
    for (std::size_t k = 1; k < image.keyframes.size(); ++k) image.keyframes[k][0] = 10;
    e.files.dir.write("B.WAV", waveImage(8000));
    e.files.dir.write("B.MTN", image.bytes());
    ASSERT_NE(e.app.openDocumentFile(QString::fromStdString(e.files.dir / "B.MTN")), nullptr);
    CMainView& v = *e.views.back();
    const std::vector<std::int32_t> block = v.doc().motion().block();
    v.selectRows(channelRow(0) - 4, 1, false);  // HeadY: no eye rows in this performance
    v.setTimeSelection(0, 597);
    runOn(v, ID_EDIT_MOVE_LATER);
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_THAT(e.ui.messages[0], testing::StartsWith("The result would need "));
    EXPECT_THAT(e.ui.messages[0], testing::HasSubstr("more than the 522 a full-body motion file can hold"));
    EXPECT_EQ(v.doc().motion().block(), block);
    EXPECT_FALSE(v.doc().motion().isModified());
    EXPECT_FALSE(v.doc().history().canUndo());
    EXPECT_EQ(v.selStart(), 0);
}

TEST(TimeCommands, InsertTimeOffersTheLengthsAndSaysWhatWasDropped) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    selectAllRows(v, 2, 3);
    e.viewDlgs.insertTime.reset();  // Cancel
    runOn(v, ID_EDIT_INSERT_TIME);
    ASSERT_EQ(e.viewDlgs.insertShown.size(), 1u);
    EXPECT_EQ(e.viewDlgs.insertShown[0].selectionSteps, 3);
    EXPECT_EQ(e.viewDlgs.insertShown[0].beatSteps, 0);  // the test sound has no beats
    EXPECT_FALSE(v.doc().history().canUndo());

    e.viewDlgs.insertTime = InsertTimeChoice{InsertLength::Selection, 0};
    runOn(v, ID_EDIT_INSERT_TIME);
    // The pose at step 2 holds to step 5; the last 3 steps (0.24 s) are pushed out.
    EXPECT_THAT(e.ui.messages, ElementsAre("0.24 seconds pushed past the end were dropped"));
    const CMotionTrack& m = v.doc().motion();
    for (int s = 2; s <= 5; ++s) EXPECT_EQ(m.valueAtStep(s, 0), 3000) << s;
    EXPECT_EQ(m.valueAtStep(6, 0), 4000);
    EXPECT_EQ(m.totalTicks(), 65);
    EXPECT_EQ(ledDigits(v.doc().leds()), "0100023012301");
    EXPECT_EQ(v.selStart(), 2);
    EXPECT_EQ(v.selLength(), 3);
    EXPECT_EQ(v.doc().history().undoName(), "Insert Time");

    // Delete Time over the inserted time takes it out again, up to what was dropped.
    runOn(v, ID_EDIT_DELETE_TIME);
    for (int s = 0; s <= 10; ++s) EXPECT_EQ(m.valueAtStep(s, 0), (s + 1) * 1000) << s;
}

TEST(TimeCommands, InsertTimeAtTheCursorWithoutASelectionEditsEveryRow) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    EXPECT_FALSE(state(v, ID_EDIT_INSERT_TIME).enabled);
    v.playhead().setCursor(v, 6);
    ASSERT_EQ(v.playhead().cursor(), 6);
    EXPECT_TRUE(state(v, ID_EDIT_INSERT_TIME).enabled);
    e.viewDlgs.insertTime = InsertTimeChoice{InsertLength::Steps, 1};
    runOn(v, ID_EDIT_INSERT_TIME);
    EXPECT_EQ(v.doc().motion().valueAtStep(7, 17), 7000 * 18);
    EXPECT_EQ(v.doc().motion().valueAtStep(8, 17), 8000 * 18);
}

TEST(TimeCommands, DuplicateAgainRepeatsThePhrase) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    selectAllRows(v, 1, 3);
    runOn(v, ID_EDIT_DUPLICATE);
    runOn(v, ID_EDIT_DUPLICATE);
    EXPECT_EQ(v.selStart(), 7);
    const CMotionTrack& m = v.doc().motion();
    for (int s = 1; s <= 9; ++s) EXPECT_EQ(m.valueAtStep(s, 0), ((s - 1) % 3 + 2) * 1000) << s;
    EXPECT_EQ(m.valueAtStep(10, 0), 11000);
    EXPECT_EQ(ledDigits(v.doc().leds()), "0123123123230");
    // Two steps, each undone on its own.
    ASSERT_TRUE(v.undo());
    EXPECT_EQ(v.selStart(), 4);
    ASSERT_TRUE(v.undo());
    EXPECT_EQ(v.selStart(), 1);
    EXPECT_EQ(m.valueAtStep(5, 0), 6000);
}

TEST(TimeCommands, SnappingMovesAndDuplicatesToTheBeats) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    ASSERT_TRUE(v.beatTrack().setManual(beats::BpmSetting{150.0, 0}));  // a beat every 400 ms: steps 0, 5, 10
    CBeatTrack::setSnapToBeats(true);
    selectAllRows(v, 1, 2);
    runOn(v, ID_EDIT_MOVE_LATER);
    EXPECT_EQ(v.selStart(), 5);
    runOn(v, ID_EDIT_MOVE_EARLIER);
    EXPECT_EQ(v.selStart(), 0);
    runOn(v, ID_EDIT_DUPLICATE);  // from the bar start at 0: no bar follows, so the next beat
    EXPECT_EQ(v.selStart(), 5);
    runOn(v, ID_EDIT_DUPLICATE);  // from a beat: the next beat
    EXPECT_EQ(v.selStart(), 10);
    EXPECT_THAT(e.ui.messages, IsEmpty());
    CBeatTrack::setSnapToBeats(false);
    v.setTimeSelection(1, 2);
    runOn(v, ID_EDIT_MOVE_LATER_BEAT);  // a beat is five steps
    EXPECT_EQ(v.selStart(), 6);
}

TEST(TimeCommands, AltDragMovesTheSelectionWhereItIsReleased) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    selectAllRows(v, 2, 2);
    const std::vector<std::int32_t> before = v.doc().motion().block();
    const auto [motion, leds] = expectedAfter(v, {(1u << 18) - 1, 3}, {TimeEditKind::Move, 2, 2, 6});
    const int x = v.stepX(2) + 1;
    EXPECT_FALSE(v.onAltButtonDown({v.stepX(8), 0}));  // outside the selection: an ordinary click
    selectAllRows(v, 2, 2);
    ASSERT_TRUE(v.onAltButtonDown({x, 0}));
    v.onMouseMove({x + v.stepsWidth(2), 0}, true, false);
    EXPECT_EQ(v.selStart(), 4);  // the range follows the pointer
    EXPECT_EQ(v.doc().motion().block(), before);
    v.onMouseMove({x + v.stepsWidth(4), 0}, true, false);
    v.onLButtonUp();
    EXPECT_EQ(v.doc().motion().block(), motion.block());
    EXPECT_EQ(v.selStart(), 6);
    EXPECT_EQ(v.doc().history().undoName(), "Move Later");
    ASSERT_TRUE(v.undo());
    EXPECT_EQ(v.selStart(), 2);
    EXPECT_EQ(v.doc().motion().block(), before);
    // A drag past the end stops at the end.
    ASSERT_TRUE(v.onAltButtonDown({x, 0}));
    v.onMouseMove({x + v.stepsWidth(40), 0}, true, false);
    EXPECT_EQ(v.selStart(), 12);
    v.onLButtonUp();
    EXPECT_THAT(e.ui.messages, IsEmpty());
}

TEST(TimeCommands, AnEditScopeEndsItsEditHoweverItIsLeft) {
    Editor e;
    CMainView& v = openWithLeds(e, "P", 14);
    auto edit = [&](bool early) {
        EditScope scope(v, "Paint Eyes");
        v.doc().leds().steps[0] ^= 1;
        if (early) return;
        v.doc().leds().steps[1] ^= 1;
    };
    edit(true);
    EXPECT_FALSE(v.doc().history().inAction());
    EXPECT_TRUE(v.doc().history().canUndo());
    try {
        EditScope scope(v, "Paint Eyes");
        v.doc().leds().steps[2] ^= 1;
        throw std::runtime_error("cut short");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(v.doc().history().inAction());
    EXPECT_EQ(v.doc().history().size(), 2u);
}
