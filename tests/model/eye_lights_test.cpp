#include "model/eye_lights.h"

#include <gtest/gtest.h>

namespace rova {
namespace {

TEST(EyeLights, AMomentBelongsToTheLedStepThatCoversItsSample) {
    // Step i begins at sample i × 8000 / 12: 0, 666, 1333, 2000, ...
    const struct {
        std::int64_t ms, step;
    } table[] = {{0, 0}, {83, 0}, {84, 1}, {166, 1}, {167, 2}, {249, 2}, {250, 3}, {1000, 12}, {60000, 720}};
    for (const auto& row : table) EXPECT_EQ(ledStepAtMs(row.ms), row.step) << row.ms;
}

TEST(EyeLights, EyesAreDarkOutsideTheTrackAndWithoutOne) {
    CLedTrack leds;
    EXPECT_EQ(eyesAtMs(leds, 0), 0);
    leds.steps = {1, 2, 3, 0, 7};
    const struct {
        std::int64_t ms;
        int eyes;
    } table[] = {{-1, 0}, {0, 1}, {84, 2}, {167, 3}, {250, 0}, {334, 3}, {417, 0}, {100000, 0}};
    for (const auto& row : table) EXPECT_EQ(eyesAtMs(leds, row.ms), row.eyes) << row.ms;
}

TEST(EyeLights, APoseStepShowsTheEyesAtItsStart) {
    CLedTrack leds;
    leds.steps = {0, 1, 2, 3, 1};  // LED steps begin at 0, 83.3, 166.7, 250, 333.3 ms
    const int expected[] = {0, 0, 1, 2, 3, 1};  // pose steps at 0, 80, 160, 240, 320, 400 ms
    for (int step = 0; step < 6; ++step) EXPECT_EQ(eyesAtStep(leds, step), expected[step]) << step;
}

}  // namespace
}  // namespace rova
