// The player link's answer to a joint dragged in the viewer.
#include <gtest/gtest.h>

#include <vector>

#include "player/player_link.h"

namespace rova {
namespace {

struct View : PlayerClient {
    std::vector<std::pair<int, int>> joints;
    void onKeyDown(int) override {}
    bool onViewerJointValue(int channel, int degrees) override {
        joints.emplace_back(channel, degrees);
        return true;
    }
    void activeViewChanged(bool) override {}
    int dragEnds = 0;
    void viewerDragEnded() override { ++dragEnds; }
};

TEST(PlayerLink, OnlyChannelJointsReachTheView) {
    View view;
    playerLink().setActiveView(&view);
    struct Case {
        int joint;
        bool answer;
    };
    for (const Case c : {Case{.joint = 0, .answer = true}, Case{.joint = 17, .answer = true},
                         Case{.joint = 18, .answer = true}, Case{.joint = 23, .answer = true},
                         Case{.joint = -1, .answer = false}, Case{.joint = -1000, .answer = false}}) {
        SCOPED_TRACE(c.joint);
        EXPECT_EQ(CPlayerLink::jointNotify(nullptr, c.joint, 5), c.answer);
    }
    EXPECT_EQ(view.joints, (std::vector<std::pair<int, int>>{{0, 5}, {17, 5}}));
    playerLink().forgetView(&view);
    EXPECT_FALSE(CPlayerLink::jointNotify(nullptr, 3, 5));  // no active view
}

TEST(PlayerLink, AReleaseInThePlayerEndsTheActiveViewsDrag) {
    View view;
    playerLink().onViewerMouseReleased();  // no active view: nothing to end
    playerLink().setActiveView(&view);
    playerLink().onViewerMouseReleased();
    EXPECT_EQ(view.dragEnds, 1);
    playerLink().forgetView(&view);
}

}  // namespace
}  // namespace rova
