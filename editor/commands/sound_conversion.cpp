// What the application gives its documents to replace a performance's sound
// with one of any format: the sound library's decoder and resampler.
#include "commands/editor_commands.h"
#include "shell/editor_app.h"
#include "sound/sound_import.h"

namespace rova {

SoundConverter performanceSoundConverter() {
    return [](const std::string& source, const ProgressCallback& progress) {
        std::vector<std::uint8_t> samples;
        const sound::Result r = sound::convertToSamples(source, {}, progress, samples);
        ConvertedSound converted;
        if (r.status == sound::Status::Cancelled) converted.status = ConvertedSound::Status::Cancelled;
        if (!r.ok()) return converted;
        converted.status = ConvertedSound::Status::Ok;
        converted.wave = sound::waveFileBytes(samples);
        return converted;
    };
}

void registerEditorCommands(CEditorApp& app) {
    registerEditorCommands(app.commands());
    app.setSoundConverter(performanceSoundConverter());
}

}  // namespace rova
