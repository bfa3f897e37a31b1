#include "view/beats_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace rova {
namespace {

// How often an open dialog looks whether the beats have been found meanwhile.
constexpr int kDetectingPollMs = 100;

QString describe(const beats::BeatGrid* g) {
    if (!g) return QString::fromUtf8("Detecting…");
    if (g->empty()) return "No beats were found in the sound.";
    const char* from = g->source == beats::BeatSource::Midi ? "From the MIDI file" : "Detected in the sound";
    return QString("%1: %2 BPM, first beat at %3 ms.").arg(from).arg(g->bpm, 0, 'f', 1).arg(g->beatsMs.front());
}

}  // namespace

std::optional<BeatsChoice> runBeatsDialog(QWidget* parent, const DetectedBeats& detected,
                                          const std::optional<beats::BpmSetting>& manual) {
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
    form->addRow("&Tempo:", tempo);
    form->addRow("&First beat at:", offset);
    layout->addLayout(form);
    auto* state = new QLabel(&dialog);
    layout->addWidget(state);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* detect = buttons->addButton("&Detect", QDialogButtonBox::ResetRole);
    detect->setObjectName("detect");
    detect->setEnabled(grid && !grid->empty());
    layout->addWidget(buttons);

    bool byHand = manual.has_value();
    bool filling = false;
    auto show = [&](const beats::BpmSetting& s, bool hand) {
        filling = true;
        tempo->setValue(s.bpm);
        offset->setValue(s.offsetMs);
        filling = false;
        byHand = hand;
        state->setText(hand ? "The beats are set by hand (kept in NAME.BPM beside the performance)."
                            : "The detected beats are used.");
    };
    show(manual.value_or(grid ? beats::settingOf(*grid) : beats::BpmSetting{}), manual.has_value());
    auto edited = [&] {
        if (!filling && !byHand) show({tempo->value(), offset->value()}, true);
    };
    QObject::connect(tempo, &QDoubleSpinBox::valueChanged, &dialog, edited);
    QObject::connect(offset, &QSpinBox::valueChanged, &dialog, edited);
    QObject::connect(detect, &QPushButton::clicked, &dialog, [&] {
        if (grid) show(beats::settingOf(*grid), false);
    });
    // Beats found while the dialog is open show at once, and fill the fields
    // unless the user has set them.
    QTimer poll(&dialog);
    poll.setInterval(kDetectingPollMs);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        grid = detected ? detected() : nullptr;
        if (!grid) return;
        poll.stop();
        found->setText(describe(grid));
        detect->setEnabled(!grid->empty());
        if (!byHand) show(beats::settingOf(*grid), false);
    });
    if (!grid) poll.start();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    BeatsChoice choice;
    if (byHand) choice.manual = beats::BpmSetting{std::round(tempo->value() * 10) / 10, offset->value()};
    return choice;
}

}  // namespace rova
