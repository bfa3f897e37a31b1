// A small streaming JSON writer for the tool's reports.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

namespace rova::tool {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : m_out(out) {}

    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }
    JsonWriter& key(std::string_view k) {
        separate();
        string(k);
        m_out << ": ";
        m_afterKey = true;
        return *this;
    }
    JsonWriter& value(std::string_view s) { separate(); string(s); return *this; }
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(bool b) { separate(); m_out << (b ? "true" : "false"); return *this; }
    JsonWriter& value(std::int64_t n) { separate(); m_out << n; return *this; }
    JsonWriter& value(int n) { return value(static_cast<std::int64_t>(n)); }
    JsonWriter& value(unsigned n) { return value(static_cast<std::int64_t>(n)); }
    JsonWriter& value(double d);
    JsonWriter& null() { separate(); m_out << "null"; return *this; }

private:
    JsonWriter& open(char c) {
        separate();
        m_out << c;
        m_first.push_back(true);
        return *this;
    }
    JsonWriter& close(char c) {
        m_first.pop_back();
        m_out << c;
        return *this;
    }
    void separate() {
        if (m_afterKey) {
            m_afterKey = false;
            return;
        }
        if (!m_first.empty()) {
            if (!m_first.back()) m_out << ", ";
            m_first.back() = false;
        }
    }
    void string(std::string_view s);

    std::ostream& m_out;
    std::vector<bool> m_first;
    bool m_afterKey = false;
};

}  // namespace rova::tool
