// The beats of one performance window: the sound's analysis (run off the
// user-interface thread, which never waits for it: until it is ready there are
// no detected beats), the hand-set tempo kept in NAME.BPM, the remembered View
// settings Show Beats and Snap to Beats, and the beat lines.
#pragma once

#include <QRect>
#include <filesystem>
#include <memory>
#include <QString>
#include <functional>
#include <optional>

#include "beats/beats.h"

class QPainter;

namespace rova {

class CMainDoc;

class CBeatTrack {
public:
    // analyser finds the beats of a sound (beats::beatsForSound unless a test
    // puts a stand-in there).
    explicit CBeatTrack(beats::Analyser analyser = {}) : m_analyser(std::move(analyser)) {}

    // Cancels the analysis still running (of a replaced sound), starts the
    // analysis of the document's sound and reads NAME.BPM beside it; ready is
    // called on the user-interface thread when the analysis ends. A malformed
    // NAME.BPM is ignored and reported through note.
    void reset(const CMainDoc& doc, std::function<void()> ready, const std::function<void(const QString&)>& note);

    // The beats in force: the hand-set tempo when there is one, else the
    // analysed beats; none while the analysis runs.
    const beats::BeatGrid& grid();
    // The analysed beats alone; none while the analysis runs.
    const beats::BeatGrid& detected() const { return m_analysis ? m_analysis->grid() : m_none; }
    // Whether the sound's beats are still being found.
    bool detecting() const { return m_analysis && !m_analysis->ready(); }
    // Waits until the analysis has ended. Only for runs without a user (the
    // headless tool, tests), which want the beats the user would see later.
    void waitForAnalysis() const {
        if (m_analysis) m_analysis->wait();
    }
    // The beats to draw now, null while the analysis runs or when lines are hidden.
    const beats::BeatGrid* gridToDraw();
    // "125 BPM", "97.5 BPM"; "" without beats or while the analysis runs.
    QString tempoText();

    const std::optional<beats::BpmSetting>& manual() const { return m_manual; }
    // Sets (or with nothing, clears) the hand-set tempo and writes (or removes)
    // NAME.BPM; false when the file cannot be written, nothing changed then.
    bool setManual(const std::optional<beats::BpmSetting>& setting);

    // The remembered View settings, shared by every window.
    static bool showBeats();
    static void setShowBeats(bool on);
    static bool snapToBeats();
    static void setSnapToBeats(bool on);

private:
    beats::Analyser m_analyser;
    std::unique_ptr<beats::BeatAnalysis> m_analysis;
    std::optional<beats::BpmSetting> m_manual;
    beats::BeatGrid m_manualGrid;
    beats::BeatGrid m_none;
    std::int64_t m_lengthMs = 0;
    std::filesystem::path m_bpmPath;
};

// Draws a line at every beat inside clip, downbeats stronger, from y 0 down
// height pixels; time 0 lies at document x left.
void drawBeatLines(QPainter& p, const beats::BeatGrid& grid, int pps, int left, const QRect& clip, int height);

}  // namespace rova
