// One thumbnail of the artwork or photo database: where its bytes lie in a thumbnail file
// beside the database, its dimensions, and the picture decoded from them on demand. The file
// does not say how the pixels are stored; the decoding infers it from the byte size.
// Offsets and sizes are in bytes, dimensions in pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <span>
#include <string>

#include "player/artwork/bitmap32.h"

// Opens a thumbnail file by its name relative to the database folder; nullptr when there is
// no such file. The stream belongs to the caller.
using TOpenFileEvent = std::function<std::unique_ptr<std::istream>(const std::string& FileName)>;

class TArtImageObject {
public:
    // No thumbnail the player writes comes near this (its largest is 720 x 480); dimensions
    // beyond it come from a damaged database and decode to nothing (pixels).
    static constexpr int64_t kMaxPixels = int64_t{2048} * 2048;

    // Fetches the bytes through OnOpenFile and decodes them into Bitmap, unless Bitmap already
    // holds a picture. A missing file, an offset with no bytes behind it, or dimensions that
    // its bytes do not fill one row of (or that pass kMaxPixels) leave Bitmap empty. Raises
    // EJpegError (player/artwork/jpeg_codec.h) for JPEG data that the JPEG library refuses;
    // Bitmap then stays blank at Width x Height, so the picture is not decoded (and the error
    // not raised) again. Never reads past what the file holds, nor more than a picture of
    // kMaxPixels can use.
    void LoadBitmap();

    std::string FileName;  // relative to the database folder, "/" between parts
    int32_t Offset = 0;    // of the picture in the thumbnail file
    int32_t ByteSize = 0;  // of the picture
    int32_t Width = 0;     // used for decoding and for choosing among thumbnails
    int32_t Height = 0;
    int32_t StoredWidth = 0;  // as stored, padding included
    int32_t StoredHeight = 0;
    bool Crop = false;  // cut the decoded picture to StoredWidth x StoredHeight
    TOpenFileEvent OnOpenFile;
    Bitmap32 Bitmap;  // empty until LoadBitmap
};

// The decoding steps of LoadBitmap. Each sets up `bitmap` as `width` x `height` at 32 bits per
// pixel and fills the rows the data holds whole (top row first); rows beyond the data stay
// blank. The picture is never made more than twice as large as its data fills: data short of
// half the rows gives only the rows it fills, data short of one row gives an empty bitmap.
// Sizes beyond Bitmap32::kMaxPixels raise EBitmapError.
// RGB565 pixels, two bytes each, little-endian (first byte low).
void DecodeRgb565LE(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap);
// RGB565 pixels, two bytes each, big-endian (first byte high).
void DecodeRgb565BE(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap);
// Four bytes a pixel: blue, green, red and an ignored fourth byte.
void DecodeBgrx32(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap);
// A JPEG file: the bitmap is set to width x height first, then takes the picture's own size
// and pixel format 24 bits. Raises EJpegError for data the JPEG library refuses; a picture
// beyond TArtImageObject::kMaxPixels is refused too.
void DecodeJpegThumbnail(std::span<const uint8_t> data, int32_t width, int32_t height, Bitmap32& bitmap);
// Cuts the bitmap to width x height, keeping the rectangle that starts at (x, y); where the old
// picture does not cover the new size the pixels are blank.
void CutBitmap(int32_t x, int32_t y, int32_t width, int32_t height, Bitmap32& bitmap);
