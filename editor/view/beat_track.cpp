#include "view/beat_track.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QSettings>
#include <algorithm>

#include "document/main_doc.h"
#include "platform/files.h"
#include "shell/editor_app.h"  // the settings' names

namespace rova {
namespace {

constexpr const char* kShowBeatsKey = "Settings/ShowBeats";
constexpr const char* kSnapToBeatsKey = "Settings/SnapToBeats";
// Violet: apart from the joint pens (blue, yellow, red), the eye lights (green,
// red), the grey second lines and the grey highlight.
const QColor kBeatColour(205, 180, 235);
const QColor kDownbeatColour(140, 80, 200);

bool stored(const char* key, bool otherwise) {
    return QSettings(kSettingsOrganization, kSettingsApplication).value(key, otherwise).toBool();
}

void store(const char* key, bool on) { QSettings(kSettingsOrganization, kSettingsApplication).setValue(key, on); }

}  // namespace

bool CBeatTrack::showBeats() { return stored(kShowBeatsKey, true); }
bool CBeatTrack::snapToBeats() { return stored(kSnapToBeatsKey, false); }
void CBeatTrack::setShowBeats(bool on) { store(kShowBeatsKey, on); }
void CBeatTrack::setSnapToBeats(bool on) { store(kSnapToBeatsKey, on); }

void CBeatTrack::reset(const CMainDoc& doc, std::function<void()> ready,
                       const std::function<void(const QString&)>& note) {
    // The previous analysis (of a replaced sound) is cancelled, not waited for.
    m_analysis.reset();
    m_manual.reset();
    m_manualGrid = {};
    m_bpmPath.clear();
    m_lengthMs = 0;
    if (!(doc.trackFlags() & (TRACK_WAVE | TRACK_MIDI))) return;
    const std::vector<std::uint8_t>& audio = doc.audioBytes();
    m_lengthMs = beats::soundLengthMs(audio);
    // The worker tells the window through its event queue; a window gone by
    // then drops the call with its queue.
    auto* app = QCoreApplication::instance();
    m_analysis = std::make_unique<beats::BeatAnalysis>(
        audio,
        [app, ready = std::move(ready)] {
            if (app && ready) QMetaObject::invokeMethod(app, ready, Qt::QueuedConnection);
        },
        m_analyser);
    if (doc.pathName().empty()) return;
    m_bpmPath = PerformancePath::split(doc.pathName()).sibling("BPM");
    beats::BpmSetting setting;
    switch (beats::readBpmFile(m_bpmPath, setting)) {
    case beats::BpmFileState::Read:
        m_manual = setting;
        m_manualGrid = beats::handSetGrid(setting, m_lengthMs);
        break;
    case beats::BpmFileState::Malformed:
        if (note)
            note(QString::fromStdString(m_bpmPath.filename().string()) +
                 " is not a valid beat setting; the detected beats are shown.");
        break;
    case beats::BpmFileState::Missing: break;
    }
}

const beats::BeatGrid& CBeatTrack::grid() {
    if (m_manual) return m_manualGrid;
    return detected();
}

const beats::BeatGrid* CBeatTrack::gridToDraw() {
    if (!showBeats()) return nullptr;
    if (m_manual) return &m_manualGrid;
    if (!m_analysis || !m_analysis->ready()) return nullptr;
    return &m_analysis->grid();
}

QString CBeatTrack::tempoText() {
    const beats::BeatGrid* g = m_manual ? &m_manualGrid : (m_analysis && m_analysis->ready() ? &m_analysis->grid() : nullptr);
    if (!g) return {};
    // The tracker found no pulse it could trust: saying so beats a made-up tempo.
    if (g->empty()) return g->source == beats::BeatSource::Audio ? QStringLiteral("No steady beat") : QString();
    if (g->bpm <= 0) return {};
    const long tenths = std::lround(g->bpm * 10);
    const QString bpm =
        tenths % 10 == 0 ? QString::number(tenths / 10) : QString::number(static_cast<double>(tenths) / 10, 'f', 1);
    if (g->source == beats::BeatSource::Audio && g->confidence < beats::kUnsureConfidence)
        return QString::fromUtf8("≈ ") + bpm + " BPM?";
    return bpm + " BPM";
}

bool CBeatTrack::setManual(const std::optional<beats::BpmSetting>& setting) {
    if (m_bpmPath.empty()) return false;
    if (setting) {
        if (!beats::writeBpmFile(m_bpmPath, *setting)) return false;
        m_manual = setting;
        m_manualGrid = beats::handSetGrid(*setting, m_lengthMs);
        return true;
    }
    std::error_code ec;
    if (std::filesystem::exists(m_bpmPath, ec) && !std::filesystem::remove(m_bpmPath, ec)) return false;
    m_manual.reset();
    m_manualGrid = {};
    return true;
}

void drawBeatLines(QPainter& p, const beats::BeatGrid& grid, int pps, int left, const QRect& clip, int height) {
    const auto& beats = grid.beatsMs;
    if (beats.empty() || pps <= 0) return;
    // Only the beats whose x falls into the clip: from the time at its left edge on.
    const std::int64_t fromMs = std::max<std::int64_t>(0, (std::int64_t{clip.left()} - left) * 1000 / pps - 1);
    const auto& downbeats = grid.downbeatsMs;
    std::size_t d = beats::firstBeatAtOrAfter(downbeats, fromMs);
    for (std::size_t i = beats::firstBeatAtOrAfter(beats, fromMs); i < beats.size(); ++i) {
        const std::int64_t x = left + std::int64_t{beats[i]} * pps / 1000;
        if (x > clip.right()) break;
        while (d < downbeats.size() && downbeats[d] < beats[i]) ++d;
        const bool down = d < downbeats.size() && downbeats[d] == beats[i];
        if (x < clip.left()) continue;
        p.fillRect(static_cast<int>(x), 0, 1, height, down ? kDownbeatColour : kBeatColour);
    }
}

}  // namespace rova

// ---- the view's side --------------------------------------------------------

#include "view/main_view.h"

namespace rova {

void CMainView::restartBeats() {
    const QPointer<CMainView> self(this);
    m_beats.reset(
        doc(),
        // The beats found: the lines, the tempo field and the commands' states follow.
        [self] {
            if (!self) return;
            self->viewport()->update();
            if (self->host().stateChanged) self->host().stateChanged();
        },
        [self](const QString& note) {
            if (self && self->host().showNote) self->host().showNote(note);
        });
}

}  // namespace rova
