#include "text.h"

#include <cstdio>
#include <vector>

std::string vstrf(const char* fmt, va_list args) {
    // Most texts fit a small buffer and are formatted once; longer ones a second time.
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (size <= 0) return std::string();
    if (static_cast<std::size_t>(size) < sizeof small) return std::string(small, static_cast<std::size_t>(size));
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    return std::string(buffer.data(), static_cast<std::size_t>(size));
}

std::string strf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string text = vstrf(fmt, args);
    va_end(args);
    return text;
}
