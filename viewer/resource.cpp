#include "resource.h"

namespace rova::viewer {

std::optional<std::span<const std::uint8_t>> findResource(std::string_view type, std::string_view name) {
    for (const ResourceEntry& entry : embeddedResources()) {
        if (entry.type == type && entry.name == name) return entry.data;
    }
    return std::nullopt;
}

}  // namespace rova::viewer
