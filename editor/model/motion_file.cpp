#include "motion_file.h"

#include <climits>
#include <string>

namespace rova {
namespace {

constexpr std::size_t kHeaderSize = 36;
constexpr std::string_view kLocatorAlias = "PRM:/r5/c0/c1/c2-Joint";
constexpr std::string_view kLocatorAliasTarget = "PRM:/r5/c0/c1/c2-Joint:j2";

MotionKind classify(int n, const std::array<int, kChannelCount>& idx) {
    const int first = idx[0];
    int matching = 0;
    for (int j = 0; j < n; ++j)
        if (idx[static_cast<std::size_t>(j)] == first + j) ++matching;
    switch (n) {
    case 18:
        if (first != 0) return MOTION_NONE;
        if (matching == 18) return MOTION_FULL_BODY;
        if (matching == 16 && idx[14] == 15 && idx[17] == 18) return MOTION_EXTRA_TAIL;
        return MOTION_NONE;
    case 4: return matching == 4 && first == 0 ? MOTION_HEAD : MOTION_NONE;
    case 12: return matching == 12 && first == 4 ? MOTION_LEGS : MOTION_NONE;
    case 2: return matching == 2 && first == 16 ? MOTION_TAIL : MOTION_NONE;
    default: return MOTION_NONE;
    }
}

bool parse(Bytes file, CMotionTrack& track, const MessageSink& sink) {
    ByteCursor cur(file);
    Bytes b;

    if (!cur.take(kHeaderSize, b)) return false;
    const std::uint32_t count = le32(b, 20);
    if (count < 1 || count > kMaxFileKeyframes) return false;
    const std::uint32_t namesLength = le32(b, 32);
    if (namesLength < 8 || !cur.skip(namesLength - 8)) return false;

    if (!cur.take(10, b)) return false;
    if (le32(b, 0) != 2) return false;
    const int n = le16(b, 8);
    if (n < 1 || n > kChannelCount) return false;

    std::array<int, kChannelCount> locators{};
    locators.fill(-1);
    for (int j = 0; j < n; ++j) {
        if (!cur.take(1, b)) return false;
        const std::size_t len = b[0];
        if (len >= 64 || !cur.take(len, b)) return false;
        std::string_view text(reinterpret_cast<const char*>(b.data()), len);
        if (text == kLocatorAlias) text = kLocatorAliasTarget;
        const int index = findLocator(text);
        if (index < 0) return false;
        locators[static_cast<std::size_t>(j)] = index;
    }

    const MotionKind kind = classify(n, locators);
    if (kind == MOTION_EXTRA_TAIL) {
        if (sink) sink(kExtraTailMessage);
        return false;
    }
    if (kind == MOTION_NONE) return false;

    if (!cur.take(6, b)) return false;
    if (le16(b, 0) == 0) {  // two bytes of padding before the section header
        cur.back(4);
        if (!cur.take(6, b)) return false;
    }
    const std::size_t words = static_cast<std::size_t>(n) + 4;
    const std::size_t dataBytes = static_cast<std::size_t>(count) * words * 4;
    if (le16(b, 0) != 3 || le16(b, 2) != 0 || le16(b, 4) != dataBytes + 6) return false;

    if (!cur.take(dataBytes, b)) return false;
    if (!cur.atEnd()) return false;

    std::vector<std::int32_t> block(static_cast<std::size_t>(count) * words);
    std::int64_t total = 0;
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::int32_t>(le32(b, i * 4));
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t d = le32(b, k * words * 4);
        total += d;
        // Durations are unsigned in the file, but times are ints everywhere else.
        if (d > INT_MAX || total > INT_MAX) return false;
    }
    track.assign(kind, n, locators, std::move(block), static_cast<int>(count));
    return true;
}

}  // namespace

bool readMotion(Bytes file, CMotionTrack& track, const MessageSink& sink) {
    track.clear();
    if (parse(file, track, sink)) return true;
    track.clear();
    return false;
}

bool writeMotion(std::ostream& out, const CMotionTrack& track, std::string_view name) {
    if (name.size() > 255) name = name.substr(0, 255);
    const int k = track.keyframeCount();
    const int n = track.channelCount();
    if (k < 1 || n < 1 || track.firstChannel() < 0 || track.firstChannel() + n > kChannelCount) return false;
    ByteWriter w(out);
    const std::uint32_t header[] = {0, 24, 4, 0x00010001, static_cast<std::uint32_t>(k), 0, 1,
                                    static_cast<std::uint32_t>(name.size() + kMotionCreator.size() +
                                                               kMotionDesign.size() + 11)};
    if (!w.bytes("OMTN", 4)) return false;
    for (std::uint32_t v : header)
        if (!w.le32(v)) return false;
    if (!w.pascal(name) || !w.pascal(kMotionCreator) || !w.pascal(kMotionDesign)) return false;
    if (!w.le32(2) || !w.le32(424) || !w.le16(static_cast<std::uint16_t>(n))) return false;
    for (int c = 0; c < n; ++c)
        if (!w.pascal(kJointLocators[static_cast<std::size_t>(track.firstChannel() + c)])) return false;
    if (!w.le16(3) || !w.le16(0) || !w.le16(static_cast<std::uint16_t>(track.fileSize()))) return false;
    for (int key = 0; key < k; ++key) {
        if (!w.le32(static_cast<std::uint32_t>(track.duration(key)))) return false;
        for (int r = 0; r < kReservedWords; ++r)
            if (!w.le32(0)) return false;
        for (int c = 0; c < n; ++c)
            if (!w.le32(static_cast<std::uint32_t>(track.value(key, c)))) return false;
    }
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace rova
