// Times as the editor writes them for people: minutes and seconds ("1:05"),
// with tenths on a finely zoomed ruler ("1:05.2") and milliseconds in the
// readouts ("1:05.240"). Toolkit-free, for the ruler and the status bar alike.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace rova {

// `fractionDigits` is 0, 1 (tenths) or 3 (milliseconds); other values count as 3.
// Negative times keep their sign ("-0:00.080"); digits are truncated, not rounded,
// so a time never reads later than it is.
inline std::string clockText(std::int64_t ms, int fractionDigits) {
    const bool negative = ms < 0;
    const std::uint64_t a = negative ? 0 - static_cast<std::uint64_t>(ms) : static_cast<std::uint64_t>(ms);
    const unsigned long long minutes = a / 60'000, seconds = a / 1000 % 60, millis = a % 1000;
    char text[48];
    if (fractionDigits == 0)
        std::snprintf(text, sizeof text, "%s%llu:%02llu", negative ? "-" : "", minutes, seconds);
    else if (fractionDigits == 1)
        std::snprintf(text, sizeof text, "%s%llu:%02llu.%llu", negative ? "-" : "", minutes, seconds, millis / 100);
    else
        std::snprintf(text, sizeof text, "%s%llu:%02llu.%03llu", negative ? "-" : "", minutes, seconds, millis);
    return text;
}

}  // namespace rova
