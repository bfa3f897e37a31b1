// `rova-tool render-pose`: a viewer in an offscreen window, posed, painted and
// saved as an image.
#include "render_pose.h"

#include <array>
#include <charconv>
#include <exception>
#include <string>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string_view>
#include <utility>

#include <QImage>

#include "VirtRova.h"
#include "image_file.h"
#include "joints.h"

namespace rova::tool {
namespace {

// The window: a fixed client size, the last picture presented, messages to
// the error stream.
struct OffscreenWindow {
    int width = 300, height = 300;
    std::vector<std::uint8_t> picture;
    int pictureWidth = 0, pictureHeight = 0;
    std::ostream* err = nullptr;

    HostWindow host() {
        HostWindow w{};
        w.user = this;
        w.clientSize = [](void* user, std::int32_t* outWidth, std::int32_t* outHeight) {
            *outWidth = self(user).width;
            *outHeight = self(user).height;
        };
        w.present = [](void* user, const std::uint8_t* rgba, std::int32_t imageWidth, std::int32_t imageHeight,
                       std::int32_t stride) {
            OffscreenWindow& s = self(user);
            s.picture.resize(static_cast<std::size_t>(imageWidth) * static_cast<std::size_t>(imageHeight) * 4);
            for (int y = 0; y < imageHeight; ++y) {
                const std::uint8_t* row = rgba + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
                std::copy(row, row + 4 * imageWidth, s.picture.begin() + static_cast<std::ptrdiff_t>(y) * 4 * imageWidth);
            }
            s.pictureWidth = imageWidth;
            s.pictureHeight = imageHeight;
        };
        w.messageBox = [](void* user, const char* text, const char* caption) {
            std::string_view t(text);
            *self(user).err << caption << (*caption ? ": " : "") << t << (t.ends_with('\n') ? "" : "\n");
        };
        return w;
    }
    static OffscreenWindow& self(void* user) { return *static_cast<OffscreenWindow*>(user); }
};

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A joint index 0..23 or a joint name.
std::optional<int> parseJointIndex(std::string_view text) {
    std::optional<int> index = parseInt(text);
    if (!index) {
        const int named = viewer::findJoint(text);
        if (named >= 0) index = named;
    }
    if (!index || *index < 0 || *index >= viewer::kViewerJointCount) return std::nullopt;
    return index;
}

std::optional<std::pair<int, int>> splitPair(std::string_view text, char separator, bool jointFirst) {
    const auto at = text.find(separator);
    if (at == std::string_view::npos) return std::nullopt;
    const auto first = jointFirst ? parseJointIndex(text.substr(0, at)) : parseInt(text.substr(0, at));
    const auto second = parseInt(text.substr(at + 1));
    if (!first || !second) return std::nullopt;
    return std::pair{*first, *second};
}

std::optional<std::int32_t> parseEyes(std::string_view text) {
    if (text == "off") return VIRTROVA_EYES_OFF;
    if (text == "green") return VIRTROVA_EYES_GREEN;
    if (text == "red") return VIRTROVA_EYES_RED;
    if (text == "both") return VIRTROVA_EYES_BOTH;
    return std::nullopt;
}

// YAW,PITCH,DISTANCE: three numbers; whether they make a camera is the viewer's to say.
std::optional<std::array<float, 3>> parseCamera(std::string_view text) {
    std::array<float, 3> values{};
    for (std::size_t k = 0; k < values.size(); ++k) {
        const auto comma = k + 1 < values.size() ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        const std::string part(text.substr(0, comma));
        std::size_t used = 0;
        try {
            values[k] = std::stof(part, &used);
        } catch (const std::exception&) {
            return std::nullopt;
        }
        if (part.empty() || used != part.size()) return std::nullopt;
        text = comma < text.size() ? text.substr(comma + 1) : std::string_view();
    }
    return values;
}

int usage(std::ostream& err, const std::string& why) {
    err << "rova-tool: " << why << "\n"
        << "usage: rova-tool render-pose -o OUT.png [--size WxH] [--joint J=DEG]... [--select J]... "
           "[--hide FIRST,COUNT]... [--eyes off|green|red|both] [--camera YAW,PITCH,DISTANCE]\n";
    return 2;
}

}  // namespace

int renderPose(const std::vector<std::string>& args, std::ostream& err) {
    std::string output;
    OffscreenWindow window;
    window.err = &err;
    std::vector<std::pair<int, int>> joints, hides;
    std::vector<int> selects;
    std::int32_t eyes = VIRTROVA_EYES_OFF;
    std::optional<std::array<float, 3>> camera;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option != "-o" && option != "--size" && option != "--joint" && option != "--select" && option != "--hide" &&
            option != "--eyes" && option != "--camera") {
            return usage(err, "unknown argument " + option);
        }
        if (i + 1 >= args.size()) return usage(err, option + " needs a value");
        const std::string_view value = args[++i];
        if (option == "-o") {
            output = value;
        } else if (option == "--size") {
            const auto size = splitPair(value, 'x', false);
            if (!size || size->first < 1 || size->second < 1 || size->first > 8192 || size->second > 8192) {
                return usage(err, "bad size " + std::string(value));
            }
            window.width = size->first;
            window.height = size->second;
        } else if (option == "--joint") {
            const auto joint = splitPair(value, '=', true);
            if (!joint) return usage(err, "bad joint value " + std::string(value));
            joints.push_back(*joint);
        } else if (option == "--select") {
            const auto joint = parseJointIndex(value);
            if (!joint) return usage(err, "bad joint " + std::string(value));
            selects.push_back(*joint);
        } else if (option == "--eyes") {
            const auto state = parseEyes(value);
            if (!state) return usage(err, "bad eye state " + std::string(value));
            eyes = *state;
        } else if (option == "--camera") {
            camera = parseCamera(value);
            if (!camera) return usage(err, "bad camera " + std::string(value));
        } else {
            const auto range = splitPair(value, ',', false);
            if (!range || range->first < 0 || range->second < 0 ||
                range->first + range->second > viewer::kViewerJointCount) {
                return usage(err, "bad joint range " + std::string(value));
            }
            hides.push_back(*range);
        }
    }
    if (output.empty()) return usage(err, "-o OUT.png is required");

    const HostWindow host = window.host();
    ViewerContext* viewer = Create();
    if (!viewer) {
        err << "rova-tool: the viewer could not be created\n";
        return 1;
    }
    if (!Attach(viewer, &host)) {
        Destroy(viewer);
        err << "rova-tool: the viewer did not attach\n";
        return 1;
    }
    for (auto [joint, degrees] : joints) {
        std::int32_t value = degrees;
        const JointRange range{joint, 1, &value};
        SetJoints(viewer, &range);
    }
    if (selects.size() == 1) {
        SelectJoint(viewer, selects[0]);
    } else if (!selects.empty()) {
        BeginMultiJoint(viewer);
        for (int joint : selects) SelectJoint(viewer, joint);
        EndMultiJoint(viewer);
    }
    for (auto [first, count] : hides) SetJointsVisible(viewer, first, count, false);
    std::int32_t problem = VirtRova_SetEyes(viewer, eyes);
    if (problem == VIRTROVA_OK && camera) problem = VirtRova_SetCamera(viewer, (*camera)[0], (*camera)[1], (*camera)[2]);
    if (problem != VIRTROVA_OK) {
        err << "rova-tool: " << VirtRova_ErrorText(problem) << "\n";
        Destroy(viewer);
        return 2;
    }
    std::int32_t result = 0;
    HandleMessages(viewer, &host, VR_WM_PAINT, 0, 0, &result);
    Destroy(viewer);

    // The picture is opaque: its alpha bytes are dropped.
    const QImage picture = window.picture.empty()
                               ? QImage()
                               : QImage(window.picture.data(), window.pictureWidth, window.pictureHeight,
                                        window.pictureWidth * 4, QImage::Format_RGBA8888)
                                     .convertToFormat(QImage::Format_RGB888);
    if (!savePng(picture, output)) {
        err << "rova-tool: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}

int cmdRenderPose(const std::vector<std::string>& args) { return renderPose(args, std::cerr); }

}  // namespace rova::tool
