#include "report.h"

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <utility>

namespace rova::viewer {

namespace {

MessageBoxSink& boxSink() {
    static MessageBoxSink sink;
    return sink;
}

DebugSink& debugSink() {
    static DebugSink sink;
    return sink;
}

}  // namespace

void setMessageBoxSink(MessageBoxSink sink) { boxSink() = std::move(sink); }
void setDebugSink(DebugSink sink) { debugSink() = std::move(sink); }

void messageBox(std::string_view text, std::string_view caption) {
    if (boxSink()) {
        boxSink()(text, caption);
    } else {
        std::cerr << caption << ": " << text << (text.ends_with('\n') ? "" : "\n");
    }
}

void debugOutput(std::string_view text) {
    if (debugSink()) debugSink()(text);
}

void reportError(const char* format, ...) {
    char buffer[256];
    constexpr std::size_t room = sizeof buffer - 2;  // keep space for CR LF
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, room, format, args);
    va_end(args);
    std::size_t length = n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), room - 1);
    buffer[length] = '\r';
    buffer[length + 1] = '\n';
    messageBox(std::string_view(buffer, length + 2), kErrorCaption);
}

}  // namespace rova::viewer
