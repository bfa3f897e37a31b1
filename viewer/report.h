// Messages for the user (modal boxes shown by the host) and diagnostics for the
// developer. Boxes go to the window of the call in progress (HostScope); with
// no window, or one without a message box, they go to the installed sink and,
// without one, to standard error. Diagnostics are dropped unless a sink is set.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <functional>
#include <string_view>

#include "VirtRova.h"

namespace rova::viewer {

inline constexpr std::string_view kErrorCaption = "Viewer Message";

using MessageBoxSink = std::function<void(std::string_view text, std::string_view caption)>;
using DebugSink = std::function<void(std::string_view text)>;

// Replaces the sinks; an empty function restores the default.
void setMessageBoxSink(MessageBoxSink sink);
void setDebugSink(DebugSink sink);

// While one lives, message boxes are shown by this window (scopes nest).
class HostScope {
public:
    explicit HostScope(const HostWindow* window);
    ~HostScope();
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

private:
    const HostWindow* m_previous;
};

void messageBox(std::string_view text, std::string_view caption);
void debugOutput(std::string_view text);

// Formats into buffer (size bytes, at least 1) the way the desktop's message
// formatter does: %d, %i, %u, %x, %X, %c and %s with the flags '-', '0' and
// '#', a width and a precision; an 'l' or 'h' prefix changes nothing, as every
// number is 32 bits. Text that does not fit is cut. Returns the length.
std::size_t formatMessage(char* buffer, std::size_t size, const char* format, va_list args);

// Formats into a 256-byte buffer (text, CR LF and the terminating zero must
// fit; longer text is cut), appends CR LF and shows it captioned "Viewer
// Message". Numbers are passed as 32-bit ints.
void reportError(const char* format, ...);

}  // namespace rova::viewer
