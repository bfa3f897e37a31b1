// "Beats": the detected tempo and first beat, and a tempo and first beat set
// by hand instead (kept in NAME.BPM), or back to the detected ones.
#pragma once

#include <optional>

#include "beats/beats.h"
#include "view/view_dialogs.h"

class QWidget;

namespace rova {

// Opens the dialog over parent with the detected beats ("Detecting…" until
// detected gives them, then they show) and the setting in force (none: the
// detected beats are in use); nothing on Cancel. The commands open it through
// ViewDialogs::askBeats.
std::optional<BeatsChoice> runBeatsDialog(QWidget* parent, const DetectedBeats& detected,
                                          const std::optional<beats::BpmSetting>& manual);

}  // namespace rova
