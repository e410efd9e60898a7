// A small writer of artwork databases ("ArtworkDB") and photo databases ("Photo DataBase") with
// their thumbnail files, for tests, the sample player and the benchmark. It stores pictures in
// every pixel format the thumbnail decoder knows, so a test can compare each decoded pixel
// with what was written; the chunk helpers let a test build odd or broken files chunk by
// chunk. Lengths are in bytes, dimensions in pixels; texts are UTF-8 in.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "player/artwork/bitmap32.h"

namespace artdb {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& b, size_t offset, uint16_t v);
void PutU32(Bytes& b, size_t offset, uint32_t v);
void PutU64(Bytes& b, size_t offset, uint64_t v);
void Append(Bytes& to, const Bytes& from);

// String chunk "mhod" (the given kind, 3 for a file name, 1 for an album title). Encoding 1
// writes UTF-8, 0 and 2 UTF-16LE; any other number writes the UTF-8 bytes under that number.
Bytes StringChunk(const std::string& text, uint32_t encoding = 2, uint32_t kind = 3);
// Picture header "mhni" followed by its file-name string chunk (none when `file_name` is empty).
Bytes PictureHeader(uint32_t format_id, uint32_t offset, uint32_t byte_size, uint16_t width, uint16_t height,
                    int16_t horizontal_padding, int16_t vertical_padding, const std::string& file_name);
// Container "mhod" of kind 2 (thumbnail) or 5 (full resolution) holding `child`.
Bytes Container(uint32_t kind, const Bytes& child);
// Image entry "mhii" with its children.
Bytes ImageEntry(uint32_t image_id, uint64_t song_id, const Bytes& children, uint32_t child_count);
// Image list "mhli" / album list "mhla" / file list "mhlf" over their entries.
Bytes ListChunk(const char* tag, uint32_t count, const Bytes& entries);
// Album "mhba": the title chunk, then one "mhia" per image id.
Bytes Album(const std::string& name, uint8_t kind, const std::vector<uint32_t>& image_ids);
// File entry "mhif" of the file list (format id and picture size).
Bytes FileEntry(uint32_t format_id, uint32_t image_size);
// Data set "mhsd" of the kind.
Bytes DataSet(uint32_t kind, const Bytes& body);
// File header "mhfd" followed by the data sets.
Bytes FileHeader(const Bytes& data_sets, uint32_t set_count, uint32_t next_image_id);

}  // namespace artdb

// How a picture is stored in its thumbnail file.
enum class ThumbFormat {
    Rgb565LE,  // 16-bit little-endian (sizes other than the listed ones)
    Rgb565BE,  // 16-bit big-endian (4100, 22880, 46464, 153600 bytes)
    Bgrx32,    // 32-bit (307200 bytes)
    Sideways,  // 176 x 220 big-endian turned on its side (77440 bytes): the picture is 220 x 176
    Jpeg,      // a JPEG file (quality 95)
};

// A picture whose colours survive RGB565 unchanged (low bits zero), with a different colour in
// nearly every pixel, so a decoded picture can be compared exactly.
Bitmap32 MakeTestPicture(int32_t width, int32_t height, uint32_t seed = 0);
// The picture's bytes in the format (Sideways: the picture must be 220 x 176).
std::vector<uint8_t> EncodeThumbnail(const Bitmap32& picture, ThumbFormat format);
// The same picture turned a quarter counter-clockwise (the inverse of the decoder's turn).
Bitmap32 RotateCounterClockwise(const Bitmap32& picture);

struct ArtworkTestThumb {
    std::string FileName;  // as stored: ":F1016_1.ithmb", ":Thumbs:F1019_1.ithmb"
    uint32_t FormatId = 0;
    uint32_t Offset = 0;
    uint32_t ByteSize = 0;
    uint16_t Width = 0, Height = 0;  // picture size as stored in the header
    int16_t HorizontalPadding = 0, VerticalPadding = 0;
};

struct ArtworkTestImage {
    uint32_t ImageId = 0;
    uint64_t SongId = 0;
    std::vector<ArtworkTestThumb> Thumbs;
    std::string PhotoName;  // as stored (":Full Resolution:..."); empty: no full-size file
    uint32_t FullSize = 0;
};

struct ArtworkTestAlbum {
    std::string Name;
    uint8_t Kind = 2;  // 1 the photo library, 2 a user's album
    std::vector<uint32_t> ImageIds;
};

// Collects entries, albums and thumbnail files, then writes them.
class ArtworkDbWriter {
public:
    ArtworkTestImage& AddImage(uint32_t image_id, uint64_t song_id = 0);
    // Stores the picture in the thumbnail file and gives the image a thumbnail record for it
    // with the picture's width and height (Sideways: 220 x 176, stored turned as 176 x 220).
    ArtworkTestThumb& AddThumbnail(ArtworkTestImage& image, const std::string& file_name, const Bitmap32& picture,
                                   ThumbFormat format, uint32_t format_id = 1017);
    // Stores bytes as they are, with the header fields given.
    ArtworkTestThumb& AddRawThumbnail(ArtworkTestImage& image, const std::string& file_name,
                                      const std::vector<uint8_t>& bytes, uint16_t width, uint16_t height,
                                      int16_t horizontal_padding = 0, int16_t vertical_padding = 0,
                                      uint32_t format_id = 1017);
    ArtworkTestAlbum& AddAlbum(const std::string& name, uint8_t kind, const std::vector<uint32_t>& image_ids);

    // The database file: image list, album list, file list.
    std::vector<uint8_t> Build() const;
    // Writes the database as folder + "/" + db_name and every thumbnail file beside it
    // (":Thumbs:F1.ithmb" becomes folder + "/Thumbs/F1.ithmb"); returns the database path.
    std::string WriteTo(const std::string& folder, const std::string& db_name) const;

    std::vector<ArtworkTestImage> Images;
    std::vector<ArtworkTestAlbum> Albums;
    std::map<std::string, std::vector<uint8_t>> ThumbFiles;  // by stored name
};

// Writes a JPEG file of the picture (quality 90), creating its folder; returns its size in bytes.
uint32_t WriteJpegPicture(const std::string& path, const Bitmap32& picture);
