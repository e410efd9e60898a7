#include "harrowin_work/status_text.h"

#include <cmath>

#include "foundation/number_format.h"

namespace harrowin {

std::string ProgressStatusText(int32_t Position, int32_t Max, const std::string& Msg) {
    if (Max == 0) return Msg;
    // The multiplication wraps at 32 bits as the status bar always did; the division cannot
    // overflow except for INT32_MIN / -1, which is taken as its wrapped value.
    const int32_t scaled = static_cast<int32_t>(static_cast<uint32_t>(Position) * 100u);
    const int32_t percent = (scaled == INT32_MIN && Max == -1) ? INT32_MIN : scaled / Max;
    return std::to_string(percent) + " % - " + Msg;
}

std::string GroupThousands(int64_t value) { return FormatNumber(static_cast<double>(value), 0); }

std::string MegabytesShifted(uint64_t bytes) { return GroupThousands(static_cast<int64_t>(bytes >> 20)) + " MB"; }

std::string MegabytesRounded(int64_t bytes) { return FormatNumber(static_cast<double>(bytes) / 1048576.0, 0) + " MB"; }

std::string SongCountText(int64_t count) { return GroupThousands(count) + " 曲"; }

}  // namespace harrowin
