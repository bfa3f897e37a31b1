// What a video of a performance is made from: the document's tracks and sound
// as the video library takes them (the command and rova-tool share this).
#pragma once

#include "document/main_doc.h"
#include "video/video_export.h"

namespace rova {

// The motion, the eye lights and the sound (WAVE samples or the MIDI file) of
// the document; they stay the document's.
video::VideoInput videoInputOf(const CMainDoc& doc);

}  // namespace rova
