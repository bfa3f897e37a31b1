// Shared bits of the fuzz harnesses.
#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding: stop loudly so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                          \
    do {                                                                          \
        if (!(cond)) {                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)
