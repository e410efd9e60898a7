// Reads arbitrary bytes as an artwork / photo database, then walks every lookup and decodes the
// small thumbnails from the same bytes taken as the thumbnail file.
#include "player/artwork/artwork_db.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TArtworkDBLoader loader;
    int messages = 0;
    loader.OnShowMessage = [&](const std::string&) { ++messages; };
    const std::string file(reinterpret_cast<const char*>(data), size);
    loader.Items.OnOpenFile = [&](const std::string&) -> std::unique_ptr<std::istream> {
        return std::make_unique<std::istringstream>(file);
    };
    loader.ParseStream({data, size});
    if (messages > 1) __builtin_trap();
    if (messages == 1 && (loader.Items.GetCount() != 0 || loader.Albums.GetCount() != 0)) __builtin_trap();

    std::vector<std::string> ids;
    loader.Items.GetIDList(ids);
    if (ids.size() != static_cast<size_t>(loader.Items.GetCount())) __builtin_trap();
    for (int32_t i = 0; i < loader.Items.GetCount(); ++i) {
        TArtItem* item = loader.GetItem(i);
        if (item == nullptr) __builtin_trap();
        if (loader.Items.FindByID(item->ImageId) == nullptr) __builtin_trap();
        if (loader.FindBySongID(item->SongId) == nullptr) __builtin_trap();
        for (int32_t width : {-1, 0, 200}) {
            TArtImageObject* t = item->GetImageByWidth(width);
            if (t == nullptr) continue;
            if (width > 0 && t->Width > width) __builtin_trap();
            // Large pictures only cost time here; their decoding is the other target's concern.
            if (int64_t{t->Width} * t->Height > 512 * 512 || int64_t{t->StoredWidth} * t->StoredHeight > 512 * 512) continue;
            try {
                t->LoadBitmap();
            } catch (const ETolvError&) {
            }
        }
    }
    if (loader.GetItem(loader.Items.GetCount()) != nullptr) __builtin_trap();
    loader.Albums.FillListView([&](const std::string& caption, int32_t) {
        std::vector<std::string> strings;
        loader.Albums.GetAlbumImageIDs(caption, strings);
    });
    return 0;
}
