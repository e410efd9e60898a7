#include "tests/support/artwork_db_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "foundation/encoding.h"
#include "player/artwork/jpeg_codec.h"

namespace fs = std::filesystem;

namespace artdb {

void PutU16(Bytes& b, size_t offset, uint16_t v) {
    if (b.size() < offset + 2) b.resize(offset + 2);
    b[offset] = static_cast<uint8_t>(v);
    b[offset + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(Bytes& b, size_t offset, uint32_t v) {
    PutU16(b, offset, static_cast<uint16_t>(v));
    PutU16(b, offset + 2, static_cast<uint16_t>(v >> 16));
}

void PutU64(Bytes& b, size_t offset, uint64_t v) {
    PutU32(b, offset, static_cast<uint32_t>(v));
    PutU32(b, offset + 4, static_cast<uint32_t>(v >> 32));
}

void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

namespace {

// A chunk header of `header_length` zero bytes with its tag, header length and total length.
Bytes Header(const char* tag, uint32_t header_length, uint32_t total_length) {
    Bytes b(header_length, 0);
    for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<uint8_t>(tag[i]);
    PutU32(b, 4, header_length);
    PutU32(b, 8, total_length);
    return b;
}

}  // namespace

Bytes StringChunk(const std::string& text, uint32_t encoding, uint32_t kind) {
    std::string stored = (encoding == 0 || encoding == 2) ? encoding::Utf8ToUtf16Le(text) : text;
    const uint32_t padded = static_cast<uint32_t>((stored.size() + 3) / 4 * 4);
    Bytes b = Header("mhod", 24, 36 + padded);
    PutU32(b, 12, kind);
    PutU32(b, 24, static_cast<uint32_t>(stored.size()));
    PutU32(b, 28, encoding);
    b.resize(36 + padded, 0);
    std::copy(stored.begin(), stored.end(), b.begin() + 36);
    return b;
}

Bytes PictureHeader(uint32_t format_id, uint32_t offset, uint32_t byte_size, uint16_t width, uint16_t height,
                    int16_t horizontal_padding, int16_t vertical_padding, const std::string& file_name) {
    const Bytes name = file_name.empty() ? Bytes() : StringChunk(file_name, 2, 3);
    Bytes b = Header("mhni", 76, static_cast<uint32_t>(76 + name.size()));
    PutU32(b, 12, name.empty() ? 0 : 1);
    PutU32(b, 16, format_id);
    PutU32(b, 20, offset);
    PutU32(b, 24, byte_size);
    PutU16(b, 28, static_cast<uint16_t>(vertical_padding));
    PutU16(b, 30, static_cast<uint16_t>(horizontal_padding));
    PutU16(b, 32, height);
    PutU16(b, 34, width);
    Append(b, name);
    return b;
}

Bytes Container(uint32_t kind, const Bytes& child) {
    Bytes b = Header("mhod", 24, static_cast<uint32_t>(24 + child.size()));
    PutU32(b, 12, kind);
    Append(b, child);
    return b;
}

Bytes ImageEntry(uint32_t image_id, uint64_t song_id, const Bytes& children, uint32_t child_count) {
    Bytes b = Header("mhii", 152, static_cast<uint32_t>(152 + children.size()));
    PutU32(b, 12, child_count);
    PutU32(b, 16, image_id);
    PutU64(b, 20, song_id);
    Append(b, children);
    return b;
}

Bytes ListChunk(const char* tag, uint32_t count, const Bytes& entries) {
    Bytes b = Header(tag, 92, count);  // a list's third word is its count, not a length
    Append(b, entries);
    return b;
}

Bytes Album(const std::string& name, uint8_t kind, const std::vector<uint32_t>& image_ids) {
    Bytes children = StringChunk(name, 1, 1);
    for (uint32_t id : image_ids) {
        Bytes item = Header("mhia", 40, 40);
        PutU32(item, 16, id);
        Append(children, item);
    }
    Bytes b = Header("mhba", 148, static_cast<uint32_t>(148 + children.size()));
    PutU32(b, 12, 1);
    PutU32(b, 16, static_cast<uint32_t>(image_ids.size()));
    b[30] = kind;
    Append(b, children);
    return b;
}

Bytes FileEntry(uint32_t format_id, uint32_t image_size) {
    Bytes b = Header("mhif", 124, 124);
    PutU32(b, 16, format_id);
    PutU32(b, 20, image_size);
    return b;
}

Bytes DataSet(uint32_t kind, const Bytes& body) {
    Bytes b = Header("mhsd", 96, static_cast<uint32_t>(96 + body.size()));
    PutU32(b, 12, kind);
    Append(b, body);
    return b;
}

Bytes FileHeader(const Bytes& data_sets, uint32_t set_count, uint32_t next_image_id) {
    Bytes b = Header("mhfd", 132, static_cast<uint32_t>(132 + data_sets.size()));
    PutU32(b, 16, 2);
    PutU32(b, 20, set_count);
    PutU32(b, 28, next_image_id);
    Append(b, data_sets);
    return b;
}

}  // namespace artdb

namespace {

constexpr uint16_t ToRgb565(uint32_t pixel) {
    return static_cast<uint16_t>((Bitmap32::Red(pixel) >> 3) << 11 | (Bitmap32::Green(pixel) >> 2) << 5 |
                                 Bitmap32::Blue(pixel) >> 3);
}

std::vector<uint8_t> Encode565(const Bitmap32& picture, bool big_endian) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(picture.Width()) * static_cast<size_t>(picture.Height()) * 2);
    for (int32_t y = 0; y < picture.Height(); ++y) {
        for (int32_t x = 0; x < picture.Width(); ++x) {
            const uint16_t v = ToRgb565(picture.Pixel(x, y));
            const uint8_t hi = static_cast<uint8_t>(v >> 8), lo = static_cast<uint8_t>(v);
            out.push_back(big_endian ? hi : lo);
            out.push_back(big_endian ? lo : hi);
        }
    }
    return out;
}

}  // namespace

Bitmap32 MakeTestPicture(int32_t width, int32_t height, uint32_t seed) {
    Bitmap32 picture(width, height, TPixelFormat::pf32bit);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t v = static_cast<uint32_t>(x) * 7 + static_cast<uint32_t>(y) * 131 + seed * 977;
            picture.SetPixel(
                x, y,
                Bitmap32::Rgb(static_cast<uint8_t>((v & 0x1F) << 3), static_cast<uint8_t>(((v >> 5) & 0x3F) << 2),
                              static_cast<uint8_t>(((v >> 11) & 0x1F) << 3)));
        }
    }
    return picture;
}

Bitmap32 RotateCounterClockwise(const Bitmap32& picture) {
    Bitmap32 turned(picture.Height(), picture.Width(), picture.PixelFormat);
    for (int32_t y = 0; y < picture.Height(); ++y) {
        for (int32_t x = 0; x < picture.Width(); ++x) turned.SetPixel(y, picture.Width() - 1 - x, picture.Pixel(x, y));
    }
    return turned;
}

std::vector<uint8_t> EncodeThumbnail(const Bitmap32& picture, ThumbFormat format) {
    switch (format) {
        case ThumbFormat::Rgb565LE: return Encode565(picture, false);
        case ThumbFormat::Rgb565BE: return Encode565(picture, true);
        case ThumbFormat::Sideways: return Encode565(RotateCounterClockwise(picture), true);
        case ThumbFormat::Jpeg: return EncodeJpeg(picture, 95);
        case ThumbFormat::Bgrx32: {
            std::vector<uint8_t> out;
            for (uint32_t pixel : picture.Pixels()) {
                out.push_back(Bitmap32::Blue(pixel));
                out.push_back(Bitmap32::Green(pixel));
                out.push_back(Bitmap32::Red(pixel));
                out.push_back(0x5A);  // ignored by the decoder
            }
            return out;
        }
    }
    return {};
}

ArtworkTestImage& ArtworkDbWriter::AddImage(uint32_t image_id, uint64_t song_id) {
    ArtworkTestImage& image = Images.emplace_back();
    image.ImageId = image_id;
    image.SongId = song_id;
    return image;
}

ArtworkTestThumb& ArtworkDbWriter::AddThumbnail(ArtworkTestImage& image, const std::string& file_name,
                                                const Bitmap32& picture, ThumbFormat format, uint32_t format_id) {
    return AddRawThumbnail(image, file_name, EncodeThumbnail(picture, format), static_cast<uint16_t>(picture.Width()),
                           static_cast<uint16_t>(picture.Height()), 0, 0, format_id);
}

ArtworkTestThumb& ArtworkDbWriter::AddRawThumbnail(ArtworkTestImage& image, const std::string& file_name,
                                                   const std::vector<uint8_t>& bytes, uint16_t width, uint16_t height,
                                                   int16_t horizontal_padding, int16_t vertical_padding,
                                                   uint32_t format_id) {
    std::vector<uint8_t>& file = ThumbFiles[file_name];
    ArtworkTestThumb& thumb = image.Thumbs.emplace_back();
    thumb.FileName = file_name;
    thumb.FormatId = format_id;
    thumb.Offset = static_cast<uint32_t>(file.size());
    thumb.ByteSize = static_cast<uint32_t>(bytes.size());
    thumb.Width = width;
    thumb.Height = height;
    thumb.HorizontalPadding = horizontal_padding;
    thumb.VerticalPadding = vertical_padding;
    file.insert(file.end(), bytes.begin(), bytes.end());
    return thumb;
}

ArtworkTestAlbum& ArtworkDbWriter::AddAlbum(const std::string& name, uint8_t kind,
                                            const std::vector<uint32_t>& image_ids) {
    ArtworkTestAlbum& album = Albums.emplace_back();
    album.Name = name;
    album.Kind = kind;
    album.ImageIds = image_ids;
    return album;
}

std::vector<uint8_t> ArtworkDbWriter::Build() const {
    using namespace artdb;
    Bytes entries;
    uint32_t next_id = 100;
    std::map<uint32_t, uint32_t> formats;  // format id -> picture size
    for (const ArtworkTestImage& image : Images) {
        Bytes children;
        uint32_t count = 0;
        for (const ArtworkTestThumb& t : image.Thumbs) {
            Append(children, Container(2, PictureHeader(t.FormatId, t.Offset, t.ByteSize, t.Width, t.Height,
                                                        t.HorizontalPadding, t.VerticalPadding, t.FileName)));
            formats[t.FormatId] = t.ByteSize;
            ++count;
        }
        if (!image.PhotoName.empty()) {
            Append(children, Container(5, PictureHeader(1, 0, image.FullSize, 0, 0, 0, 0, image.PhotoName)));
            ++count;
        }
        Append(entries, ImageEntry(image.ImageId, image.SongId, children, count));
        next_id = std::max(next_id, image.ImageId + 1);
    }
    Bytes albums;
    for (const ArtworkTestAlbum& album : Albums) Append(albums, Album(album.Name, album.Kind, album.ImageIds));
    Bytes files;
    for (const auto& [id, size] : formats) Append(files, FileEntry(id, size));

    Bytes sets;
    Append(sets, DataSet(1, ListChunk("mhli", static_cast<uint32_t>(Images.size()), entries)));
    Append(sets, DataSet(2, ListChunk("mhla", static_cast<uint32_t>(Albums.size()), albums)));
    Append(sets, DataSet(3, ListChunk("mhlf", static_cast<uint32_t>(formats.size()), files)));
    return FileHeader(sets, 3, next_id);
}

namespace {

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

std::string ArtworkDbWriter::WriteTo(const std::string& folder, const std::string& db_name) const {
    const std::string db_path = folder + "/" + db_name;
    WriteBytes(db_path, Build());
    for (const auto& [name, bytes] : ThumbFiles) {
        std::string relative = name;
        for (char& c : relative) {
            if (c == ':') c = '/';
        }
        if (relative.empty() || relative[0] != '/') relative = std::string("/") + relative;
        WriteBytes(folder + relative, bytes);
    }
    return db_path;
}

uint32_t WriteJpegPicture(const std::string& path, const Bitmap32& picture) {
    const std::vector<uint8_t> bytes = EncodeJpeg(picture, kJpegSaveQuality);
    WriteBytes(path, bytes);
    return static_cast<uint32_t>(bytes.size());
}
