// Failures on request: tests make a chosen platform call fail with a chosen
// result code, so that every failure path and its message can be exercised.
#pragma once

#include "result.h"

namespace rova::rm {

enum class Call {
    CreateRoot,
    CreateFrame,
    CreateLight,
    Load,
    CreateClipper,
    SetWindow,
    CreateDevice,
    SetDither,
    SetQuality,
    SetTextureQuality,
    SetShades,
    QueryWinDevice,
    HandleActivate,
    HandlePaint,
    CreateViewport,
    SetBack,
    Clear,
    Render,
    Update,
    Count
};

// The call fails with code the next time it runs after skip successful runs.
// A code of kOk disarms it.
void failCall(Call call, Result code, int skip = 0);
void clearFailures();

// Consulted by the calls: kOk, or the code the call is to fail with.
Result injectedFailure(Call call);

}  // namespace rova::rm
