// Arbitrary bytes as the artwork database of a player: LoadFromFile reads it from a player
// tree, every lookup is walked, and the thumbnail files it names are opened through the
// loader's own guard and decoded. Beside the thumbnail files the tree holds a file outside the
// database's folder, a link to it and a link to the folder above: whatever names the database
// gives, the guard opens only the thumbnail files inside.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_files.h"
#include "player/artwork/artwork_db.h"

namespace {

constexpr std::string_view kOutside = "a file outside the database folder, never to be read";

// What every thumbnail file of the tree holds: enough for the small pictures.
const std::string& ThumbnailBytes() {
    static const std::string bytes = [] {
        std::string b(64 * 1024, '\0');
        for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<char>(i * 131 + i / 256);
        return b;
    }();
    return bytes;
}

// The database's path in the tree, made at the first input.
const std::string& DatabasePath() {
    static const std::string path = [] {
        const std::string outside = fuzz::WriteFile("outside.ithmb", kOutside);
        for (const char* name : {"F1.ithmb", "F2.ithmb", "F1009_1.ithmb", "Thumbs/F1.ithmb", "Thumbs/F1019_1.ithmb"}) {
            fuzz::WriteFile(std::string("Artwork/") + name, ThumbnailBytes());
        }
        const std::string folder = fuzz::WorkFolder() + "/Artwork/";
        if (::symlink(outside.c_str(), (folder + "Link.ithmb").c_str()) != 0 ||
            ::symlink(fuzz::WorkFolder().c_str(), (folder + "Up").c_str()) != 0) {
            __builtin_trap();
        }
        return folder + "ArtworkDB";
    }();
    return path;
}

// A thumbnail file the guard opened must be one of the tree's own.
void CheckOpened(const TArtworkDBLoader& loader, const std::string& name) {
    std::unique_ptr<std::istream> stream = loader.OpenThumbnailFile(name);
    if (!stream) return;
    char head[32] = {};
    stream->read(head, sizeof head);
    if (std::string_view(head, static_cast<size_t>(stream->gcount())) !=
        std::string_view(ThumbnailBytes()).substr(0, 32)) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = DatabasePath();
    fuzz::WriteFile("Artwork/ArtworkDB", fuzz::AsText(data, size));

    TArtworkDBLoader loader;
    int messages = 0;
    loader.OnShowMessage = [&](const std::string&) { ++messages; };
    loader.LoadFromFile(path);
    if (loader.Folder != fuzz::WorkFolder() + "/Artwork/") __builtin_trap();
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
        for (int32_t t = 0; t < item->Images.GetCount(); ++t) CheckOpened(loader, item->Images.GetItem(t)->FileName);
        for (int32_t width : {-1, 0, 200}) {
            TArtImageObject* t = item->GetImageByWidth(width);
            if (t == nullptr) continue;
            if (width > 0 && t->Width > width) __builtin_trap();
            // Large pictures only cost time here; their decoding is the other target's concern.
            if (int64_t{t->Width} * t->Height > 512 * 512 || int64_t{t->StoredWidth} * t->StoredHeight > 512 * 512)
                continue;
            try {
                t->LoadBitmap();
            } catch (const ETolvError&) {
            }
            const Bitmap32& b = t->Bitmap;
            if (b.Pixels().size() != static_cast<size_t>(b.Width()) * static_cast<size_t>(b.Height())) __builtin_trap();
        }
    }
    if (loader.GetItem(loader.Items.GetCount()) != nullptr) __builtin_trap();
    loader.Albums.FillListView([&](const std::string& caption, int32_t) {
        std::vector<std::string> strings;
        loader.Albums.GetAlbumImageIDs(caption, strings);
    });
    return 0;
}
