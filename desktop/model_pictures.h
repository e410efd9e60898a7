// The model pictures of the device information window, drawn here: one per model family.
// Sizes are in pixels.
#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace harrowin {

// The picture index of a family: "mini" 0, "nano" 2, "shuffle" 3, "5G" 4, "nano2" 5,
// "shuffle2" 6 (compared exactly), any other family 1.
int ModelImageIndex(const std::string& family);

// The size of every entry of the picture list.
constexpr int kModelPictureW = 72;
constexpr int kModelPictureH = 112;

// Entry 0..6 of the picture list (transparent background).
QImage ModelPicture(int index);

// The picture as the window shows it: a white field of the given size with a one-pixel black
// border and the entry drawn at (19, 19).
QImage ModelPictureField(int index, QSize size);

}  // namespace harrowin
