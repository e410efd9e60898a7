// Texts of the main window that need no window: the status-bar progress line and the figures
// of the iPod page and the device information window. Sizes are in bytes.
#pragma once

#include <cstdint>
#include <string>

namespace harrowin {

// "%d %% - %s" with Position*100 div Max (32-bit, truncating toward zero), or Msg alone when
// both numbers are 0. A Max of 0 with a Position (never reported by callers) shows Msg alone.
std::string ProgressStatusText(int32_t Position, int32_t Max, const std::string& Msg);

// A whole number with "," between thousands ("%.0n" of the Japanese system).
std::string GroupThousands(int64_t value);
// "%.0n MB" of bytes shifted right by 20 bits (whole mebibytes, remainder dropped).
std::string MegabytesShifted(uint64_t bytes);
// "%.0n MB" of bytes divided by 1,048,576 in floating point, rounded by the formatting.
std::string MegabytesRounded(int64_t bytes);
// "%.0n 曲".
std::string SongCountText(int64_t count);

}  // namespace harrowin
