// "Beats": the detected tempo and first beat, and a tempo and first beat set
// by hand instead (kept in NAME.BPM), or back to the detected ones.
#pragma once

#include <functional>
#include <optional>

#include "beats/beats.h"

class QWidget;

namespace rova {

struct BeatsChoice {
    // The hand-set tempo, or nothing to use the detected beats.
    std::optional<beats::BpmSetting> manual;
};

// Opens the dialog over parent with the detected beats and the setting in
// force (none: the detected beats are in use); nothing on Cancel.
using BeatsDialogFunction = std::function<std::optional<BeatsChoice>(
    QWidget* parent, const beats::BeatGrid& detected, const std::optional<beats::BpmSetting>& manual)>;

// The dialog the Beats command opens; tests and the headless tool replace it.
BeatsDialogFunction& beatsDialog();

}  // namespace rova
