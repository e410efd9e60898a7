// A picture in memory: Width x Height pixels (counts of pixels), rows from top to bottom, each
// pixel one uint32_t 0xAARRGGBB in the machine's own byte order (so on x86 its bytes are blue,
// green, red, alpha), rows packed without padding (BytesPerLine() = 4 * Width()).
// A window wraps it without copying pixel by pixel:
//     QImage(bitmap.Bits(), bitmap.Width(), bitmap.Height(), bitmap.BytesPerLine(),
//            QImage::Format_RGB32)            // or Format_ARGB32: alpha is always 0xFF
// Decoded pixels are opaque (alpha 0xFF); blank pixels are opaque black (kBlank).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"

// What the pixels came from. Memory always holds 32-bit pixels; the format only tells raw
// thumbnails (32) from JPEG pictures (24) and a bitmap that nothing has set up yet (device),
// which the rotation refuses.
enum class TPixelFormat : uint8_t { pfDevice, pf24bit, pf32bit };

// Raised when a picture is asked to take more pixels than Bitmap32::kMaxPixels.
class EBitmapError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

class Bitmap32 {
public:
    static constexpr uint32_t kBlank = 0xFF000000u;
    // 64 mega-pixels (256 MB): far above any picture on a player, low enough that sizes taken
    // from a damaged file cannot exhaust memory.
    static constexpr int64_t kMaxPixels = int64_t{1} << 26;

    Bitmap32() = default;
    Bitmap32(int32_t width, int32_t height, TPixelFormat format = TPixelFormat::pf32bit) : PixelFormat(format) {
        SetSize(width, height);
    }

    // An opaque pixel from 8-bit red, green and blue.
    static constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
        return kBlank | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    }
    static constexpr uint8_t Red(uint32_t pixel) { return static_cast<uint8_t>(pixel >> 16); }
    static constexpr uint8_t Green(uint32_t pixel) { return static_cast<uint8_t>(pixel >> 8); }
    static constexpr uint8_t Blue(uint32_t pixel) { return static_cast<uint8_t>(pixel); }

    // True when a picture of this size may be made (negative sides count as 0).
    static bool SizeAllowed(int64_t width, int64_t height) {
        return width <= 0 || height <= 0 ||
               (width <= kMaxPixels && height <= kMaxPixels && width * height <= kMaxPixels);
    }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool Empty() const { return width_ <= 0 && height_ <= 0; }
    size_t BytesPerLine() const { return static_cast<size_t>(width_) * 4; }

    // Changes the size as a resize does: the part that both sizes cover keeps its pixels (from
    // the top left corner), the rest is blank. Negative sides become 0. Throws EBitmapError
    // beyond kMaxPixels (the bitmap is then unchanged).
    void SetSize(int32_t width, int32_t height) {
        width = std::max(width, 0);
        height = std::max(height, 0);
        if (!SizeAllowed(width, height)) throw EBitmapError("画像が大きすぎます");
        if (width == width_ && height == height_) return;
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), kBlank);
        const int32_t keep_w = std::min(width, width_);
        const int32_t keep_h = std::min(height, height_);
        for (int32_t y = 0; y < keep_h; ++y) {
            std::copy_n(pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_), keep_w,
                        pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width));
        }
        pixels_.swap(pixels);
        width_ = width;
        height_ = height;
    }
    // Back to an empty bitmap of pixel format device.
    void Clear() {
        pixels_.clear();
        pixels_.shrink_to_fit();
        width_ = height_ = 0;
        PixelFormat = TPixelFormat::pfDevice;
    }

    // Direct row access (y in 0..Height()-1).
    uint32_t* ScanLine(int32_t y) { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
    const uint32_t* ScanLine(int32_t y) const {
        return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    }
    uint8_t* Bits() { return reinterpret_cast<uint8_t*>(pixels_.data()); }
    const uint8_t* Bits() const { return reinterpret_cast<const uint8_t*>(pixels_.data()); }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }

    uint32_t Pixel(int32_t x, int32_t y) const { return ScanLine(y)[x]; }
    void SetPixel(int32_t x, int32_t y, uint32_t value) { ScanLine(y)[x] = value; }

    bool operator==(const Bitmap32&) const = default;

    TPixelFormat PixelFormat = TPixelFormat::pfDevice;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint32_t> pixels_;
};
