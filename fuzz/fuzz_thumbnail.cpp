// Decodes arbitrary bytes as a thumbnail file: its last 8 bytes choose the byte-size class, the
// dimensions, the cut and the offset, and stay part of the file, so that a real thumbnail file
// or JPEG is a seed as it stands. The same bytes go through the JPEG decoder and the quarter
// turn directly.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "player/artwork/jpeg_codec.h"
#include "player/artwork/pic_filters.h"
#include "player/artwork/thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    static const int32_t kSizes[] = {4100, 22880, 46464, 153600, 77440, 307200, 691200, -1};
    const std::string file(reinterpret_cast<const char*>(data), size);
    const uint8_t* const switches = data + size - 8;

    TArtImageObject thumb;
    thumb.ByteSize = kSizes[switches[0] & 7] == -1 ? static_cast<int32_t>(file.size()) : kSizes[switches[0] & 7];
    thumb.Width = (switches[1] | switches[2] << 8) % 700 - 4;  // a few negative ones too
    thumb.Height = (switches[3] | switches[4] << 8) % 700 - 4;
    thumb.StoredWidth = (switches[5] & 1) ? 176 : thumb.Width - 1 + (switches[5] >> 1 & 3);
    thumb.StoredHeight = thumb.Height + (switches[5] >> 3 & 3) - 1;
    thumb.Crop = (switches[5] & 0x20) != 0;
    thumb.Offset = (switches[6] & 0x80) ? -static_cast<int32_t>(switches[6] & 0x7F) : switches[6];
    if (switches[7] & 1) thumb.ByteSize = static_cast<int32_t>(switches[7]) << 20;  // far beyond the file
    thumb.OnOpenFile = [&](const std::string&) -> std::unique_ptr<std::istream> {
        return std::make_unique<std::istringstream>(file);
    };
    try {
        thumb.LoadBitmap();
    } catch (const EJpegError&) {
        if (thumb.Bitmap.Width() != (thumb.Width > 0 ? thumb.Width : 0)) __builtin_trap();
    }
    const Bitmap32& b = thumb.Bitmap;
    if (b.Pixels().size() != static_cast<size_t>(b.Width()) * static_cast<size_t>(b.Height())) __builtin_trap();

    // A few hundred bytes may declare a picture of the full pixel bound, which decodes and turns
    // in seconds: a smaller bound takes the same roads and keeps every run short.
    constexpr int64_t kFuzzMaxPixels = 1 << 22;
    Bitmap32 picture;
    try {
        DecodeJpeg({data, size}, picture, kFuzzMaxPixels);
    } catch (const EJpegError&) {
        if (!picture.Empty()) __builtin_trap();
    }
    TTolvPicFilters filters;
    const int32_t w = picture.Width(), h = picture.Height();
    if (filters.Rotate90(picture) && (picture.Width() != h || picture.Height() != w)) __builtin_trap();
    return 0;
}
