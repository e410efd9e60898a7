#include "player/tags/mp4_atoms.h"

#include "foundation/encoding.h"
#include "player/tags/mp3_tag_reader.h"
#include "player/tags/tag_stream.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace mp4 {

namespace {

// Text atoms are read up to this many bytes (longer texts are cut).
constexpr uint64_t kMaxAtomTextBytes = 1 << 20;

}  // namespace

void ReadMetadataAtoms(TagStream& stream, TMP3Tag& tag) {
    const uint64_t fileSize = stream.Size();
    uint64_t pos = 0;
    while (pos < fileSize) {
        const TagWindow header = stream.Window(pos, 8);
        uint64_t atomSize = header.U32BE(0);
        std::string name = encoding::AsciiLower(header.Text(4, 4));
        uint64_t bodyStart = pos + 8;

        if (name == "moov" || name == "udta" || name == "ilst" || name == "mp4a") {
            pos = bodyStart;
            continue;
        }
        if (name == "meta") {
            pos = bodyStart + 4;  // version and flags
            continue;
        }
        // Every other atom, text or not, ends where its size says. A size below its own header
        // cannot be walked past.
        if (atomSize < 8) break;

        std::string* field = nullptr;
        if (name ==
            "\xA9"
            "art")
            field = &tag.Artist;
        else if (name ==
                 "\xA9"
                 "nam")
            field = &tag.Title;
        else if (name ==
                 "\xA9"
                 "alb")
            field = &tag.Album;
        else if (name ==
                 "\xA9"
                 "day")
            field = &tag.Year;
        else if (name ==
                 "\xA9"
                 "gen")
            field = &tag.Genre;
        if (field) {
            if (atomSize < 24) {
                field->clear();
            } else {
                // The text sits in the inner data atom, after its header, type and locale. An atom
                // that claims more than the file holds gives the text that is there; an absurd
                // length is cut so that a text never costs more than a small buffer.
                const TagWindow text = stream.Window(pos + 24, std::min<uint64_t>(atomSize - 24, kMaxAtomTextBytes));
                auto bytes = text.Bytes(0, text.Size());
                size_t end = 0;
                while (end < bytes.size() && bytes[end] != 0) ++end;
                std::string_view raw(reinterpret_cast<const char*>(bytes.data()), end);
                *field = encoding::RepairUtf8(encoding::TrimView(raw));
            }
        }
        pos += atomSize;
    }
}

}  // namespace mp4
