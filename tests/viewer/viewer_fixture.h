// Viewer tests' host window, and a viewer attached to it through the exported
// functions with ways to reach its parts and to find where they show.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include <string_view>

#include "VirtRova.h"
#include "context.h"
#include "input.h"
#include "platform/faults.h"
#include "report.h"

namespace rova::viewer::test {

// A host window that records what the viewer asks of it.
struct FakeWindow {
    int width = 300, height = 300;
    int invalidations = 0, captures = 0, releases = 0, destroyed = 0, presents = 0;
    std::vector<int> quitCodes;
    std::vector<std::string> messages;  // "caption|text"
    std::vector<HostCursor> cursorsSet;
    HostCursor cursor = VIRTROVA_ARROW_CURSOR;
    std::map<int, bool> keys;  // virtual keys held down
    std::vector<std::uint32_t> picture;
    int pictureWidth = 0, pictureHeight = 0;

    HostWindow host{};

    FakeWindow() {
        host.user = this;
        host.clientSize = [](void* u, std::int32_t* w, std::int32_t* h) {
            *w = self(u).width;
            *h = self(u).height;
        };
        host.present = [](void* u, const std::uint8_t* rgba, std::int32_t w, std::int32_t h, std::int32_t stride) {
            FakeWindow& s = self(u);
            ++s.presents;
            s.pictureWidth = w;
            s.pictureHeight = h;
            s.picture.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
            for (int y = 0; y < h; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(rgba + static_cast<std::size_t>(y) *
                                                                                    static_cast<std::size_t>(stride));
                std::copy(row, row + w, s.picture.begin() + static_cast<std::ptrdiff_t>(y) * w);
            }
        };
        host.invalidate = [](void* u) { ++self(u).invalidations; };
        host.captureMouse = [](void* u) { ++self(u).captures; };
        host.releaseMouse = [](void* u) { ++self(u).releases; };
        host.setCursor = [](void* u, HostCursor c) {
            self(u).cursor = c;
            self(u).cursorsSet.push_back(c);
        };
        host.getCursor = [](void* u) { return self(u).cursor; };
        host.asyncKeyState = [](void* u, std::int32_t key) -> std::int16_t {
            auto it = self(u).keys.find(key);
            return it != self(u).keys.end() && it->second ? static_cast<std::int16_t>(-0x8000) : std::int16_t{0};
        };
        host.destroyWindow = [](void* u) { ++self(u).destroyed; };
        host.messageBox = [](void* u, const char* text, const char* caption) {
            self(u).messages.push_back(std::string(caption) + "|" + text);
        };
        host.postQuit = [](void* u, std::int32_t code) { self(u).quitCodes.push_back(code); };
    }
    FakeWindow(const FakeWindow&) = delete;
    FakeWindow& operator=(const FakeWindow&) = delete;

    static FakeWindow& self(void* u) { return *static_cast<FakeWindow*>(u); }

    std::uint32_t pixel(int x, int y) const {
        return picture[static_cast<std::size_t>(y) * static_cast<std::size_t>(pictureWidth) +
                       static_cast<std::size_t>(x)];
    }
};

inline std::intptr_t at(int x, int y) { return VIRTROVA_MAKELPARAM(x, y); }

// The joint values of the modelled pose.
inline constexpr std::int32_t kRest[kViewerJointCount] = {0,  0,   0, -15, -20, 0, 65, -20, 0, 65, -30, 0,
                                                          35, -30, 0, 35,  0,   0, 45, -45, 0, 0,  0,   0};

// A notify callback that records what it is offered and answers as told.
struct Proposal {
    int joint, value;
};
inline std::vector<Proposal> g_proposals;
inline bool g_accept = true;
inline bool recordProposal(ViewerContext*, std::int32_t joint, std::int32_t value) {
    g_proposals.push_back({joint, value});
    return g_accept;
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        rm::clearFailures();
        resetInputState();
        g_proposals.clear();
        g_accept = true;
    }
    void TearDown() override {
        if (context) Destroy(context);
        rm::clearFailures();
        resetInputState();
    }

    // Creates and attaches; the test fails unless both work.
    void attach() {
        context = Create();
        ASSERT_TRUE(context);
        ASSERT_TRUE(Attach(context, &window.host));
        ASSERT_TRUE(window.messages.empty()) << window.messages.front();
    }

    bool send(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
              std::int32_t* result = nullptr) {
        std::int32_t ignored = 0;
        return HandleMessages(context, &window.host, message, wParam, lParam, result ? result : &ignored);
    }
    void click(int x, int y, bool right = false) {
        send(right ? VR_WM_RBUTTONDOWN : VR_WM_LBUTTONDOWN, right ? VR_MK_RBUTTON : VR_MK_LBUTTON, at(x, y));
    }
    void drag(int x, int y, bool right = false) {
        send(VR_WM_MOUSEMOVE, right ? VR_MK_RBUTTON : VR_MK_LBUTTON, at(x, y));
    }
    void release(int x, int y, bool right = false) { send(right ? VR_WM_RBUTTONUP : VR_WM_LBUTTONUP, 0, at(x, y)); }

    rm::Frame* model() const { return context->model.lock().get(); }
    rm::Frame* frame(std::string_view name) const {
        rm::Frame* f = model() ? model()->find(name) : nullptr;
        EXPECT_TRUE(f) << name;
        return f;
    }
    std::int32_t joint(int j) const { return context->jointValues[static_cast<std::size_t>(j)]; }

    // The pixel where the middle of a frame's mesh shows.
    struct Pixel {
        int x, y;
    };
    Pixel pixelOf(std::string_view name) const {
        const rm::Frame* f = frame(name);
        rm::Vec3 sum{};
        int n = 0;
        for (const auto& visual : f->visuals()) {
            for (rm::Vec3 v : static_cast<const rm::Mesh&>(*visual).vertices) sum = sum + v, ++n;
        }
        const rm::Vec3 world = f->worldTransform().point(sum * (1.0f / static_cast<float>(n)));
        return pixelOfPoint(world);
    }
    // A pixel near the middle of those where the frame's own mesh is the
    // nearest thing under the mouse (searched around where its middle shows).
    Pixel pixelShowing(std::string_view name) const {
        const Pixel centre = pixelOf(name);
        long sx = 0, sy = 0, n = 0;
        std::vector<Pixel> found;
        std::vector<rm::PickHit> hits;
        for (int y = centre.y - 30; y <= centre.y + 30; ++y) {
            for (int x = centre.x - 30; x <= centre.x + 30; ++x) {
                if (context->viewport->pick(x, y, hits) == rm::kOk && !hits.empty() &&
                    hits[0].path.back()->name() == name) {
                    found.push_back({x, y});
                    sx += x, sy += y, ++n;
                }
            }
        }
        EXPECT_FALSE(found.empty()) << name << " does not show";
        if (found.empty()) return centre;
        const double mx = static_cast<double>(sx) / static_cast<double>(n), my = static_cast<double>(sy) / static_cast<double>(n);
        return *std::min_element(found.begin(), found.end(), [&](Pixel a, Pixel b) {
            return std::hypot(a.x - mx, a.y - my) < std::hypot(b.x - mx, b.y - my);
        });
    }
    Pixel pixelOfPoint(rm::Vec3 world) const {
        rm::Vec4 h;
        EXPECT_EQ(context->viewport->transform(h, world), rm::kOk);
        return {static_cast<int>(std::floor(h.x / h.w)), static_cast<int>(std::floor(h.y / h.w))};
    }

    ViewerContext* context = nullptr;
    FakeWindow window;
};

}  // namespace rova::viewer::test
