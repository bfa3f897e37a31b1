// Bounds-checked reading of byte images and checked little/big-endian writing;
// the one place that knows byte orders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

namespace rova {

using Bytes = std::span<const std::uint8_t>;

// Where readers report problems that the user must see (a message box in the editor).
using MessageSink = std::function<void(std::string_view)>;

// A cursor over untrusted bytes: every take fails instead of passing the end.
class ByteCursor {
public:
    explicit ByteCursor(Bytes bytes) : m_bytes(bytes) {}

    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos == m_bytes.size(); }

    // The next n bytes, advancing past them; false (and no move) when fewer remain.
    bool take(std::size_t n, Bytes& out) {
        if (n > remaining()) return false;
        out = m_bytes.subspan(m_pos, n);
        m_pos += n;
        return true;
    }
    bool skip(std::size_t n) {
        Bytes ignored;
        return take(n, ignored);
    }
    bool back(std::size_t n) {
        if (n > m_pos) return false;
        m_pos -= n;
        return true;
    }

private:
    Bytes m_bytes;
    std::size_t m_pos = 0;
};

inline std::uint16_t le16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t le32(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::uint16_t be16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}
inline std::uint32_t be32(Bytes b, std::size_t at) {
    return (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
           (static_cast<std::uint32_t>(b[at + 2]) << 8) | static_cast<std::uint32_t>(b[at + 3]);
}

// Stores the n low bytes of v at p, least significant first.
inline void storeLe(std::uint8_t* p, std::uint32_t v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
// Appends the n low bytes of v, least significant first.
inline void appendLe(std::vector<std::uint8_t>& out, std::uint32_t v, std::size_t n) {
    out.resize(out.size() + n);
    storeLe(out.data() + out.size() - n, v, n);
}

// Sequential binary writer that remembers the first failure of its stream.
class ByteWriter {
public:
    explicit ByteWriter(std::ostream& out) : m_out(out) {}

    bool ok() const { return static_cast<bool>(m_out); }
    bool bytes(const void* data, std::size_t n) {
        m_out.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
        return ok();
    }
    bool u8(std::uint8_t v) { return bytes(&v, 1); }
    bool le16(std::uint16_t v) {
        std::uint8_t b[2];
        storeLe(b, v, 2);
        return bytes(b, 2);
    }
    bool le32(std::uint32_t v) {
        std::uint8_t b[4];
        storeLe(b, v, 4);
        return bytes(b, 4);
    }
    bool be16(std::uint16_t v) {
        const std::uint8_t b[2] = {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
        return bytes(b, 2);
    }
    bool be32(std::uint32_t v) {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
        return bytes(b, 4);
    }
    // One length byte, then the text (at most 255 bytes are kept).
    bool pascal(std::string_view s) {
        if (s.size() > 255) s = s.substr(0, 255);
        return u8(static_cast<std::uint8_t>(s.size())) && bytes(s.data(), s.size());
    }

private:
    std::ostream& m_out;
};

}  // namespace rova
