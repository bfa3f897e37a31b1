// Files the library carries inside itself, found by type and name.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace rova::viewer {

inline constexpr std::string_view kModelResourceType = "MODELX";
inline constexpr std::string_view kModelResourceName = "ROVA";

struct ResourceEntry {
    std::string_view type;
    std::string_view name;
    std::span<const std::uint8_t> data;
};

// The table written at build time (embedded_resources.cpp).
std::span<const ResourceEntry> embeddedResources();

// The bytes of the resource, or nothing when the library does not carry it.
std::optional<std::span<const std::uint8_t>> findResource(std::string_view type, std::string_view name);

}  // namespace rova::viewer
