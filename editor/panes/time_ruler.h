// The time ruler over the performance view's rows: a row of times (m:ss, with
// tenths when zoomed in) and, when the performance has beats, a row of bar
// numbers at the bar starts. It scrolls sideways with the rows; its left part
// over the label column names the rows and stays put.
#pragma once

#include <vector>

class QPainter;

namespace rova {

struct RulerInfo {
    int pps = 25;
    int scrollX = 0;       // document x at the ruler's left edge
    int width = 0;         // the ruler's width in pixels
    int contentRight = 0;  // document x where the content ends: ticks stop there
    const std::vector<int>* barStartsMs = nullptr;  // null or empty: no bar row
    int cursorX = -1;      // document x of the cursor, -1 without one
    int selLeft = 0;       // document x span of the time selection; empty without one
    int selRight = 0;
};

inline constexpr int kRulerTimeRowHeight = 18;
inline constexpr int kRulerBarRowHeight = 14;
inline constexpr int rulerHeight(bool withBars) { return kRulerTimeRowHeight + (withBars ? kRulerBarRowHeight : 0); }

// The least distance between two time labels with the painter's font: the
// widest label the ruler writes and a gap.
int rulerLabelSpacing(const QPainter& p);

// Draws the ruler in its own coordinates, (0, 0) at its top left, rulerHeight
// pixels high (with the bar row when there are bar starts).
void drawRuler(QPainter& p, const RulerInfo& info);

}  // namespace rova
