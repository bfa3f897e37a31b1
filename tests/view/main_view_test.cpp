// The performance view: layout, selection by mouse and keys, zoom, the
// highlight, and what it tells the viewer.
#include <QKeyEvent>
#include <functional>

#include "player/window_messages.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;
using testing::ElementsAre;

TEST(ViewGeometry, DefaultZoomCellsAndClicks) {
    Editor e;
    CMainView& v = e.open();
    EXPECT_EQ(v.zoom(), 40);
    EXPECT_EQ(v.pixelsPerSecond(), 25);
    EXPECT_EQ(v.stepX(0), 73);
    EXPECT_EQ(v.stepX(1), 75);
    EXPECT_EQ(v.stepsWidth(1), 2);
    v.onLButtonDown({74, 0}, false);
    EXPECT_EQ(v.selStart(), 0);
    v.onLButtonDown({75, 0}, false);
    EXPECT_EQ(v.selStart(), 1);
    EXPECT_EQ(v.selLength(), 1);
    EXPECT_EQ(v.firstRow(), 0);
    EXPECT_EQ(v.rowCount(), static_cast<int>(v.panes().size()));
    v.onLButtonDown({5000, 0}, false);  // beyond the motion's end
    EXPECT_EQ(v.selStart(), v.lastStep());
}

TEST(ViewGeometry, ClicksAndCellsOfALongPerformanceAtZoomOne) {
    // The longest motion an eye track can follow (65535 LED steps, 91 minutes)
    // at a thousand pixels a second: positions pass 32 bits in their products.
    Editor e;
    auto m = MotionImage::of(0, 4, 2);
    m.keyframes[1][0] = 65535 * 1000 / 12 / 16 / 5 * 5;  // ticks, on the 5-tick grid
    e.files.dir.write("L.MTN", m.bytes());
    CMainView& v = e.openPath(e.files.dir / "L.MTN", "L");
    v.setZoom(1);
    ASSERT_EQ(v.pixelsPerSecond(), 1000);
    for (const int seconds : {200, 280, 400, 5400}) {
        SCOPED_TRACE(seconds);
        const int step = seconds * 1000 / 80;
        v.onLButtonDown({kLabelColumnWidth + seconds * 1000, 0}, false);
        EXPECT_EQ(v.selStart(), step);
        EXPECT_EQ(v.stepX(step), kLabelColumnWidth + seconds * 1000 - 40);
        EXPECT_EQ(v.stepsWidth(step), seconds * 1000);
    }
}

TEST(ViewLayout, PanesStackFromTheTracks) {
    Editor e;
    CMainView& v = e.open("P", 14);  // 65 ticks
    // Audio + separator, two LED panes with two separators, 18 channels with 18 separators.
    ASSERT_EQ(v.panes().size(), 2u + 4u + 36u);
    int expected = 40 + 2 + 8 + 1 + 8 + 2;
    for (std::size_t c = 0; c < kChannelInfo.size(); ++c)
        expected += kChannelInfo[c].height() + ((c == 3 || c == 6 || c == 9 || c == 12 || c == 15 || c == 17) ? 2 : 1);
    EXPECT_EQ(v.totalHeight(), expected);
    EXPECT_EQ(v.lastStep(), 13);
    int joint = -1;
    EXPECT_NE(v.findPaneByJoint(LRPawY, joint), nullptr);
    EXPECT_EQ(v.panes()[static_cast<std::size_t>(joint)]->getJoint(), LRPawY);
    int row;
    EXPECT_EQ(v.hitTestRow(0, row), v.panes()[0].get());
    EXPECT_EQ(v.hitTestRow(v.totalHeight(), row), nullptr);
    EXPECT_EQ(row, -1);
    // A sound alone: its pane and separator, no step.
    CMainView& sound = e.openSound("A");
    EXPECT_EQ(sound.panes().size(), 2u);
    EXPECT_EQ(sound.lastStep(), 0);
}

TEST(ViewSelection, SelectAllAndArrowKeys) {
    Editor e;
    CMainView& v = e.open();
    v.onKeyDown('5');  // no selection: ignored
    EXPECT_FALSE(v.hasSelection());
    v.onKeyDown(0x27);  // right arrow without a selection: step 0, all rows
    EXPECT_EQ(v.selStart(), 0);
    EXPECT_EQ(v.rowCount(), static_cast<int>(v.panes().size()));
    runOn(v, ID_EDIT_SELECT_ALL);
    EXPECT_EQ(v.selStart(), 0);
    EXPECT_EQ(v.selLength(), v.lastStep() + 1);
    v.onKeyDown(0x27);  // right: the step after the selection, clamped to the end
    EXPECT_EQ(v.selStart(), v.lastStep());
    EXPECT_EQ(v.selLength(), 1);
    v.onKeyDown(0x27);  // at the end with one step: nothing
    EXPECT_EQ(v.selStart(), v.lastStep());
    v.onKeyDown(0x25);
    EXPECT_EQ(v.selStart(), v.lastStep() - 1);
}

TEST(ViewSelection, RightClickClearsTheTimeRangeOnly) {
    Editor e;
    CMainView& v = e.open();
    runOn(v, ID_EDIT_SELECT_ALL);
    v.onRButtonDown({74 + 5000, 0}, false);
    EXPECT_FALSE(v.hasSelection());
    EXPECT_EQ(v.selLength(), 0);
    EXPECT_EQ(v.rowCount(), static_cast<int>(v.panes().size()));
    v.onKeyDown('1');  // keys need a selection
    EXPECT_FALSE(v.document().doc().motion().isModified());
}

TEST(ViewSelection, RowDragFollowsTheExtensionRule) {
    Editor e;
    CMainView& v = e.open();
    auto rowY = [&](int row) { return v.panes()[static_cast<std::size_t>(row)]->top(); };
    v.onLButtonDown({80, rowY(10)}, true);
    EXPECT_EQ(v.firstRow(), 10);
    EXPECT_EQ(v.rowCount(), 1);
    v.onMouseMove({80, rowY(8)}, true, false);
    EXPECT_EQ(v.firstRow(), 8);
    EXPECT_EQ(v.rowCount(), 3);
    v.onMouseMove({80, rowY(9)}, true, false);  // the pressed row is no anchor
    EXPECT_EQ(v.firstRow(), 8);
    EXPECT_EQ(v.rowCount(), 2);
    v.onMouseMove({90, rowY(9)}, true, false);  // time grows to the right
    EXPECT_EQ(v.selStart(), 3);
    EXPECT_EQ(v.selLength(), 6);
    v.onLButtonUp();
    v.onMouseMove({100, rowY(2)}, true, false);  // drag mode ended with the release
    EXPECT_EQ(v.firstRow(), 8);
}

TEST(ViewZoom, InAndOutWithinBounds) {
    Editor e;
    CMainView& v = e.open();
    e.viewDlgs.zoom = 3;
    runOn(v, ID_VIEW_SET_ZOOM);
    EXPECT_EQ(v.zoom(), 3);
    runOn(v, ID_VIEW_ZOOM_IN);
    EXPECT_EQ(v.zoom(), 1);
    EXPECT_FALSE(state(v, ID_VIEW_ZOOM_IN).enabled);
    runOn(v, ID_VIEW_ZOOM_IN);
    EXPECT_EQ(v.zoom(), 1);
    e.viewDlgs.zoom.reset();  // Cancel keeps the factor
    runOn(v, ID_VIEW_SET_ZOOM);
    EXPECT_EQ(v.zoom(), 1);
    e.viewDlgs.zoom = 100;
    runOn(v, ID_VIEW_SET_ZOOM);
    for (int i = 0; i < 10; ++i) runOn(v, ID_VIEW_ZOOM_OUT);
    EXPECT_EQ(v.zoom(), 800);
    EXPECT_GE(v.pixelsPerSecond(), 1);
    EXPECT_FALSE(state(v, ID_VIEW_ZOOM_OUT).enabled);
}

// A digit sets the selected joint. The top-row digits come by their physical
// key: with Shift ('%' on a US layout) and on a layout whose top row types
// symbols unshifted ('(' for 5 on AZERTY).
TEST(ViewEditing, DigitKeysSetTheSelectedJointByTheirPhysicalKeyWhateverTheLayoutOrShift) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    for (const Case& c : {Case{Qt::Key_Percent, Qt::ShiftModifier, "%"}, Case{Qt::Key_ParenLeft, Qt::NoModifier, "("},
                          Case{Qt::Key_5, Qt::NoModifier, "5"}}) {
        SCOPED_TRACE(c.text.toStdString());
        Editor e;
        CMainView& v = e.open();
        v.onLButtonDown({74 + 4, rowTop(v, Mouth) + 1}, true);  // step 2, mouth row
        ASSERT_EQ(v.selStart(), 2);
        // X key code 14 is the top row's fifth key.
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, 14, 0, 0, c.text);
        QApplication::sendEvent(&v, &press);
        CMainDoc& doc = v.document().doc();
        EXPECT_EQ(doc.motion().value(2, Mouth), valueFromDegrees(-18));
        EXPECT_EQ(doc.motion().value(2, HeadZ), 3000 * 3);  // other rows untouched
        EXPECT_TRUE(doc.updateSaveState());
    }
    EXPECT_EQ(win::digitFromScanCode(10, false), '1');
    EXPECT_EQ(win::digitFromScanCode(19, false), '0');
    EXPECT_EQ(win::digitFromScanCode(0x0A, true), '9');
    EXPECT_EQ(win::digitFromScanCode(20, false), 0);  // the key right of 0
    EXPECT_EQ(win::digitFromScanCode(0, false), 0);   // no scan code: the key as typed
}

TEST(ViewHighlight, OnlyTheActiveViewShowsIt) {
    Editor e;
    CMainView& a = e.open("A");
    CMainView& b = e.open("B");
    a.onLButtonDown({74 + 10, 0}, false);  // a becomes active with step 5 selected
    runOn(b, ID_EDIT_SELECT_ALL);
    ASSERT_EQ(playerLink().activeView(), static_cast<PlayerClient*>(&a));
    const int y = rowTop(a, HeadY) + 2;
    // Inner steps of a channel row are colour-inverted: white turns black.
    EXPECT_EQ(renderView(a).pixelColor(a.stepX(5), y), QColor(Qt::black));
    EXPECT_EQ(renderView(b).pixelColor(b.stepX(5), y), QColor(Qt::white));
    // Step 0 shows the light-grey pattern instead.
    a.onLButtonDown({74, 0}, false);
    EXPECT_EQ(renderView(a).pixelColor(a.stepX(0), y), QColor(255 ^ 192, 255 ^ 192, 255 ^ 192));
}

TEST(ViewViewer, SelectionsReachAnOpenViewer) {
    Editor e;
    OpenPlayer player;
    std::vector<std::string>& calls = player.viewer.calls;
    CMainView& v = e.open();
    calls.clear();
    v.onLButtonDown({74, 50}, true);  // shift on the green LED row: an empty bracket
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "Begin");
    EXPECT_EQ(calls[1], "End");
    EXPECT_THAT(calls[2], testing::StartsWith("SetJoints 0 18 0 0"));
    calls.clear();
    v.onLButtonDown({76, rowTop(v, HeadZ)}, true);
    EXPECT_THAT(calls, ElementsAre("Begin", "Select 2", "End", testing::StartsWith("SetJoints 0 18")));
    // A joint dragged in the viewer writes into the time selection.
    EXPECT_TRUE(v.onViewerJointValue(HeadX, 20));
    EXPECT_EQ(v.document().doc().motion().value(1, HeadX), valueFromDegrees(20));
    v.onRButtonDown({0, 0}, false);
    EXPECT_FALSE(v.onViewerJointValue(HeadX, 20));
}

namespace {

// The joints the viewer highlights after its calls: those of the last bracket.
std::vector<int> highlighted(const std::vector<std::string>& calls) {
    std::vector<int> joints;
    for (const auto& c : calls) {
        if (c == "Begin") joints.clear();
        else if (c.rfind("Select ", 0) == 0) joints.push_back(std::stoi(c.substr(7)));
    }
    return joints;
}

}  // namespace

TEST(ViewViewer, TheModelHighlightsTheActiveViewsSelectedRowsAndNothingWithoutASelection) {
    struct Case {
        const char* name;
        std::function<void(Editor&, CMainView&)> act;
        std::vector<int> joints;
    };
    std::vector<int> all(kChannelCount);
    for (int j = 0; j < kChannelCount; ++j) all[static_cast<std::size_t>(j)] = j;
    const Case cases[] = {
        {"select all", [](Editor&, CMainView&) {}, all},
        {"a right click clears the time range", [](Editor&, CMainView& v) { v.onRButtonDown({74 + 5000, 0}, false); },
         {}},
        {"undoing a value drag returns to rows without a time range",
         [](Editor&, CMainView& v) {
             const int y = rowTop(v, HeadZ) + 2;
             v.onLButtonDown({80, y}, true);  // HeadZ at step 3
             v.onRButtonDown({80, y}, false);
             v.onMouseMove({84, y + 5}, false, true);
             v.onRButtonUp({84, y + 5});
             ASSERT_TRUE(v.undo());
             EXPECT_EQ(v.rowCount(), 1);
         },
         {}},
        {"a joint drag on the model narrows the rows to that joint",
         [](Editor&, CMainView& v) {
             EXPECT_TRUE(v.onViewerJointValue(HeadX, 20));
             EXPECT_TRUE(v.onViewerJointValue(HeadX, 22));
             playerLink().onViewerMouseReleased();
         },
         {HeadX}},
        {"the last performance closed",
         [](Editor& e, CMainView&) {
             e.dialogs.saveAnswers.push_back(ShellDialogs::SaveAnswer::No);
             ASSERT_TRUE(e.run(ID_FILE_CLOSE));
             flushDeletes();
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        OpenPlayer player;
        CMainView& v = e.open();
        runOn(v, ID_EDIT_SELECT_ALL);
        c.act(e, v);
        EXPECT_EQ(highlighted(player.viewer.calls), c.joints);
    }
}
