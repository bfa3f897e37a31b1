// What the status bar reads out about a performance window: the time (and bar
// and beat) under the pointer, the selection, the joint angle under the
// pointer or being set, and the cursor. The view computes a ViewReadout and
// publishes it; the main frame shows the texts of the active window's.
#pragma once

#include <cstdint>
#include <string>

namespace rova {

struct ViewReadout {
    std::int64_t pointerMs = -1;  // the time under the pointer; -1 off the timeline
    int bar = 0;                  // the pointer's bar and beat, from 1; 0 without beats
    int beat = 0;
    int selStart = -1;            // the selected time steps; no range while selLength is 0
    int selLength = 0;
    std::string joint;            // the joint under the pointer or being set; "" for none
    double degrees = 0.0;         // its angle there, when joint is not ""
    bool settingAngle = false;    // a drag is setting that angle now
    std::int64_t cursorMs = -1;   // the cursor's time; -1 without a cursor
    std::string hint;             // what the pointer's place does, for the message pane; "" for none

    bool operator==(const ViewReadout&) const = default;
};

// The texts of the status bar's fields; "" leaves a field empty.
struct ReadoutTexts {
    std::string time;       // "1:05.240"
    std::string beat;       // "Bar 12.3"
    std::string selection;  // "0:01.200–0:02.000 (0.800 s) · steps 15–24 (10)"
    std::string angle;      // "RFKnee 23.5°", "RFKnee set to 23.0°"
    std::string cursor;     // "Cursor 0:04.320"
};

ReadoutTexts readoutTexts(const ViewReadout& readout);

}  // namespace rova
