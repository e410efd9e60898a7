// The copy's names from a song's tags and location: whatever the database holds, every
// target part is a usable file name of at most 255 bytes, without control characters, that
// neither names "." nor ".."; the target stays in its folder, and a source found stays below
// the player's root.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/names.h"
#include "foundation/paths.h"
#include "harrowin_work/song_copy.h"
#include "player/song_records.h"

using namespace harrowin;

namespace {

std::string Take(std::string_view& data) {
    const size_t n = data.empty() ? 0 : static_cast<uint8_t>(data[0]) % 64 * 6;
    if (!data.empty()) data.remove_prefix(1);
    const size_t len = std::min(n, data.size());
    std::string out(data.substr(0, len));
    data.remove_prefix(len);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string_view data(reinterpret_cast<const char*>(bytes), size);
    if (data.size() < 2) return 0;
    const uint8_t flags = static_cast<uint8_t>(data[0]);
    const int8_t track = static_cast<int8_t>(data[1]);
    data.remove_prefix(2);
    TITBSongItem song;
    song.Title = Take(data);
    song.Artist = Take(data);
    song.Album = Take(data);
    song.Location = Take(data);
    song.TrackNumber = track;
    TCopyNaming naming;
    naming.Video = flags & 1;
    naming.ArtistFolder = flags & 2;
    naming.AlbumFolder = flags & 4;
    naming.AddTrackNo = flags & 8;
    naming.NameType = TCopyNameType((flags >> 4) % 4);
    const std::string playerName = FileNameOf(ColonsToSlashes(song.Location));
    const std::string name = CopyTargetName(song, playerName.empty() ? "x.mp3" : playerName, naming);
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string_view part(name.data() + start, end - start);
        if (part.empty() || part.size() > kMaxEntryNameBytes || part == "." || part == "..") std::abort();
        // No control character (a zero would cut the name, a tab or line break the import list).
        for (char c : part) {
            if (static_cast<unsigned char>(c) < 32) std::abort();
        }
        start = end + 1;
    }
    if (!PathInside("/out/", "/out/" + name)) std::abort();
    const std::string source = PlayerSourcePath("/nonexistent-root/", song.Location);
    if (!source.empty() && !PathInside("/nonexistent-root/", source)) std::abort();
    return 0;
}
