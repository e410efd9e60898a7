#include "player/artwork/decoded_pictures.h"

#include "player/artwork/thumbnail.h"

namespace {

// What keeping one thumbnail costs besides its pixels: its place in the list and the index.
constexpr size_t kBookkeepingBytes = 96;

size_t PictureBytes(const TArtImageObject& image) {
    return image.Bitmap.Pixels().capacity() * sizeof(uint32_t) + kBookkeepingBytes;
}

}  // namespace

void TDecodedPictures::Use(TArtImageObject& image) {
    if (const auto found = FIndex.find(&image); found != FIndex.end()) Forget(found->second);
    try {
        image.LoadBitmap();
    } catch (...) {
        // A picture that failed to decode may keep a blank of its size: it counts as well.
        Keep(image);
        throw;
    }
    Keep(image);
}

void TDecodedPictures::Keep(TArtImageObject& image) {
    FOrder.push_back({&image, PictureBytes(image)});
    FIndex[&image] = std::prev(FOrder.end());
    FBytes += FOrder.back().Bytes;
    while (FBytes > FBudget && FOrder.size() > 1) {
        TArtImageObject* oldest = FOrder.front().Image;
        Forget(FOrder.begin());
        oldest->Bitmap.Clear();
    }
}

void TDecodedPictures::Clear() {
    FOrder.clear();
    FIndex.clear();
    FBytes = 0;
}

void TDecodedPictures::Forget(std::list<Kept>::iterator at) {
    FBytes -= at->Bytes;
    FIndex.erase(at->Image);
    FOrder.erase(at);
}
