#include "debug_output.h"

#include <cstdio>
#include <utility>

namespace rova {
namespace {

DebugSink& currentSink() {
    static DebugSink sink;
    return sink;
}

}  // namespace

void debugOutput(std::string_view text) {
    const DebugSink& sink = currentSink();
    if (sink) {
        sink(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
}

DebugSink setDebugSink(DebugSink sink) { return std::exchange(currentSink(), std::move(sink)); }

}  // namespace rova
