// The bytes of an eye LED file holding the given steps, as the editor writes it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "model/led_file.h"

namespace rova::test {

inline std::vector<std::uint8_t> ledImage(std::vector<std::uint8_t> steps) {
    CLedTrack t;
    t.steps = std::move(steps);
    std::ostringstream out;
    EXPECT_TRUE(writeLed(out, t));
    const std::string s = out.str();
    return {s.begin(), s.end()};
}

}  // namespace rova::test
