// 32-bit result codes of the 3D platform. The values are those the viewer's error
// table expects, so a code can be shown to the user unchanged.
#pragma once

#include <cstdint>

namespace rova::rm {

using Result = std::int32_t;

constexpr Result code(std::uint32_t bits) { return static_cast<Result>(bits); }

inline constexpr Result kOk = 0;
inline constexpr Result kErrGeneric = code(0x80004005);
inline constexpr Result kErrOutOfMemory = code(0x8007000E);
inline constexpr Result kErrInvalidParams = code(0x80070057);
inline constexpr Result kErrNoWindow = code(0x88760239);  // no window to draw into
inline constexpr Result kErrBadObject = code(0x8876030D);
inline constexpr Result kErrBadType = code(0x8876030E);
inline constexpr Result kErrBadAlloc = code(0x8876030F);
inline constexpr Result kErrFaceUsed = code(0x88760310);
inline constexpr Result kErrNotFound = code(0x88760311);
inline constexpr Result kErrNotDoneYet = code(0x88760312);
inline constexpr Result kErrFileNotFound = code(0x88760313);
inline constexpr Result kErrBadFile = code(0x88760314);
inline constexpr Result kErrBadDevice = code(0x88760315);
inline constexpr Result kErrBadValue = code(0x88760316);
inline constexpr Result kErrBadMajorVersion = code(0x88760317);
inline constexpr Result kErrBadMinorVersion = code(0x88760318);
inline constexpr Result kErrUnableToExecute = code(0x88760319);

constexpr bool succeeded(Result r) { return r >= 0; }
constexpr bool failed(Result r) { return r < 0; }

}  // namespace rova::rm
