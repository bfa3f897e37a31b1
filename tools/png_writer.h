// A minimal PNG encoder: 8-bit RGB, stored without compression, which keeps
// the tool free of an image library.
#pragma once

#include <cstdint>
#include <string>

namespace rova::tool {

// Writes width x height pixels of 4 bytes (red, green, blue, alpha; alpha is
// dropped), rows stride bytes apart. False when the file cannot be written.
bool writePng(const std::string& path, const std::uint8_t* rgba, int width, int height, int stride);

}  // namespace rova::tool
