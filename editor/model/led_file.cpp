#include "led_file.h"

#include <array>

#include "debug_output.h"

namespace rova {
namespace {

constexpr std::size_t kHeaderSize = 22;  // "MThd" chunk plus the "MTrk" id and length
constexpr std::int64_t kMaxLedTicks = static_cast<std::int64_t>(kMaxLedSteps) * kLedTicksPerStep;
constexpr std::uint32_t kMaxVarLength = 0x0FFFFFFF;

// Track name, time signature 4/4, key signature, tempo 250000 us per quarter note.
constexpr std::array<std::uint8_t, 33> kMetaEvents = {
    0x00, 0xFF, 0x03, 0x08, 'R', 'o', 'v', 'a', 'E', 'd', 'i', 't',
    0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
    0x00, 0xFF, 0x59, 0x02, 0x09, 0x00,
    0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,
};
constexpr std::array<std::uint8_t, 4> kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};
constexpr std::array<int, 3> kNoteOfBit = {kGreenEyeNote, kRedEyeNote, kMarkerNote};

enum class Parse { Ok, Fail, Ended };

struct LedReader {
    ByteCursor cur;
    std::vector<std::uint8_t>& steps;
    std::uint8_t state = 0;     // eyes lit at the current time (bits 0 and 1)
    std::int64_t lastStep = -1; // step written last
    std::int64_t time = 0;      // absolute time in MIDI ticks
    int running = -1;           // running status, -1 = none

    bool byte(std::uint8_t& out) {
        Bytes b;
        if (!cur.take(1, b)) return false;
        out = b[0];
        return true;
    }

    // A quantity of any number of bytes; values above the limit fail, since no
    // delta or length that large can belong to a readable file.
    bool varLength(std::uint64_t limit, std::uint64_t& out) {
        out = 0;
        for (;;) {
            std::uint8_t b;
            if (!byte(b)) return false;
            out = (out << 7) | (b & 0x7F);
            if (out > limit) return false;
            if (!(b & 0x80)) return true;
        }
    }

    void channelMessage(int status, int note, int velocity) {
        const std::int64_t q = time / kLedTicksPerStep;
        if (q != lastStep) {
            // Steps skipped since the last message keep the state that held then.
            steps.resize(static_cast<std::size_t>(q) + 1, 0);
            if (lastStep != -1)
                for (std::int64_t i = lastStep + 1; i < q; ++i) steps[static_cast<std::size_t>(i)] = state;
        }
        const int bit = note == kGreenEyeNote ? 1 : note == kRedEyeNote ? 2 : 0;
        if (status == 0x90 && velocity > 0) state = static_cast<std::uint8_t>(state | bit);
        else if (status == 0x90 || status == 0x80) state = static_cast<std::uint8_t>(state & ~bit);
        steps[static_cast<std::size_t>(q)] = state;
        lastStep = q;
    }

    Parse event() {
        std::uint64_t delta;
        if (!varLength(static_cast<std::uint64_t>(kMaxLedTicks), delta)) return Parse::Fail;
        time += static_cast<std::int64_t>(delta);
        if (time >= kMaxLedTicks) return Parse::Fail;

        std::uint8_t first;
        if (!byte(first)) return Parse::Fail;
        if (first == 0xFF || first == 0xF0 || first == 0xF7) {
            std::uint8_t type = 0;
            if (first == 0xFF && !byte(type)) return Parse::Fail;
            std::uint64_t length;
            if (!varLength(cur.remaining(), length) || !cur.skip(static_cast<std::size_t>(length)))
                return Parse::Fail;
            running = -1;
            return first == 0xFF && type == 0x2F ? Parse::Ended : Parse::Ok;
        }
        if (first >= 0xF0) return Parse::Fail;

        std::uint8_t data1;
        if (first >= 0x80) {
            running = first;
            if (!byte(data1)) return Parse::Fail;
        } else {
            if (running < 0) return Parse::Fail;
            data1 = first;
        }
        const int kind = running >> 4;
        std::uint8_t data2 = 0;
        if (kind != 0xC && kind != 0xD && !byte(data2)) return Parse::Fail;
        channelMessage(running, data1, data2);
        return Parse::Ok;
    }
};

bool parseLed(Bytes b, std::vector<std::uint8_t>& steps) {
    if (b.size() < kHeaderSize) return false;
    if (b[0] != 'M' || b[1] != 'T' || b[2] != 'h' || b[3] != 'd') return false;
    if (be32(b, 4) != 6 || be16(b, 8) != 0 || be16(b, 10) != 1) return false;
    if (b[14] != 'M' || b[15] != 'T' || b[16] != 'r' || b[17] != 'k') return false;

    // The track length field is not trusted: events run to the end of the file.
    LedReader reader{ByteCursor(b.subspan(kHeaderSize)), steps};
    while (!reader.cur.atEnd()) {
        switch (reader.event()) {
        case Parse::Ended: return true;
        case Parse::Fail: return false;
        case Parse::Ok: break;
        }
    }
    debugOutput(kMissingEotDiagnostic);
    return false;
}

}  // namespace

bool appendVarLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
    if (value > kMaxVarLength) return false;
    int shift = 21;
    while (shift > 0 && (value >> shift) == 0) shift -= 7;
    for (; shift > 0; shift -= 7) out.push_back(static_cast<std::uint8_t>(((value >> shift) & 0x7F) | 0x80));
    out.push_back(static_cast<std::uint8_t>(value & 0x7F));
    return true;
}

bool readLed(Bytes file, CLedTrack& track) {
    track.steps.clear();
    track.modified = false;
    if (parseLed(file, track.steps)) return true;
    track.steps.clear();
    return false;
}

std::size_t writtenLedSteps(const CLedTrack& track) {
    const std::size_t n = track.steps.size();
    // A single step is written whole: without it the marker note would never
    // sound and the file would read back empty.
    if (n > 1 && (track.steps[n - 1] & 3) == 0) return n - 1;
    return n;
}

bool writeLed(std::ostream& out, const CLedTrack& track) {
    // The reader makes the step where the final notes go off a step of its own,
    // so a last step that is all dark is not written: the final note-off stands
    // in for it, and the track reads back with the length it was saved with
    // instead of growing by one dark step at every save.
    const std::size_t n = writtenLedSteps(track);
    // The final notes go off at tick 30 * n, which must stay readable.
    if (n >= static_cast<std::size_t>(kMaxLedSteps)) return false;

    ByteWriter w(out);
    const std::streampos start = out.tellp();
    if (start == std::streampos(-1)) return false;
    const std::streamoff trackChunk = static_cast<std::streamoff>(start) + 14;
    static constexpr std::uint8_t kHeader[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 120};
    if (!w.bytes(kHeader, sizeof kHeader) || !w.bytes("MTrk", 4) || !w.be32(0)) return false;
    if (!w.bytes(kMetaEvents.data(), kMetaEvents.size())) return false;

    // Each change is written at the tick of the step where it happens; every note
    // still on is switched off after the last step.
    std::vector<std::uint8_t> event;
    std::uint8_t previous = 0;
    std::uint32_t pending = 0;
    auto note = [&](int bit, int velocity) {
        event.clear();
        if (!appendVarLength(event, pending)) return false;
        event.insert(event.end(), {0x90, static_cast<std::uint8_t>(kNoteOfBit[static_cast<std::size_t>(bit)]),
                                   static_cast<std::uint8_t>(velocity)});
        pending = 0;
        return w.bytes(event.data(), event.size());
    };
    for (std::size_t i = 0; i <= n; ++i) {
        const std::uint8_t current = i < n ? static_cast<std::uint8_t>((track.steps[i] & 3) | 4) : 0;
        for (int bit = 2; bit >= 0; --bit)
            if ((current >> bit & 1) && !(previous >> bit & 1) && !note(bit, kNoteOnVelocity)) return false;
        for (int bit = 0; bit <= 2; ++bit)
            if ((previous >> bit & 1) && !(current >> bit & 1) && !note(bit, 0)) return false;
        pending += kLedTicksPerStep;
        previous = current;
    }
    if (!w.bytes(kEndOfTrack.data(), kEndOfTrack.size())) return false;

    const std::streampos end = out.tellp();
    if (end == std::streampos(-1)) return false;
    const std::streamoff length = static_cast<std::streamoff>(end) - trackChunk - 8;
    out.seekp(trackChunk + 4);
    if (!out || !w.be32(static_cast<std::uint32_t>(length))) return false;
    out.seekp(end);
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace rova
