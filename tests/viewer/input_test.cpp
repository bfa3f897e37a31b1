// Mouse and keyboard on an attached viewer: what a click picks, what drags do
// to joints and to the whole model, and the camera keys.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "joints.h"
#include "scene.h"
#include "viewer_fixture.h"

namespace rova::viewer::test {
namespace {

class InputTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        attach();
        SetNotifyProc(context, recordProposal);
    }

    // The model seen from behind, so that the tail faces the camera.
    void turnModelAround() { model()->setOrientation(context->scene.get(), {0, 0, -1}, {0, 1, 0}); }

    std::string selectedName() const { return context->selectedFrame ? context->selectedFrame->name() : "(none)"; }
};

TEST(DragDeltaTest, PixelsBecomeWholeDegrees) {
    const struct { int pixels, degrees; } table[] = {{1, 1}, {2, 2}, {5, 5}, {7, 8}, {10, 11}, {14, 16}, {20, 22}};
    for (const auto& row : table) {
        // A move right or down of n pixels turns by -n * 0.02 radians.
        EXPECT_EQ(dragDelta(static_cast<float>(-row.pixels) * kTurnPerPixel), row.degrees) << row.pixels;
        EXPECT_EQ(dragDelta(static_cast<float>(row.pixels) * kTurnPerPixel), -row.degrees) << row.pixels;
    }
}

TEST_F(InputTest, ClicksSelectTheNearestJointFrameAboveThePart) {
    const struct {
        const char* clicked;
        const char* selected;
        int joint;  // the joint a drag then moves, -1: the whole model turns
        bool fromBehind;
    } table[] = {
        {.clicked = "frm-FL_Forearm", .selected = "frm-FL_Forearm", .joint = 9, .fromBehind = false},
        {.clicked = "frm-FL_Foot", .selected = "frm-FL_Forearm", .joint = 9, .fromBehind = false},
        {.clicked = "frm-FR_Paw", .selected = "frm-FR_Paw", .joint = 18, .fromBehind = false},
        {.clicked = "frm-Head", .selected = "frm-Head", .joint = 1, .fromBehind = false},
        {.clicked = "ROVA", .selected = "", .joint = -1, .fromBehind = false},             // the body: the model frame, the whole model
        {.clicked = "frm-cyl3", .selected = "frm-cyl1", .joint = 16, .fromBehind = true},  // the tail's tip: the tail joint
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.clicked);
        if (row.fromBehind) turnModelAround();
        const Pixel p = pixelShowing(row.clicked);
        click(p.x, p.y);
        ASSERT_TRUE(context->selectedFrame);
        EXPECT_EQ(context->selectedFrame->name(), row.selected);
        if (row.joint < 0) {
            EXPECT_EQ(context->selectedFrame.get(), model());
        }
        EXPECT_EQ(context->selectedFrame->materialMode(), rm::MaterialMode::FromFrame);
        EXPECT_EQ(context->selectedFrame->color(), kSelectionColor);

        const rm::Vec3 before = frame("ROVA")->worldTransform().z;
        g_proposals.clear();
        drag(p.x, p.y - 3);
        if (row.joint >= 0) {
            ASSERT_EQ(g_proposals.size(), 1u);
            EXPECT_EQ(g_proposals[0].joint, row.joint);
        } else {
            EXPECT_TRUE(g_proposals.empty());
            EXPECT_NE(frame("ROVA")->worldTransform().z, before);
        }
        release(p.x, p.y - 3);
    }
}

TEST_F(InputTest, PickFindsThePartWithItsFramePath) {
    const Pixel p = pixelOf("frm-FL_Forearm");
    std::vector<rm::PickHit> hits;
    ASSERT_EQ(context->viewport->pick(p.x, p.y, hits), rm::kOk);
    ASSERT_FALSE(hits.empty());
    std::vector<rm::Frame*> path;
    for (const auto& f : hits[0].path) path.push_back(f.get());
    EXPECT_EQ(path, (std::vector<rm::Frame*>{context->scene.get(), model(), frame("ROVA"), frame("frm-FL_Arm"),
                                             frame("frm-FL_Forearm")}));
    for (std::size_t i = 1; i < hits.size(); ++i) EXPECT_LE(hits[i - 1].depth, hits[i].depth);
    // The hit lies on the ray through the pixel, where the picture shows it.
    EXPECT_EQ(pixelOfPoint(hits[0].position).x, p.x);
    EXPECT_EQ(pixelOfPoint(hits[0].position).y, p.y);
}

TEST_F(InputTest, EmptySpaceSelectsNothingAndTheRightButtonTheWholeModel) {
    SelectJoint(context, 0);
    click(3, 3);
    EXPECT_EQ(context->selectedFrame, nullptr);
    EXPECT_EQ(frame("frm-Neck")->materialMode(), rm::MaterialMode::FromMesh);
    drag(20, 20);
    EXPECT_TRUE(g_proposals.empty());
    const Pixel p = pixelOf("frm-FL_Forearm");
    click(p.x, p.y, true);
    EXPECT_EQ(context->selectedFrame.get(), model());
}

TEST_F(InputTest, SevenPixelsRightOnTheForearmProposes57) {
    const Pixel p = pixelOf("frm-FL_Forearm");
    for (bool accept : {false, true}) {
        g_accept = accept;
        g_proposals.clear();
        click(p.x, p.y);
        drag(p.x + 7, p.y);
        ASSERT_EQ(g_proposals.size(), 1u);
        EXPECT_EQ(g_proposals[0].joint, 9);
        EXPECT_EQ(g_proposals[0].value, 57);
        EXPECT_EQ(joint(9), accept ? 57 : 65);
        release(p.x + 7, p.y);
    }
}

TEST_F(InputTest, WithoutCallbackDragsApplyAndClicksFindNoJoints) {
    const Pixel p = pixelOf("frm-FL_Forearm");
    SetNotifyProc(context, nullptr);
    click(p.x, p.y);
    EXPECT_EQ(context->selectedFrame.get(), model());
    drag(p.x + 7, p.y);
    EXPECT_EQ(joint(9), 65);
}

TEST_F(InputTest, DragsStopAtTheLimits) {
    const Pixel p = pixelOf("frm-FL_Forearm");
    click(p.x, p.y);
    drag(p.x - 80, p.y);  // +91 degrees asked
    EXPECT_EQ(joint(9), 150);
    drag(p.x + 80, p.y);  // -183 asked
    EXPECT_EQ(joint(9), -27);
    EXPECT_EQ(g_proposals.back().value, -27);
}

TEST_F(InputTest, ShiftDragsThePairsSecondJoint) {
    const Pixel p = pixelOf("frm-Head");
    click(p.x, p.y);
    drag(p.x - 5, p.y);
    EXPECT_EQ(joint(1), 5);
    window.keys[VR_VK_SHIFT] = true;
    drag(p.x - 10, p.y);
    EXPECT_EQ(joint(2), 5);
    EXPECT_EQ(joint(1), 5);
    EXPECT_EQ(context->jointFrames[1], context->jointFrames[2]);
}

TEST_F(InputTest, TailUpAndDownGoesTheOtherWay) {
    turnModelAround();
    const Pixel p = pixelOf("frm-cyl3");
    click(p.x, p.y);
    drag(p.x, p.y - 3);  // up: other joints rise, the tail's goes down
    EXPECT_EQ(joint(16), -3);
    drag(p.x, p.y + 3);
    EXPECT_EQ(joint(16), 3);
    window.keys[VR_VK_SHIFT] = true;  // sideways: the normal sense
    drag(p.x - 3, p.y + 3);
    EXPECT_EQ(joint(17), 3);
}

TEST_F(InputTest, ModelTurnsAddUpAboutTheSceneAxes) {
    SetNotifyProc(context, nullptr);
    const Pixel p = pixelOf("ROVA");
    click(p.x, p.y);
    rm::Vec3 direction, up;
    auto orientation = [&] { model()->getOrientation(context->scene.get(), direction, up); };

    drag(p.x + 10, p.y);  // -0.2 radians about Y
    drag(p.x + 20, p.y);  // another -0.2
    orientation();
    EXPECT_NEAR(direction.x, std::sin(-0.4f), 1e-4f);
    EXPECT_NEAR(direction.z, std::cos(-0.4f), 1e-4f);
    EXPECT_NEAR(up.y, 1.0f, 1e-5f);

    // A joint change afterwards does not undo the turn.
    std::int32_t value = 30;
    const JointRange range{0, 1, &value};
    SetJoints(context, &range);
    orientation();
    EXPECT_NEAR(direction.x, std::sin(-0.4f), 1e-4f);

    // Vertical: about X; with Shift: about Z, whatever the direction.
    model()->setOrientation(context->scene.get(), {0, 0, 1}, {0, 1, 0});
    drag(p.x + 20, p.y + 10);  // vertical: -0.2 about X
    orientation();
    EXPECT_NEAR(up.z, std::sin(-0.2f), 1e-4f);
    model()->setOrientation(context->scene.get(), {0, 0, 1}, {0, 1, 0});
    window.keys[VR_VK_SHIFT] = true;
    drag(p.x + 30, p.y + 10);  // horizontal, Shift held: -0.2 about Z
    orientation();
    EXPECT_NEAR(up.x, std::sin(0.2f), 1e-4f);
    EXPECT_NEAR(direction.z, 1.0f, 1e-5f);
}

TEST_F(InputTest, RightDragMovesTheModelAtItsDepth) {
    const Pixel p = pixelOf("ROVA");
    rm::Vec3 origin;
    model()->getPosition(context->scene.get(), origin);
    rm::Vec4 before;
    context->viewport->transform(before, origin);

    click(p.x, p.y, true);
    drag(p.x + 20, p.y + 10, true);
    drag(p.x + 25, p.y + 10, true);
    EXPECT_TRUE(g_proposals.empty());

    model()->getPosition(context->scene.get(), origin);
    rm::Vec4 after;
    context->viewport->transform(after, origin);
    EXPECT_NEAR(after.w, before.w, 1e-3f);  // camera-space depth
    EXPECT_NEAR(after.x / after.w - before.x / before.w, 25.0f, 1e-2f);
    EXPECT_NEAR(after.y / after.w - before.y / before.w, 10.0f, 1e-2f);
}

TEST_F(InputTest, MovesAtNegativeCoordinatesAreIgnored) {
    SetNotifyProc(context, nullptr);
    const Pixel p = pixelOf("ROVA");
    click(p.x, p.y);
    const int before = window.invalidations;
    drag(-5, p.y);
    drag(p.x, -1);
    EXPECT_EQ(window.invalidations, before);
    drag(p.x + 10, p.y);  // measured from the click, not from the ignored moves
    rm::Vec3 direction, up;
    model()->getOrientation(context->scene.get(), direction, up);
    EXPECT_NEAR(direction.x, std::sin(-0.2f), 1e-4f);
}

TEST_F(InputTest, ButtonsCaptureTheMouseAndShowTheDragCursor) {
    int dragCursor = 0;
    SetCursor(context, &dragCursor);
    window.cursor = VIRTROVA_ARROW_CURSOR;
    click(10, 10);
    EXPECT_EQ(window.captures, 1);
    EXPECT_EQ(window.cursor, &dragCursor);
    release(10, 10);
    EXPECT_EQ(window.releases, 1);
    EXPECT_EQ(window.cursor, VIRTROVA_ARROW_CURSOR);

    SetCursor(context, nullptr);  // no drag cursor: the cursor is left alone
    window.cursorsSet.clear();
    click(10, 10, true);
    release(10, 10, true);
    EXPECT_TRUE(window.cursorsSet.empty());
    EXPECT_EQ(window.releases, 2);
}

TEST_F(InputTest, CameraKeysOnlyTranslateTheCamera) {
    const struct {
        int key;
        rm::Vec3 step;
    } table[] = {{VR_VK_ADD, {0, 0, 1}},       {VR_VK_SUBTRACT, {0, 0, -1}}, {VR_VK_LEFT, {-0.25f, 0, 0}},
                 {VR_VK_RIGHT, {0.25f, 0, 0}}, {VR_VK_UP, {0, 0.25f, 0}},    {VR_VK_DOWN, {0, -0.25f, 0}}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.key);
        context->camera->setPosition(context->scene.get(), {0, 0, 0});
        const int before = window.invalidations;
        std::int32_t result = 5;
        EXPECT_TRUE(send(VR_WM_KEYDOWN, static_cast<std::uintptr_t>(row.key), 0, &result));
        EXPECT_EQ(result, 0);
        EXPECT_EQ(window.invalidations, before + 1);
        // Moved by the step, not turned.
        EXPECT_EQ(context->camera->transform(), (rm::Matrix{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, row.step}));
    }
    const int before = window.invalidations;
    send(VR_WM_KEYDOWN, 'A');
    send(VR_WM_KEYUP, VR_VK_ADD);
    EXPECT_EQ(window.invalidations, before);
}

}  // namespace
}  // namespace rova::viewer::test
