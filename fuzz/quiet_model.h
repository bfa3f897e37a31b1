// The model readers' diagnostics, silenced for the fuzz harnesses.
#pragma once

#include "model/debug_output.h"

// Diagnostics for rejected files would only slow the run down.
inline void silenceDebugOutput() {
    static const bool done = (rova::setDebugSink([](std::string_view) {}), true);
    (void)done;
}
