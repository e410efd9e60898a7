#include "foundation/fit_rect.h"

#include <cstdint>

TFitRect FitPictureRect(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
    // 64-bit products: a large picture times a large box does not overflow.
    int64_t w = pictureWidth, h = pictureHeight, x = 0, y = 0;
    const int64_t W = boxWidth, H = boxHeight;
    auto fit_to_width = [&] {
        h = h * W / w;
        w = W;
        x = 0;
        y = (H - h) / 2;
    };
    auto fit_to_height = [&] {
        w = w * H / h;
        h = H;
        y = 0;
        x = (W - w) / 2;
    };
    if (w >= h) {
        fit_to_width();
        if (y < 0) fit_to_height();
    } else {
        fit_to_height();
        if (x < 0) fit_to_width();
    }
    TFitRect r;
    r.X = static_cast<int>(x);
    r.Y = static_cast<int>(y);
    r.W = static_cast<int>(w);
    r.H = static_cast<int>(h);
    return r;
}
