// Undo and Redo over every kind of action: each undoes to the tracks, selection
// and modified state before it, and redoes to those after it.
#include <QMenu>

#include "player/window_messages.h"
#include "support/track_builder.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;

namespace {

struct State {
    KeyframeRows motion;
    std::vector<std::uint8_t> leds;
    ViewSelection selection;
    bool modified;
    bool operator==(const State&) const = default;
};

State stateOf(CMainView& v) {
    CMainDoc& doc = v.doc();
    return {rowsOf(doc.motion()), doc.leds().steps, v.selection(), doc.updateSaveState()};
}

QPoint centreOf(CMainView& v, int row, int step) {
    const CTrackPane& pane = *v.panes()[static_cast<std::size_t>(row)];
    return {v.stepX(step) + v.stepsWidth(1) / 2, pane.top() + pane.height() / 4};
}

struct ActionCase {
    const char* name;  // as the Edit menu names it
    std::function<void(Editor&, CMainView&)> act;
};

void selectSteps(CMainView& v, int start, int length) {
    v.selectRows(0, static_cast<int>(v.panes().size()), true);
    v.setTimeSelection(start, length);
}

const std::vector<ActionCase>& actions() {
    static const std::vector<ActionCase> all = {
        {"Set Value", [](Editor&, CMainView& v) { selectSteps(v, 3, 4), v.onKeyDown('9'); }},
        {"Smooth",
         [](Editor&, CMainView& v) {
             selectSteps(v, 5, 1), v.onKeyDown('9');  // a bump for the smoothing to take out
             selectSteps(v, 2, 8), v.onKeyDown('S');
         }},
        {"Drag Value",
         [](Editor&, CMainView& v) {
             const int row = rowOf(v, 4);
             v.onRButtonDown(centreOf(v, row, 3), false);
             v.onMouseMove(centreOf(v, row, 5), false, true);
             v.onRButtonUp(centreOf(v, row, 6));
         }},
        {"Paint Eyes",
         [](Editor&, CMainView& v) {
             int row = 0;
             while (!dynamic_cast<CLedPane*>(v.panes()[static_cast<std::size_t>(row)].get())) ++row;
             v.onRButtonDown(centreOf(v, row, 0), false);
             v.onMouseMove(centreOf(v, row, 4), false, true);
             v.onRButtonUp(centreOf(v, row, 6));
         }},
        {"Drag Joint",
         [](Editor&, CMainView& v) {
             selectSteps(v, 4, 2);
             v.onViewerJointValue(5, 20);
             v.onViewerJointValue(5, 25);
             v.viewerDragEnded();
         }},
        {"Reduce", [](Editor& e, CMainView& v) { selectSteps(v, 0, 12), e.run(ID_EDIT_REDUCE); }},
        {"Expand",
         [](Editor& e, CMainView& v) {
             selectSteps(v, 0, 13), e.run(ID_EDIT_REDUCE), e.run(ID_EDIT_EXPAND);
         }},
        {"Apply Macro",
         [](Editor& e, CMainView& v) { selectSteps(v, 2, 6), e.viewDlgs.macro = "Set legs: sit", e.run(ID_EDIT_APPLY_MACRO); }},
        {"Paste Special",
         [](Editor& e, CMainView& v) {
             selectSteps(v, 0, 3), e.run(ID_EDIT_COPY);
             selectSteps(v, 8, 1), e.viewDlgs.paste = PasteParts{}, e.run(ID_EDIT_PASTE_SPECIAL);
         }},
        {"Generate Eyes", [](Editor& e, CMainView&) { e.viewDlgs.eyes = EyeThresholds{0, 63}, e.run(ID_EDIT_GENERATE_EYES); }},
        {"Generate Mouth",
         [](Editor& e, CMainView& v) { selectSteps(v, 0, 12), e.viewDlgs.mouth = 0, e.run(ID_EDIT_GENERATE_MOUTH); }},
        {"Dance Step", [](Editor& e, CMainView& v) { selectSteps(v, 2, 1), e.run(ID_DANCE_FIRST + 1); }},
    };
    return all;
}

}  // namespace

TEST(Undo, EveryActionUndoesToBeforeAndRedoesToAfter) {
    for (const ActionCase& action : actions()) {
        SCOPED_TRACE(action.name);
        Editor e;
        CMainView& v = e.open("P", 14);
        selectSteps(v, 1, 1);
        action.act(e, v);
        // Some cases prepare with a step of their own: only the last is undone here.
        const State after = stateOf(v);
        ASSERT_TRUE(e.state(ID_EDIT_UNDO_ACTION).enabled);
        EXPECT_EQ(e.state(ID_EDIT_UNDO_ACTION).text, QString("&Undo %1\tCtrl+Z").arg(action.name));
        const std::size_t steps = v.doc().history().size();

        ASSERT_TRUE(e.run(ID_EDIT_UNDO_ACTION));
        const State before = stateOf(v);
        EXPECT_NE(before.motion == after.motion && before.leds == after.leds, true);
        if (steps == 1) {
            EXPECT_FALSE(before.modified);
        }
        EXPECT_EQ(e.state(ID_EDIT_REDO_ACTION).text, QString("&Redo %1\tCtrl+Y").arg(action.name));

        ASSERT_TRUE(e.run(ID_EDIT_REDO_ACTION));
        EXPECT_EQ(stateOf(v), after);
        ASSERT_TRUE(e.run(ID_EDIT_UNDO_ACTION));
        EXPECT_EQ(stateOf(v), before);
    }
}

TEST(Undo, TheFirstActionUndoesToTheOpenedFilesAndSelection) {
    Editor e;
    CMainView& v = e.open("P", 14);
    selectSteps(v, 3, 4);
    const State opened = stateOf(v);
    v.onKeyDown('9');
    v.setTimeSelection(8, 2);  // the selection moves on; undo brings back that of the edit
    ASSERT_TRUE(e.run(ID_EDIT_UNDO_ACTION));
    EXPECT_EQ(stateOf(v), opened);
    EXPECT_FALSE(e.state(ID_FILE_SAVE).enabled);
    EXPECT_FALSE(e.state(ID_EDIT_UNDO_ACTION).enabled);
    EXPECT_EQ(e.frame().action(ID_EDIT_UNDO_ACTION)->text().toStdString().substr(0, 5), "&Undo");
}

TEST(Undo, KeysAndSelectionsThatChangeNothingAddNoStep) {
    Editor e;
    CMainView& v = e.open("P", 14);
    selectSteps(v, 0, 1);
    v.onKeyDown('5');  // the first keyframe never changes
    v.onKeyDown(win::kVkRight);
    v.onKeyDown(win::kVkUp);  // to the next keyframe: the selection moves, nothing else
    e.run(ID_EDIT_SELECT_ALL);
    e.run(ID_VIEW_ZOOM_IN);
    EXPECT_FALSE(e.state(ID_EDIT_UNDO_ACTION).enabled);
    EXPECT_FALSE(e.state(ID_EDIT_REDO_ACTION).enabled);
    EXPECT_EQ(v.doc().history().size(), 0u);
}

TEST(Undo, ALeftPressDuringARightDragEndsItsEdit) {
    for (const bool ctrl : {false, true}) {
        SCOPED_TRACE(ctrl ? "Ctrl+press" : "press");
        Editor e;
        CMainView& v = e.open("P", 14);
        const int row = rowOf(v, HeadX);
        v.onRButtonDown(centreOf(v, row, 3), false);
        v.onMouseMove(centreOf(v, row, 3) + QPoint(0, 5), false, true);
        if (ctrl) v.onCtrlButtonDown(centreOf(v, row, 5));
        else v.onLButtonDown(centreOf(v, row, 5), false);
        v.onLButtonUp();
        v.onRButtonUp(centreOf(v, row, 5));
        ASSERT_EQ(v.doc().history().size(), 1u);
        selectSteps(v, 3, 4);
        v.onKeyDown('9');
        EXPECT_EQ(v.doc().history().size(), 2u);  // its own step, not part of the drag
    }
}

TEST(Undo, SaveMovesTheSavePointAndUndoAfterItModifiesAgain) {
    Editor e;
    CMainView& v = e.open("P", 14);
    selectSteps(v, 3, 4);
    v.onKeyDown('9');
    const auto bytesAfter = rowsOf(v.doc().motion());
    ASSERT_TRUE(e.run(ID_FILE_SAVE));
    EXPECT_FALSE(e.state(ID_FILE_SAVE).enabled);
    e.run(ID_EDIT_UNDO_ACTION);
    EXPECT_TRUE(e.state(ID_FILE_SAVE).enabled);
    e.run(ID_EDIT_REDO_ACTION);
    EXPECT_FALSE(e.state(ID_FILE_SAVE).enabled);  // back at what is on disk
    EXPECT_EQ(rowsOf(v.doc().motion()), bytesAfter);
}

TEST(Undo, TheMenuAndToolbarCarryUndoAndRedo) {
    Editor e;
    CMainView& v = e.open("P", 14);
    QMenu* edit = nullptr;
    for (QMenu* m : e.frame().menus(true))
        if (m->title() == "&Edit") edit = m;
    ASSERT_NE(edit, nullptr);
    ASSERT_GE(edit->actions().size(), 3);
    EXPECT_EQ(edit->actions()[0]->text(), "&Undo");
    EXPECT_EQ(edit->actions()[1]->text(), "&Redo");
    EXPECT_TRUE(edit->actions()[2]->isSeparator());
    selectSteps(v, 2, 3);
    v.onKeyDown('2');
    e.frame().updateCommandUI();
    EXPECT_EQ(edit->actions()[0]->text(), "&Undo Set Value\tCtrl+Z");
    EXPECT_TRUE(e.frame().action(ID_EDIT_UNDO_ACTION)->isEnabled());
    EXPECT_FALSE(e.frame().action(ID_EDIT_REDO_ACTION)->isEnabled());
    EXPECT_FALSE(e.frame().action(ID_EDIT_UNDO_ACTION)->icon().isNull());
    EXPECT_FALSE(e.frame().action(ID_EDIT_REDO_ACTION)->icon().isNull());
}
