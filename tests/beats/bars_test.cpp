// Bars for the ruler and the status bar: bar starts from known downbeats or
// every fourth beat, and the bar and beat a time falls in.
#include <gtest/gtest.h>

#include "beats/bars.h"

using namespace rova::beats;

TEST(Bars, KnownDownbeatsAreTheBarStarts) {
    BeatGrid grid;
    grid.beatsMs = {500, 1000, 1500, 2000, 2500, 3000};
    grid.downbeatsKnown = true;
    grid.downbeatsMs = {1000, 2500};  // a pickup beat, then bars of three
    EXPECT_EQ(barStartsMs(grid), (std::vector<int>{1000, 2500}));
}

TEST(Bars, WithoutDownbeatsEveryFourthBeatFromTheFirstStartsABar) {
    BeatGrid grid;
    for (int b = 0; b < 10; ++b) grid.beatsMs.push_back(400 + b * 480);
    EXPECT_EQ(barStartsMs(grid), (std::vector<int>{400, 400 + 4 * 480, 400 + 8 * 480}));
    EXPECT_TRUE(barStartsMs(BeatGrid{}).empty());
}

TEST(Bars, BarAndBeatOfATime) {
    BeatGrid grid;
    grid.beatsMs = {500, 1000, 1500, 2000, 2500, 3000, 3500};
    grid.downbeatsKnown = true;
    grid.downbeatsMs = {1000, 2500};
    const std::vector<int> bars = barStartsMs(grid);
    struct Case {
        std::int64_t ms;
        int bar, beat;
    };
    const Case cases[] = {
        {0, 0, 0},    {999, 0, 0},  // before the first bar: none
        {1000, 1, 1}, {1499, 1, 1}, {1500, 1, 2}, {2499, 1, 3},
        {2500, 2, 1}, {3600, 2, 3}, {90'000, 2, 3},  // the last beat goes on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        const BarBeat where = barBeatAt(grid, bars, c.ms);
        EXPECT_EQ(where.bar, c.bar);
        EXPECT_EQ(where.beat, c.beat);
    }
}
