// The text shown to the user for a result code of the 3D platform.
#pragma once

#include <cstdint>

namespace rova::viewer {

// A constant text for every code the platform can return, "No error." for 0
// and "Unrecognized error value." for codes it does not know.
const char* errorText(std::int32_t code);

}  // namespace rova::viewer
