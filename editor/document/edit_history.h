// The undo history of one document: one step per user action that changed the
// eye LED or motion track, each holding the tracks it changed as they were
// before and after, and the view's selection of both moments. Steps are whole
// snapshots of the changed tracks (tens of kilobytes at most), so undo and redo
// restore the tracks exactly and cost the same however long the history is.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "model/motion_track.h"

namespace rova {

// The view's selection at the moment of an action, restored with it.
struct ViewSelection {
    int start = -1;
    int length = 0;
    int firstRow = -1;
    int rowCount = 0;
    bool operator==(const ViewSelection&) const = default;
};

class CEditHistory {
public:
    // The history keeps at most this many steps and about this many bytes, the oldest dropped first.
    static constexpr std::size_t kMaxSteps = 1000;
    static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;

    // Opens an action named as the Edit menu shows it ("Generate Mouth"). An
    // action opened inside another joins it.
    void begin(const CMotionTrack& motion, const CLedTrack& leds, std::string name, const ViewSelection& selection);
    // Closes the action; the outermost adds a step when a track changed.
    // True when a step was added.
    bool end(const CMotionTrack& motion, const CLedTrack& leds, const ViewSelection& selection);
    bool inAction() const { return m_depth > 0; }

    bool canUndo() const { return m_position > 0; }
    bool canRedo() const { return m_position < m_steps.size(); }
    // The name of the step Undo or Redo would take back or do again, "" when none.
    std::string undoName() const;
    std::string redoName() const;

    // Put the tracks back as they were before (undo) or after (redo) the step,
    // with the modified flags that follow the saved tracks; selection gets the
    // selection of that moment. False when there is nothing to do.
    bool undo(CMotionTrack& motion, CLedTrack& leds, ViewSelection& selection);
    bool redo(CMotionTrack& motion, CLedTrack& leds, ViewSelection& selection);

    // The tracks as they are now are what is on disk (after open or a successful
    // save). Each track has a saved state of its own, since a save may write only
    // the tracks that changed. A track marked modified here (a motion aligned as
    // it was opened) differs from its file even when its content is unchanged.
    void markSaved(const CMotionTrack& motion, const CLedTrack& leds);
    void markMotionSaved(const CMotionTrack& motion);
    void markLedsSaved(const CLedTrack& leds);
    // Sets each track's modified flag: true exactly when it differs from its
    // saved state, so an action that changed nothing leaves the flags alone.
    void refreshFlags(CMotionTrack& motion, CLedTrack& leds) const;
    // Drops every step; the saved states stay (they describe the files).
    void clear();

    std::size_t size() const { return m_steps.size(); }
    std::size_t position() const { return m_position; }
    std::size_t bytes() const { return m_bytes; }
    // Limits for tests; the program keeps the defaults.
    void setLimits(std::size_t maxSteps, std::size_t maxBytes) {
        m_maxSteps = maxSteps;
        m_maxBytes = maxBytes;
    }

private:
    struct Step {
        std::string name;
        ViewSelection before, after;
        std::optional<CMotionTrack> motionBefore, motionAfter;
        std::optional<CLedTrack> ledsBefore, ledsAfter;
        std::size_t bytes = 0;
    };
    void trim();

    std::deque<Step> m_steps;
    std::size_t m_position = 0;  // steps before it are done, the rest undone
    // The tracks as their files hold them; none before the first markSaved.
    std::optional<CMotionTrack> m_savedMotion;
    std::optional<CLedTrack> m_savedLeds;
    bool m_motionFileDiffers = false;
    bool m_ledsFileDiffers = false;
    std::size_t m_bytes = 0;
    std::size_t m_maxSteps = kMaxSteps;
    std::size_t m_maxBytes = kMaxBytes;

    int m_depth = 0;
    std::string m_name;
    ViewSelection m_selectionBefore;
    CMotionTrack m_motionBefore;
    CLedTrack m_ledsBefore;
};

}  // namespace rova
