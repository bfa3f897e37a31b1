// Loop Playback and Playback Offset: remembered choices that every playback uses.
#pragma once

#include <optional>

#include "playback/playback.h"

class QWidget;

namespace rova {

// The remembered choices (loop off and no offset unless set); an offset
// stored out of range is held to ±kMaxPlaybackOffsetMs.
PlaybackOptions rememberedPlaybackOptions();
void rememberLoopPlayback(bool on);
void rememberPlaybackOffset(int ms);

// The "Playback Offset" dialog: the offset entered, or nothing for Cancel.
std::optional<int> askPlaybackOffset(QWidget* parent, int current);

}  // namespace rova
