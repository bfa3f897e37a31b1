// PNG files of the tool's pictures, written whole or not at all.
#pragma once

#include <string>

class QImage;

namespace rova::tool {

// Writes the image as PNG through a temporary file in the same folder that
// replaces `path` only once complete; false (and `path` untouched) on failure.
bool savePng(const QImage& image, const std::string& path);

}  // namespace rova::tool
