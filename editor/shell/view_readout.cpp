#include "shell/view_readout.h"

#include <cstdio>

#include "model/channels.h"
#include "model/clock_text.h"

namespace rova {
namespace {

std::string format(const char* pattern, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

}  // namespace

ReadoutTexts readoutTexts(const ViewReadout& r) {
    ReadoutTexts t;
    if (r.pointerMs >= 0) t.time = clockText(r.pointerMs, 3);
    if (r.bar > 0) t.beat = format("Bar %d.%d", r.bar, r.beat);
    if (r.selStart >= 0 && r.selLength > 0) {
        const std::int64_t start = std::int64_t{r.selStart} * kMsPerStep;
        const std::int64_t length = std::int64_t{r.selLength} * kMsPerStep;
        // The range ends where its last step's cell ends: start + length.
        t.selection = clockText(start, 3) + "\u2013" + clockText(start + length, 3) +
                      format(" (%lld.%03lld s) \u00b7 steps %d\u2013%d (%d)", static_cast<long long>(length / 1000),
                             static_cast<long long>(length % 1000), r.selStart, r.selStart + r.selLength - 1,
                             r.selLength);
    }
    if (!r.joint.empty())
        t.angle = r.joint + (r.settingAngle ? " set to " : " ") + format("%.1f\u00b0", r.degrees);
    if (r.cursorMs >= 0) t.cursor = "Cursor " + clockText(r.cursorMs, 3);
    return t;
}

}  // namespace rova
