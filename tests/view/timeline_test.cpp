// The timeline around the performance view's rows: the readouts, the wheel and
// zooming to a range, clicks on the row labels and the ruler, the labels that
// stay in place while the time scrolls, the title's modified mark and the
// Keyboard and Mouse list.
#include <QDialog>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBrowser>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <set>

#include "commands/keyboard_mouse.h"
#include "model/clock_text.h"
#include "platform/notifier.h"
#include "panes/time_axis.h"
#include "shell/child_frame.h"
#include "shell/document.h"
#include "view/time_ruler_widget.h"
#include "view/view_support.h"

using namespace rova;
using namespace rova::test;

namespace {

// The time at a window x of the view, in ms from the performance's start.
std::int64_t timeAtWindowX(const CMainView& v, int windowX) {
    return axis::xToMs(std::int64_t{v.horizontalScroll()} + windowX - kLabelColumnWidth, v.pixelsPerSecond());
}

// A view wide enough to scroll in, over a long performance (400 keyframes, 32 s).
CMainView& openWide(Editor& e) {
    CMainView& v = e.open("Long", 400);
    v.document().frame()->resize(900, 500);
    v.resize(880, 460);
    return v;
}

QString field(Editor& e, const char* name) {
    e.frame().updateCommandUI();
    const QLabel* label = e.frame().readoutFields()->field(name);
    return label ? label->text() : QString("<none>");
}

}  // namespace

TEST(Readout, TextsOfEachField) {
    struct Case {
        ViewReadout readout;
        ReadoutTexts texts;
    };
    ViewReadout pointer;
    pointer.pointerMs = 65'240;
    pointer.bar = 12;
    pointer.beat = 3;
    ViewReadout selection;
    selection.selStart = 15;
    selection.selLength = 10;
    ViewReadout angle;
    angle.joint = "RFKnee";
    angle.degrees = 23.46;
    ViewReadout setting = angle;
    setting.settingAngle = true;
    setting.degrees = -7;
    ViewReadout cursor;
    cursor.cursorMs = 4'320;
    const Case cases[] = {
        {{}, {}},
        {pointer, {"1:05.240", "Bar 12.3", "", "", ""}},
        {selection, {"", "", "0:01.200\u20130:02.000 (0.800 s) \u00b7 steps 15\u201324 (10)", "", ""}},
        {angle, {"", "", "", "RFKnee 23.5\u00b0", ""}},
        {setting, {"", "", "", "RFKnee set to -7.0\u00b0", ""}},
        {cursor, {"", "", "", "", "Cursor 0:04.320"}},
    };
    for (const Case& c : cases) {
        const ReadoutTexts t = readoutTexts(c.readout);
        EXPECT_EQ(t.time, c.texts.time);
        EXPECT_EQ(t.beat, c.texts.beat);
        EXPECT_EQ(t.selection, c.texts.selection);
        EXPECT_EQ(t.angle, c.texts.angle);
        EXPECT_EQ(t.cursor, c.texts.cursor);
    }
}

TEST(Readout, ClockTextsTruncateAndKeepTheSign) {
    EXPECT_EQ(clockText(0, 0), "0:00");
    EXPECT_EQ(clockText(59'999, 0), "0:59");
    EXPECT_EQ(clockText(61'290, 1), "1:01.2");
    EXPECT_EQ(clockText(3'600'000, 3), "60:00.000");
    EXPECT_EQ(clockText(-80, 3), "-0:00.080");
    EXPECT_EQ(clockText(INT64_MIN, 0).front(), '-');
}

TEST(Readout, NotifierTellsSubscribersUntilTheirSubscriptionGoes) {
    Notifier<int> notifier;
    std::vector<int> seen;
    {
        auto subscription = notifier.subscribe([&](const int& v) { seen.push_back(v); });
        notifier.publish(1);
        notifier.publish(1);  // unchanged: not told again
        notifier.publish(2);
        EXPECT_TRUE(subscription.active());
    }
    notifier.publish(3);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(notifier.last(), 3);
    // A subscription that outlives its publisher lets go quietly.
    auto* gone = new Notifier<int>;
    auto late = gone->subscribe([](const int&) {});
    delete gone;
    EXPECT_FALSE(late.active());
}

TEST(Readout, StatusBarFollowsThePointerTheSelectionTheAngleAndTheCursor) {
    Editor e;
    CMainView& v = e.open("P", 40);
    v.onMouseMove({kLabelColumnWidth + 100, 0}, false, false);  // 4 s at 25 px/s
    v.publishReadout();
    EXPECT_EQ(field(e, "time"), "0:04.000");
    v.selectRows(0, static_cast<int>(v.panes().size()), true);
    v.setTimeSelection(5, 3);
    EXPECT_EQ(field(e, "selection"), QString::fromUtf8("0:00.400\u20130:00.640 (0.240 s) \u00b7 steps 5\u20137 (3)"));
    // Over the first channel's row: its name and its angle at that step.
    int row = -1;
    const CChannelPane* channel = v.findPaneByJoint(v.doc().motion().firstChannel(), row);
    ASSERT_NE(channel, nullptr);
    v.onMouseMove({v.stepX(10) + 1, channel->top() + 2}, false, false);
    v.publishReadout();
    int values[kChannelCount];
    ASSERT_TRUE(v.doc().motion().valuesAtStep(10, values));
    EXPECT_EQ(field(e, "angle"), QString("%1 %2.0\u00b0").arg(QString::fromUtf8(kChannelInfo[0].name.data(),
                                                                                   static_cast<int>(kChannelInfo[0].name.size())))
                                      .arg(values[0]));
    // A joint set from the player window reads "set to".
    v.setTimeSelection(5, 3);
    v.onViewerJointValue(v.doc().motion().firstChannel(), 12);
    v.publishReadout();
    EXPECT_TRUE(field(e, "angle").endsWith(QString::fromUtf8("set to 12.0\u00b0")));
    v.viewerDragEnded();
    v.onCtrlButtonDown({v.stepX(20) + 1, 0});
    v.onLButtonUp();
    v.publishReadout();
    EXPECT_EQ(field(e, "cursor"), "Cursor 0:01.600");
    EXPECT_EQ(field(e, "selection"), "");
}

TEST(Wheel, CtrlWheelZoomKeepsTheTimeUnderThePointer) {
    Editor e;
    CMainView& v = openWide(e);
    const int y = 100;
    for (const int windowX : {120, 400, 700}) {
        for (const int notches : {1, 3, -2, -4, 5}) {
            SCOPED_TRACE(testing::Message() << "x " << windowX << ", notches " << notches << ", zoom " << v.zoom());
            v.horizontalScrollBar()->setValue(300);
            const int scroll = v.horizontalScroll();
            const std::int64_t before = timeAtWindowX(v, windowX);
            const int oldPps = v.pixelsPerSecond();
            v.wheel({scroll + windowX, y}, notches * 120, CMainView::WheelAction::Zoom);
            EXPECT_NE(v.pixelsPerSecond(), oldPps);
            const std::int64_t after = timeAtWindowX(v, windowX);
            // Within a pixel of the coarser of the two zooms, unless the view hit its left end.
            const std::int64_t pixelMs = kMsPerSecond / std::min(oldPps, v.pixelsPerSecond()) + 1;
            if (v.horizontalScroll() > 0 && v.horizontalScroll() < v.horizontalScrollBar()->maximum()) {
                EXPECT_LE(std::abs(after - before), pixelMs);
            }
        }
    }
}

TEST(Wheel, SmallTouchpadStepsAddUpToANotchAndEveryNotchChangesTheScale) {
    Editor e;
    CMainView& v = openWide(e);
    const int zoom = v.zoom();
    v.wheel({300, 50}, 40, CMainView::WheelAction::Zoom);
    v.wheel({300, 50}, 40, CMainView::WheelAction::Zoom);
    EXPECT_EQ(v.zoom(), zoom);
    v.wheel({300, 50}, 40, CMainView::WheelAction::Zoom);
    EXPECT_LT(v.zoom(), zoom);
    // From the finest to the coarsest and back, one pixels-a-second value after another.
    for (int z = CMainView::kMinZoom; z < CMainView::kMaxZoom;) {
        const int next = axis::zoomStep(z, false, CMainView::kMinZoom, CMainView::kMaxZoom);
        ASSERT_GT(next, z);
        EXPECT_TRUE(next == CMainView::kMaxZoom || 1000 / next < 1000 / z) << z;
        const int back = axis::zoomStep(next, true, CMainView::kMinZoom, CMainView::kMaxZoom);
        EXPECT_GT(1000 / back, 1000 / next) << next;
        z = next;
    }
}

TEST(Wheel, PlainWheelScrollsTheTimeAndShiftWheelTheRows) {
    Editor e;
    CMainView& v = openWide(e);
    v.resize(880, 200);  // shorter than the rows, so they scroll
    ASSERT_GT(v.verticalScrollBar()->maximum(), 0);
    v.wheel({300, 50}, -120, CMainView::WheelAction::Time);
    const int scrolled = v.horizontalScroll();
    EXPECT_GT(scrolled, 0);
    EXPECT_EQ(v.verticalScroll(), 0);
    v.wheel({300, 50}, 120, CMainView::WheelAction::Time);
    EXPECT_EQ(v.horizontalScroll(), 0);
    v.wheel({300, 50}, -120, CMainView::WheelAction::Rows);
    EXPECT_GT(v.verticalScroll(), 0);
    EXPECT_EQ(v.horizontalScroll(), 0);
}

TEST(Zoom, ToSelectionAndToFit) {
    Editor e;
    CMainView& v = openWide(e);
    EXPECT_FALSE(state(v, ID_VIEW_ZOOM_TO_SELECTION).enabled);
    v.selectRows(0, 1, true);
    v.setTimeSelection(200, 25);  // 16 s to 18 s
    ASSERT_TRUE(state(v, ID_VIEW_ZOOM_TO_SELECTION).enabled);
    runOn(v, ID_VIEW_ZOOM_TO_SELECTION);
    const int width = v.viewport()->width();
    const int left = v.stepX(200) - v.horizontalScroll();
    const int right = v.stepX(225) - v.horizontalScroll();
    EXPECT_GE(left, kLabelColumnWidth);
    EXPECT_LE(right, width);
    // The selection takes most of the window: the next finer zoom would not hold it.
    EXPECT_GT(axis::stepsWidth(25, 1000 / (v.zoom() - 1)), width - kLabelColumnWidth - 2 * ((width - kLabelColumnWidth) / 20));
    runOn(v, ID_VIEW_ZOOM_TO_FIT);
    EXPECT_EQ(v.horizontalScroll(), 0);
    EXPECT_EQ(v.horizontalScrollBar()->maximum(), 0);  // everything is in the window
    EXPECT_GT(v.stepX(v.lastStep()), width / 2);     // and it fills most of it
}

TEST(Labels, PlainCtrlAndShiftClicksSelectRows) {
    Editor e;
    CMainView& v = e.open("P", 40);
    const int all = v.lastStep() + 1;
    struct Step {
        int row;
        CMainView::LabelClick how;
        int first, count;
    };
    using L = CMainView::LabelClick;
    const Step steps[] = {
        {10, L::Plain, 10, 1},  {14, L::Shift, 10, 5}, {8, L::Shift, 8, 3},   {12, L::Ctrl, 8, 5},
        {8, L::Ctrl, 9, 4},     {12, L::Ctrl, 9, 3},   {10, L::Ctrl, 9, 3},   {20, L::Plain, 20, 1},
        {20, L::Ctrl, -1, 0},   {6, L::Ctrl, 6, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "row " << s.row << " how " << static_cast<int>(s.how));
        v.labelClick(s.row, s.how);
        EXPECT_EQ(v.firstRow(), s.first);
        EXPECT_EQ(v.rowCount(), s.count);
        // Without a time range the whole length is taken.
        EXPECT_EQ(v.selStart(), 0);
        EXPECT_EQ(v.selLength(), all);
    }
    // With a time range the rows get that range.
    v.setTimeSelection(7, 4);
    v.labelClick(3, L::Plain);
    EXPECT_EQ(v.selStart(), 7);
    EXPECT_EQ(v.selLength(), 4);
    EXPECT_EQ(v.firstRow(), 3);
}

TEST(Ruler, ClickSetsTheCursorAndDragSelectsOverTheSelectedRows) {
    Editor e;
    CMainView& v = e.open("P", 40);
    v.rulerClick(v.stepX(12) + 1);
    EXPECT_EQ(v.playhead().cursor(), 12);
    EXPECT_FALSE(v.hasSelection());
    // No rows chosen: a drag selects over all of them.
    v.selectRows(-1, 0, false);
    v.rulerDrag(v.stepX(20) + 1, v.stepX(10) + 1);
    EXPECT_EQ(v.selStart(), 10);
    EXPECT_EQ(v.selLength(), 11);
    EXPECT_EQ(v.rowCount(), static_cast<int>(v.panes().size()));
    v.labelClick(6, CMainView::LabelClick::Plain);
    v.rulerDrag(v.stepX(2) + 1, v.stepX(4) + 1);
    EXPECT_EQ(v.firstRow(), 6);
    EXPECT_EQ(v.rowCount(), 1);
    EXPECT_EQ(v.selStart(), 2);
    EXPECT_EQ(v.selLength(), 3);
    // The ruler's picture shows the selection and a bar row only with beats.
    const RulerInfo info = v.rulerInfo(400);
    EXPECT_EQ(info.selLeft, v.stepX(2));
    EXPECT_EQ(info.selRight, v.stepX(5));
}

TEST(StickyLabels, TheLabelColumnLooksTheSameWhereverTheTimeIsScrolled) {
    Editor e;
    CMainView& v = openWide(e);
    auto labelColumn = [&] {
        QImage image(v.viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.translate(-v.horizontalScroll(), -v.verticalScroll());
        v.onDraw(p);
        v.drawStickyLabels(p, QRect(QPoint(v.horizontalScroll(), v.verticalScroll()), v.viewport()->size()));
        p.end();
        // The column less its right edge, which marks the rows going on under it.
        return image.copy(0, 0, kLabelColumnWidth - 2, image.height());
    };
    v.setZoom(10);  // 100 pixels a second: 3200 pixels of time
    const QImage atStart = labelColumn();
    v.horizontalScrollBar()->setValue(450);
    ASSERT_EQ(v.horizontalScroll(), 450);
    EXPECT_EQ(labelColumn(), atStart);
    // After an undo brings a selection into view, the names are still there.
    v.selectAll();
    v.beginEdit("Smooth");
    v.onKeyDown('S');
    v.endEdit();
    v.setTimeSelection(300, 2);
    v.updateLayout();
    ASSERT_GT(v.horizontalScroll(), 0);
    EXPECT_EQ(labelColumn(), atStart);
}

TEST(Title, AStarMarksUnsavedChanges) {
    Editor e;
    CMainView& v = e.open("P", 14);
    e.frame().updateCommandUI();
    EXPECT_EQ(e.frame().windowTitle(), "Rova Edit - Performance Editor - P.MTN");
    v.selectAll();
    v.beginEdit("Set Value");
    v.onKeyDown('5');
    v.endEdit();
    e.frame().updateCommandUI();
    EXPECT_EQ(e.frame().windowTitle(), "Rova Edit - Performance Editor - P.MTN*");
    EXPECT_EQ(v.document().frame()->windowTitle(), "P.MTN*");
    ASSERT_TRUE(v.undo());
    e.frame().updateCommandUI();
    EXPECT_EQ(e.frame().windowTitle(), "Rova Edit - Performance Editor - P.MTN");
}

TEST(KeyboardAndMouse, TheListCoversEveryCommandWithKeysAndEveryGesture) {
    Editor e;
    const CommandRegistry& registry = e.app.commands();
    const std::vector<HelpRow> rows = keyboardAndMouseRows(registry);
    std::set<QString> listed;
    for (const HelpRow& row : rows) listed.insert(row.action);
    for (const auto& [id, command] : registry.all()) {
        if (command->info().keys.empty()) continue;
        const QString name = commandName(command->info().text);
        EXPECT_TRUE(listed.count(name)) << name.toStdString();
        // Each of its keys is written in its row.
        for (const HelpRow& row : rows) {
            if (row.action != name) continue;
            for (const QKeyCombination& key : command->info().keys) {
                EXPECT_TRUE(row.input.contains(QKeySequence(key).toString(QKeySequence::NativeText)))
                    << name.toStdString();
            }
        }
    }
    for (const CMainView::Gesture& g : CMainView::gestures()) EXPECT_TRUE(listed.count(QString::fromUtf8(g.action)));
    EXPECT_EQ(commandName("&E&xpand\tE"), "Expand");
    EXPECT_EQ(commandName("Rock && Roll"), "Rock & Roll");
    // The window opens from Help.
    EXPECT_TRUE(e.run(ID_HELP_KEYBOARD_MOUSE));
    auto* dialog = e.frame().findChild<QDialog*>("keyboardAndMouse");
    ASSERT_NE(dialog, nullptr);
    dialog->close();
}

TEST(GettingStarted, TheGuideIsFoundAndShown) {
    Editor e;
    ASSERT_FALSE(gettingStartedPath().isEmpty());
    EXPECT_TRUE(e.run(ID_HELP_GETTING_STARTED));
    auto* guide = e.frame().findChild<QTextBrowser*>("guide");
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->toPlainText().contains("Getting Started"));
    EXPECT_TRUE(e.ui.messages.empty());
}

TEST(WindowInput, WheelEventsAndLabelClicksReachTheTimeline) {
    Editor e;
    CMainView& v = openWide(e);
    v.setZoom(20);
    auto wheel = [&](QPoint at, QPoint pixels, QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, v.viewport()->mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(v.viewport(), &event);
    };
    // Ctrl+wheel zooms in around the pointer.
    const QPoint at(400, 100);
    const std::int64_t before = timeAtWindowX(v, at.x());
    wheel(at, {}, {0, 120}, Qt::ControlModifier);
    EXPECT_LT(v.zoom(), 20);
    EXPECT_LE(std::abs(timeAtWindowX(v, at.x()) - before), 1000 / v.pixelsPerSecond() + 1);
    // A touchpad's sideways swipe scrolls the time by its pixels.
    v.horizontalScrollBar()->setValue(100);
    wheel(at, {-30, 0}, {-60, 0}, Qt::NoModifier);
    EXPECT_EQ(v.horizontalScroll(), 130);
    // Shift+wheel scrolls the rows, even when the system turned it sideways.
    v.resize(880, 200);
    wheel(at, {}, {-120, 0}, Qt::ShiftModifier);
    EXPECT_GT(v.verticalScroll(), 0);
    EXPECT_EQ(v.horizontalScroll(), 130);
    // A Ctrl+click on a label, wherever the time is scrolled, adds that row.
    v.verticalScrollBar()->setValue(0);
    v.labelClick(6, CMainView::LabelClick::Plain);
    const int y = v.panes()[8]->top() + 2;
    QTest::mouseClick(v.viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(20, y));
    EXPECT_EQ(v.firstRow(), 6);
    EXPECT_EQ(v.rowCount(), 3);
    EXPECT_EQ(v.playhead().cursor(), -1);  // not the cursor a Ctrl+click sets in the rows
}

TEST(Ruler, ABarRowWithNumbersAppearsWithBeatsAndTheStatusBarCountsThem) {
    Editor e;
    // 8 s of motion and of sound: the beats run as long as the sound.
    const std::string path = e.files.add("P", 100);
    e.files.dir.write("P.WAV", waveImage(8000 * 8));
    CMainView& v = e.openPath(path, "P");
    EXPECT_EQ(v.rulerInfo(400).barStartsMs, nullptr);
    // 120 BPM from the start: a bar every 2 s.
    ASSERT_TRUE(v.beatTrack().setManual(beats::BpmSetting{120.0, 0}));
    const RulerInfo info = v.rulerInfo(400);
    ASSERT_NE(info.barStartsMs, nullptr);
    ASSERT_GE(info.barStartsMs->size(), 3u);
    EXPECT_EQ(std::vector<int>(info.barStartsMs->begin(), info.barStartsMs->begin() + 3), (std::vector<int>{0, 2000, 4000}));
    v.viewport()->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(v.ruler()->height(), rulerHeight(true));
    v.onMouseMove({kLabelColumnWidth + axis::toPixels(axis::msToX(2600, v.pixelsPerSecond())), 0}, false, false);
    v.publishReadout();
    EXPECT_EQ(field(e, "beat"), "Bar 2.2");
}

TEST(Readout, HintsTellWhatAPlaceDoesButLeaveNotesAlone) {
    Editor e;
    CMainView& v = e.open("P", 40);
    QStatusBar& bar = *e.frame().statusBar();
    int row = -1;
    const CChannelPane* channel = v.findPaneByJoint(v.doc().motion().firstChannel(), row);
    ASSERT_NE(channel, nullptr);
    auto pointAt = [&](std::optional<QPoint> at) {
        v.setPointer(at);
        v.publishReadout();
        e.frame().updateCommandUI();
    };
    pointAt(QPoint(20, channel->top() + 2));  // over a label
    EXPECT_TRUE(bar.currentMessage().startsWith("Click: select this row")) << bar.currentMessage().toStdString();
    pointAt(QPoint(300, CMainView::kOverRuler));
    EXPECT_TRUE(bar.currentMessage().startsWith("Click: set the cursor"));
    pointAt(std::nullopt);
    EXPECT_TRUE(bar.currentMessage().isEmpty());
    // A note of the program stays until its time is up.
    bar.showMessage("Beats: something to say", 15000);
    pointAt(QPoint(20, channel->top() + 2));
    EXPECT_EQ(bar.currentMessage(), "Beats: something to say");
    pointAt(std::nullopt);
    EXPECT_EQ(bar.currentMessage(), "Beats: something to say");
}
