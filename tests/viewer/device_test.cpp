// Binding to the window, following its size, activation and paint, and the
// message each failing step shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "attach.h"
#include "error_text.h"
#include "viewer_fixture.h"

namespace rova::viewer::test {
namespace {

using rm::Call;

const std::string kBox = "Viewer Message|";
constexpr rm::Result kCode = rm::kErrGeneric;  // -2147467259, $80004005

class DeviceTest : public ViewerTest {};

TEST_F(DeviceTest, EachFailingAttachStepShowsItsMessages) {
    const std::string scene = kBox + "A failure occurred while creating the scene.\n\r\n";
    const std::string device = kBox + "DirectX Error: CreateDevice failed\r\n";
    const std::string model = "|Error: could not load ROVA model";
    const struct {
        Call call;
        int skip;
        std::vector<std::string> messages;
    } table[] = {
        {Call::CreateClipper, 0, {kBox + "DirectX Error: CreateClipper -2147467259 $80004005\r\n"}},
        {Call::SetWindow, 0, {kBox + "DirectX Error: SetHWnd -2147467259 $80004005\r\n"}},
        {Call::CreateDevice, 0, {kBox + "TRACE: FromClipper failed -2147467259 $80004005 Generic failure.\r\n", device}},
        {Call::CreateFrame, 0, {scene, device}},
        {Call::CreateLight, 1, {scene, device}},
        {Call::CreateViewport, 0, {kBox + "CreateViewport failed -2147467259 $80004005\r\n", device}},
        {Call::SetBack, 0, {device}},
        {Call::CreateFrame, 3, {kBox + "Failed to create XFiles parent frame\r\n", model}},  // after scene, light, camera
        {Call::Load, 0, {kBox + "Failed to load X File\r\n", model}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.messages.front());
        FakeWindow w;
        rm::failCall(row.call, kCode, row.skip);
        ViewerContext* c = Create();
        ASSERT_TRUE(c);
        EXPECT_FALSE(Attach(c, &w.host));
        EXPECT_EQ(w.messages, row.messages);
        Destroy(c);
        EXPECT_EQ(w.destroyed, row.call == Call::CreateClipper ? 0 : 1);
        rm::clearFailures();
    }
}

TEST_F(DeviceTest, AttachSetsUpViewportAndDevice) {
    window.width = 320;
    window.height = 200;
    attach();
    const rm::Viewport& v = *context->viewport;
    EXPECT_EQ(v.width(), 320);
    EXPECT_EQ(v.height(), 200);
    EXPECT_EQ(v.back(), 5000.0f);
    EXPECT_EQ(v.front(), 1.0f);
    EXPECT_EQ(v.field(), 0.5f);
    EXPECT_EQ(reinterpret_cast<rm::Device*>(GetDevice2(context)), context->device.get());
    EXPECT_FALSE(Attach(context, &window.host));  // attached once and for all
}

TEST_F(DeviceTest, ResizeRules) {
    attach();
    rm::Device* device = context->device.get();
    const rm::Viewport* viewport = context->viewport.get();

    EXPECT_TRUE(HandleSize(context, 0));           // minimised
    EXPECT_TRUE(HandleSize(context, at(0, 120)));  // minimised
    EXPECT_TRUE(HandleSize(context, at(300, 300)));
    EXPECT_EQ(context->viewport.get(), viewport);  // same size: nothing

    EXPECT_TRUE(HandleSize(context, at(200, 250)));
    EXPECT_EQ(context->device.get(), device);  // within the device: a new viewport only
    EXPECT_EQ(context->viewport->width(), 200);
    EXPECT_EQ(context->viewport->height(), 250);
    EXPECT_EQ(context->viewport->back(), 400.0f);

    device->setDither(false);
    device->setQuality(rm::kQualityFlat);
    device->setTextureQuality(1);
    device->setShades(16);
    EXPECT_TRUE(HandleSize(context, at(400, 100)));  // wider than the device: a new one
    const rm::Device& rebuilt = *context->device;
    EXPECT_EQ(rebuilt.width(), 400);
    EXPECT_EQ(rebuilt.height(), 100);
    EXPECT_FALSE(rebuilt.dither());
    EXPECT_EQ(rebuilt.quality(), rm::kQualityFlat);
    EXPECT_EQ(rebuilt.textureQuality(), 1u);
    EXPECT_EQ(rebuilt.shades(), 16u);
    EXPECT_EQ(context->viewport->width(), 400);
    EXPECT_EQ(context->viewport->back(), 400.0f);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(DeviceTest, EachFailingResizeStepShowsItsMessage) {
    const std::string viewportFailed = kBox + "A failure occurred while resizing the viewport.\n\r\n";
    const std::string rebuildFailed = kBox + "A failure occurred while rebuilding the device.\n\r\n";
    const struct {
        Call call;
        bool grow;
        std::string message;
    } table[] = {
        {.call = Call::CreateViewport, .grow = false, .message = viewportFailed},
        {.call = Call::SetBack, .grow = false, .message = viewportFailed},
        {.call = Call::CreateDevice, .grow = true, .message =
         kBox + "Creating a device from HWND failed while rebuilding device.\nGeneric failure.\r\n"},
        {.call = Call::SetDither, .grow = true, .message = rebuildFailed},
        {.call = Call::SetQuality, .grow = true, .message = rebuildFailed},
        {.call = Call::SetTextureQuality, .grow = true, .message = rebuildFailed},
        {.call = Call::SetShades, .grow = true, .message = rebuildFailed},
        {.call = Call::CreateViewport, .grow = true, .message = rebuildFailed},
        {.call = Call::SetBack, .grow = true, .message = rebuildFailed},
    };
    attach();
    int shrink = 0;
    for (const auto& row : table) {
        SCOPED_TRACE(row.message);
        window.messages.clear();
        const int width = context->device->width() + (row.grow ? 10 : -10 * ++shrink);
        rm::failCall(row.call, kCode);
        EXPECT_FALSE(HandleSize(context, at(width, 300)));
        EXPECT_EQ(window.messages, std::vector<std::string>{row.message});
        rm::clearFailures();
        // The next resize makes what is missing.
        EXPECT_TRUE(HandleSize(context, at(width, 300)));
        EXPECT_TRUE(Render(context));
        EXPECT_EQ(context->viewport->width(), width);
    }
}

TEST_F(DeviceTest, ActivateAndPaintFailures) {
    attach();
    const struct {
        Call call;
        bool paint;
        std::string message;
    } table[] = {
        {.call = Call::QueryWinDevice, .paint = false, .message = kBox + "Failed to create Windows device to handle WM_ACTIVATE.\n\r\n"},
        {.call = Call::HandleActivate, .paint = false, .message = kBox + "Failed to handle WM_ACTIVATE.\n\r\n"},
        {.call = Call::QueryWinDevice, .paint = true, .message = kBox + "Failed to create Windows device to handle WM_PAINT.\n\r\n"},
        {.call = Call::HandlePaint, .paint = true, .message = kBox + "Failed to handle WM_PAINT.\n\r\n"},
    };
    for (const auto& row : table) {
        window.messages.clear();
        rm::failCall(row.call, kCode);
        if (row.paint) {
            SelectJoint(context, 0);  // the window now waits for a paint
            HandlePaint(context, nullptr);
        } else {
            HandleActivate(context, VR_WA_ACTIVE);
        }
        EXPECT_EQ(window.messages, std::vector<std::string>{row.message});
        rm::clearFailures();
    }
}

TEST_F(DeviceTest, PaintBeginsOnlyWhenTheWindowWaitsForOne) {
    attach();
    PaintRecord record{};
    record.dc = &window.host;
    context->updatePending = false;
    HandlePaint(context, &record);
    EXPECT_EQ(record.dc, nullptr);

    SelectJoint(context, 3);
    HandlePaint(context, &record);
    EXPECT_EQ(record.dc, &window.host);
    EXPECT_EQ(record.right, 300);
    EXPECT_EQ(record.bottom, 300);
    HandlePaint(context, &record);  // painted already
    EXPECT_EQ(record.dc, nullptr);
}

TEST_F(DeviceTest, RenderFailuresAreSilent) {
    attach();
    for (Call call : {Call::Clear, Call::Render, Call::Update}) {
        rm::failCall(call, kCode);
        EXPECT_FALSE(Render(context));
        EXPECT_TRUE(Render(context));
    }
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(DeviceTest, AHostWithoutMessageBoxGetsTheMessagesOnStandardError) {
    FakeWindow w;
    w.host.messageBox = nullptr;
    rm::failCall(Call::CreateClipper, kCode);
    ViewerContext* c = Create();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Attach(c, &w.host));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Viewer Message: DirectX Error: CreateClipper -2147467259 $80004005\r\n");
    Destroy(c);
}

}  // namespace
}  // namespace rova::viewer::test
