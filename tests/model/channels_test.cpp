#include <gtest/gtest.h>

#include "model/channels.h"

using namespace rova;

TEST(Channels, LocatorLookupIsExactAndCaseSensitive) {
    EXPECT_EQ(findLocator("PRM:/r0/c0-Joint:j0"), 0);
    EXPECT_EQ(findLocator("PRM:/r5/c0/c1/c2-Joint:j2"), LRPawY);
    EXPECT_EQ(findLocator("PRM:/r1/c1-Joint:j1"), TailX);
    EXPECT_EQ(findLocator("PRM:/r1/c0-Joint:j1"), 18);
    EXPECT_EQ(findLocator("prm:/r0/c0-Joint:j0"), -1);
    EXPECT_EQ(findLocator("PRM:/r0/c0-Joint:j0 "), -1);
    EXPECT_EQ(findLocator(""), -1);
}

TEST(Conversions, TruncateTowardZero) {
    EXPECT_EQ(wholeDegrees(-17452), 0);
    EXPECT_EQ(wholeDegrees(-17453), -1);
    EXPECT_EQ(wholeDegrees(17452), 0);
    EXPECT_EQ(wholeDegrees(17453), 1);
    EXPECT_EQ(valueFromDegrees(43.0), 750491);
    EXPECT_EQ(valueFromDegrees(-43.0), -750491);
    EXPECT_EQ(valueFromDegrees(0.0), 0);
    EXPECT_NEAR(degreesFromValue(750491), 43.0, 1e-4);
    EXPECT_NEAR(degreesFromValue(-1745329), -100.0, 1e-4);
}

TEST(Conversions, OutOfRangeDegreesSaturateInsteadOfOverflowing) {
    EXPECT_EQ(valueFromDegrees(1e9), INT32_MAX);
    EXPECT_EQ(valueFromDegrees(-1e9), INT32_MIN);
    EXPECT_EQ(valueFromDegrees(std::numeric_limits<double>::quiet_NaN()), 0);
}
