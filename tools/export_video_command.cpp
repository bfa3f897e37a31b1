// `rova-tool export-video`: opens a performance as the editor does and writes
// it as a video, from the usual front view of the player.
#include "export_video_command.h"

#include <QApplication>
#include <charconv>
#include <iostream>
#include <optional>
#include <string_view>

#include "commands/export_video.h"
#include "editor_session.h"
#include "json_writer.h"
#include "shell/document.h"

namespace rova::tool {
namespace {

int usage(std::ostream& err, const std::string& why) {
    err << "rova-tool: " << why << "\n"
        << "usage: rova-tool export-video FILE OUT.mp4|OUT.webm [--size WxH] [--fps N] "
           "[--selection START LENGTH] [--timeline]\n";
    return 2;
}

std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

int exportVideoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    video::VideoOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto next = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= args.size()) return std::nullopt;
            return std::string_view(args[++i]);
        };
        if (arg == "--size") {
            const auto value = next();
            if (!value) return usage(err, "--size needs WxH");
            const auto x = value->find('x');
            const auto w = x == std::string_view::npos ? std::nullopt : number(value->substr(0, x));
            const auto h = x == std::string_view::npos ? std::nullopt : number(value->substr(x + 1));
            if (!w || !h) return usage(err, "bad size " + std::string(*value));
            options.width = *w;
            options.height = *h;
        } else if (arg == "--fps") {
            const auto value = next();
            const auto fps = value ? number(*value) : std::nullopt;
            if (!fps) return usage(err, "--fps needs a whole number");
            options.fps = *fps;
        } else if (arg == "--selection") {
            const auto start = next();
            const auto length = next();
            const auto s = start ? number(*start) : std::nullopt;
            const auto l = length ? number(*length) : std::nullopt;
            if (!s || !l || *l < 1) return usage(err, "--selection needs START and LENGTH in time steps");
            options.startStep = *s;
            options.lengthSteps = *l;
        } else if (arg == "--timeline") {
            options.timeline = true;
        } else if (!arg.empty() && arg[0] != '-' && files.size() < 2) {
            files.push_back(arg);
        } else {
            return usage(err, "bad argument " + arg);
        }
    }
    if (files.size() != 2) return usage(err, "FILE and OUT are required");

    const auto app = makeHeadlessApp();
    EditorSession session;
    if (!session.open(files[0])) {
        err << "rova-tool: cannot open " << files[0] << "\n";
        for (const std::string& message : session.ui.messages) err << "  " << message << "\n";
        return 1;
    }
    const CDocument* document = session.activeDocument();
    if (!document) {
        err << "rova-tool: cannot open " << files[0] << "\n";
        return 1;
    }
    const video::VideoInput input = videoInputOf(document->doc());
    if (const std::string why = video::checkVideo(files[1], input, options); !why.empty()) return usage(err, why);
    const video::VideoResult result = video::exportVideo(files[1], input, options);
    if (!result.ok) {
        err << "rova-tool: " << result.error << "\n";
        return 1;
    }
    JsonWriter json(out);
    json.beginObject();
    json.key("frames").value(result.summary.frames);
    json.key("durationMs").value(result.summary.durationMs);
    json.key("video").value(result.summary.video);
    if (result.summary.audio.empty())
        json.key("audio").null();
    else
        json.key("audio").value(result.summary.audio);
    json.endObject();
    out << "\n";
    return 0;
}

int cmdExportVideo(const std::vector<std::string>& args) { return exportVideoCommand(args, std::cout, std::cerr); }

}  // namespace rova::tool
