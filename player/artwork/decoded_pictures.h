// The thumbnails whose pictures the windows keep decoded for drawing, within a bound on the
// memory they take together: past it, the picture drawn longest ago is let go, to be decoded
// again when it is next drawn. A damaged database can make every entry's thumbnail large, and
// a page that kept every picture it ever drew would then run out of memory. Sizes in bytes.
#pragma once

#include <cstddef>
#include <list>
#include <unordered_map>

class TArtImageObject;

class TDecodedPictures {
public:
    // Far above the icons of a whole photo library as the player makes them.
    static constexpr size_t kDefaultBudget = size_t{64} << 20;

    explicit TDecodedPictures(size_t budget = kDefaultBudget) : FBudget(budget) {}
    TDecodedPictures(const TDecodedPictures&) = delete;
    TDecodedPictures& operator=(const TDecodedPictures&) = delete;

    // Decodes the thumbnail unless its picture is there (TArtImageObject::LoadBitmap, whose
    // errors pass on) and counts it as drawn now; lets go of the pictures drawn longest ago
    // while the kept ones together pass the budget. The picture just used always stays.
    void Use(TArtImageObject& image);
    // Forgets every thumbnail without touching it: their entries are about to be freed.
    void Clear();
    // What the kept pictures take, with the bookkeeping of each.
    size_t Bytes() const { return FBytes; }

private:
    struct Kept {
        TArtImageObject* Image;
        size_t Bytes;
    };
    void Keep(TArtImageObject& image);
    void Forget(std::list<Kept>::iterator at);

    size_t FBudget;
    size_t FBytes = 0;
    std::list<Kept> FOrder;  // drawn longest ago first
    std::unordered_map<const TArtImageObject*, std::list<Kept>::iterator> FIndex;
};
