// JPEG files to and from Bitmap32, through the IJG libjpeg (release 6 interface). libjpeg's
// errors become EJpegError instead of ending the program; its warnings (a file cut short, a
// damaged stretch of data) are not errors: the picture is decoded as far as it goes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "player/artwork/bitmap32.h"

// A JPEG the library refuses; the message is libjpeg's own text.
class EJpegError : public ETolvError {
public:
    using ETolvError::ETolvError;
};

// The quality (0-100) of every JPEG the programs save: photos and artwork.
constexpr int kJpegSaveQuality = 90;

// The largest JPEG file read (bytes): far above a photo of Bitmap32::kMaxPixels.
constexpr uint64_t kMaxJpegFileBytes = 128u << 20;

// Decodes a whole JPEG file held in memory. On success the bitmap takes the picture's size
// and pixel format 24 bits; on EJpegError it is unchanged. Pictures of more than maxPixels
// (at most Bitmap32::kMaxPixels), and progressive files of more than 500 scans, are refused.
void DecodeJpeg(std::span<const uint8_t> data, Bitmap32& bitmap, int64_t maxPixels = Bitmap32::kMaxPixels);
// Reads and decodes a JPEG file (EFileError when it cannot be read or passes kMaxJpegFileBytes).
Bitmap32 LoadJpegFile(const std::string& path);

// Encodes the bitmap as a baseline JPEG of 8-bit RGB at the given quality (clamped to 1-100).
// An empty bitmap raises EJpegError.
std::vector<uint8_t> EncodeJpeg(const Bitmap32& bitmap, int quality);
// Encodes and writes a JPEG file, replacing it (EFileError when it cannot be written).
void SaveJpegFile(const Bitmap32& bitmap, const std::string& path, int quality = kJpegSaveQuality);
