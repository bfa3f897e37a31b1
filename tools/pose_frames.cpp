// `rova-tool pose-frames`: poses the viewer's model through its scene code and
// prints where every frame ends up.
#include "pose_frames.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string_view>
#include <utility>

#include "commands.h"
#include "platform/root.h"
#include "report.h"
#include "scene.h"

namespace rova::tool {
namespace {

using rova::rm::Frame;
using rova::rm::Matrix;
using rova::rm::Vec3;

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "J=DEG" with J an index or a joint name.
std::optional<std::pair<int, int>> parseJoint(std::string_view text) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view joint = text.substr(0, eq);
    std::optional<int> index = parseInt(joint);
    if (!index) {
        const int named = viewer::findJoint(joint);
        if (named >= 0) index = named;
    }
    const std::optional<int> degrees = parseInt(text.substr(eq + 1));
    if (!index || *index < 0 || *index >= viewer::kViewerJointCount || !degrees) return std::nullopt;
    return std::pair{*index, *degrees};
}

void writeNumber(std::ostream& out, float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", static_cast<double>(v));
    std::string_view text(buf);
    if (text == "-0.000000") text.remove_prefix(1);
    out << text;
}

void writeVector(std::ostream& out, Vec3 v) {
    out << '[';
    writeNumber(out, v.x);
    out << ", ";
    writeNumber(out, v.y);
    out << ", ";
    writeNumber(out, v.z);
    out << ']';
}

// Each frame's transform relative to the model frame is its own composed with
// its parent's, worked out on the way down so nothing is inverted.
void writeFrames(std::ostream& out, const Frame& frame, const Matrix& toModel, bool& first) {
    for (const auto& child : frame.children()) {
        const Matrix m = rova::rm::compose(child->transform(), toModel);
        if (!child->name().empty()) {
            out << (first ? "\n  \"" : ",\n  \"") << child->name() << "\": {\"origin\": ";
            writeVector(out, m.origin);
            out << ", \"axes\": [";
            writeVector(out, m.x);
            out << ", ";
            writeVector(out, m.y);
            out << ", ";
            writeVector(out, m.z);
            out << "]}";
            first = false;
        }
        writeFrames(out, *child, m, first);
    }
}

int usage(std::ostream& err, const std::string& why) {
    err << "rova-tool: " << why << "\n"
        << "usage: rova-tool pose-frames [--joint J=DEG]...  (J: joint 0..23 or name such as Mouth)\n";
    return 2;
}

}  // namespace

int poseFrames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::pair<int, int>> joints;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view value;
        if (args[i] == "--joint") {
            if (i + 1 >= args.size()) return usage(err, "--joint needs J=DEG");
            value = args[++i];
        } else if (args[i].starts_with("--joint=")) {
            value = std::string_view(args[i]).substr(8);
        } else {
            return usage(err, "unknown argument " + args[i]);
        }
        auto joint = parseJoint(value);
        if (!joint) return usage(err, "bad joint value " + std::string(value));
        joints.push_back(*joint);
    }

    viewer::setMessageBoxSink([&err](std::string_view text, std::string_view caption) {
        err << caption << ": " << text << (text.ends_with('\n') ? "" : "\n");
    });
    ViewerContext context;
    context.root = std::make_unique<rova::rm::Root>();
    const bool loaded = viewer::createScene(context) && rova::rm::succeeded(viewer::loadModel(context));
    viewer::setMessageBoxSink({});
    const auto model = context.model.lock();
    if (!loaded || !model) {
        err << "rova-tool: the viewer's model did not load\n";
        return 1;
    }
    for (auto [joint, degrees] : joints) viewer::setJoint(context, joint, degrees);

    bool first = true;
    out << '{';
    writeFrames(out, *model, Matrix{}, first);
    out << "\n}\n";
    return 0;
}

int cmdPoseFrames(const std::vector<std::string>& args) { return poseFrames(args, std::cout, std::cerr); }

}  // namespace rova::tool
