#include "document/edit_history.h"

#include <algorithm>

namespace rova {
namespace {

bool sameMotion(const CMotionTrack& a, const CMotionTrack& b) {
    return a.kind() == b.kind() && a.firstChannel() == b.firstChannel() && a.keyframeCount() == b.keyframeCount() &&
           a.block() == b.block();
}

std::size_t motionBytes(const std::optional<CMotionTrack>& m) {
    return m ? m->block().size() * sizeof(std::int32_t) + sizeof(CMotionTrack) : 0;
}

std::size_t ledBytes(const std::optional<CLedTrack>& l) { return l ? l->steps.size() + sizeof(CLedTrack) : 0; }

// Copies a track's content but not its modified flag, which the history sets.
void restore(CMotionTrack& track, const CMotionTrack& saved) {
    const bool modified = track.isModified();
    track = saved;
    track.setModified(modified);
}

void restore(CLedTrack& track, const CLedTrack& saved) { track.steps = saved.steps; }

}  // namespace

void CEditHistory::begin(const CMotionTrack& motion, const CLedTrack& leds, std::string name,
                         const ViewSelection& selection) {
    if (m_depth++ > 0) return;
    m_name = std::move(name);
    m_selectionBefore = selection;
    m_motionBefore = motion;
    m_ledsBefore = leds;
}

bool CEditHistory::end(const CMotionTrack& motion, const CLedTrack& leds, const ViewSelection& selection) {
    if (m_depth == 0 || --m_depth > 0) return false;
    Step step;
    if (!sameMotion(motion, m_motionBefore)) {
        step.motionBefore = std::move(m_motionBefore);
        step.motionAfter = motion;
    }
    if (leds.steps != m_ledsBefore.steps) {
        step.ledsBefore = std::move(m_ledsBefore);
        step.ledsAfter = leds;
    }
    m_motionBefore = CMotionTrack();
    m_ledsBefore = CLedTrack();
    if (!step.motionBefore && !step.ledsBefore) return false;
    step.name = std::move(m_name);
    step.before = m_selectionBefore;
    step.after = selection;
    step.bytes = motionBytes(step.motionBefore) + motionBytes(step.motionAfter) + ledBytes(step.ledsBefore) +
                 ledBytes(step.ledsAfter) + sizeof(Step);

    // A new action drops what was undone; the saved state may go with it.
    while (m_steps.size() > m_position) {
        m_bytes -= m_steps.back().bytes;
        m_steps.pop_back();
    }
    m_bytes += step.bytes;
    m_steps.push_back(std::move(step));
    ++m_position;
    trim();
    return true;
}

void CEditHistory::trim() {
    while (m_steps.size() > 1 && (m_steps.size() > m_maxSteps || m_bytes > m_maxBytes)) {
        m_bytes -= m_steps.front().bytes;
        m_steps.pop_front();
        --m_position;
    }
}

std::string CEditHistory::undoName() const { return canUndo() ? m_steps[m_position - 1].name : std::string(); }

std::string CEditHistory::redoName() const { return canRedo() ? m_steps[m_position].name : std::string(); }

bool CEditHistory::undo(CMotionTrack& motion, CLedTrack& leds, ViewSelection& selection) {
    if (!canUndo() || inAction()) return false;
    const Step& step = m_steps[--m_position];
    if (step.motionBefore) restore(motion, *step.motionBefore);
    if (step.ledsBefore) restore(leds, *step.ledsBefore);
    selection = step.before;
    refreshFlags(motion, leds);
    return true;
}

bool CEditHistory::redo(CMotionTrack& motion, CLedTrack& leds, ViewSelection& selection) {
    if (!canRedo() || inAction()) return false;
    const Step& step = m_steps[m_position++];
    if (step.motionAfter) restore(motion, *step.motionAfter);
    if (step.ledsAfter) restore(leds, *step.ledsAfter);
    selection = step.after;
    refreshFlags(motion, leds);
    return true;
}

void CEditHistory::refreshFlags(CMotionTrack& motion, CLedTrack& leds) const {
    motion.setModified(!m_savedMotion || m_motionFileDiffers || !sameMotion(motion, *m_savedMotion));
    leds.modified = !m_savedLeds || m_ledsFileDiffers || leds.steps != m_savedLeds->steps;
}

void CEditHistory::markSaved(const CMotionTrack& motion, const CLedTrack& leds) {
    markMotionSaved(motion);
    markLedsSaved(leds);
}

void CEditHistory::markMotionSaved(const CMotionTrack& motion) {
    m_savedMotion = motion;
    m_motionFileDiffers = motion.isModified();
}

void CEditHistory::markLedsSaved(const CLedTrack& leds) {
    m_savedLeds = leds;
    m_ledsFileDiffers = leds.isModified();
}

void CEditHistory::clear() {
    m_steps.clear();
    m_position = 0;
    m_bytes = 0;
}

}  // namespace rova
