#include "player/artwork/jpeg_codec.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "foundation/file_read.h"
#include "foundation/file_write.h"
#include "foundation/names.h"

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which must not return. Throwing a C++
// exception through libjpeg's C frames is undefined, so error_exit jumps back (longjmp) to a
// setjmp in a small function of this file that holds no object with a destructor; that
// function returns false and the C++ caller throws. Every allocation with a destructor happens
// outside those functions.

namespace {

// A progressive file may hold any number of scans, each a full pass over the picture; real
// encoders write about ten. The bound keeps a hostile file from taking minutes.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt or short data) are not shown: the picture is decoded as far as it goes.
void OutputMessage(j_common_ptr) {}

void InstallErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.message[0] = '\0';
}

void ProgressMonitor(j_common_ptr cinfo) {
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "JPEGファイルのスキャンが%d回を超えているため読み込めません",
                      kMaxScans);
        std::longjmp(err->jump, 1);
    }
}

// ---- source: the whole file in memory ----

void InitSource(j_decompress_ptr) {}

// The data has ended before the picture: give libjpeg an end-of-image marker (with a warning)
// so that it finishes with what it has, as a cut-short file on disk would.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
    static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
        FillInputBuffer(cinfo);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_source_mgr src{};
    jpeg_progress_mgr progress{};
    bool created = false;

    Decoder() { InstallErrorManager(err); }
    ~Decoder() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

// Reads the header and settles the output format. No objects with destructors (see above).
bool ReadHeader(Decoder* d, const uint8_t* data, size_t size) {
    if (setjmp(d->err.jump)) return false;
    d->cinfo.err = &d->err.pub;
    jpeg_create_decompress(&d->cinfo);
    d->created = true;
    d->src.init_source = InitSource;
    d->src.fill_input_buffer = FillInputBuffer;
    d->src.skip_input_data = SkipInputData;
    d->src.resync_to_restart = jpeg_resync_to_restart;
    d->src.term_source = TermSource;
    d->src.next_input_byte = data;
    d->src.bytes_in_buffer = size;
    d->cinfo.src = &d->src;
    d->progress.progress_monitor = ProgressMonitor;
    d->cinfo.progress = &d->progress;
    jpeg_read_header(&d->cinfo, TRUE);
    switch (d->cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE: d->cinfo.out_color_space = JCS_GRAYSCALE; break;
        case JCS_CMYK:
        case JCS_YCCK: d->cinfo.out_color_space = JCS_CMYK; break;
        default: d->cinfo.out_color_space = JCS_RGB; break;
    }
    jpeg_calc_output_dimensions(&d->cinfo);
    return true;
}

inline uint32_t FromCmyk(unsigned c, unsigned m, unsigned y, unsigned k, bool inverted) {
    // Adobe writes CMYK inverted (0 = full ink); others write it plain.
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return Bitmap32::Rgb(static_cast<uint8_t>(c * k / 255), static_cast<uint8_t>(m * k / 255),
                         static_cast<uint8_t>(y * k / 255));
}

// Decodes the picture into `pixels` (output_width x output_height, rows packed).
bool DecodeRows(Decoder* d, uint32_t* pixels) {
    if (setjmp(d->err.jump)) return false;
    j_decompress_ptr cinfo = &d->cinfo;
    jpeg_start_decompress(cinfo);
    const JDIMENSION width = cinfo->output_width;
    const int components = cinfo->output_components;
    const bool inverted = cinfo->saw_Adobe_marker;
    JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                 width * static_cast<JDIMENSION>(components), 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION y = cinfo->output_scanline;
        if (jpeg_read_scanlines(cinfo, row, 1) != 1) break;
        const JSAMPLE* s = row[0];
        uint32_t* out = pixels + static_cast<size_t>(y) * width;
        for (JDIMENSION x = 0; x < width; ++x) {
            if (components == 1) {
                out[x] = Bitmap32::Rgb(s[x], s[x], s[x]);
            } else if (components == 3) {
                out[x] = Bitmap32::Rgb(s[3 * x], s[3 * x + 1], s[3 * x + 2]);
            } else {
                out[x] = FromCmyk(s[4 * x], s[4 * x + 1], s[4 * x + 2], s[4 * x + 3], inverted);
            }
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// ---- destination: a growing buffer in memory ----

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    jpeg_destination_mgr dest{};
    JOCTET* buffer = nullptr;  // malloc'd: it grows inside libjpeg's callbacks
    size_t capacity = 0;
    size_t size = 0;
    bool created = false;

    Encoder() { InstallErrorManager(err); }
    ~Encoder() {
        if (created) jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
};

void InitDestination(j_compress_ptr cinfo) {
    auto* e = static_cast<Encoder*>(cinfo->client_data);
    e->capacity = 64 * 1024;
    e->buffer = static_cast<JOCTET*>(std::malloc(e->capacity));
    if (!e->buffer) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    cinfo->dest->next_output_byte = e->buffer;
    cinfo->dest->free_in_buffer = e->capacity;
}

// Called when the buffer is full (libjpeg's contract: the whole buffer is in use).
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* e = static_cast<Encoder*>(cinfo->client_data);
    const size_t used = e->capacity;
    auto* grown = static_cast<JOCTET*>(std::realloc(e->buffer, e->capacity * 2));
    if (!grown) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    e->buffer = grown;
    e->capacity *= 2;
    cinfo->dest->next_output_byte = e->buffer + used;
    cinfo->dest->free_in_buffer = e->capacity - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* e = static_cast<Encoder*>(cinfo->client_data);
    e->size = e->capacity - cinfo->dest->free_in_buffer;
}

bool EncodeRows(Encoder* e, const uint32_t* pixels, int32_t width, int32_t height, int quality) {
    if (setjmp(e->err.jump)) return false;
    e->cinfo.err = &e->err.pub;
    jpeg_create_compress(&e->cinfo);
    e->created = true;
    e->cinfo.client_data = e;
    e->dest.init_destination = InitDestination;
    e->dest.empty_output_buffer = EmptyOutputBuffer;
    e->dest.term_destination = TermDestination;
    e->cinfo.dest = &e->dest;
    e->cinfo.image_width = static_cast<JDIMENSION>(width);
    e->cinfo.image_height = static_cast<JDIMENSION>(height);
    e->cinfo.input_components = 3;
    e->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e->cinfo);
    jpeg_set_quality(&e->cinfo, quality, TRUE);
    jpeg_start_compress(&e->cinfo, TRUE);
    JSAMPARRAY row = (*e->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&e->cinfo), JPOOL_IMAGE,
                                                   static_cast<JDIMENSION>(width) * 3, 1);
    while (e->cinfo.next_scanline < e->cinfo.image_height) {
        const uint32_t* in = pixels + static_cast<size_t>(e->cinfo.next_scanline) * static_cast<size_t>(width);
        JSAMPLE* s = row[0];
        for (int32_t x = 0; x < width; ++x) {
            s[3 * x] = Bitmap32::Red(in[x]);
            s[3 * x + 1] = Bitmap32::Green(in[x]);
            s[3 * x + 2] = Bitmap32::Blue(in[x]);
        }
        jpeg_write_scanlines(&e->cinfo, row, 1);
    }
    jpeg_finish_compress(&e->cinfo);
    return true;
}

}  // namespace

void DecodeJpeg(std::span<const uint8_t> data, Bitmap32& bitmap, int64_t maxPixels) {
    Decoder d;
    if (!ReadHeader(&d, data.data(), data.size())) throw EJpegError(d.err.message);
    const int64_t width = d.cinfo.output_width;
    const int64_t height = d.cinfo.output_height;
    if (!Bitmap32::SizeAllowed(width, height) || width > INT32_MAX || height > INT32_MAX ||
        width * height > maxPixels) {
        throw EJpegError("JPEG画像が大きすぎるため読み込めません");
    }
    Bitmap32 picture(static_cast<int32_t>(width), static_cast<int32_t>(height), TPixelFormat::pf24bit);
    uint32_t* pixels = reinterpret_cast<uint32_t*>(picture.Bits());
    if (!DecodeRows(&d, pixels)) throw EJpegError(d.err.message);
    bitmap = std::move(picture);
}

Bitmap32 LoadJpegFile(const std::string& path) {
    const FileBytes data = ReadWholeFile(path, kMaxJpegFileBytes);
    Bitmap32 bitmap;
    DecodeJpeg(data, bitmap);
    return bitmap;
}

std::vector<uint8_t> EncodeJpeg(const Bitmap32& bitmap, int quality) {
    Encoder e;
    const auto* pixels = reinterpret_cast<const uint32_t*>(bitmap.Bits());
    if (!EncodeRows(&e, pixels, bitmap.Width(), bitmap.Height(), std::clamp(quality, 1, 100))) {
        throw EJpegError(e.err.message);
    }
    return std::vector<uint8_t>(e.buffer, e.buffer + e.size);
}

void SaveJpegFile(const Bitmap32& bitmap, const std::string& path, int quality) {
    const std::vector<uint8_t> data = EncodeJpeg(bitmap, quality);
    // A place the user picked: its folder may be a link, the file itself is never written through one.
    WriteWholeFile(path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                   TFolderLink::Follow);
}
