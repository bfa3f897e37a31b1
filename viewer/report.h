// Messages for the user (modal boxes shown by the host) and diagnostics for the
// developer. Until a host installs its own, boxes go to standard error and
// diagnostics are dropped.
#pragma once

#include <functional>
#include <string_view>

namespace rova::viewer {

inline constexpr std::string_view kErrorCaption = "Viewer Message";

using MessageBoxSink = std::function<void(std::string_view text, std::string_view caption)>;
using DebugSink = std::function<void(std::string_view text)>;

// Replaces the sinks; an empty function restores the default.
void setMessageBoxSink(MessageBoxSink sink);
void setDebugSink(DebugSink sink);

void messageBox(std::string_view text, std::string_view caption);
void debugOutput(std::string_view text);

// Formats like printf into a 256-byte buffer (text, CR LF and the terminating
// zero must fit; longer text is cut), appends CR LF and shows it captioned
// "Viewer Message".
#if defined(__GNUC__)
void reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
#else
void reportError(const char* format, ...);
#endif

}  // namespace rova::viewer
