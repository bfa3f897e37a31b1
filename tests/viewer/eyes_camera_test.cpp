// The eye lamps and the orbiting camera: what shows at the eyes for each LED
// state, the exports' refusals, and the camera's mouse input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "camera.h"
#include "error_text.h"
#include "eyes.h"
#include "viewer_fixture.h"

namespace rova::viewer::test {
namespace {

constexpr std::uint32_t kGreen = rm::packColor(0, 255, 0);
constexpr std::uint32_t kRed = rm::packColor(255, 0, 0);

class EyesCameraTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        attach();
    }

    std::vector<std::uint32_t> paint() {
        EXPECT_TRUE(send(VR_WM_PAINT));
        return window.picture;
    }
    // The pixel where the middle of an eye's lamp shows.
    Pixel eyePixel(int eye) const {
        return pixelOfPoint(frame("frm-Head")->worldTransform().point(eyeLampFace(eye)));
    }
    std::uint32_t eyeColour(int eye) {
        paint();
        const Pixel p = eyePixel(eye);
        return window.pixel(p.x, p.y);
    }
    bool camera(std::uint32_t message, std::uintptr_t wParam, int x, int y) {
        return VirtRova_HandleCameraInput(context, &window.host, message, wParam, at(x, y));
    }
    // A point of the window where nothing of the model shows.
    static constexpr int kEmptyX = 10, kEmptyY = 10;
};

TEST_F(EyesCameraTest, EachLedStateLightsItsEyesInThePanesColours) {
    const struct {
        std::int32_t state;
        bool green, red;
    } table[] = {{VIRTROVA_EYES_GREEN, true, false},
                 {VIRTROVA_EYES_RED, false, true},
                 {VIRTROVA_EYES_BOTH, true, true},
                 {VIRTROVA_EYES_OFF, false, false}};
    for (const auto& row : table) {
        ASSERT_EQ(VirtRova_SetEyes(context, row.state), VIRTROVA_OK);
        const std::uint32_t left = eyeColour(0), right = eyeColour(1);
        const int invalidations = window.invalidations;
        ASSERT_EQ(VirtRova_SetEyes(context, row.state), VIRTROVA_OK);
        EXPECT_EQ(window.invalidations, invalidations) << "the same state again repaints nothing";
        EXPECT_EQ(left == kGreen, row.green) << row.state;
        EXPECT_EQ(right == kRed, row.red) << row.state;
        std::int32_t shown = -1;
        EXPECT_EQ(VirtRova_GetEyes(context, &shown), VIRTROVA_OK);
        EXPECT_EQ(shown, row.state);
    }
}

TEST_F(EyesCameraTest, DarkEyesLeaveThePictureAsItWasWithoutLamps) {
    const auto before = paint();
    for (std::uint32_t c : before) {
        ASSERT_NE(c, kGreen);
        ASSERT_NE(c, kRed);
    }
    VirtRova_SetEyes(context, VIRTROVA_EYES_BOTH);
    EXPECT_NE(paint(), before);
    VirtRova_SetEyes(context, VIRTROVA_EYES_OFF);
    EXPECT_EQ(paint(), before);
}

TEST_F(EyesCameraTest, LampsFollowTheHeadAndKeepTheirColourWhenItIsSelected) {
    VirtRova_SetEyes(context, VIRTROVA_EYES_BOTH);
    std::int32_t turned = 40;
    const JointRange range{1, 1, &turned};
    SetJoints(context, &range);
    SelectJoint(context, 1);
    EXPECT_EQ(eyeColour(0), kGreen);
    EXPECT_EQ(eyeColour(1), kRed);
}

TEST(EyesCameraErrorsTest, ExportsRefuseBadArgumentsWithTextsOfTheirOwn) {
    resetInputState();
    ViewerContext* unattached = Create();
    ASSERT_TRUE(unattached);
    float f = 0;
    std::int32_t i = 0;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::int32_t got, expected;
    } table[] = {
        {"eyes without a viewer", VirtRova_SetEyes(nullptr, 1), VIRTROVA_E_NO_VIEWER},
        {"eyes before attach", VirtRova_SetEyes(unattached, 1), VIRTROVA_E_NOT_ATTACHED},
        {"get eyes without a viewer", VirtRova_GetEyes(nullptr, &i), VIRTROVA_E_NO_VIEWER},
        {"get eyes into nothing", VirtRova_GetEyes(unattached, nullptr), VIRTROVA_E_NULL_POINTER},
        {"camera without a viewer", VirtRova_SetCamera(nullptr, 0, 0, 50), VIRTROVA_E_NO_VIEWER},
        {"camera before attach", VirtRova_SetCamera(unattached, 0, 0, 50), VIRTROVA_E_NOT_ATTACHED},
        {"target before attach", VirtRova_SetCameraTarget(unattached, 0, 0, 0), VIRTROVA_E_NOT_ATTACHED},
        {"reset before attach", VirtRova_ResetCamera(unattached), VIRTROVA_E_NOT_ATTACHED},
        {"reset without a viewer", VirtRova_ResetCamera(nullptr), VIRTROVA_E_NO_VIEWER},
        {"get camera into nothing", VirtRova_GetCamera(unattached, &f, nullptr, &f), VIRTROVA_E_NULL_POINTER},
        {"get target into nothing", VirtRova_GetCameraTarget(unattached, &f, &f, nullptr), VIRTROVA_E_NULL_POINTER},
        {"get target without a viewer", VirtRova_GetCameraTarget(nullptr, &f, &f, &f), VIRTROVA_E_NO_VIEWER},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.got, row.expected) << row.what;
        EXPECT_STRNE(VirtRova_ErrorText(row.got), "Unrecognized error value.") << row.what;
    }
    EXPECT_FALSE(VirtRova_HandleCameraInput(unattached, nullptr, VR_WM_MOUSEWHEEL, 120u << 16, 0));
    Destroy(unattached);

    FakeWindow window;
    ViewerContext* viewer = Create();
    ASSERT_TRUE(Attach(viewer, &window.host));
    const struct {
        const char* what;
        std::int32_t got, expected;
    } attached[] = {
        {"eye state -1", VirtRova_SetEyes(viewer, -1), VIRTROVA_E_BAD_EYES},
        {"eye state 4", VirtRova_SetEyes(viewer, 4), VIRTROVA_E_BAD_EYES},
        {"yaw NaN", VirtRova_SetCamera(viewer, nan, 0, 50), VIRTROVA_E_BAD_YAW},
        {"yaw infinite", VirtRova_SetCamera(viewer, inf, 0, 50), VIRTROVA_E_BAD_YAW},
        {"pitch 90", VirtRova_SetCamera(viewer, 0, 90, 50), VIRTROVA_E_BAD_PITCH},
        {"pitch NaN", VirtRova_SetCamera(viewer, 0, nan, 50), VIRTROVA_E_BAD_PITCH},
        {"distance 0", VirtRova_SetCamera(viewer, 0, 0, 0), VIRTROVA_E_BAD_DISTANCE},
        {"distance 1001", VirtRova_SetCamera(viewer, 0, 0, 1001), VIRTROVA_E_BAD_DISTANCE},
        {"target NaN", VirtRova_SetCameraTarget(viewer, 0, nan, 0), VIRTROVA_E_BAD_TARGET},
        {"target infinite", VirtRova_SetCameraTarget(viewer, inf, 0, 0), VIRTROVA_E_BAD_TARGET},
    };
    for (const auto& row : attached) {
        EXPECT_EQ(row.got, row.expected) << row.what;
        EXPECT_STRNE(VirtRova_ErrorText(row.got), "Unrecognized error value.") << row.what;
    }
    // A refused camera leaves the camera where it was.
    float yaw = 1, pitch = 1, distance = 1;
    ASSERT_EQ(VirtRova_GetCamera(viewer, &yaw, &pitch, &distance), VIRTROVA_OK);
    EXPECT_EQ(yaw, 0.0f);
    EXPECT_EQ(pitch, 0.0f);
    EXPECT_EQ(distance, 50.0f);
    EXPECT_STREQ(VirtRova_ErrorText(VIRTROVA_OK), "No error.");
    Destroy(viewer);
    resetInputState();
}

TEST_F(EyesCameraTest, TheDefaultCameraIsTheNewScenesAndResetRestoresThePicture) {
    const rm::Matrix fresh = context->camera->transform();
    const auto before = paint();
    ASSERT_EQ(VirtRova_ResetCamera(context), VIRTROVA_OK);
    EXPECT_EQ(context->camera->transform(), fresh);
    EXPECT_EQ(paint(), before);

    const struct {
        const char* what;
        float yaw, pitch, distance;
    } moves[] = {{"orbit", 60, 20, 50}, {"look down", 0, 45, 50}, {"zoom in", 0, 0, 30}, {"zoom out", 0, 0, 90}};
    for (const auto& move : moves) {
        ASSERT_EQ(VirtRova_SetCamera(context, move.yaw, move.pitch, move.distance), VIRTROVA_OK);
        EXPECT_NE(paint(), before) << move.what;
        ASSERT_EQ(VirtRova_ResetCamera(context), VIRTROVA_OK);
        EXPECT_EQ(paint(), before) << move.what;
    }
    ASSERT_EQ(VirtRova_SetCameraTarget(context, 5, 0, 50), VIRTROVA_OK);
    EXPECT_NE(paint(), before);
    ASSERT_EQ(VirtRova_ResetCamera(context), VIRTROVA_OK);
    EXPECT_EQ(paint(), before);
}

TEST_F(EyesCameraTest, ZoomingInMakesTheModelLarger) {
    auto lit = [](const std::vector<std::uint32_t>& picture) {
        long n = 0;
        for (std::uint32_t c : picture) n += c != rm::packColor(0, 0, 0);
        return n;
    };
    const long normal = lit(paint());
    VirtRova_SetCamera(context, 0, 0, 35);
    EXPECT_GT(lit(paint()), normal * 3 / 2);
}

TEST_F(EyesCameraTest, MouseOrbitsPansZoomsAndADoubleClickOnEmptySpaceResets) {
    const auto before = paint();
    float yaw, pitch, distance, x, y, z;

    // Middle drag: orbit.
    EXPECT_TRUE(camera(VR_WM_MBUTTONDOWN, VR_MK_MBUTTON, 150, 150));
    EXPECT_TRUE(camera(VR_WM_MOUSEMOVE, VR_MK_MBUTTON, 170, 140));
    EXPECT_TRUE(camera(VR_WM_MBUTTONUP, 0, 170, 140));
    VirtRova_GetCamera(context, &yaw, &pitch, &distance);
    EXPECT_EQ(yaw, -10.0f);
    EXPECT_EQ(pitch, -5.0f);
    EXPECT_NE(paint(), before);
    EXPECT_FALSE(camera(VR_WM_MOUSEMOVE, 0, 180, 140)) << "no drag after the release";

    // Shift + middle drag: pan, the target moves and the orbit stays.
    EXPECT_TRUE(camera(VR_WM_MBUTTONDOWN, VR_MK_MBUTTON | VR_MK_SHIFT, 150, 150));
    EXPECT_TRUE(camera(VR_WM_MOUSEMOVE, VR_MK_MBUTTON | VR_MK_SHIFT, 160, 150));
    EXPECT_TRUE(camera(VR_WM_MBUTTONUP, VR_MK_SHIFT, 160, 150));
    VirtRova_GetCameraTarget(context, &x, &y, &z);
    EXPECT_NE(x, 0.0f);
    VirtRova_GetCamera(context, &yaw, &pitch, &distance);
    EXPECT_EQ(yaw, -10.0f);

    // Wheel forward: closer.
    EXPECT_TRUE(camera(VR_WM_MOUSEWHEEL, std::uintptr_t{120} << 16, 150, 150));
    VirtRova_GetCamera(context, &yaw, &pitch, &distance);
    EXPECT_FLOAT_EQ(distance, 45.0f);

    // A double click on the model is not the camera's; on empty space it resets.
    const Pixel body = pixelShowing("ROVA");
    EXPECT_FALSE(camera(VR_WM_LBUTTONDBLCLK, VR_MK_LBUTTON, body.x, body.y));
    EXPECT_TRUE(camera(VR_WM_LBUTTONDBLCLK, VR_MK_LBUTTON, kEmptyX, kEmptyY));
    EXPECT_EQ(paint(), before);
}

TEST_F(EyesCameraTest, LeftDragOnEmptySpaceOrbitsAndOnTheModelStillPosesAJoint) {
    SetNotifyProc(context, recordProposal);
    // On empty space: the camera's.
    EXPECT_TRUE(camera(VR_WM_LBUTTONDOWN, VR_MK_LBUTTON, kEmptyX, kEmptyY));
    EXPECT_TRUE(camera(VR_WM_MOUSEMOVE, VR_MK_LBUTTON, kEmptyX + 4, kEmptyY));
    EXPECT_TRUE(camera(VR_WM_LBUTTONUP, 0, kEmptyX + 4, kEmptyY));
    float yaw, pitch, distance;
    VirtRova_GetCamera(context, &yaw, &pitch, &distance);
    EXPECT_EQ(yaw, -2.0f);
    VirtRova_ResetCamera(context);

    // On the forearm: the joint's, exactly as before.
    const Pixel p = pixelOf("frm-FL_Forearm");
    EXPECT_FALSE(camera(VR_WM_LBUTTONDOWN, VR_MK_LBUTTON, p.x, p.y));
    click(p.x, p.y);
    EXPECT_FALSE(camera(VR_WM_MOUSEMOVE, VR_MK_LBUTTON, p.x + 7, p.y));
    drag(p.x + 7, p.y);
    EXPECT_FALSE(camera(VR_WM_LBUTTONUP, 0, p.x + 7, p.y));
    release(p.x + 7, p.y);
    ASSERT_EQ(g_proposals.size(), 1u);
    EXPECT_EQ(g_proposals[0].joint, 9);
    EXPECT_EQ(joint(9), 57);
    VirtRova_GetCamera(context, &yaw, &pitch, &distance);
    EXPECT_EQ(yaw, 0.0f);

    // With Alt held a drag on the model turns the camera, not the joint.
    window.keys[VR_VK_MENU] = true;
    EXPECT_TRUE(camera(VR_WM_LBUTTONDOWN, VR_MK_LBUTTON, p.x, p.y));
    EXPECT_TRUE(camera(VR_WM_MOUSEMOVE, VR_MK_LBUTTON, p.x + 7, p.y));
    EXPECT_TRUE(camera(VR_WM_LBUTTONUP, 0, p.x + 7, p.y));
    EXPECT_EQ(joint(9), 57);
    EXPECT_EQ(g_proposals.size(), 1u);
}

TEST_F(EyesCameraTest, CameraKeysCarryTheOrbitsTargetAlong) {
    send(VR_WM_KEYDOWN, VR_VK_ADD);
    float x, y, z;
    VirtRova_GetCameraTarget(context, &x, &y, &z);
    EXPECT_FLOAT_EQ(z, 51.0f);
    // Orbiting now keeps the camera at the distance from the moved target.
    VirtRova_SetCamera(context, 0, 0, 50);
    rm::Vec3 position;
    context->camera->getPosition(context->scene.get(), position);
    EXPECT_FLOAT_EQ(position.z, 1.0f);
}

}  // namespace
}  // namespace rova::viewer::test
