#include "doc_session.h"

#include "json_writer.h"

namespace rova::tool {

bool DocSession::open(const std::string& path) {
    auto doc = std::make_unique<CMainDoc>(ui);
    if (!doc->onOpenDocument(path)) return false;
    m_active = doc.get();
    m_docs.push_back(std::move(doc));
    return true;
}

bool DocSession::command(const std::vector<std::string>& words, std::string& error) {
    if (words.empty()) {
        error = "empty command";
        return false;
    }
    const std::string& name = words[0];
    auto wantArgs = [&](std::size_t n) {
        if (words.size() == n + 1) return true;
        error = "command '" + name + "' takes " + std::to_string(n) + " argument(s)";
        return false;
    };
    if (name == "open") {
        if (!wantArgs(1)) return false;
        open(words[1]);
        return true;
    }
    if (!m_active) return true;
    CMainDoc& doc = *m_active;
    if (name == "save") {
        if (!wantArgs(0)) return false;
        if (doc.updateSaveState()) doc.onSaveDocument(doc.pathName());
        return true;
    }
    if (name == "save-as") {
        if (!wantArgs(1)) return false;
        if (doc.onSaveDocument(words[1])) doc.setPathName(words[1]);
        return true;
    }
    if (name == "replace-audio") {
        if (!wantArgs(1)) return false;
        if (!doc.canReplaceAudio()) return true;
        ui.files.push_back(words[1]);
        doc.onReplaceAudio();
        ui.files.clear();
        return true;
    }
    error = "unknown command '" + name + "'";
    return false;
}

void DocSession::report(std::ostream& out, bool opened) {
    JsonWriter j(out);
    j.beginObject();
    j.key("opened").value(opened);
    j.key("messages").beginArray();
    for (const auto& m : ui.messages) j.value(m);
    j.endArray();
    const CMainDoc* doc = opened ? m_active : nullptr;
    const unsigned flags = doc ? doc->trackFlags() : 0;
    j.key("flags").value(flags);

    j.key("audio");
    if (flags & TRACK_WAVE)
        j.beginObject().key("type").value("wave").key("samples").value(doc->wave().sampleCount).endObject();
    else if (flags & TRACK_MIDI)
        j.beginObject().key("type").value("midi").endObject();
    else
        j.null();

    j.key("leds");
    if (flags & TRACK_LEDS) {
        const CLedTrack& leds = doc->leds();
        std::string data;
        data.reserve(leds.steps.size());
        for (auto b : leds.steps) data += static_cast<char>('0' + (b % 10));
        j.beginObject().key("steps").value(leds.length()).key("modified").value(leds.isModified());
        j.key("data").value(data).endObject();
    } else {
        j.null();
    }

    j.key("motion");
    if (flags & TRACK_MOTION) {
        const CMotionTrack& m = doc->motion();
        j.beginObject();
        j.key("kind").value(static_cast<int>(m.kind())).key("first").value(m.firstChannel());
        j.key("channels").value(m.channelCount()).key("keyframes").value(m.keyframeCount());
        j.key("totalTicks").value(m.totalTicks()).key("modified").value(m.isModified());
        j.key("frames").beginArray();
        for (int k = 0; k < m.keyframeCount(); ++k) {
            j.beginArray().value(m.duration(k));
            for (int c = 0; c < m.channelCount(); ++c) j.value(m.value(k, c));
            j.endArray();
        }
        j.endArray().endObject();
    } else {
        j.null();
    }
    j.key("modified").value(doc ? (doc->leds().isModified() || doc->motion().isModified()) : false);
    j.endObject();
    out << '\n';
}

}  // namespace rova::tool
