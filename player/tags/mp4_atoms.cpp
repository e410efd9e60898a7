#include "player/tags/mp4_atoms.h"

#include "foundation/encoding.h"
#include "player/tags/mp3_tag_reader.h"
#include "player/tags/tag_stream.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

namespace mp4 {

namespace {

// Text atoms are read up to this many bytes (longer texts are cut).
constexpr uint64_t kMaxAtomTextBytes = 1 << 20;

// The tag field a text atom fills (names lower-cased), or null for any other atom.
std::string* TextField(TMP3Tag& tag, const std::string& name) {
    // "\251" is the copyright sign (0xA9) that starts these names; an octal escape ends after
    // three digits, so the letters behind it stay letters.
    static constexpr std::pair<std::string_view, std::string TMP3Tag::*> kFields[] = {
        {"\251art", &TMP3Tag::Artist}, {"\251nam", &TMP3Tag::Title}, {"\251alb", &TMP3Tag::Album},
        {"\251day", &TMP3Tag::Year},   {"\251gen", &TMP3Tag::Genre},
    };
    for (const auto& [atom, member] : kFields) {
        if (name == atom) return &(tag.*member);
    }
    return nullptr;
}

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

        std::string* field = TextField(tag, name);
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
