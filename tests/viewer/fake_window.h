// A host window for viewer tests: it records what the viewer asks of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "VirtRova.h"

namespace rova::viewer::test {

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

}  // namespace rova::viewer::test
