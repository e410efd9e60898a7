#include <gtest/gtest.h>

#include <cmath>

#include "player/song_records.h"

TEST(SongRecords, NewSongHasTheDefaultsAndTheTimeOfCreation) {
    const TDateTime before = Now();
    TITBSongItem song;
    const TDateTime after = Now();
    EXPECT_EQ(song.SampleRate, 44100);
    EXPECT_EQ(song.Year, 2000);
    EXPECT_EQ(song.Rating, 0);
    EXPECT_FALSE(song.IsVideo);
    for (TDateTime date : {song.DateAdded, song.DateModified, song.ExtraDate, song.LastPlayed}) {
        EXPECT_GE(date, before - 1.0 / 86400);
        EXPECT_LE(date, after + 1.0 / 86400);
    }
}

TEST(SongRecords, IndexAtTheEndGivesNoSongAndANegativeIndexRaises) {
    TITBSongList list;
    list.Add();
    list.Add();
    EXPECT_NE(list.GetItem(1), nullptr);
    EXPECT_EQ(list.GetItem(2), nullptr);
    EXPECT_EQ(list.GetItem(1000), nullptr);
    EXPECT_THROW(list.GetItem(-1), TITBException);
    EXPECT_THROW(list.Delete(2), TITBException);
    EXPECT_THROW(list.Delete(-1), TITBException);

    TITBPlayLists lists;
    EXPECT_EQ(lists.GetItem(0), nullptr);
    EXPECT_THROW(lists.GetItem(-1), TITBException);
}

TEST(SongRecords, VideoCountAndDeleteKeepTheOrder) {
    TITBSongList list;
    EXPECT_EQ(list.GetVideoCount(), 0);
    for (int i = 0; i < 3; ++i) {
        TITBSongItem* song = list.Add();
        song->Id = i;
        song->IsVideo = true;
    }
    EXPECT_EQ(list.GetVideoCount(), list.GetCount());
    list.Delete(1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetItem(0)->Id, 0);
    EXPECT_EQ(list.GetItem(1)->Id, 2);
    auto own = std::make_unique<TITBSongItem>();
    own->Id = 9;
    list.AddItem(std::move(own));
    EXPECT_EQ(list.GetItem(2)->Id, 9);
}

TEST(SongRecords, TotalsAreSixtyFourBit) {
    TITunesDBLoader loader;
    EXPECT_EQ(loader.GetTotalSize(), 0);
    EXPECT_EQ(loader.GetTotalTime(), 0);
    for (int i = 0; i < 2; ++i) {
        TITBSongItem* song = loader.Songs.Add();
        song->Size = 2000000000;
        song->Length = 2000000000;
    }
    EXPECT_EQ(loader.GetTotalSize(), 4000000000LL);
    EXPECT_EQ(loader.GetTotalTime(), 4000000000LL);
}

TEST(SongRecords, ClearEmptiesSongsAndPlaylistsAndForgetsTheCurrentRecords) {
    TITunesDBLoader loader;
    loader.CurrentSong = loader.Songs.Add();
    loader.CurrentPlayList = loader.PlayLists.Add();
    loader.TotalSize = 5;
    loader.State = 2;
    loader.Clear();
    EXPECT_EQ(loader.Songs.GetCount(), 0);
    EXPECT_EQ(loader.PlayLists.GetCount(), 0);
    // The records they pointed at are gone; nothing may keep pointing there.
    EXPECT_EQ(loader.CurrentSong, nullptr);
    EXPECT_EQ(loader.CurrentPlayList, nullptr);
    EXPECT_EQ(loader.TotalSize, 5);
    EXPECT_EQ(loader.State, 2);
}
