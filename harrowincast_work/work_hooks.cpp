#include "harrowincast_work/work_hooks.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace harrowincast {

bool TProgressPace::Due() {
    const auto now = std::chrono::steady_clock::now();
    if (FStarted && now - FLast < FInterval) return false;
    FStarted = true;
    FLast = now;
    return true;
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

}  // namespace harrowincast
