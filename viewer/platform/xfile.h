// Loader for text model files ("xof 0302txt 0032"): frames with their transforms,
// meshes with normals and material lists, and materials. Templates are skipped,
// as are object types it does not use; references name objects defined earlier.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "frame.h"
#include "objects.h"
#include "result.h"

namespace rova::rm {

// Receives each top-level object of a file: a Frame (with everything below it),
// a Mesh (a Visual) or a Material.
using LoadCallback = std::function<void(const std::shared_ptr<Object>&)>;

// Parses the whole file first and hands its top-level objects, in file order, to
// the callback only when all of it is well formed; otherwise the callback is not
// called and the result says why (kErrBadFile for malformed or truncated text).
Result loadXFile(std::span<const std::uint8_t> text, const LoadCallback& callback);

}  // namespace rova::rm
