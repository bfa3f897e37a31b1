// NAME.BPM: the beats set by hand as lines of text. The tempo and first beat
// come first, as in the files of the first versions, which only had those two
// lines; the bars and the list of beats follow when set.
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "beats/beats.h"
#include "platform/file_set.h"
#include "platform/files.h"

namespace rova::beats {

namespace {

// Room for the longest list of beats (nine digits and a blank each) and the other lines.
constexpr std::size_t kMaxBpmFileBytes = kMaxBeats * 10 + 256;

// "KEY VALUE" with nothing else on the line.
bool splitLine(std::string_view line, std::string_view key, std::string_view& value) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() <= key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ') return false;
    value = line.substr(key.size() + 1);
    return true;
}

// A tempo with at most one decimal: "125", "125.0", "97.5".
bool parseTempo(std::string_view text, double& bpm) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view tenth = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 3 || (dot != std::string_view::npos && tenth.size() != 1)) return false;
    int w = 0, t = 0;
    for (char c : whole)
        if (c < '0' || c > '9') return false;
    if (!tenth.empty() && (tenth[0] < '0' || tenth[0] > '9')) return false;
    std::from_chars(whole.data(), whole.data() + whole.size(), w);
    if (!tenth.empty()) t = tenth[0] - '0';
    bpm = w + t / 10.0;
    return bpm >= kMinBpm && bpm <= kMaxBpm;
}

// A time in ms, 0..kMaxOffsetMs, digits only.
bool parseOffset(std::string_view text, int& offset) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    std::from_chars(text.data(), text.data() + text.size(), offset);
    return offset <= kMaxOffsetMs;
}

// "N MS": beats a bar (1..kMaxBeatsPerBar) and a bar start.
bool parseBar(std::string_view text, BpmSetting& setting) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos || blank == 0 || blank > 2) return false;
    int perBar = 0;
    if (!parseOffset(text.substr(0, blank), perBar) || perBar < 1 || perBar > kMaxBeatsPerBar) return false;
    setting.beatsPerBar = perBar;
    return parseOffset(text.substr(blank + 1), setting.downbeatMs);
}

// "MS MS ...": every beat, one blank between each two.
bool parseBeats(std::string_view text, std::vector<int>& beatsMs) {
    while (true) {
        const std::size_t blank = text.find(' ');
        int ms = 0;
        if (!parseOffset(text.substr(0, blank), ms) || beatsMs.size() >= kMaxBeats) return false;
        beatsMs.push_back(ms);
        if (blank == std::string_view::npos) return true;
        text.remove_prefix(blank + 1);
    }
}

}  // namespace

std::optional<BpmSetting> parseBpmFile(Bytes bytes) {
    if (bytes.size() > kMaxBpmFileBytes) return std::nullopt;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<std::string_view> lines;
    while (!text.empty() && lines.size() <= 4) {
        const std::size_t nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    }
    std::string_view bpmText, offsetText, value;
    BpmSetting setting;
    if (lines.size() < 2 || lines.size() > 4 || !splitLine(lines[0], "bpm", bpmText) ||
        !splitLine(lines[1], "offset", offsetText) || !parseTempo(bpmText, setting.bpm) ||
        !parseOffset(offsetText, setting.offsetMs))
        return std::nullopt;
    // The lines added since: each at most once, in this order.
    std::size_t next = 2;
    if (next < lines.size() && splitLine(lines[next], "bar", value)) {
        if (!parseBar(value, setting)) return std::nullopt;
        ++next;
    }
    if (next < lines.size() && splitLine(lines[next], "beats", value)) {
        if (!parseBeats(value, setting.beatsMs)) return std::nullopt;
        ++next;
    }
    if (next != lines.size() || !validSetting(setting)) return std::nullopt;
    return setting;
}

std::string formatBpmFile(const BpmSetting& setting) {
    const long tenths = std::lround(setting.bpm * 10);
    std::ostringstream out;
    out << "bpm " << tenths / 10 << '.' << tenths % 10 << "\noffset " << setting.offsetMs << "\n";
    // Only what was set, so a plain tempo writes the two lines every version reads.
    if (setting.beatsPerBar > 0) out << "bar " << setting.beatsPerBar << ' ' << setting.downbeatMs << "\n";
    if (!setting.beatsMs.empty()) {
        out << "beats";
        for (int ms : setting.beatsMs) out << ' ' << ms;
        out << "\n";
    }
    return out.str();
}

BpmFileState readBpmFile(const std::filesystem::path& path, BpmSetting& setting) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return BpmFileState::Missing;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxBpmFileBytes) return BpmFileState::Malformed;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size) + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || (!in && !in.eof())) return BpmFileState::Malformed;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const auto parsed = parseBpmFile(bytes);
    if (!parsed) return BpmFileState::Malformed;
    setting = *parsed;
    return BpmFileState::Read;
}

bool writeBpmFile(const std::filesystem::path& path, const BpmSetting& setting) {
    if (!validSetting(setting)) return false;
    const std::string text = formatBpmFile(setting);
    return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))
        .empty();
}

}  // namespace rova::beats
