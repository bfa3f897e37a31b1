#include "document/main_doc.h"

#include <algorithm>

#include "model/audio_file.h"
#include "model/keyframe_ops.h"
#include "model/led_file.h"
#include "model/midi_file.h"
#include "model/motion_file.h"
#include "model/whole_file.h"

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
constexpr const char* kMsgSoundSaveFailed = "Error saving the sound";
constexpr const char* kMsgBeatsSaveFailed = "Error saving the beats (NAME.BPM)";

// The file of a performance's own beats, copied with it under a new name.
constexpr const char* kBeatsExtension = "BPM";

bool samePerformance(const std::string& a, const std::string& b) {
    const PerformancePath x = PerformancePath::split(a), y = PerformancePath::split(b);
    if (x.base != y.base) return false;
    std::error_code ec;
    const fs::path fx = x.folder.empty() ? fs::path(".") : x.folder;
    const fs::path fy = y.folder.empty() ? fs::path(".") : y.folder;
    return fx == fy || fs::equivalent(fx, fy, ec);
}

// The longest MIDI sound a performance holds: its sample count must fit an int,
// and its eye-light track the eye-light file.
constexpr std::int64_t kMaxMidiMs =
    std::min<std::int64_t>(static_cast<std::int64_t>(INT32_MAX) / (kSampleRate / 1000),
                           static_cast<std::int64_t>(kMaxLedSteps - 1) * 1000 / kLedStepsPerSecond);

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

bool CMainDoc::writeTracks(FileSet& files, const PerformancePath& set, bool whole) {
    std::string error;
    if ((m_trackFlags & TRACK_LEDS) && (whole || m_leds.isModified()) &&
        !files.write(set.sibling("LED"), [this](std::ostream& out) { return writeLed(out, m_leds); }, error)) {
        m_ui.showMessage(kMsgLedSaveFailed);
        return false;
    }
    if ((m_trackFlags & TRACK_MOTION) && (whole || m_motion.isModified()) &&
        !files.write(
            set.sibling("MTN"), [this, &set](std::ostream& out) { return writeMotion(out, m_motion, set.base); },
            error)) {
        m_ui.showMessage(kMsgMotionSaveFailed);
        return false;
    }
    return !whole || writeWholeSet(files, set, error);
}

// Under a new name the sound and the beats go with the tracks. A file already
// under that name for a part this performance lacks (a sound of the other kind,
// eye lights, motion, beats) belongs to another performance, which the user
// agreed to replace: it goes, so the renamed performance opens as it is.
bool CMainDoc::writeWholeSet(FileSet& files, const PerformancePath& set, std::string& error) {
    const auto removeAll = [&](const std::string& ext) {
        return std::ranges::all_of(set.siblingsAnyCase(ext), [&](const fs::path& p) { return files.remove(p, error); });
    };
    if (!(m_trackFlags & TRACK_LEDS) && !removeAll("LED")) {
        m_ui.showMessage(kMsgLedSaveFailed);
        return false;
    }
    if (!(m_trackFlags & TRACK_MOTION) && !removeAll("MTN")) {
        m_ui.showMessage(kMsgMotionSaveFailed);
        return false;
    }
    const bool sound = (m_trackFlags & (TRACK_WAVE | TRACK_MIDI)) != 0;
    const bool midi = (m_trackFlags & TRACK_MIDI) != 0;
    const bool soundOk = sound ? files.write(set.sibling(midi ? "MID" : "WAV"), m_audioBytes, error) &&
                                     removeAll(midi ? "WAV" : "MID")
                               : removeAll("WAV") && removeAll("MID");
    if (!soundOk) {
        m_ui.showMessage(kMsgSoundSaveFailed);
        return false;
    }
    std::vector<std::uint8_t> beats;
    const bool hasBeats = sound && readWholeFile(PerformancePath::split(m_path).sibling(kBeatsExtension), beats);
    if (hasBeats ? !files.write(set.sibling(kBeatsExtension), beats, error) : !removeAll(kBeatsExtension)) {
        m_ui.showMessage(kMsgBeatsSaveFailed);
        return false;
    }
    return true;
}

bool CMainDoc::onSaveDocument(const std::string& path) {
    const bool whole = !m_path.empty() && !samePerformance(path, m_path);
    const bool motionWritten = (m_trackFlags & TRACK_MOTION) && (whole || m_motion.isModified());
    const bool ledsWritten = (m_trackFlags & TRACK_LEDS) && (whole || m_leds.isModified());
    if (motionWritten && !m_motion.fitsInFile()) {
        m_ui.showMessage(kMsgTooComplex);
        return false;
    }
    // Every file of the save is written, or none is: a failure part way puts the
    // files already written back, and the tracks stay modified.
    FileSet files(m_writeFault);
    if (!writeTracks(files, PerformancePath::split(path), whole)) return false;
    std::string error;
    fs::path failed;
    if (!files.commit(error, &failed)) {
        const std::string ext = failed.extension().string();
        m_ui.showMessage(sameIgnoringCase(ext, ".LED")   ? kMsgLedSaveFailed
                         : sameIgnoringCase(ext, ".MTN") ? kMsgMotionSaveFailed
                         : sameIgnoringCase(ext, ".BPM") ? kMsgBeatsSaveFailed
                                                         : kMsgSoundSaveFailed);
        return false;
    }
    if (ledsWritten) {
        m_leds.modified = false;
        m_history.markLedsSaved(m_leds);
    }
    if (motionWritten) {
        m_motion.setModified(false);
        m_history.markMotionSaved(m_motion);
    }
    updateSaveState();
    return true;
}

bool CMainDoc::endAction(const ViewSelection& selection) {
    const bool changed = m_history.end(m_motion, m_leds, selection);
    if (!m_history.inAction()) {
        m_history.refreshFlags(m_motion, m_leds);
        updateSaveState();
    }
    return changed;
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

    // The new sound is made usable in memory before any old file goes, so a
    // file that is no sound leaves the performance with its old one. Nothing
    // but the performance's own sound files is ever written or removed.
    std::vector<std::uint8_t> bytes;
    std::error_code ec;
    const bool readable = readWholeFile(*chosen, bytes);
    if (!readable && (!fs::is_regular_file(*chosen, ec) || fs::file_size(*chosen, ec) <= kMaxWholeFileBytes)) {
        m_ui.showMessage(kMsgCopyFailed);
        return;
    }
    const bool midi = readable && isMidiAudio(bytes);
    int samples = 0;
    CWaveTrack wave;
    if (midi) {
        const auto ms = midiDurationMs(bytes);
        if (!ms || *ms <= 0 || *ms > kMaxMidiMs) {
            m_ui.showMessage(kMsgBadNewWave);
            return;
        }
        samples = static_cast<int>(*ms * (kSampleRate / 1000));
    } else if (!readable || !readWave(bytes, wave)) {
        const ConvertedSound converted = m_convert ? m_convert(*chosen, m_ui.startProgress(kConvertingLabel))
                                                   : ConvertedSound{};
        if (converted.status == ConvertedSound::Status::Cancelled) return;
        bytes = converted.wave;
        wave = CWaveTrack();
        if (converted.status != ConvertedSound::Status::Ok || !readWave(bytes, wave)) {
            m_ui.showMessage(kMsgBadNewWave);
            return;
        }
    }
    if (!midi) samples = wave.sampleCount;

    // The sound replaces the old one in one step; the sound of the other kind
    // goes (the document prefers NAME.WAV), and all of it comes back on failure.
    const PerformancePath set = PerformancePath::split(m_path);
    FileSet files(m_writeFault);
    std::string error;
    bool ok = files.write(set.sibling(midi ? "MID" : "WAV"), bytes, error);
    for (const fs::path& other : set.siblingsAnyCase(midi ? "WAV" : "MID")) ok = ok && files.remove(other, error);
    if (!ok || !files.commit(error)) {
        m_ui.showMessage(kMsgRenameFailed);
        return;
    }

    dropAudio();
    m_audioBytes = std::move(bytes);
    m_wave = wave;
    m_trackFlags |= midi ? TRACK_MIDI : TRACK_WAVE;
    if (m_ui.askYesNo(kMsgReplaceTracks)) {
        // The old sound cannot come back, so the steps made over it go; the
        // rebuild itself undoes (to the tracks as saved, over the new sound).
        m_history.clear();
        m_history.markSaved(m_motion, m_leds);
        beginAction(kRebuildActionName, selection);
        if (m_trackFlags & TRACK_LEDS) resetLedTrackToAudio(m_leds, samples);
        if (m_trackFlags & TRACK_MOTION) rebuildToAudio(m_motion, samples);
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
