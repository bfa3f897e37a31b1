#include "report.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>

namespace rova::viewer {

namespace {

MessageBoxSink& boxSink() {
    static MessageBoxSink sink;
    return sink;
}

DebugSink& debugSink() {
    static DebugSink sink;
    return sink;
}

thread_local const HostWindow* t_host = nullptr;

// Appends to a fixed buffer, dropping what does not fit.
struct Output {
    char* buffer;
    std::size_t room;  // characters that still fit before the terminating zero
    std::size_t length = 0;

    void put(char c) {
        if (length < room) buffer[length++] = c;
    }
    void put(std::string_view s) {
        for (char c : s) put(c);
    }
    void pad(char c, int count) {
        for (int i = 0; i < count; ++i) put(c);
    }
};

std::string digits(std::uint32_t value, unsigned base, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), set[value % base]);
        value /= base;
    } while (value);
    return out;
}

}  // namespace

void setMessageBoxSink(MessageBoxSink sink) { boxSink() = std::move(sink); }
void setDebugSink(DebugSink sink) { debugSink() = std::move(sink); }

HostScope::HostScope(const HostWindow* window) : m_previous(t_host) { t_host = window; }
HostScope::~HostScope() { t_host = m_previous; }

void messageBox(std::string_view text, std::string_view caption) {
    if (t_host && t_host->messageBox) {
        const std::string t(text), c(caption);
        t_host->messageBox(t_host->user, t.c_str(), c.c_str());
    } else if (boxSink()) {
        boxSink()(text, caption);
    } else {
        if (!caption.empty()) std::cerr << caption << ": ";
        std::cerr << text << (text.ends_with('\n') ? "" : "\n");
    }
}

void debugOutput(std::string_view text) {
    if (debugSink()) debugSink()(text);
}

std::size_t formatMessage(char* buffer, std::size_t size, const char* format, va_list args) {
    if (size == 0) return 0;
    Output out{buffer, size - 1};
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out.put(*p);
            continue;
        }
        ++p;
        bool left = false, zero = false, alternate = false;
        for (;; ++p) {
            if (*p == '-')
                left = true;
            else if (*p == '0')
                zero = true;
            else if (*p == '#')
                alternate = true;
            else
                break;
        }
        int width = 0;
        for (; *p >= '0' && *p <= '9'; ++p) width = std::min(width * 10 + (*p - '0'), 1024);
        int precision = -1;
        if (*p == '.') {
            precision = 0;
            for (++p; *p >= '0' && *p <= '9'; ++p) precision = std::min(precision * 10 + (*p - '0'), 1024);
        }
        while (*p == 'l' || *p == 'h') ++p;
        if (!*p) break;

        std::string body;
        std::string_view prefix;
        switch (*p) {
        case 'd':
        case 'i': {
            const int v = va_arg(args, int);
            const auto magnitude = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
            body = digits(magnitude, 10, false);
            if (v < 0) prefix = "-";
            break;
        }
        case 'u': body = digits(va_arg(args, unsigned), 10, false); break;
        case 'x':
        case 'X': {
            const unsigned v = va_arg(args, unsigned);
            body = digits(v, 16, *p == 'X');
            if (alternate && v) prefix = *p == 'X' ? "0X" : "0x";
            break;
        }
        case 'c': body = std::string(1, static_cast<char>(va_arg(args, int))); break;
        case 's': {
            const char* s = va_arg(args, const char*);
            body = s ? s : "(null)";
            if (precision >= 0 && body.size() > static_cast<std::size_t>(precision))
                body.resize(static_cast<std::size_t>(precision));
            break;
        }
        default: body = std::string(1, *p); break;  // '%%' and anything unknown: the character itself
        }
        const bool number = *p == 'd' || *p == 'i' || *p == 'u' || *p == 'x' || *p == 'X';
        if (number && precision > static_cast<int>(body.size()))
            body.insert(0, static_cast<std::size_t>(precision) - body.size(), '0');
        const int fill = std::max(0, width - static_cast<int>(prefix.size() + body.size()));
        if (left) {
            out.put(prefix), out.put(body), out.pad(' ', fill);
        } else if (zero && number) {
            out.put(prefix), out.pad('0', fill), out.put(body);
        } else {
            out.pad(' ', fill), out.put(prefix), out.put(body);
        }
    }
    buffer[out.length] = '\0';
    return out.length;
}

void reportError(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    // Leave room for the CR LF that follows.
    std::size_t length = formatMessage(buffer, sizeof buffer - 2, format, args);
    va_end(args);
    buffer[length++] = '\r';
    buffer[length++] = '\n';
    buffer[length] = '\0';
    messageBox(std::string_view(buffer, length), kErrorCaption);
}

}  // namespace rova::viewer
