// Time edits on a performance view: which of its rows they change, and one
// edit run as one undo step with the refusal and the report that the commands
// and the Alt+drag of the selection share.
#pragma once

#include <string>
#include <vector>

#include "beats/beat_grid.h"
#include "model/time_edit.h"

namespace rova {

class CMainView;

// The motion columns and eyes of the view's selected rows; every row's when
// no row is selected. Sound rows and separators add nothing.
TimeRows timeRowsOf(const CMainView& view);

// The last time step the view's tracks cover (for a performance with eye
// lights only, the eye lights' end).
int timeEditEnd(const CMainView& view);

// Why the selection cannot be edited in time, "" when it can: there is no
// selection, or no motion or eye-light row among the selected.
std::string selectionTimeEditRefusal(const CMainView& view);
// The same when only the rows matter (an edit at the cursor).
inline constexpr const char* kMsgNoTimeRows = "Select motion or eye-light rows to edit in time";

struct TimeEditOutcome {
    bool applied = false;
    std::string message;  // the refusal, or what was dropped at the end; "" when nothing to say
};

// Plans the edit on the selected rows. When the motion would not fit its
// file, nothing changes and the message names the budget. Otherwise the edit
// is one undo step named `name`, after which the selection stands on the
// result: a moved or duplicated range where it landed, inserted time over
// itself, a deleted range where it was.
TimeEditOutcome runTimeEdit(CMainView& view, const char* name, const TimeEdit& edit);

// Moves the selected rows' motion and eye lights over the selected range so
// that the range starts at `to`: refused, with the reason, without a selection,
// without motion or eye-light rows, or when the range would leave the tracks.
TimeEditOutcome moveSelectionTo(CMainView& view, int to);

// "0.16 seconds pushed past the end were dropped".
std::string droppedMessage(std::int64_t ms);

// Beats and bars in time steps, for the lengths and places the time edits
// snap to. Bars start at the grid's downbeats, or every fourth beat from the
// first when the sound does not say.
struct BeatSteps {
    std::vector<int> beats;  // the time step of every beat, ascending
    std::vector<int> bars;   // the time step of every bar start
    bool empty() const { return beats.empty(); }
};
BeatSteps beatStepsOf(const beats::BeatGrid& grid);
// The first beat or bar start at or after step; -1 when none.
int firstAtOrAfter(const std::vector<int>& marks, int step);
// The length of the beat or bar that holds step (from the mark at or before
// it to the next); 0 when there is no such pair.
int lengthAt(const std::vector<int>& marks, int step);

}  // namespace rova
