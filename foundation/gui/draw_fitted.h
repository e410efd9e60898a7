// Drawing a picture centred, as large as fits, into a box filled with a background colour.
#pragma once

#include <QColor>

class QImage;
class QPainter;

// Fills the box (left, top, width x height, in pixels) with the background and draws the
// picture into it keeping its aspect ratio, smoothly scaled. An empty picture leaves the
// background alone.
void DrawBitmapFitted(QPainter& canvas, int left, int top, int width, int height, const QColor& background,
                      const QImage& picture);
// The same on a picture of its own.
void DrawBitmapFittedOnBitmap(QImage& target, int left, int top, int width, int height, const QColor& background,
                              const QImage& picture);
