#include "new_performance.h"

#include "json_writer.h"
#include "sound/sound_import.h"

namespace rova::tool {
namespace {

int usage(std::ostream& err, const std::string& why) {
    err << "rova-tool: " << why << "\n"
        << "usage: rova-tool new SOUND OUT.MTN [--no-normalise]\n";
    return 2;
}

// The same report as `info` gives for a performance that does not open.
void failedReport(std::ostream& out, const std::string& message) {
    JsonWriter j(out);
    j.beginObject();
    j.key("opened").value(false);
    j.key("messages").beginArray().value(message).endArray();
    j.key("flags").value(0);
    j.key("audio").null();
    j.key("leds").null();
    j.key("motion").null();
    j.key("modified").value(false);
    j.endObject();
    out << '\n';
}

}  // namespace

int runNew(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const std::function<int(const std::string&)>& info) {
    std::vector<std::string> files;
    sound::CreateOptions options;
    for (const std::string& a : args) {
        if (a == "--no-normalise")
            options.convert.normalise = false;
        else if (a.size() > 1 && a[0] == '-')
            return usage(err, "bad option " + a);
        else
            files.push_back(a);
    }
    if (files.size() != 2) return usage(err, "new takes SOUND and OUT.MTN");

    const auto result = sound::createPerformance(files[0], files[1], options, {});
    if (!result.ok()) {
        failedReport(out, result.message);
        return 1;
    }
    return info(result.motion.string());
}

}  // namespace rova::tool
