// The audio device's sound card output through Qt Multimedia, and the choice
// between it and the silent output when no sound device can be had.
#pragma once

#include <memory>

#include "platform/audio_device.h"

namespace rova {

// An output for the clip: the default sound device, or the silent output when
// the clip has no sound or there is no device (the sound card output also
// falls back to it when the device refuses to start).
std::unique_ptr<AudioOutput> makeSoundOutput(const AudioClip& clip);

// The program's audio device: files decoded with the installed SoundFont,
// played on the sound card. notice receives the one-line remarks of the device
// (a MIDI file that plays silent).
std::unique_ptr<AudioDevice> makeSystemAudioDevice(std::function<void(std::string_view)> notice);

}  // namespace rova
