#include "document/main_doc.h"

#include "model/audio_file.h"
#include "model/keyframe_ops.h"
#include "model/led_file.h"
#include "model/motion_file.h"
#include "model/whole_file.h"
#include "sound/sound_import.h"

namespace rova {
namespace {

constexpr const char* kMsgBuiltIn = "Editing built in actions no longer supported";
constexpr const char* kMsgNoAudio = "Warning: no Audio track for this motion";
constexpr const char* kMsgBadWave = "WAVE file is not in valid format";
constexpr const char* kMsgBadLed = "LED file is not in valid format";
constexpr const char* kMsgBadMotion = "MOTION file is not in valid format";
constexpr const char* kMsgNoTracks = "Sorry, no editable tracks found";
constexpr const char* kMsgAligned =
    "Warning: motion file has non-standard alignment\nMotion has been aligned to 5 motion ticks";
constexpr const char* kMsgTooComplex = "Motion track is too complex, use the Reduce command";
constexpr const char* kMsgLedSaveFailed = "Error saving Eye LED data";
constexpr const char* kMsgMotionSaveFailed = "Error saving Motion data";
constexpr const char* kMsgSaveFirst = "Please save changes before replacing Audio";
constexpr const char* kMsgReplaceNow = "Replacing Audio Track will happen immediately. Replace ?";
constexpr const char* kMsgCopyFailed = "Failed to copy Audio Track";
constexpr const char* kMsgRenameFailed = "Failed to rename Audio Track - destination file may be read-only";
constexpr const char* kMsgBadNewWave = "New WAVE file is not in valid format";
constexpr const char* kMsgReplaceTracks = "Replace existing motion/LED tracks ?";
constexpr const char* kConvertingLabel = "Converting the sound...";

}  // namespace

std::string CMainDoc::title() const { return fs::path(m_path).filename().string(); }

bool CMainDoc::onOpenDocument(const std::string& path) {
    const PerformancePath set = PerformancePath::split(path);
    if (!set.base.empty() && set.base[0] == '*') {
        m_ui.showMessage(kMsgBuiltIn);
        return false;
    }

    if (!readWholeFile(set.sibling("WAV"), m_audioBytes) && !readWholeFile(set.sibling("MID"), m_audioBytes))
        m_ui.showMessage(kMsgNoAudio);
    readWholeFile(set.sibling("LED"), m_ledBytes);
    readWholeFile(set.sibling("MTN"), m_motionBytes);

    m_trackFlags = 0;
    m_wave = CWaveTrack();
    if (!m_audioBytes.empty()) {
        if (isMidiAudio(m_audioBytes)) {
            m_trackFlags |= TRACK_MIDI;
        } else if (readWave(m_audioBytes, m_wave)) {
            m_trackFlags |= TRACK_WAVE;
        } else {
            m_ui.showMessage(kMsgBadWave);
            return false;
        }
    }

    if (!m_ledBytes.empty()) {
        if (readLed(m_ledBytes, m_leds)) {
            m_trackFlags |= TRACK_LEDS;
        } else {
            m_ui.showMessage(kMsgBadLed);
            m_ledBytes.clear();
        }
    }

    if (!m_motionBytes.empty()) {
        const MessageSink sink = [this](std::string_view text) { m_ui.showMessage(text); };
        if (readMotion(m_motionBytes, m_motion, sink)) {
            m_motion.setFirstChannel(firstChannelOfKind(m_motion.kind()));
            m_trackFlags |= trackFlagsOfKind(m_motion.kind());
        } else {
            m_ui.showMessage(kMsgBadMotion);
            m_motionBytes.clear();
        }
    }

    if (m_trackFlags == 0) {
        m_ui.showMessage(kMsgNoTracks);
        return false;
    }
    if ((m_trackFlags & TRACK_MOTION) && align(m_motion) > 0) m_ui.showMessage(kMsgAligned);
    m_path = path;
    m_history.clear();
    m_history.markSaved(m_motion, m_leds);
    return true;
}

bool CMainDoc::onSaveDocument(const std::string& path) {
    if (m_motion.isModified() && !m_motion.fitsInFile()) {
        m_ui.showMessage(kMsgTooComplex);
        return false;
    }
    const PerformancePath set = PerformancePath::split(path);
    bool result = true;

    if (m_leds.isModified()) {
        const bool ok = replaceFileSafely(set.sibling("LED"),
                                          [this](std::ostream& out) { return writeLed(out, m_leds); });
        if (ok) {
            m_leds.modified = false;
        } else {
            m_ui.showMessage(kMsgLedSaveFailed);
            result = false;
        }
    }
    if (m_motion.isModified()) {
        const bool ok = replaceFileSafely(set.sibling("MTN"), [this, &set](std::ostream& out) {
            return writeMotion(out, m_motion, set.base);
        });
        if (ok) {
            m_motion.setModified(false);
        } else {
            m_ui.showMessage(kMsgMotionSaveFailed);
            result = false;
        }
    }
    m_modified = m_leds.isModified() || m_motion.isModified();
    if (result) m_history.markSaved(m_motion, m_leds);
    return result;
}

bool CMainDoc::updateSaveState() {
    m_modified = m_leds.isModified() || m_motion.isModified();
    return m_modified;
}

void CMainDoc::dropAudio() {
    m_trackFlags &= ~static_cast<unsigned>(TRACK_WAVE | TRACK_MIDI);
    m_wave = CWaveTrack();
    m_audioBytes.clear();
}

void CMainDoc::onReplaceAudio(const ViewSelection& selection) {
    if (!canReplaceAudio()) return;
    if (m_leds.isModified() || m_motion.isModified()) {
        m_ui.showMessage(kMsgSaveFirst);
        return;
    }
    const auto chosen =
        m_ui.chooseFileToOpen({"Select New Audio File", {kSoundFilesFilter, {"Wave Files", "*.WAV"}}});
    if (!chosen) return;
    if (!m_ui.askYesNo(kMsgReplaceNow)) return;

    const PerformancePath set = PerformancePath::split(m_path);
    const fs::path temp = set.exact("TMP");
    std::error_code ec;
    if (!copyFile(*chosen, temp)) {
        m_ui.showMessage(kMsgCopyFailed);
        fs::remove(temp, ec);
        return;
    }
    // The new sound is made usable in NAME.TMP before any old file goes, so a
    // file that is no sound leaves the performance with its old one.
    if (!sound::isPerformanceWave(temp)) {
        const sound::Result converted =
            sound::convertToWave(*chosen, temp, {}, m_ui.startProgress(kConvertingLabel));
        if (!converted.ok() || !sound::isPerformanceWave(temp)) {
            fs::remove(temp, ec);
            if (converted.status != sound::Status::Cancelled) m_ui.showMessage(kMsgBadNewWave);
            return;
        }
    }
    // Renaming over the old WAVE file replaces it in one step, so a failure
    // leaves the old audio in place; only then is a MIDI sibling removed.
    const fs::path midi = set.sibling("MID");
    const fs::path wave = set.sibling("WAV");
    fs::rename(temp, wave, ec);
    if (ec) {
        m_ui.showMessage(kMsgRenameFailed);
        fs::remove(temp, ec);
        return;
    }
    if (fileExists(midi)) fs::remove(midi, ec);

    dropAudio();
    if (!readWholeFile(wave, m_audioBytes) || !readWave(m_audioBytes, m_wave)) {
        dropAudio();
        m_ui.showMessage(kMsgBadNewWave);
        notifyViews(HINT_REBUILD_PANES);
        return;
    }
    m_trackFlags |= TRACK_WAVE;
    if (m_ui.askYesNo(kMsgReplaceTracks)) {
        // The old sound cannot come back, so the steps made over it go; the
        // rebuild itself undoes (to the tracks as saved, over the new sound).
        m_history.clear();
        m_history.markSaved(m_motion, m_leds);
        beginAction(kRebuildActionName, selection);
        if (m_trackFlags & TRACK_LEDS) resetLedTrackToAudio(m_leds, m_wave.sampleCount);
        if (m_trackFlags & TRACK_MOTION) rebuildToAudio(m_motion, m_wave.sampleCount);
        endAction(selection);
        updateSaveState();
    }
    notifyViews(HINT_REBUILD_PANES);
}

bool CMainDoc::undo(ViewSelection& selection) {
    if (!m_history.undo(m_motion, m_leds, selection)) return false;
    updateSaveState();
    return true;
}

bool CMainDoc::redo(ViewSelection& selection) {
    if (!m_history.redo(m_motion, m_leds, selection)) return false;
    updateSaveState();
    return true;
}

bool CMainDoc::columnOf(int channel, int& column) const {
    const int first = m_motion.firstChannel();
    if (m_motion.kind() == MOTION_NONE || channel < first || channel >= first + m_motion.channelCount())
        return false;
    column = channel - first;
    return true;
}

std::int32_t CMainDoc::valueAt(int step, int channel) const {
    int column;
    return columnOf(channel, column) ? m_motion.valueAtStep(step, column) : kNoValue;
}

bool CMainDoc::setValueAt(int step, int channel, std::int32_t value) {
    int column;
    return columnOf(channel, column) && m_motion.setValueAtStep(step, column, value);
}

}  // namespace rova
