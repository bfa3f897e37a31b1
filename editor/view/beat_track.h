// The beats of one performance window: the sound's analysis (run once, off
// the user-interface thread), the hand-set tempo kept in NAME.BPM, the
// remembered View settings Show Beats and Snap to Beats, and the beat lines.
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
    // Starts the analysis of the document's sound and reads NAME.BPM beside
    // it; ready is called on the user-interface thread when the analysis ends.
    // A malformed NAME.BPM is ignored and reported through note.
    void reset(const CMainDoc& doc, std::function<void()> ready, const std::function<void(const QString&)>& note);

    // The beats in force: the hand-set tempo when there is one, else the
    // analysed beats (waiting for the analysis when it still runs).
    const beats::BeatGrid& grid();
    // The analysed beats alone (waiting likewise).
    const beats::BeatGrid& detected() const { return m_analysis ? m_analysis->grid() : m_none; }
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
