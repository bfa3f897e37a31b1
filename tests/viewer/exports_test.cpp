// The exported interface: the message dispatch table, joint values, selection
// and visibility, and the life of a context.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <limits>

#include "scene.h"
#include "viewer_fixture.h"

namespace rova::viewer::test {
namespace {

class ExportsTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        attach();
    }
    bool highlighted(std::string_view name) const {
        const rm::Frame* f = frame(name);
        return f && f->materialMode() == rm::MaterialMode::FromFrame && f->color() == kSelectionColor;
    }
    bool grey(std::string_view name) const {
        const rm::Frame* f = frame(name);
        return f && f->materialMode() == rm::MaterialMode::FromFrame && f->color() == kDisabledColor;
    }
};

TEST(LibraryTest, ExportsTheEighteenFunctionsByTheirPlainNames) {
    void* library = dlopen(ROVA_VIRTROVA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(library) << dlerror();
    for (const char* name :
         {"Create", "Attach", "Destroy", "SetCursor", "SetNotifyProc", "HandleMessages", "HandleInput", "HandleSize",
          "HandleActivate", "HandlePaint", "Render", "GetDevice2", "GetJoints", "SetJoints", "SelectJoint",
          "BeginMultiJoint", "EndMultiJoint", "SetJointsVisible"}) {
        EXPECT_TRUE(dlsym(library, name)) << name;
    }
    // The library's own functions stay inside it.
    EXPECT_FALSE(dlsym(library, "_ZN4rova6viewer8setJointER13ViewerContextii"));
    dlclose(library);
}

TEST_F(ExportsTest, DispatchTable) {
    const auto size = at(200, 150);
    std::int32_t result = 77;
    EXPECT_FALSE(send(VR_WM_SIZE, 0, size, &result));
    EXPECT_EQ(context->viewport->width(), 200);
    EXPECT_FALSE(send(VR_WM_ACTIVATE, VR_WA_ACTIVE, 0, &result));
    EXPECT_EQ(result, 77);

    const int presents = window.presents;
    EXPECT_TRUE(send(VR_WM_PAINT, 0, 0, &result));
    EXPECT_EQ(window.presents, presents + 1);
    EXPECT_EQ(result, 77);

    for (std::uint32_t message : {VR_WM_KEYDOWN, VR_WM_KEYUP, VR_WM_MOUSEMOVE, VR_WM_LBUTTONDOWN, VR_WM_LBUTTONUP,
                                  VR_WM_RBUTTONDOWN, VR_WM_RBUTTONUP}) {
        result = 77;
        EXPECT_TRUE(send(message, 0, at(1, 1), &result)) << message;
        EXPECT_EQ(result, 0) << message;
    }
    EXPECT_EQ(window.captures, 2);

    // A double click's second press does not pick; unknown messages pass.
    const int captures = window.captures, invalidations = window.invalidations;
    for (std::uint32_t message : {std::uint32_t{VR_WM_LBUTTONDBLCLK}, 0x0010u, 0x0206u}) {
        result = 77;
        EXPECT_FALSE(send(message, VR_MK_LBUTTON, at(100, 70), &result)) << message;
        EXPECT_EQ(result, 77);
    }
    EXPECT_EQ(window.captures, captures);
    EXPECT_EQ(window.invalidations, invalidations);
    EXPECT_EQ(context->selectedFrame, nullptr);

    EXPECT_FALSE(HandleMessages(nullptr, &window.host, VR_WM_PAINT, 0, 0, &result));
    EXPECT_TRUE(window.quitCodes.empty());
}

TEST_F(ExportsTest, FailedResizeEndsTheHostsLoop) {
    rm::failCall(rm::Call::CreateViewport, rm::kErrGeneric);
    EXPECT_FALSE(send(VR_WM_SIZE, 0, at(100, 100)));
    EXPECT_EQ(window.quitCodes, std::vector<int>{1});
    EXPECT_FALSE(Render(context));                    // no viewport left to draw
    EXPECT_FALSE(send(VR_WM_SIZE, 0, at(120, 100)));  // the next resize makes one again
    EXPECT_TRUE(Render(context));
    EXPECT_EQ(window.quitCodes.size(), 1u);
}

TEST_F(ExportsTest, SetJointsCountsChangesAndRepaintsOnlyThen) {
    std::int32_t values[kViewerJointCount];
    JointRange all{0, kViewerJointCount, values};
    GetJoints(context, &all);
    EXPECT_TRUE(std::equal(values, values + kViewerJointCount, kRest));

    int invalidations = window.invalidations;
    EXPECT_EQ(SetJoints(context, &all), 0);
    EXPECT_EQ(window.invalidations, invalidations);

    values[3] = 0;
    EXPECT_EQ(SetJoints(context, &all), 1);
    EXPECT_EQ(window.invalidations, invalidations + 1);
    EXPECT_EQ(joint(3), 0);

    std::int32_t three[] = {10, 20, -15};  // joints 1, 2 change; 3 goes back to rest
    const JointRange some{1, 3, three};
    EXPECT_EQ(SetJoints(context, &some), 3);
    std::int32_t read[3] = {};
    const JointRange back{1, 3, read};
    GetJoints(context, &back);
    EXPECT_TRUE(std::equal(read, read + 3, three));

    // Joints outside 0..23 are skipped, values unclamped.
    std::int32_t edge[] = {1, std::numeric_limits<std::int32_t>::max(), 2};
    const JointRange over{23, 3, edge};
    EXPECT_EQ(SetJoints(context, &over), 1);
    EXPECT_EQ(joint(23), 1);
    const JointRange under{-1, 2, edge};
    EXPECT_EQ(SetJoints(context, &under), 1);
    EXPECT_EQ(joint(0), std::numeric_limits<std::int32_t>::max());
}

TEST_F(ExportsTest, SingleSelectionHighlightsAWholeSubtree) {
    SelectJoint(context, 0);
    for (const char* name : {"frm-Neck", "frm-Head", "frm-Jaw", "frm-cyl6", "frm-extru8"}) {
        EXPECT_TRUE(highlighted(name)) << name;
    }
    EXPECT_FALSE(highlighted("ROVA"));
    EXPECT_FALSE(highlighted("frm-FL_Arm"));
    SelectJoint(context, 1);
    EXPECT_TRUE(highlighted("frm-Head"));
    EXPECT_TRUE(highlighted("frm-Jaw"));
    EXPECT_FALSE(highlighted("frm-Neck"));
    SelectJoint(context, 2);  // the same frame
    EXPECT_TRUE(highlighted("frm-Head"));
    EXPECT_EQ(context->selectedFrame.get(), frame("frm-Head"));
    SelectJoint(context, 7);
    EXPECT_FALSE(highlighted("frm-Head"));
    EXPECT_TRUE(highlighted("frm-FL_Nails"));
    const int invalidations = window.invalidations;
    SelectJoint(context, -1);
    EXPECT_FALSE(highlighted("frm-FL_Arm"));
    EXPECT_EQ(context->selectedFrame, nullptr);
    EXPECT_EQ(window.invalidations, invalidations + 1);
}

TEST_F(ExportsTest, MultiJointHighlightsStayAfterTheEnd) {
    SelectJoint(context, 0);
    SetJointsVisible(context, 9, 1, false);
    BeginMultiJoint(context);
    EXPECT_FALSE(highlighted("frm-Neck"));
    EXPECT_FALSE(grey("frm-FL_Forearm"));  // the grey of hidden joints ends too
    SelectJoint(context, 4);
    SelectJoint(context, 10);
    EXPECT_EQ(context->selectedFrame, nullptr);
    EndMultiJoint(context);
    EXPECT_TRUE(highlighted("frm-FR_Arm"));
    EXPECT_TRUE(highlighted("frm-BR_Nails"));
    SelectJoint(context, -1);  // nothing selected to clear
    EXPECT_TRUE(highlighted("frm-FR_Arm"));
    EXPECT_TRUE(highlighted("frm-BR_Thigh"));
    SelectJoint(context, 0);  // single mode again
    EXPECT_TRUE(highlighted("frm-Neck"));
    EXPECT_TRUE(highlighted("frm-FR_Arm"));
}

TEST_F(ExportsTest, HiddenJointsGoToZeroInGreyAndComeBack) {
    const int invalidations = window.invalidations;
    EXPECT_TRUE(SetJointsVisible(context, 0, 18, false));
    EXPECT_EQ(window.invalidations, invalidations);
    for (int j = 0; j < 18; ++j) EXPECT_EQ(joint(j), 0) << j;
    EXPECT_EQ(joint(18), 45);
    for (const char* name :
         {"frm-Neck", "frm-Head", "frm-Jaw", "frm-extru8", "frm-FR_Arm", "frm-BL_Nails", "frm-cyl1", "frm-cyl3"}) {
        EXPECT_TRUE(grey(name)) << name;
    }
    EXPECT_FALSE(grey("ROVA"));
    EXPECT_FALSE(grey("frm-sphere2"));

    EXPECT_TRUE(SetJointsVisible(context, 16, 2, true));
    EXPECT_EQ(frame("frm-cyl3")->materialMode(), rm::MaterialMode::FromMesh);
    EXPECT_TRUE(grey("frm-Neck"));
    EXPECT_EQ(joint(16), 0);
    SetJointsVisible(context, 0, 16, true);
    EXPECT_EQ(frame("frm-BL_Nails")->materialMode(), rm::MaterialMode::FromMesh);
}

TEST(LifeTest, ContextThatNeverAttachedIsSafe) {
    ViewerContext* context = Create();
    ASSERT_TRUE(context);
    EXPECT_FALSE(Render(context));
    EXPECT_EQ(GetDevice2(context), nullptr);
    EXPECT_TRUE(HandleSize(context, at(100, 100)));
    HandleActivate(context, VR_WA_ACTIVE);
    PaintRecord record{};
    record.dc = reinterpret_cast<const HostWindow*>(&record);
    HandlePaint(context, &record);
    EXPECT_EQ(record.dc, nullptr);
    std::int32_t value = 5;
    const JointRange range{3, 1, &value};
    EXPECT_EQ(SetJoints(context, &range), 1);  // stored; no window to repaint
    SelectJoint(context, 3);
    BeginMultiJoint(context);
    SelectJoint(context, 3);
    EndMultiJoint(context);
    SetJointsVisible(context, 0, 24, false);
    Destroy(context);
    Destroy(nullptr);
}

TEST(LifeTest, CreateFailsWhenThePlatformCannot) {
    rm::failCall(rm::Call::CreateRoot, rm::kErrGeneric);
    EXPECT_EQ(Create(), nullptr);
    rm::clearFailures();
}

}  // namespace
}  // namespace rova::viewer::test
