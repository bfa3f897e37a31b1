// File ▸ Export Video... on an open performance: what the dialogs chose is
// written, the selection alone when asked, and nothing when they are cancelled
// or the file cannot be written.
#include <filesystem>
#include <optional>

#include "commands/export_video.h"
#include "video/video_probe.h"
#include "view/view_support.h"

namespace rova::test {
namespace {

struct ScriptedVideoDialogs : ExportVideoDialogs {
    std::optional<ExportVideoChoice> answer;
    int asked = 0;
    bool offeredSelection = false;
    std::optional<ExportVideoChoice> ask(QWidget*, const std::string&, bool haveSelection) override {
        ++asked;
        offeredSelection = haveSelection;
        return answer;
    }
};

TEST(ExportVideoCommand, WritesWhatTheDialogsChoseTheSelectionAloneWhenAskedAndReportsAFailure) {
    Editor e;
    CMainView& v = e.open("P", 14);
    ScriptedVideoDialogs dialogs;
    ScopedExportVideoDialogs installed(&dialogs);
    const std::filesystem::path out = e.files.dir / "show.mp4";

    dialogs.answer = std::nullopt;  // cancelled: nothing written, nothing said
    runOn(v, ID_FILE_EXPORT_VIDEO);
    EXPECT_EQ(dialogs.asked, 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_TRUE(e.ui.messages.empty());

    dialogs.answer = ExportVideoChoice{out.string(), 160, 120, false, true};
    runOn(v, ID_FILE_EXPORT_VIDEO);
    const int steps = v.document().doc().motion().totalTicks() / kTicksPerStep;
    video::VideoProbe probe = video::probeVideo(out.string());
    ASSERT_TRUE(probe.opened) << (e.ui.messages.empty() ? "" : e.ui.messages.front());
    EXPECT_EQ(probe.width, 160);
    EXPECT_EQ(probe.streamKinds, (std::vector<std::string>{"video", "audio"}));
    EXPECT_NEAR(static_cast<double>(probe.pictures), steps * 2.0, 1.0);

    v.selectRows(5, 1, false);
    v.setTimeSelection(2, 5);
    dialogs.answer = ExportVideoChoice{out.string(), 160, 120, true, false};
    runOn(v, ID_FILE_EXPORT_VIDEO);
    EXPECT_TRUE(dialogs.offeredSelection);
    probe = video::probeVideo(out.string());
    EXPECT_NEAR(static_cast<double>(probe.pictures), 10.0, 1.0);  // 5 steps of 80 ms at 25 fps
    EXPECT_TRUE(e.ui.messages.empty());

    // A file that cannot be written is reported and leaves nothing.
    dialogs.answer = ExportVideoChoice{(std::filesystem::path(e.files.dir / "missing") / "show.webm").string(), 160, 120, false, false};
    runOn(v, ID_FILE_EXPORT_VIDEO);
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_THAT(e.ui.messages[0], testing::StartsWith("The video could not be written."));
    EXPECT_FALSE(std::filesystem::exists(e.files.dir / "missing"));
}

}  // namespace
}  // namespace rova::test
