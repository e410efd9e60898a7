// Where a picture stands when it is drawn centred, as large as fits, into a box, keeping its
// aspect ratio. All numbers are pixels.
#pragma once

struct TFitRect {
    int X = 0;  // offset from the box's left edge
    int Y = 0;  // offset from the box's top edge
    int W = 0;
    int H = 0;
    bool Empty() const { return W <= 0 || H <= 0; }
};

// The rectangle of a pictureWidth x pictureHeight picture inside a boxWidth x boxHeight box:
// landscape and square pictures are fitted to the width, portrait ones to the height, and
// fitted the other way when that overflows. Divisions truncate. A picture or box without area
// gives an empty rectangle (only the background is drawn).
TFitRect FitPictureRect(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight);
