#include "check_report.h"

#include <algorithm>

#include "json_writer.h"

namespace rova::tool {

void writeCheckReport(std::ostream& out, const std::vector<check::Problem>& problems,
                      const std::optional<check::Budget>& budget) {
    JsonWriter json(out);
    json.beginObject().key("problems").beginArray();
    for (const check::Problem& p : problems) {
        json.beginObject();
        json.key("kind").value(check::kindName(p.kind));
        json.key("channel");
        p.channel >= 0 ? json.value(p.channel) : json.null();
        json.key("keyframe");
        p.keyframe >= 0 ? json.value(p.keyframe) : json.null();
        json.key("step");
        p.step >= 0 ? json.value(p.step) : json.null();
        json.key("eye");
        p.eye == check::EYE_GREEN ? json.value("green") : p.eye == check::EYE_RED ? json.value("red") : json.null();
        json.key("detail").value(check::describe(p));
        json.endObject();
    }
    json.endArray().key("budget");
    if (budget)
        json.beginObject().key("keyframes").value(budget->keyframes).key("limit").value(budget->limit).endObject();
    else
        json.null();
    json.endObject();
    out << "\n";
}

bool failsStrictCheck(const std::vector<check::Problem>& problems) {
    return std::any_of(problems.begin(), problems.end(), [](const check::Problem& p) { return check::isError(p.kind); });
}

}  // namespace rova::tool
