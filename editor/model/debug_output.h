// Diagnostics that are for developers, not for the user.
#pragma once

#include <functional>
#include <string_view>

namespace rova {

using DebugSink = std::function<void(std::string_view)>;

// Writes the text to the debug output (standard error unless a sink is set).
void debugOutput(std::string_view text);

// Routes the debug output to the sink (an empty sink restores standard error)
// and returns the sink that was set before, so tests can capture and restore.
DebugSink setDebugSink(DebugSink sink);

}  // namespace rova
