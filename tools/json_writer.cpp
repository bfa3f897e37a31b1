#include "json_writer.h"

#include <cmath>
#include <cstdio>

namespace rova::tool {

JsonWriter& JsonWriter::value(double d) {
    separate();
    if (!std::isfinite(d)) {
        m_out << "null";
        return *this;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", d);
    m_out << buf;
    return *this;
}

void JsonWriter::string(std::string_view s) {
    m_out << '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': m_out << "\\\""; break;
        case '\\': m_out << "\\\\"; break;
        case '\n': m_out << "\\n"; break;
        case '\r': m_out << "\\r"; break;
        case '\t': m_out << "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                m_out << buf;
            } else {
                m_out << static_cast<char>(c);
            }
        }
    }
    m_out << '"';
}

}  // namespace rova::tool
