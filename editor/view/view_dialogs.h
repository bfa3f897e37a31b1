// The dialogs the performance view's commands open, behind one interface so
// that the headless tool and tests can answer them.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "beats/beats.h"
#include "dance/music_dance.h"
#include "view/insert_time_dialog.h"
#include "shell/dialogs.h"

class QWidget;

namespace rova {

class CDialogMemory;

// What the Beats dialog answers with: the hand-set tempo, or nothing to use the detected beats.
struct BeatsChoice {
    std::optional<beats::BpmSetting> manual;
    bool operator==(const BeatsChoice&) const = default;
};
// The detected beats as the Beats dialog sees them, asked again while it is
// open: null while they are still being found.
using DetectedBeats = std::function<const beats::BeatGrid*()>;

// The performance's sound, played from the Beats dialog so that the user can
// tap along; empty functions: there is nothing to play.
struct BeatsMusic {
    std::function<bool(int fromMs)> play;            // false when the sound cannot play
    std::function<std::optional<int>()> positionMs;  // where the sound is; none when stopped
    std::function<void()> stop;
};

// What the Beats dialog opens with.
struct BeatsDialogInput {
    DetectedBeats detected;
    std::optional<beats::BpmSetting> manual;  // the setting in force; none: the detected beats are used
    int cursorMs = -1;                        // Set Downbeat Here's time; -1: no cursor
    BeatsMusic music{};
};

// One press of the Beats dialog, as the headless tool and tests give it.
struct BeatsPress {
    enum class Kind { Half, Double, Tap, PerBar, Downbeat };
    Kind kind = Kind::Half;
    std::vector<std::int64_t> tapsMs{};  // Tap: the taps on the sound's clock
    int value = 0;                       // PerBar: beats a bar; Downbeat: the time in ms
    bool operator==(const BeatsPress&) const = default;
};
// The setting after a press (the dialog's own corrections); none when the
// press is refused (a tempo out of range, too few taps).
std::optional<beats::BpmSetting> applyBeatsPress(const beats::BpmSetting& setting, const BeatsPress& press);

class ViewDialogs {
public:
    virtual ~ViewDialogs() = default;
    // "Zoom Factor": the new factor, or nothing for Cancel.
    virtual std::optional<int> askZoomFactor(QWidget* parent, int current) = 0;
    // "Apply macro to selection": the chosen name ("" when none chosen), or nothing unless Apply.
    virtual std::optional<QString> askMacro(QWidget* parent, const QStringList& names) = 0;
    // "Generate Eye LEDs from Audio" showing the remembered thresholds: the
    // ones set (and remembered), or nothing unless Generate.
    virtual std::optional<EyeThresholds> askGenerateEyes(QWidget* parent, CDialogMemory& memory) = 0;
    // "Generate Mouth from Audio" likewise with its one threshold.
    virtual std::optional<int> askGenerateMouth(QWidget* parent, CDialogMemory& memory) = 0;
    // "Paste Special", the one dialog of the run: the boxes confirmed, or nothing unless OK.
    virtual std::optional<PasteParts> askPasteSpecial(QWidget* parent, CDialogMemory& memory) = 0;
    // "Dance to the Music" showing the remembered settings: the ones confirmed, or nothing unless Dance.
    virtual std::optional<dance::MusicDanceSettings> askDanceToMusic(QWidget* parent,
                                                                      const dance::MusicDanceSettings& shown) = 0;
    // "Insert Time" with the lengths it can offer: the one chosen, or nothing unless Insert.
    virtual std::optional<InsertTimeChoice> askInsertTime(QWidget* parent, const InsertTimeOffer& offer) = 0;
    // "Beats" with the detected beats, the setting in force, the cursor and
    // the sound: the choice, or nothing for Cancel.
    virtual std::optional<BeatsChoice> askBeats(QWidget* parent, const BeatsDialogInput& input) = 0;
};

// The real dialogs.
class QtViewDialogs : public ViewDialogs {
public:
    std::optional<int> askZoomFactor(QWidget* parent, int current) override;
    std::optional<QString> askMacro(QWidget* parent, const QStringList& names) override;
    std::optional<EyeThresholds> askGenerateEyes(QWidget* parent, CDialogMemory& memory) override;
    std::optional<int> askGenerateMouth(QWidget* parent, CDialogMemory& memory) override;
    std::optional<PasteParts> askPasteSpecial(QWidget* parent, CDialogMemory& memory) override;
    std::optional<dance::MusicDanceSettings> askDanceToMusic(QWidget* parent,
                                                              const dance::MusicDanceSettings& shown) override;
    std::optional<InsertTimeChoice> askInsertTime(QWidget* parent, const InsertTimeOffer& offer) override;
    std::optional<BeatsChoice> askBeats(QWidget* parent, const BeatsDialogInput& input) override;
};

// What a run without a user answers the dialogs: the headless tool and tests
// set an answer before the command that opens a dialog (none means Cancel).
struct ScriptedAnswers {
    std::optional<int> zoom;
    std::optional<QString> macro;
    std::optional<EyeThresholds> eyes;
    std::optional<int> mouth;
    std::optional<PasteParts> paste;
    std::optional<dance::MusicDanceSettings> danceToMusic;
    std::optional<InsertTimeChoice> insertTime;
    std::optional<BeatsChoice> beats;
    // Presses in the Beats dialog, then OK; when given, they answer instead of beats.
    std::vector<BeatsPress> beatsPresses;
    std::vector<std::string> files;     // files chosen in the file dialogs, in turn
    std::vector<std::string> messages;  // what a dialog itself said while refusing input
    void reset() { *this = ScriptedAnswers(); }
};

// The dialogs answered from ScriptedAnswers, remembering as the real ones do
// and recording what each was opened with.
class ScriptedViewDialogs : public ViewDialogs, public ScriptedAnswers {
public:
    std::vector<std::pair<int, int>> eyesShown;
    std::vector<int> mouthShown;
    std::vector<std::pair<int, int>> pasteSelections;  // the view's selection while Paste Special is open

    std::optional<int> askZoomFactor(QWidget*, int) override { return zoom; }
    std::optional<QString> askMacro(QWidget*, const QStringList&) override { return macro; }
    std::optional<EyeThresholds> askGenerateEyes(QWidget* parent, CDialogMemory& memory) override;
    std::optional<int> askGenerateMouth(QWidget* parent, CDialogMemory& memory) override;
    std::optional<PasteParts> askPasteSpecial(QWidget* parent, CDialogMemory& memory) override;
    std::vector<dance::MusicDanceSettings> danceShown;  // what Dance to the Music opened with
    std::optional<dance::MusicDanceSettings> askDanceToMusic(QWidget*, const dance::MusicDanceSettings& shown) override {
        danceShown.push_back(shown);
        return danceToMusic;
    }
    std::vector<InsertTimeOffer> insertShown;  // what Insert Time offered
    std::optional<InsertTimeChoice> askInsertTime(QWidget*, const InsertTimeOffer& offer) override {
        insertShown.push_back(offer);
        return insertTime;
    }
    // What the Beats dialog opened with: the detected beats (none while being found) and the setting.
    struct BeatsShown {
        std::optional<beats::BeatGrid> detected;
        std::optional<beats::BpmSetting> manual;
    };
    std::vector<BeatsShown> beatsShown;
    std::optional<BeatsChoice> askBeats(QWidget*, const BeatsDialogInput& input) override;
};

// The dialogs the views use: the real ones unless others are installed.
ViewDialogs& viewDialogs();
// Installs dialogs (null: the real ones) and returns those installed before.
ViewDialogs* installViewDialogs(ViewDialogs* dialogs);

// Installs dialogs for its own life and then puts back those it replaced, so
// that a test that stops early leaves no dialogs behind that point into it.
class ScopedViewDialogs {
public:
    explicit ScopedViewDialogs(ViewDialogs* dialogs) : m_previous(installViewDialogs(dialogs)) {}
    ~ScopedViewDialogs() { installViewDialogs(m_previous); }
    ScopedViewDialogs(const ScopedViewDialogs&) = delete;
    ScopedViewDialogs& operator=(const ScopedViewDialogs&) = delete;

private:
    ViewDialogs* m_previous;
};

}  // namespace rova
