#include "podcast/work_hooks.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string SafeEntryName(const std::string& text) {
    std::string name;
    name.reserve(text.size());
    for (const char c : text) name += (c == '/' || static_cast<unsigned char>(c) < 32) ? '_' : c;
    if (name.find_first_not_of('.') == std::string::npos) name.insert(name.begin(), '_');
    return name;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> buffer(static_cast<size_t>(n > 0 ? n : 0) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return std::string(buffer.data(), static_cast<size_t>(n > 0 ? n : 0));
}
