// "Beats": the detected beats, and a grid set by hand instead (kept in
// NAME.BPM): a tempo and first beat, Half and Double, the tempo tapped along
// with the music, the beats a bar and a bar start at the cursor; or back to
// the detected beats.
#pragma once

#include <optional>
#include <string>

#include "beats/beats.h"
#include "view/view_dialogs.h"

class QWidget;

namespace rova {

// Opens the dialog over parent with the detected beats ("Detecting…" until
// they are found, then they show) and the setting in force (none: the
// detected beats are in use); nothing on Cancel. The commands open it
// through ViewDialogs::askBeats.
std::optional<BeatsChoice> runBeatsDialog(QWidget* parent, const BeatsDialogInput& input);

// What the dialog says when it refuses a press.
std::string beatsPressRefused(const BeatsPress& press);

}  // namespace rova
