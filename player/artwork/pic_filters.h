// Picture filters for the thumbnails: the quarter turn of the one thumbnail format that the
// player stores on its side.
#pragma once

#include <cstdint>
#include <functional>

#include "player/artwork/bitmap32.h"

class TTolvPicFilters {
public:
    // Turns a bitmap of pixel format 24 or 32 bits by 90 degrees clockwise in place (the
    // bottom left pixel becomes the top left one) and returns true; a bitmap of any other
    // pixel format is left unchanged and the result is false.
    bool Rotate90(Bitmap32& Bitmap);

    // Called after each source row with (rows done - 1, source height); may be unset.
    std::function<void(int32_t Position, int32_t Max)> OnProgress;
};
