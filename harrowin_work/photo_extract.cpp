#include "harrowin_work/photo_extract.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <vector>

#include "foundation/errors.h"
#include "foundation/names.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "harrowin_work/song_copy.h"
#include "player/artwork/artwork_db.h"
#include "player/artwork/jpeg_codec.h"

namespace harrowin {

namespace fs = std::filesystem;

bool PhotoIdOfText(const std::string& text, uint32_t& id) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, id);
    return ec == std::errc() && end == last && !text.empty();
}

std::string PhotoFileOf(const std::string& dbFolder, const std::string& photoName) {
    std::string path = TrimmedWithoutTrailingSlash(dbFolder);
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
    std::string name = FileNameOf(photoName);
    if (name == "." || name == "..") return {};
    return name;
}

std::string PhotoAlbumFolderName(const std::string& caption) { return ReplaceInvalidFileCharsAndDot(caption); }

std::string PhotoTargetPath(const std::string& folder, const std::string& albumFolder, const std::string& fileName) {
    if (albumFolder.empty()) return WithTrailingSlash(folder) + fileName;
    return WithTrailingSlash(folder) + albumFolder + "/" + fileName;
}

int32_t SavePhotoAsJpeg(TArtItem& entry, const std::string& target, std::string& finalTarget) {
    TArtImageObject* icon = entry.GetImageByWidth(0);
    if (!icon) return kPhotoNoPicture;
    // A picture decoded only to be written is let go again: kept, the pictures of a whole
    // player would not fit in memory. One the page decoded before stays for its drawing.
    const bool decodedHere = icon->Bitmap.Empty();
    int32_t result = kPhotoBadPicture;
    try {
        icon->LoadBitmap();
        if (!icon->Bitmap.Empty()) {
            const std::vector<uint8_t> jpeg = EncodeJpeg(icon->Bitmap, kJpegSaveQuality);
            result = WriteFileExclusive(std::string_view(reinterpret_cast<const char*>(jpeg.data()), jpeg.size()),
                                        target, finalTarget);
        }
    } catch (const ETolvError&) {
        result = kPhotoBadPicture;
    }
    if (decodedHere) icon->Bitmap.Clear();
    return result;
}

std::string PhotoFailureText(int32_t code) {
    switch (code) {
        case kErrNoFreeName: return "空いているファイル名がありません。";
        case kErrOutsideRoot: return "iPodの写真フォルダの外を指しているため、取り出しませんでした。";
        case kPhotoBadPicture: return "画像を読み込めませんでした。";
        default: return SysErrorText(code);
    }
}

TPhotoExtractRun::TPhotoExtractRun(const TArtworkDBLoader& photos, std::string folder, int32_t type)
    : FPhotos(photos), FFolder(std::move(folder)), FType(type) {}

void TPhotoExtractRun::Fail(const std::string& what, int32_t code, int32_t count) {
    Failed += count;
    Failures.push_back("[ " + what + " ] " + PhotoFailureText(code));
}

void TPhotoExtractRun::SkipAlbum(const std::string& caption) {
    std::vector<std::string> ids;
    FPhotos.Albums.GetAlbumImageIDs(caption, ids);
    if (!ids.empty())
        Fail(Format("%s の %d 枚", {caption, static_cast<int64_t>(ids.size())}), kErrPlayerGone,
             static_cast<int32_t>(ids.size()));
}

bool TPhotoExtractRun::ExtractAlbum(const std::string& caption, int32_t done, int32_t total, const TLabelEvent& label,
                                    const TStepEvent& step) {
    std::vector<std::string> ids;
    FPhotos.Albums.GetAlbumImageIDs(caption, ids);
    const std::string folderName = PhotoAlbumFolderName(caption);
    const int64_t count = static_cast<int64_t>(ids.size());
    for (int64_t j = 0; j < count; ++j) {
        // A player pulled meanwhile: what was not reached is counted, not passed over.
        if (PlayerGone && PlayerGone()) {
            Fail(Format("%s の残りの %d 枚", {caption, count - j}), kErrPlayerGone, static_cast<int32_t>(count - j));
            return false;
        }
        if (label) label(Format("写真アルバム(%d/%d)のコピー中 %d%%", {done, total, j * 100 / count}));
        uint32_t id = 0;
        TArtItem* entry = PhotoIdOfText(ids[static_cast<size_t>(j)], id) ? FPhotos.Items.FindByID(id) : nullptr;
        if (!entry) continue;
        const std::string fileName = FType == 0 ? Format("IMG%.05d.jpg", {j}) : PhotoFileNamePart(entry->PhotoName);
        // A photo without a file of its own has nothing to copy (its target would be the folder).
        if (fileName.empty()) continue;
        // A record naming a file outside the player's photo folder, or reaching one through a
        // link, is not followed.
        if (FType != 0 && (PhotoNameClimbs(entry->PhotoName) ||
                           !LinkFreeBelow(FPhotos.Folder, PhotoFileOf(FPhotos.Folder, entry->PhotoName)))) {
            Fail(fileName, kErrOutsideRoot);
            continue;
        }
        const std::string target = PhotoTargetPath(FFolder, folderName, fileName);
        if (FirstFreeName(target).empty()) {
            if (label) label("[ " + fileName + " ]のリネームに失敗しました");
            Fail(fileName, kErrNoFreeName);
            continue;
        }
        std::error_code ec;
        const fs::path parent = fs::path(target).parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec)) fs::create_directories(parent, ec);
        std::string written;
        const int32_t result = FType == 0
                                   ? SavePhotoAsJpeg(*entry, target, written)
                                   : CopyFileExclusive(PhotoFileOf(FPhotos.Folder, entry->PhotoName), target, written);
        if (result == 0) {
            ++Written;
        } else if (result != kPhotoNoPicture) {
            // A pulled player answers as its file system goes: the device is what is missing.
            const bool gone = PlayerGone && PlayerGone();
            Fail(fileName, gone ? kErrPlayerGone : result);
            if (gone) {
                const int64_t left = count - j - 1;
                if (left > 0)
                    Fail(Format("%s の残りの %d 枚", {caption, left}), kErrPlayerGone, static_cast<int32_t>(left));
                return false;
            }
        }
        if (step && !step()) return false;
    }
    return true;
}

std::string PhotoExtractEndText(const std::string& folder, int32_t written, int32_t failed, bool playerGone) {
    if (failed <= 0) return Format("フォルダ \"%s\" に写真ファイルを転送しました", {folder});
    return Format("フォルダ \"%s\" に写真ファイルを %d 枚転送しました(失敗は %d 枚)", {folder, written, failed}) +
           (playerGone ? PlayerGoneText() : std::string());
}

std::string PhotoFailureMessage(const std::vector<std::string>& failures, int32_t failed) {
    if (failed <= 0 || failures.empty()) return {};
    // The first lines say enough; a full disk would otherwise list every photo of the player.
    constexpr size_t kShown = 10;
    std::string text = Format("%d 枚の写真を取り出せませんでした。", {failed});
    for (size_t i = 0; i < failures.size() && i < kShown; ++i) text += "\n" + failures[i];
    if (failures.size() > kShown) text += Format("\nほか %d 件", {static_cast<int64_t>(failures.size() - kShown)});
    return text;
}

}  // namespace harrowin
