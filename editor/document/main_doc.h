// The performance document: the tracks of one set of sibling files
// (NAME.WAV or NAME.MID, NAME.LED, NAME.MTN), how they are opened, saved, and
// how the audio is replaced. Free of any toolkit; the user is reached through
// a MessageInterface and the views through the update callback.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "document/edit_history.h"
#include "model/motion_track.h"
#include "platform/file_set.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rova {

// The undo step of the tracks rebuilt over a replaced sound.
inline constexpr const char* kRebuildActionName = "Rebuild Tracks";

// The sounds a performance can be made from (file dialogs; case does not matter).
inline const FileFilter kSoundFilesFilter{"Sound Files",
                                          "*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff *.mid *.midi"};

// A chosen sound made into the bytes of an 8000 Hz mono 8-bit WAVE file.
struct ConvertedSound {
    enum class Status { Ok, Failed, Cancelled };
    Status status = Status::Failed;
    std::vector<std::uint8_t> wave;
};

// Converts a sound file of any format for Replace Audio. The application
// supplies it (the sound library decodes), so the document needs no decoder;
// without one only sounds already in the robot's format are taken.
using SoundConverter = std::function<ConvertedSound(const std::string& source, const ProgressCallback& progress)>;

enum UpdateHint : int {
    HINT_REPAINT = 0,
    HINT_REBUILD_PANES = 1,
};

class CMainDoc {
public:
    explicit CMainDoc(MessageInterface& ui, SoundConverter convert = {}) : m_ui(ui), m_convert(std::move(convert)) {}
    CMainDoc(const CMainDoc&) = delete;
    CMainDoc& operator=(const CMainDoc&) = delete;

    // The document type cannot be created empty.
    bool onNewDocument() { return false; }
    bool onOpenDocument(const std::string& path);
    // Saves as one set: either every file is written or every file stays as it
    // was (and the tracks stay modified). To the opened performance only the
    // modified tracks are written; under a new name the whole performance is
    // (motion, eye lights, the sound as NAME.WAV or NAME.MID, and NAME.BPM).
    bool onSaveDocument(const std::string& path);
    // The selection is what undoing the track rebuild returns to. A MIDI file
    // makes the performance a MIDI performance; any other sound that is not yet
    // 8000 Hz mono 8-bit WAVE is converted (loudness normalised).
    void onReplaceAudio(const ViewSelection& selection = {});
    bool canReplaceAudio() const { return (m_trackFlags & (TRACK_WAVE | TRACK_MIDI)) != 0; }
    // Refreshes the document's modified flag from the tracks; true when Save is enabled.
    bool updateSaveState();

    bool isModified() const { return m_modified; }
    void setModifiedFlag(bool modified) { m_modified = modified; }
    const std::string& pathName() const { return m_path; }
    void setPathName(const std::string& path) { m_path = path; }
    // The file name of the path, as window captions show it.
    std::string title() const;

    unsigned trackFlags() const { return m_trackFlags; }
    CMotionTrack& motion() { return m_motion; }
    const CMotionTrack& motion() const { return m_motion; }
    CLedTrack& leds() { return m_leds; }
    const CLedTrack& leds() const { return m_leds; }
    const CWaveTrack& wave() const { return m_wave; }
    const std::vector<std::uint8_t>& audioBytes() const { return m_audioBytes; }
    MessageInterface& ui() { return m_ui; }

    // Every change of the tracks by the user happens inside an action, which
    // undoes as one; actions opened inside another join it.
    void beginAction(std::string name, const ViewSelection& selection) {
        m_history.begin(m_motion, m_leds, std::move(name), selection);
    }
    // True when the action changed a track; one that changed nothing leaves the
    // modified flags as they were.
    bool endAction(const ViewSelection& selection);
    // Undo and Redo; selection gets the selection of the moment returned to.
    bool undo(ViewSelection& selection);
    bool redo(ViewSelection& selection);
    CEditHistory& history() { return m_history; }
    const CEditHistory& history() const { return m_history; }

    std::int32_t valueAt(int step, int channel) const;
    bool setValueAt(int step, int channel, std::int32_t value);

    // Tells every view of the document to repaint (0) or rebuild its panes (1).
    std::function<void(int hint)> updateAllViews;

    // Makes chosen file writes fail, for tests of a save that fails part way.
    void setWriteFault(WriteFault fault) { m_writeFault = std::move(fault); }

private:
    void notifyViews(int hint) {
        if (updateAllViews) updateAllViews(hint);
    }
    bool columnOf(int channel, int& column) const;
    void dropAudio();
    bool writeTracks(FileSet& files, const PerformancePath& set, bool whole);
    bool writeWholeSet(FileSet& files, const PerformancePath& set, std::string& error);

    MessageInterface& m_ui;
    SoundConverter m_convert;
    WriteFault m_writeFault;
    std::string m_path;
    bool m_modified = false;
    unsigned m_trackFlags = 0;
    CWaveTrack m_wave;
    CMidiTrack m_midi;
    CLedTrack m_leds;
    CMotionTrack m_motion;
    std::vector<std::uint8_t> m_audioBytes;
    std::vector<std::uint8_t> m_ledBytes;
    std::vector<std::uint8_t> m_motionBytes;
    CEditHistory m_history;
};

}  // namespace rova
