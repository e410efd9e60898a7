#include "player/artwork/pic_filters.h"

#include <utility>

bool TTolvPicFilters::Rotate90(Bitmap32& Bitmap) {
    if (Bitmap.PixelFormat != TPixelFormat::pf24bit && Bitmap.PixelFormat != TPixelFormat::pf32bit) return false;
    const int32_t w = Bitmap.Width();
    const int32_t h = Bitmap.Height();
    Bitmap32 turned(h, w, Bitmap.PixelFormat);
    // Source rows are taken from the bottom up: source row h-1-y becomes column y.
    for (int32_t y = 0; y < h; ++y) {
        const uint32_t* src = Bitmap.ScanLine(h - 1 - y);
        for (int32_t x = 0; x < w; ++x) turned.ScanLine(x)[y] = src[x];
        if (OnProgress) OnProgress(y, h);
    }
    Bitmap = std::move(turned);
    return true;
}
