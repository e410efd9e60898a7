#include "player/artwork/thumbnail.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "foundation/byte_reader.h"
#include "player/artwork/jpeg_codec.h"
#include "player/artwork/pic_filters.h"

namespace {

// Byte sizes of the thumbnail formats the player writes; nothing else in the file tells them apart.
constexpr int32_t kSizeBigEndian[] = {4100, 22880, 46464, 153600};
constexpr int32_t kSizeSideways = 77440;  // 176 x 220 RGB565, stored on its side
constexpr int32_t kSidewaysWidth = 176;
constexpr int32_t kSidewaysHeight = 220;
constexpr int32_t kSize32Bit = 307200;

constexpr uint32_t FromRgb565(uint16_t v) {
    // No bit replication: the low bits of each channel stay zero.
    return Bitmap32::Rgb(static_cast<uint8_t>(((v >> 11) & 0x1F) << 3), static_cast<uint8_t>(((v >> 5) & 0x3F) << 2),
                         static_cast<uint8_t>((v & 0x1F) << 3));
}

// Sets up the bitmap for the rows the data fills and returns how many of them there are. The
// stated height stays when the data fills at least half of it (a thumbnail file cut short),
// otherwise the picture is only as high as the data fills: dimensions that claim far more
// than the data holds come from a damaged database and must not cost memory.
int32_t PrepareRaw(size_t data_size, int32_t width, int32_t height, int bytes_per_pixel, Bitmap32& bitmap) {
    bitmap.PixelFormat = TPixelFormat::pf32bit;
    const uint64_t row_bytes = static_cast<uint64_t>(std::max(width, 0)) * static_cast<uint64_t>(bytes_per_pixel);
    const uint64_t rows = row_bytes == 0 ? 0 : std::min<uint64_t>(data_size / row_bytes, std::max(height, 0));
    if (rows == 0) {
        bitmap.SetSize(0, 0);
        return 0;
    }
    const int32_t kept = rows * 2 >= static_cast<uint64_t>(height) ? height : static_cast<int32_t>(rows);
    bitmap.SetSize(width, kept);
    return static_cast<int32_t>(rows);
}

// The rows of raw pixels that the data holds, each pixel `kBytes` long and turned into a colour
// by `colour`; a row cut short by the end of the data keeps the pixels it has.
template <size_t kBytes, typename Colour>
void DecodeRaw(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap, Colour colour) {
    const int32_t rows = PrepareRaw(data.size(), width, height, kBytes, bitmap);
    const ByteReader reader(data);
    const size_t w = static_cast<size_t>(bitmap.Width());
    for (int32_t y = 0; y < rows; ++y) {
        const std::span<const uint8_t> src = reader.Bytes(static_cast<uint64_t>(y) * w * kBytes, w * kBytes);
        uint32_t* out = bitmap.ScanLine(y);
        for (size_t x = 0; x < w && kBytes * x + kBytes - 1 < src.size(); ++x) out[x] = colour(src.data() + kBytes * x);
    }
}

template <bool kBigEndian>
void DecodeRgb565(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap) {
    DecodeRaw<2>(data, width, height, bitmap, [](const uint8_t* pixel) {
        return FromRgb565(kBigEndian ? static_cast<uint16_t>(pixel[0] << 8 | pixel[1])
                                     : static_cast<uint16_t>(pixel[1] << 8 | pixel[0]));
    });
}

// Reads `size` bytes at `offset` of the stream, or as many as the stream holds there, but
// never more than `limit`.
std::vector<uint8_t> ReadRun(std::istream& stream, int32_t offset, int32_t size, int64_t limit) {
    std::vector<uint8_t> data;
    if (offset < 0 || size <= 0) return data;
    if (size > limit) size = static_cast<int32_t>(limit);
    stream.seekg(0, std::ios::end);
    const std::streamoff end = stream.tellg();
    if (end < 0 || offset >= end) return data;
    const std::streamoff available = end - offset;
    data.resize(static_cast<size_t>(available < size ? available : size));
    stream.seekg(offset, std::ios::beg);
    stream.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<size_t>(stream.gcount()));
    return data;
}

}  // namespace

void DecodeRgb565LE(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap) {
    DecodeRgb565<false>(data, width, height, bitmap);
}

void DecodeRgb565BE(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap) {
    DecodeRgb565<true>(data, width, height, bitmap);
}

void DecodeBgrx32(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap) {
    DecodeRaw<4>(data, width, height, bitmap,
                 [](const uint8_t* pixel) { return Bitmap32::Rgb(pixel[2], pixel[1], pixel[0]); });
}

void DecodeJpegThumbnail(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap) {
    // The blank picture of the stated size stays when the JPEG library refuses the data, so a
    // caller that draws again does not decode (and fail) again.
    if (int64_t{std::max(width, 0)} * std::max(height, 0) <= TArtImageObject::kMaxPixels) {
        bitmap.SetSize(width, height);
        bitmap.PixelFormat = TPixelFormat::pf32bit;
    }
    DecodeJpeg(data, bitmap, TArtImageObject::kMaxPixels);
}

void CutBitmap(int32_t x, int32_t y, int32_t width, int32_t height, Bitmap32& bitmap) {
    const Bitmap32 copy = bitmap;
    bitmap.SetSize(width, height);
    // Copy the rectangle at (x, y) of the old picture to (0, 0), as far as the old picture
    // reaches; elsewhere the resize's pixels stay.
    for (int32_t row = 0; row < bitmap.Height(); ++row) {
        const int64_t sy = int64_t{y} + row;
        if (sy < 0 || sy >= copy.Height()) continue;
        const uint32_t* src = copy.ScanLine(static_cast<int32_t>(sy));
        uint32_t* out = bitmap.ScanLine(row);
        for (int32_t col = 0; col < bitmap.Width(); ++col) {
            const int64_t sx = int64_t{x} + col;
            if (sx >= 0 && sx < copy.Width()) out[col] = src[sx];
        }
    }
}

void TArtImageObject::LoadBitmap() {
    if (Bitmap.Width() > 0 || Bitmap.Height() > 0) return;
    if (!OnOpenFile) return;
    std::unique_ptr<std::istream> stream = OnOpenFile(FileName);
    if (!stream) return;
    // Four bytes a pixel is the most any format takes: more could not be used.
    std::vector<uint8_t> data = ReadRun(*stream, Offset, ByteSize, kMaxPixels * 4);
    stream.reset();
    // Nothing stands at the offset: there is no picture to decode.
    if (data.empty()) return;

    int32_t cut_width = StoredWidth;
    int32_t cut_height = StoredHeight;
    bool turn = false;
    // Raw pixels of a stated size no thumbnail has: a damaged database, no picture.
    const bool raw_allowed = int64_t{std::max(Width, 0)} * std::max(Height, 0) <= kMaxPixels;
    try {
        bool big_endian = false;
        for (int32_t size : kSizeBigEndian) big_endian = big_endian || ByteSize == size;
        if (big_endian) {
            if (raw_allowed) DecodeRgb565BE(data, Width, Height, Bitmap);
        } else if (ByteSize == kSizeSideways) {
            if (StoredWidth == kSidewaysWidth) {
                if (raw_allowed) DecodeRgb565LE(data, Width, Height, Bitmap);
            } else {
                cut_width = kSidewaysWidth;
                cut_height = kSidewaysHeight;
                turn = true;
                DecodeRgb565BE(data, kSidewaysWidth, kSidewaysHeight, Bitmap);
            }
        } else if (ByteSize == kSize32Bit) {
            if (raw_allowed) DecodeBgrx32(data, Width, Height, Bitmap);
        } else if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
            DecodeJpegThumbnail(data, Width, Height, Bitmap);
        } else {
            if (raw_allowed) DecodeRgb565LE(data, Width, Height, Bitmap);
        }
    } catch (const EBitmapError&) {
        Bitmap.Clear();
        return;
    }
    data = {};
    if (Crop && !Bitmap.Empty()) {
        // The cut takes back the column that evened out an odd width; it never makes the
        // picture larger than that, whatever stored size a damaged database gives.
        CutBitmap(0, 0, std::clamp(cut_width, 0, Bitmap.Width() + 1), std::clamp(cut_height, 0, Bitmap.Height()),
                  Bitmap);
    }
    if (turn) {
        TTolvPicFilters filters;
        filters.Rotate90(Bitmap);
    }
}
