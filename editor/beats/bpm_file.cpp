// NAME.BPM: the tempo and first beat set by hand, two lines of text.
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "beats/beats.h"
#include "platform/file_set.h"
#include "platform/files.h"

namespace rova::beats {

namespace {

constexpr std::size_t kMaxBpmFileBytes = 256;

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

bool parseOffset(std::string_view text, int& offset) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    std::from_chars(text.data(), text.data() + text.size(), offset);
    return offset <= kMaxOffsetMs;
}

}  // namespace

std::optional<BpmSetting> parseBpmFile(Bytes bytes) {
    if (bytes.size() > kMaxBpmFileBytes) return std::nullopt;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    }
    std::string_view bpmText, offsetText;
    BpmSetting setting;
    if (lines.size() != 2 || !splitLine(lines[0], "bpm", bpmText) || !splitLine(lines[1], "offset", offsetText) ||
        !parseTempo(bpmText, setting.bpm) || !parseOffset(offsetText, setting.offsetMs))
        return std::nullopt;
    return setting;
}

std::string formatBpmFile(const BpmSetting& setting) {
    const long tenths = std::lround(setting.bpm * 10);
    std::ostringstream out;
    out << "bpm " << tenths / 10 << '.' << tenths % 10 << "\noffset " << setting.offsetMs << "\n";
    return out.str();
}

BpmFileState readBpmFile(const std::filesystem::path& path, BpmSetting& setting) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return BpmFileState::Missing;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(kMaxBpmFileBytes + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || (!in && !in.eof())) return BpmFileState::Malformed;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const auto parsed = parseBpmFile(bytes);
    if (!parsed) return BpmFileState::Malformed;
    setting = *parsed;
    return BpmFileState::Read;
}

bool writeBpmFile(const std::filesystem::path& path, const BpmSetting& setting) {
    if (!(setting.bpm >= kMinBpm && setting.bpm <= kMaxBpm) || setting.offsetMs < 0 || setting.offsetMs > kMaxOffsetMs)
        return false;
    const std::string text = formatBpmFile(setting);
    return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))
        .empty();
}

}  // namespace rova::beats
