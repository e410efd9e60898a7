#include "player/artwork/artwork_db.h"

#include <fstream>
#include <string_view>

#include "foundation/byte_reader.h"
#include "foundation/encoding.h"
#include "foundation/file_read.h"
#include "foundation/names.h"
#include "foundation/paths.h"

// ---- lists ----

TArtImageObject* TArtImageObjectList::Add() {
    auto image = std::make_unique<TArtImageObject>();
    image->OnOpenFile = OnOpenFile;
    items_.push_back(std::move(image));
    return items_.back().get();
}

TArtImageObject* TArtImageObjectList::GetItem(int32_t Index) const {
    if (Index < 0 || Index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(Index)].get();
}

TArtImageObject* TArtImageObjectList::FindByWidth(int32_t Width) const {
    // The full-screen picture of a photo (720 x 480 at 16 bits) is never used as a thumbnail.
    constexpr int32_t kFullScreenSize = 691200;
    TArtImageObject* found = nullptr;
    for (const auto& image : items_) {
        if (image->ByteSize == kFullScreenSize) continue;
        const int32_t w = image->Width;
        if (Width == -1) {
            if (w < 65535 && (!found || w < found->Width)) found = image.get();
        } else if (Width == 0) {
            if (w > 0 && (!found || w > found->Width)) found = image.get();
        } else {
            if (w > 1 && w <= Width && (!found || w > found->Width)) found = image.get();
        }
    }
    return found;
}

TArtItem* TArtItemList::Add() {
    auto item = std::make_unique<TArtItem>();
    item->OnOpenFile = OnOpenFile;
    item->Images.OnOpenFile = OnOpenFile;
    items_.push_back(std::move(item));
    return items_.back().get();
}

TArtItem* TArtItemList::GetItem(int32_t Index) const {
    if (Index < 0 || Index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(Index)].get();
}

TArtItem* TArtItemList::FindByID(uint32_t ImageId) const {
    TArtItem* found = nullptr;
    for (const auto& item : items_) {
        if (item->ImageId == ImageId) found = item.get();
    }
    return found;
}

void TArtItemList::GetIDList(std::vector<std::string>& Strings) const {
    Strings.clear();
    Strings.reserve(items_.size());
    for (const auto& item : items_) Strings.push_back(std::to_string(item->ImageId));
}

TIntList* TAlbumManager::AddAlbum() {
    items_.push_back(std::make_unique<TIntList>());
    return items_.back().get();
}

TIntList* TAlbumManager::GetItem(int32_t Index) const {
    if (Index < 0 || Index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(Index)].get();
}

void TAlbumManager::FillListView(
    const std::function<void(const std::string& Caption, int32_t ImageIndex)>& AddItem) const {
    if (!AddItem) return;
    for (const auto& album : items_) {
        AddItem(album->FName, album->FKind);
    }
}

void TAlbumManager::GetAlbumImageIDs(const std::string& Name, std::vector<std::string>& Strings) const {
    if (Name.empty()) return;
    for (const auto& album : items_) {
        if (album->FName == Name) album->AssignToStrings(Strings);
    }
}

void TAlbumManager::ListAlbumImageIDs(const std::string& Name, std::vector<std::string>& Strings) const {
    GetAlbumImageIDs(Name, Strings);
}

// ---- parsing ----

namespace {

// The largest database read (bytes). A player's full library of artwork or photos takes a few
// tens of megabytes; a larger file is a damaged one and would only cost the memory.
constexpr uint64_t kMaxDatabaseBytes = 64u << 20;

// The bytes the reader takes of each chunk.
constexpr uint64_t kSetBytes = 16, kListBytes = 12, kEntryBytes = 52, kPictureBytes = 36, kContainerBytes = 24,
                   kStringBytes = 36, kAlbumBytes = 48, kAlbumItemBytes = 20;

// The memory that one object made from the file takes: the object, the allocator's share and
// its place in its list (bytes).
template <typename T>
constexpr uint64_t kMemoryOf = sizeof(T) + 16 + sizeof(void*);

// Reads the chunk tree of one database file. Positions are absolute byte offsets in the file;
// every read goes through ByteReader, so a position past the end reads zeros. Every loop
// either moves forward or ends, so damaged lengths and counts cannot make it run forever.
// Two bounds keep a damaged file from costing more than a few times its size: several lengths
// may lead to the same stretch of the file, which would then be read, and its entries made,
// over and over, so the walk ends once it has taken more bytes than the file holds (a sound
// file, read once, never does); and chunks can be far smaller than the objects made from them,
// so it ends too once what it made takes more than twice the file's size (a sound file makes
// about its own size).
class ArtworkParser {
public:
    ArtworkParser(std::span<const uint8_t> data, TArtItemList& items, TAlbumManager& albums)
        : r_(data), items_(items), albums_(albums) {}

    void Parse() {
        pos_ = r_.U32LE(4);  // past the file header
        while (pos_ <= r_.Size()) {
            const uint64_t start = pos_;
            if (!r_.Matches(start, "mhsd") || !Take(kSetBytes)) return;
            const uint32_t header_length = r_.U32LE(start + 4);
            const uint32_t total_length = r_.U32LE(start + 8);
            const uint32_t kind = r_.U32LE(start + 12);
            pos_ = start + header_length;
            if (kind == 1) ReadImageList();
            else if (kind == 2) ReadAlbumList();
            else if (kind == 3) return;
            // A set of length 0 would be read again and again.
            if (total_length == 0) return;
            pos_ = start + total_length;
        }
    }

private:
    enum class Container { Empty, Thumbnail, FullResolution };

    bool At(std::string_view tag) const { return r_.Matches(pos_, tag); }

    // Counts the bytes of a chunk as read and the memory of what is made from it; false once
    // either passes its bound (nothing is to be made then).
    bool Take(uint64_t bytes, uint64_t made = 0) {
        taken_ += bytes;
        made_ += made;
        return !Spent();
    }
    bool Spent() const { return taken_ > r_.Size() || made_ > 2 * r_.Size(); }

    void ReadImageList() {
        const uint64_t start = pos_;
        const uint32_t count = r_.U32LE(start + 8);
        pos_ = start + r_.U32LE(start + 4);
        if (!Take(kListBytes)) return;
        for (uint32_t i = 0; i < count && !Spent(); ++i) {
            const uint64_t before = pos_;
            ReadImageEntry();
            // An entry that did not move on would be read again identically.
            if (pos_ == before) return;
        }
    }

    void ReadImageEntry() {
        const uint64_t start = pos_;
        const bool is_entry = r_.Matches(start, "mhii");
        const uint64_t end = start + r_.U32LE(start + 8);
        pos_ = start + r_.U32LE(start + 4);
        if (!is_entry || !Take(kEntryBytes, kMemoryOf<TArtItem>)) return;
        TArtItem* item = items_.Add();
        item->ImageId = r_.U32LE(start + 16);
        item->SongId = r_.U64LE(start + 20);

        Container state = Container::Empty;
        TArtImageObject* current = nullptr;
        while (pos_ < end && !Spent()) {
            const uint64_t chunk = pos_;
            if (At("mhni")) {
                pos_ = chunk + r_.U32LE(chunk + 4);
                if (!Take(kPictureBytes, state == Container::Thumbnail ? kMemoryOf<TArtImageObject> : 0)) break;
                if (state == Container::FullResolution) {
                    item->FullSize = r_.I32LE(chunk + 24);
                } else if (state == Container::Thumbnail) {
                    current = AddThumbnail(*item, chunk);
                }
            } else if (At("mhod")) {
                const uint32_t kind = r_.U32LE(chunk + 12);
                pos_ = chunk + r_.U32LE(chunk + 4);
                if ((kind & 0xFF) == 3) {
                    pos_ = chunk;
                    // The string chunk counts its own bytes.
                    std::string name = ColonsToSlashes(ReadString());
                    if (state == Container::FullResolution) {
                        item->PhotoName = std::move(name);
                    } else if (state == Container::Thumbnail && current) {
                        current->FileName = std::move(name);
                    }
                    // In the empty state, or before any picture header, the name belongs to nothing.
                } else if (!Take(kContainerBytes)) {
                    break;
                } else if (kind == 2) {
                    state = Container::Thumbnail;
                } else if (kind == 5) {
                    state = Container::FullResolution;
                } else {
                    pos_ = chunk + r_.U32LE(chunk + 8);
                }
            } else {
                // "mhii" begins the next entry; any other tag cannot be read in an entry, which
                // then ends at its total length.
                break;
            }
            if (pos_ == chunk) break;
        }
        pos_ = end;
    }

    TArtImageObject* AddThumbnail(TArtItem& item, uint64_t chunk) {
        TArtImageObject* image = item.Images.Add();
        image->Offset = r_.I32LE(chunk + 20);
        image->ByteSize = r_.I32LE(chunk + 24);
        const int16_t vertical_padding = r_.I16LE(chunk + 28);
        const int16_t horizontal_padding = r_.I16LE(chunk + 30);
        image->StoredHeight = r_.U16LE(chunk + 32) + vertical_padding;
        image->StoredWidth = r_.U16LE(chunk + 34) + horizontal_padding;
        int32_t width = image->StoredWidth;
        if (width % 2 != 0) {
            // An odd stored width is evened out for decoding; the picture is cut back afterwards.
            image->Crop = true;
            const int64_t narrower = (int64_t{width} - 1) * image->StoredHeight * 2;
            width = image->ByteSize == narrower ? width - 1 : width + 1;
        }
        image->Width = width;
        image->Height = image->StoredHeight;
        return image;
    }

    // A string chunk at pos_; moves to its end.
    std::string ReadString() {
        const uint64_t chunk = pos_;
        const uint32_t total_length = r_.U32LE(chunk + 8);
        const uint32_t length = r_.U32LE(chunk + 24);
        const uint32_t encoding_kind = r_.U32LE(chunk + 28);
        const std::span<const uint8_t> bytes = r_.Bytes(chunk + 36, length);
        pos_ = chunk + total_length;
        // Every character of UTF-16 is kept: a photo's file name may hold characters that no
        // Japanese code page has, and the file must still be found under it.
        std::string text;
        if (encoding_kind == 1) text = BytesToWideString(bytes, 1);
        if (encoding_kind == 0 || encoding_kind == 2) text = BytesToWideString(bytes, 0);
        if (!Take(kStringBytes + bytes.size(), text.capacity())) return {};
        return text;
    }

    static std::string ColonsToSlashes(std::string text) {
        for (char& c : text) {
            if (c == ':') c = '/';
        }
        return text;
    }

    void ReadAlbumList() {
        const uint64_t start = pos_;
        const uint32_t count = r_.U32LE(start + 8);
        pos_ = start + r_.U32LE(start + 4);
        if (!Take(kListBytes)) return;
        for (uint32_t i = 0; i < count && !Spent(); ++i) {
            // A count beyond the data would only add empty albums.
            if (pos_ >= r_.Size()) return;
            const uint64_t before = pos_;
            ReadAlbum();
            if (pos_ == before) return;
        }
    }

    void ReadAlbum() {
        const uint64_t start = pos_;
        const uint64_t item_count = r_.U32LE(start + 16);
        const uint64_t end = start + r_.U32LE(start + 8);
        pos_ = start + r_.U32LE(start + 4);
        if (!Take(kAlbumBytes, kMemoryOf<TIntList>)) return;
        TIntList* album = albums_.AddAlbum();
        album->FKind = r_.U8(start + 30);
        // One pass for the title and one per picture.
        for (uint64_t pass = 0; pass <= item_count && !Spent(); ++pass) {
            const uint64_t chunk = pos_;
            if (At("mhod")) {
                album->FName = ReadString();
            } else if (At("mhia")) {
                pos_ = chunk + r_.U32LE(chunk + 4);
                if (!Take(kAlbumItemBytes, 2 * sizeof(TIntItem))) break;
                album->Add(static_cast<int32_t>(r_.U32LE(chunk + 16)));
            }
            // A pass that did not move would be repeated identically by every later pass.
            if (pos_ == chunk) break;
        }
        pos_ = end;
    }

    ByteReader r_;
    TArtItemList& items_;
    TAlbumManager& albums_;
    uint64_t pos_ = 0;
    uint64_t taken_ = 0;  // bytes of the file read
    uint64_t made_ = 0;   // memory of what was made from them
};

// A name inside the database folder: relative parts only, never ".." (a damaged or hostile
// database must not make the program read files elsewhere).
bool SplitRelativeName(const std::string& name, std::vector<std::string>& parts) {
    size_t begin = 0;
    while (begin <= name.size()) {
        size_t end = name.find('/', begin);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(begin, end - begin);
        if (part == "..") return false;
        if (!part.empty() && part != ".") parts.push_back(part);
        begin = end + 1;
    }
    return !parts.empty();
}

}  // namespace

// ---- loader ----

TArtworkDBLoader::TArtworkDBLoader() {
    Items.OnOpenFile = [this](const std::string& FileName) { return OpenThumbnailFile(FileName); };
}

void TArtworkDBLoader::Clear() {
    Pictures.Clear();
    Items.Clear();
    Albums.Clear();
}

void TArtworkDBLoader::LoadFromFile(const std::string& FileName) {
    Clear();
    // The database lies in the player: a link there is no database of it.
    const FileBytes data = ReadPlayerFile(FileName, kMaxDatabaseBytes);
    Folder = FolderPartOf(FileName);
    ParseStream(data);
}

void TArtworkDBLoader::ParseStream(std::span<const uint8_t> Data) {
    Clear();
    if (Data.size() < 101) {
        ShowMessage(kMsgTooSmall);
        return;
    }
    const ByteReader reader(Data);
    if (!reader.Matches(0, "mhfd")) {
        ShowMessage(kMsgNotArtworkDB);
        return;
    }
    ArtworkParser(Data, Items, Albums).Parse();
}

TArtItem* TArtworkDBLoader::FindBySongID(uint64_t SongId) const {
    for (int32_t i = 0; i < Items.GetCount(); ++i) {
        TArtItem* item = Items.GetItem(i);
        if (item->SongId == SongId) return item;
    }
    return nullptr;
}

std::unique_ptr<std::istream> TArtworkDBLoader::OpenThumbnailFile(const std::string& FileName) const {
    std::vector<std::string> parts;
    if (!SplitRelativeName(FileName, parts)) return nullptr;
    // The player's file system ignores letter case; a copy of it on another disk may not. A
    // thumbnail file reached through a link, or that is no regular file (a pipe would hang the
    // read), is taken as missing.
    const std::string path = FindPlayerPathNoLinks(Folder.empty() ? std::string(".") : Folder, FileName);
    if (path.empty() || PathKindOf(path) != TPathKind::File) return nullptr;
    auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*stream) return nullptr;
    return stream;
}

void TArtworkDBLoader::ShowMessage(const std::string& text) const {
    if (OnShowMessage) OnShowMessage(text);
}
