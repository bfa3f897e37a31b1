// The player's eyes follow the view: the cursor (scrubbing included) and the
// selection's start send the LED state of their moment with the pose.
#include "view/view_support.h"

namespace rova::test {
namespace {

struct EyesViewer : ViewerCalls {
    std::vector<int> eyes;
    int SetEyes(void*, int state) override {
        eyes.push_back(state);
        return 0;
    }
};

TEST(ViewEyes, TheCursorAndTheSelectionShowTheEyesOfTheirMoment) {
    Editor e;
    CMainView& v = e.open();  // eye LEDs 1, 2, 3 in the first three LED steps, then dark
    EyesViewer player;
    setViewerApi(&player);
    playerLink().showPlayer();
    // Steps at 0, 80, 160, 240 and 320 ms: LED steps 0, 0, 1, 2 and 3.
    for (int step = 0; step < 5; ++step) v.playhead().setCursor(v, step);
    EXPECT_EQ(player.eyes, (std::vector<int>{1, 1, 2, 3, 0}));
    player.eyes.clear();
    v.selectRows(5, 1, false);
    v.setTimeSelection(3, 2);
    EXPECT_EQ(player.eyes, std::vector<int>{3});
    delete playerLink().playerWindow();
    flushDeletes();
    setViewerApi(nullptr);
}

}  // namespace
}  // namespace rova::test
