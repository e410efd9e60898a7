// The progress callback that long operations call: Position and Max are counts (both 0 mean a
// message without a count); Msg is the text to show (UTF-8). The owner of the calling object
// assigns it; an empty function means nobody listens.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using TTolvProgressEvent = std::function<void(int32_t Position, int32_t Max, const std::string& Msg)>;
