#include "player/song_records.h"

#include <string>

namespace {

[[noreturn]] void RaiseListIndex(int32_t index) {
    throw TITBException("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

TITBSongItem::TITBSongItem() {
    const TDateTime now = Now();
    DateAdded = now;
    DateModified = now;
    ExtraDate = now;
    LastPlayed = now;
}

TITBSongItem* TITBSongList::Add() {
    items_.push_back(std::make_unique<TITBSongItem>());
    return items_.back().get();
}

void TITBSongList::AddItem(std::unique_ptr<TITBSongItem> song) {
    if (song) items_.push_back(std::move(song));
}

void TITBSongList::Delete(int32_t index) {
    if (index < 0 || index >= GetCount()) RaiseListIndex(index);
    items_.erase(items_.begin() + index);
}

void TITBSongList::Clear() { items_.clear(); }

int32_t TITBSongList::GetVideoCount() const {
    int32_t count = 0;
    for (const auto& song : items_) {
        if (song->IsVideo) ++count;
    }
    return count;
}

TITBSongItem* TITBSongList::GetItem(int32_t index) const {
    if (index < 0) RaiseListIndex(index);
    if (index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

TITBSmartPlayListItem* TITBSmartPlayLists::Add() {
    items_.push_back(std::make_unique<TITBSmartPlayListItem>());
    return items_.back().get();
}

TITBSmartPlayListItem* TITBSmartPlayLists::GetItem(int32_t index) const {
    if (index < 0) RaiseListIndex(index);
    if (index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

TITBPlayListData* TITBPlayLists::Add() {
    items_.push_back(std::make_unique<TITBPlayListData>());
    return items_.back().get();
}

void TITBPlayLists::AddItem(std::unique_ptr<TITBPlayListData> playlist) {
    if (playlist) items_.push_back(std::move(playlist));
}

void TITBPlayLists::Clear() { items_.clear(); }

TITBPlayListData* TITBPlayLists::GetItem(int32_t index) const {
    if (index < 0) RaiseListIndex(index);
    if (index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

void TITunesDBLoader::Clear() {
    // The current song and playlist would point at freed records after this; a later walk
    // sets them again before using them.
    CurrentSong = nullptr;
    CurrentPlayList = nullptr;
    Songs.Clear();
    PlayLists.Clear();
}

int64_t TITunesDBLoader::GetTotalSize() const {
    int64_t total = 0;
    for (int32_t i = 0; i < Songs.GetCount(); ++i) total += Songs.GetItem(i)->Size;
    return total;
}

int64_t TITunesDBLoader::GetTotalTime() const {
    int64_t total = 0;
    for (int32_t i = 0; i < Songs.GetCount(); ++i) total += Songs.GetItem(i)->Length;
    return total;
}
