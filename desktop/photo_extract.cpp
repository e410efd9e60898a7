#include "desktop/photo_extract.h"

#include <charconv>
#include <filesystem>
#include <vector>

#include "foundation/errors.h"
#include "foundation/names.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "player/artwork/artwork_db.h"
#include "player/artwork/jpeg_codec.h"

namespace fs = std::filesystem;

bool PhotoIdOfText(const std::string& text, uint32_t& id) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, id);
    return ec == std::errc() && end == last && !text.empty();
}

std::string PhotoFileOf(const std::string& dbFolder, const std::string& photoName) {
    std::string path = ExcludeBackslash(dbFolder);
    // An entry without a full-size file names the folder itself (which the viewer refuses).
    if (!photoName.empty() && photoName.front() != '/') path += '/';
    return path + photoName;
}

bool PhotoNameClimbs(const std::string& photoName) {
    size_t start = 0;
    while (start <= photoName.size()) {
        size_t end = photoName.find('/', start);
        if (end == std::string::npos) end = photoName.size();
        if (photoName.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
}

std::string PhotoFileNamePart(const std::string& photoName) {
    const size_t slash = photoName.rfind('/');
    std::string name = slash == std::string::npos ? photoName : photoName.substr(slash + 1);
    if (name == "." || name == "..") return {};
    return name;
}

std::string PhotoAlbumFolderName(const std::string& caption) { return ReplaceInvalidFileCharsAndDot(caption); }

std::string PhotoTargetPath(const std::string& folder, const std::string& albumFolder, const std::string& fileName) {
    if (albumFolder.empty()) return IncludeBackslash(folder) + fileName;
    return IncludeBackslash(folder) + albumFolder + "/" + fileName;
}

bool SavePhotoAsJpeg(TArtItem& entry, const std::string& file) {
    TArtImageObject* icon = entry.GetImageByWidth(0);
    if (!icon) return false;
    // A picture decoded only to be written is let go again: kept, the pictures of a whole
    // player would not fit in memory. One the page decoded before stays for its drawing.
    const bool decodedHere = icon->Bitmap.Empty();
    bool saved = false;
    try {
        icon->LoadBitmap();
        if (!icon->Bitmap.Empty()) {
            SaveJpegFile(icon->Bitmap, file, kJpegSaveQuality);
            saved = true;
        }
    } catch (const ETolvError&) {
        saved = false;
    }
    if (decodedHere) icon->Bitmap.Clear();
    return saved;
}

TPhotoExtractRun::TPhotoExtractRun(const TArtworkDBLoader& photos, std::string folder, int32_t type)
    : FPhotos(photos), FFolder(std::move(folder)), FType(type) {}

bool TPhotoExtractRun::ExtractAlbum(const std::string& caption, int32_t done, int32_t total, const TLabelEvent& label,
                                    const TStepEvent& step) {
    std::vector<std::string> ids;
    FPhotos.Albums.GetAlbumImageIDs(caption, ids);
    const std::string folderName = PhotoAlbumFolderName(caption);
    const int64_t count = static_cast<int64_t>(ids.size());
    for (int64_t j = 0; j < count; ++j) {
        if (label) label(Format("写真アルバム(%d/%d)のコピー中 %d%%", {done, total, j * 100 / count}));
        uint32_t id = 0;
        TArtItem* entry = PhotoIdOfText(ids[static_cast<size_t>(j)], id) ? FPhotos.Items.FindByID(id) : nullptr;
        if (!entry) continue;
        const std::string fileName =
            FType == 0 ? Format("IMG%.05d.jpg", {j}) : PhotoFileNamePart(entry->PhotoName);
        // A photo without a file of its own has nothing to copy (its target would be the folder);
        // a record naming a file outside the player's photo folder, or reaching one through a
        // link, is not followed.
        if (fileName.empty()) continue;
        if (FType != 0 && (PhotoNameClimbs(entry->PhotoName) ||
                         !LinkFreeBelow(FPhotos.Folder, PhotoFileOf(FPhotos.Folder, entry->PhotoName))))
            continue;
        std::string target = PhotoTargetPath(FFolder, folderName, fileName);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(target, ec))) {
            const std::string renamed = UniqueFileName(target);
            if (renamed.empty()) {
                if (label) label("[ " + fs::path(target).filename().string() + " ]のリネームに失敗しました");
                continue;
            }
            target = renamed;
        }
        const fs::path parent = fs::path(target).parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec)) fs::create_directories(parent, ec);
        if (FType == 0) {
            if (SavePhotoAsJpeg(*entry, target)) ++Written;
        } else {
            // Never over an existing file: a copy that fails is not reported.
            if (fs::copy_file(PhotoFileOf(FPhotos.Folder, entry->PhotoName), target, fs::copy_options::none, ec)) ++Written;
        }
        if (step && !step()) return false;
    }
    return true;
}
