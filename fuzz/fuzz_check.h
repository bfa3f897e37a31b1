// Shared bits of the fuzz harnesses.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "model/debug_output.h"

// A broken invariant is a finding: stop loudly so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                          \
    do {                                                                          \
        if (!(cond)) {                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

// Diagnostics for rejected files would only slow the run down.
inline void silenceDebugOutput() {
    static const bool done = (rova::setDebugSink([](std::string_view) {}), true);
    (void)done;
}
