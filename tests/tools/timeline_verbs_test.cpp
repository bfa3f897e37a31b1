// The tool's timeline verbs (wheel, label-click, ruler-click, ruler-drag, the
// zoom commands) and the report's window fields, as a script would use them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <sstream>

#include "editor_session.h"
#include "panes/time_ruler.h"
#include "support/motion_image.h"
#include "support/temp_dir.h"
#include "support/wave_image.h"
#include "view/main_view.h"
#include "view/time_ruler_widget.h"

using namespace rova;
using namespace rova::test;

namespace {

std::string report(tool::EditorSession& s) {
    std::ostringstream out;
    s.report(out, true);
    return out.str();
}

bool run(tool::EditorSession& s, const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    std::string error;
    return s.command(words, error);
}

// Each test opens a performance P of its own in a session.
class ToolTimeline : public testing::Test {
protected:
    // P with soundSeconds of sound and a full-body motion of steps; false when it does not open.
    bool open(std::size_t soundSeconds, int steps) {
        dir.write("P.WAV", waveImage(8000 * soundSeconds));
        dir.write("P.MTN", MotionImage::of(0, 18, steps).bytes());
        return s.open(dir / "P.MTN");
    }

    TempDir dir;
    tool::EditorSession s;  // after dir: closed before the files go
};

}  // namespace

TEST_F(ToolTimeline, VerbsMoveTheViewAndTheReportShowsTheWindow) {
    ASSERT_TRUE(open(20, 200));  // motion of 16 s
    CMainView& v = *s.activeView();
    ASSERT_TRUE(run(s, "label-click 6"));
    EXPECT_EQ(v.firstRow(), 6);
    EXPECT_EQ(v.selLength(), v.lastStep() + 1);
    ASSERT_TRUE(run(s, "label-click 8 shift"));
    EXPECT_EQ(v.rowCount(), 3);
    ASSERT_TRUE(run(s, "ruler-drag 124 174"));  // 2 s to 4 s at 25 px/s
    EXPECT_EQ(v.selStart(), 25);
    EXPECT_EQ(v.selLength(), 26);
    EXPECT_EQ(v.firstRow(), 6);
    EXPECT_THAT(report(s), testing::HasSubstr("\"selection\": \"0:02.000\u20130:04.080 (2.080 s) \u00b7 steps 25\u201350 (26)\""));
    ASSERT_TRUE(run(s, "zoom-to-selection"));
    EXPECT_LT(v.zoom(), 40);
    ASSERT_TRUE(run(s, "zoom-to-fit"));
    EXPECT_EQ(v.horizontalScroll(), 0);
    ASSERT_TRUE(run(s, "ruler-click 99"));  // 1 s
    EXPECT_EQ(v.playhead().cursor(), CMainView::pixelToStep(99 - kLabelColumnWidth, v.pixelsPerSecond()));
    EXPECT_THAT(report(s), testing::HasSubstr("\"cursor\": \"Cursor 0:01."));
    // Ctrl+wheel zooms in around the pointer; the plain wheel then scrolls the time.
    const int zoom = v.zoom();
    ASSERT_TRUE(run(s, "wheel 200 50 240 ctrl"));
    EXPECT_LT(v.zoom(), zoom);
    ASSERT_TRUE(run(s, "wheel 200 50 -120"));
    EXPECT_THAT(report(s), testing::HasSubstr("\"scrollX\": " + std::to_string(v.horizontalScroll())));
    EXPECT_GT(v.horizontalScroll(), 0);
    EXPECT_THAT(report(s), testing::HasSubstr("\"title\": \"Rova Edit - Performance Editor - P.MTN\""));
    // Bad arguments are usage errors.
    std::string error;
    EXPECT_FALSE(s.command({"wheel", "1", "2"}, error));
    EXPECT_EQ(error, "usage: wheel X Y DELTA [shift|ctrl]");
    EXPECT_FALSE(s.command({"label-click", "2", "alt"}, error));
    EXPECT_FALSE(s.command({"ruler-drag", "2"}, error));
    EXPECT_FALSE(s.command({"ruler-click"}, error));
}

TEST_F(ToolTimeline, RenderViewDrawsTheRulerOnlyWhenAsked) {
    ASSERT_TRUE(open(4, 40));
    const std::string plain = dir / "plain.png", ruled = dir / "ruled.png";
    ASSERT_TRUE(s.renderView(QString::fromStdString(plain), 400, 300));
    ASSERT_TRUE(s.renderView(QString::fromStdString(ruled), 400, 300, true));
    const QImage a(QString::fromStdString(plain)), b(QString::fromStdString(ruled));
    // The rows move down by the ruler's height, pixel for pixel.
    const int h = rulerHeight(s.activeView()->rulerInfo(400).barStartsMs != nullptr);
    EXPECT_EQ(b.copy(0, h, 400, 300 - h), a.copy(0, 0, 400, 300 - h));
    EXPECT_NE(b.copy(0, 0, 400, h), a.copy(0, 0, 400, h));
}

TEST_F(ToolTimeline, AWindowFittedToAPictureZoomsToFitIntoIt) {
    ASSERT_TRUE(open(30, 375));  // motion of 30 s
    CMainView& v = *s.activeView();
    s.fitViewTo(900, 500);
    EXPECT_EQ(v.viewport()->width(), 900);
    EXPECT_EQ(v.viewport()->height() + v.ruler()->height(), 500);
    std::string error;
    ASSERT_TRUE(s.command({"zoom-to-fit"}, error));
    EXPECT_EQ(v.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(v.stepX(v.lastStep()), 900 / 2);
}
