#include "view/beats_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace rova {
namespace {

// How often an open dialog looks whether the beats have been found meanwhile,
// and whether the music it plays has ended.
constexpr int kDetectingPollMs = 100;
// Taps further apart than the slowest tempo's beat start a new series: the
// user has stopped and begins again.
constexpr std::int64_t kTapSeriesGapMs = static_cast<std::int64_t>(60000 / beats::kMinBpm);

QString describe(const beats::BeatGrid* g) {
    if (!g) return QString::fromUtf8("Detecting…");
    if (g->empty())
        return g->source == beats::BeatSource::Audio ? "No steady beat was found in the sound."
                                                     : "No beats were found in the sound.";
    const bool unsure = g->source == beats::BeatSource::Audio && g->confidence < beats::kUnsureConfidence;
    const char* from = g->source == beats::BeatSource::Midi ? "From the MIDI file"
                       : unsure && g->mayBeTwiceAsFast       ? "Detected in the sound, unsure, perhaps twice as fast"
                       : unsure                              ? "Detected in the sound, unsure"
                                                             : "Detected in the sound";
    QString text = QString("%1: %2 BPM, first beat at %3 ms").arg(from).arg(g->bpm, 0, 'f', 1).arg(g->beatsMs.front());
    const beats::BpmSetting s = beats::settingOf(*g);
    if (s.beatsPerBar > 0) text += QString(", %1 beats a bar").arg(s.beatsPerBar);
    if (!s.beatsMs.empty()) text += ", the tempo changes";
    return text + ".";
}

}  // namespace

std::optional<beats::BpmSetting> applyBeatsPress(const beats::BpmSetting& setting, const BeatsPress& press) {
    switch (press.kind) {
    case BeatsPress::Kind::Half: return beats::halfTempo(setting);
    case BeatsPress::Kind::Double: return beats::doubleTempo(setting);
    case BeatsPress::Kind::Tap: return beats::tappedTempo(setting, press.tapsMs);
    case BeatsPress::Kind::PerBar:
        if (press.value < 0 || press.value > beats::kMaxBeatsPerBar) return std::nullopt;
        return beats::withBeatsPerBar(setting, press.value);
    case BeatsPress::Kind::Downbeat:
        if (press.value < 0) return std::nullopt;
        return beats::withDownbeat(setting, press.value);
    }
    return std::nullopt;
}

std::string beatsPressRefused(const BeatsPress& press) {
    switch (press.kind) {
    case BeatsPress::Kind::Half: return "Half that tempo is below 30 BPM.";
    case BeatsPress::Kind::Double: return "Double that tempo is above 300 BPM.";
    case BeatsPress::Kind::Tap: return "Tap at least twice, one beat apart, between 30 and 300 BPM.";
    case BeatsPress::Kind::PerBar: return "A bar has 1 to 16 beats.";
    case BeatsPress::Kind::Downbeat: return "There is no cursor to set the downbeat at.";
    }
    return {};
}

std::optional<BeatsChoice> runBeatsDialog(QWidget* parent, const BeatsDialogInput& input) {
    const DetectedBeats& detected = input.detected;
    const BeatsMusic& music = input.music;
    const beats::BeatGrid* grid = detected ? detected() : nullptr;
    QDialog dialog(parent);
    dialog.setWindowTitle("Beats");
    auto* layout = new QVBoxLayout(&dialog);
    auto* found = new QLabel(describe(grid), &dialog);
    found->setObjectName("found");
    layout->addWidget(found);
    auto* form = new QFormLayout;
    auto* tempo = new QDoubleSpinBox(&dialog);
    tempo->setObjectName("tempo");
    tempo->setRange(beats::kMinBpm, beats::kMaxBpm);
    tempo->setDecimals(1);
    tempo->setSingleStep(0.1);
    tempo->setSuffix(" BPM");
    auto* offset = new QSpinBox(&dialog);
    offset->setObjectName("offset");
    offset->setRange(0, beats::kMaxOffsetMs);
    offset->setSuffix(" ms");
    auto* perBar = new QSpinBox(&dialog);
    perBar->setObjectName("perBar");
    perBar->setRange(0, beats::kMaxBeatsPerBar);
    perBar->setSpecialValueText("Unknown");
    form->addRow("&Tempo:", tempo);
    form->addRow("&First beat at:", offset);
    form->addRow("Beats per &bar:", perBar);
    layout->addLayout(form);

    auto* fixes = new QHBoxLayout;
    auto button = [&](const char* text, const char* name, QBoxLayout* row) {
        auto* b = new QPushButton(text, &dialog);
        b->setObjectName(name);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    QPushButton* half = button("&Half", "half", fixes);
    QPushButton* twice = button("D&ouble", "double", fixes);
    QPushButton* downbeat = button("Set Downbeat &Here", "downbeat", fixes);
    downbeat->setEnabled(input.cursorMs >= 0);
    downbeat->setToolTip("A bar starts at the beat nearest the cursor");
    layout->addLayout(fixes);
    auto* taps = new QHBoxLayout;
    QPushButton* play = button("&Play", "play", taps);
    play->setEnabled(static_cast<bool>(music.play));
    QPushButton* tap = button("T&ap", "tap", taps);
    auto* tapHint = new QLabel("Tap (or press T) on each beat while the music plays.", &dialog);
    taps->addWidget(tapHint);
    layout->addLayout(taps);
    auto* state = new QLabel(&dialog);
    state->setObjectName("state");
    layout->addWidget(state);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* detect = buttons->addButton("&Detect", QDialogButtonBox::ResetRole);
    detect->setObjectName("detect");
    detect->setEnabled(grid && !grid->empty());
    layout->addWidget(buttons);

    beats::BpmSetting shown;
    bool byHand = input.manual.has_value();
    bool filling = false;
    auto show = [&](const beats::BpmSetting& s, bool hand, const QString& note = {}) {
        filling = true;
        shown = s;
        tempo->setValue(s.bpm);
        offset->setValue(s.offsetMs);
        perBar->setValue(s.beatsPerBar);
        filling = false;
        byHand = hand;
        QString text = hand ? "The beats are set by hand (kept in NAME.BPM beside the performance)."
                            : "The detected beats are used.";
        if (hand && !s.beatsMs.empty()) text += " The tempo changes: every beat is kept.";
        state->setText(note.isEmpty() ? text : note);
    };
    show(input.manual.value_or(grid ? beats::settingOf(*grid) : beats::BpmSetting{}), input.manual.has_value());

    // The fields: a tempo typed in gives evenly spaced beats; a first beat
    // moved moves every beat and the bar starts with it.
    QObject::connect(tempo, &QDoubleSpinBox::valueChanged, &dialog, [&](double value) {
        if (filling) return;
        beats::BpmSetting s = shown;
        s.bpm = std::round(value * 10) / 10;
        s.beatsMs.clear();
        show(s, true);
    });
    QObject::connect(offset, &QSpinBox::valueChanged, &dialog, [&](int value) {
        if (filling) return;
        beats::BpmSetting s = shown;
        const int by = value - s.offsetMs;
        s.offsetMs = value;
        for (int& b : s.beatsMs) b += by;
        if (s.beatsPerBar > 0) s.downbeatMs = std::max(0, s.downbeatMs + by);
        if (!beats::validSetting(s)) s.beatsMs.clear();  // moved past the longest time: evenly spaced
        show(s, true);
    });
    auto press = [&](const BeatsPress& p) {
        if (const auto next = applyBeatsPress(shown, p)) show(*next, true);
        else state->setText(QString::fromStdString(beatsPressRefused(p)));
    };
    QObject::connect(perBar, &QSpinBox::valueChanged, &dialog, [&](int value) {
        if (!filling) press({.kind = BeatsPress::Kind::PerBar, .value = value});
    });
    QObject::connect(half, &QPushButton::clicked, &dialog, [&] { press({.kind = BeatsPress::Kind::Half}); });
    QObject::connect(twice, &QPushButton::clicked, &dialog, [&] { press({.kind = BeatsPress::Kind::Double}); });
    QObject::connect(downbeat, &QPushButton::clicked, &dialog,
                     [&] { press({.kind = BeatsPress::Kind::Downbeat, .value = input.cursorMs}); });
    QObject::connect(detect, &QPushButton::clicked, &dialog, [&] {
        if (grid) show(beats::settingOf(*grid), false);
    });

    // Play and Tap. Taps while the music plays are times on the sound's
    // clock and set the tempo and the phase; without music the wall clock
    // gives the tempo alone.
    bool playing = false;
    auto setPlaying = [&](bool on) {
        playing = on;
        play->setText(on ? "&Stop" : "&Play");
    };
    std::vector<std::int64_t> tapTimes;
    bool tapsOnSound = false;
    QElapsedTimer wallClock;
    wallClock.start();
    QObject::connect(play, &QPushButton::clicked, &dialog, [&] {
        if (playing) {
            if (music.stop) music.stop();
            setPlaying(false);
        } else if (music.play(std::max(0, input.cursorMs))) {
            setPlaying(true);
            tapTimes.clear();
        } else {
            state->setText("The sound cannot be played.");
        }
        tap->setFocus();
    });
    auto onTap = [&] {
        const std::optional<int> atSound = playing && music.positionMs ? music.positionMs() : std::nullopt;
        const std::int64_t now = atSound ? std::int64_t{*atSound} : wallClock.elapsed();
        if (atSound.has_value() != tapsOnSound || (!tapTimes.empty() && (now <= tapTimes.back() ||
                                                                           now - tapTimes.back() > kTapSeriesGapMs)))
            tapTimes.clear();
        tapsOnSound = atSound.has_value();
        tapTimes.push_back(now);
        if (tapTimes.size() < 2) {
            state->setText("Tap again on the next beat.");
            return;
        }
        std::optional<beats::BpmSetting> next = beats::tappedTempo(shown, tapTimes);
        if (!next) {
            state->setText(QString::fromStdString(beatsPressRefused({.kind = BeatsPress::Kind::Tap})));
            return;
        }
        if (!tapsOnSound) next->offsetMs = shown.offsetMs;  // no music: the phase is not known
        show(*next, true,
             QString("Tapped %1 BPM%2 (%3 taps).")
                 .arg(next->bpm, 0, 'f', 1)
                 .arg(tapsOnSound ? " on the music" : ", first beat kept")
                 .arg(tapTimes.size()));
    };
    QObject::connect(tap, &QPushButton::clicked, &dialog, onTap);
    auto* tapKey = new QShortcut(QKeySequence(Qt::Key_T), &dialog);
    QObject::connect(tapKey, &QShortcut::activated, &dialog, onTap);
    // Tapping is the quickest correction: T and Space tap at once, and a
    // field typed into still takes its digits.
    tap->setFocus();

    // Beats found while the dialog is open show at once, and fill the fields
    // unless the user has set them; music that has ended shows Play again.
    QTimer poll(&dialog);
    poll.setInterval(kDetectingPollMs);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (playing && music.positionMs && !music.positionMs()) setPlaying(false);
        if (grid) return;
        grid = detected ? detected() : nullptr;
        if (!grid) return;
        found->setText(describe(grid));
        detect->setEnabled(!grid->empty());
        if (!byHand) show(beats::settingOf(*grid), false);
    });
    poll.start();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    const int result = dialog.exec();
    if (playing && music.stop) music.stop();
    if (result != QDialog::Accepted) return std::nullopt;
    BeatsChoice choice;
    if (byHand) choice.manual = shown;
    return choice;
}

}  // namespace rova
