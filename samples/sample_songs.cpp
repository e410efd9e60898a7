// The songs, videos and playlists of the sample player, in Japanese and other scripts, with
// the device files of a fifth-generation player (so the video page is offered).
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "samples/sample_areas.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/player_tree_writer.h"

namespace {

struct SampleSong {
    const char* title;
    const char* artist;
    const char* album;
    const char* genre;
};

// Invented names only.
const SampleSong kSongs[] = {
    {"春の小川", "青葉 みどり", "季節の歌", "J-Pop"},
    {"夏の終わり", "青葉 みどり", "季節の歌", "J-Pop"},
    {"秋桜", "青葉 みどり", "季節の歌", "J-Pop"},
    {"冬の星座", "青葉 みどり", "季節の歌", "J-Pop"},
    {"東京ナイトライン", "ネオン・パレード", "ミッドナイト", "Rock"},
    {"真夜中のエスカレーター", "ネオン・パレード", "ミッドナイト", "Rock"},
    {"ガラスの街", "ネオン・パレード", "ミッドナイト", "Rock"},
    {"遠い汽笛", "北島 航", "港町ブルース集", "演歌"},
    {"雪の峠", "北島 航", "港町ブルース集", "演歌"},
    {"ふるさとの灯", "北島 航", "港町ブルース集", "演歌"},
    {"ひだまり", "こもれび楽団", "森のうた", "Acoustic"},
    {"どんぐりころころ変奏曲", "こもれび楽団", "森のうた", "Acoustic"},
    {"Morning Coffee", "The Paper Lanterns", "Small Hours", "Jazz"},
    {"Blue Tram", "The Paper Lanterns", "Small Hours", "Jazz"},
    {"Last Train Home", "The Paper Lanterns", "Small Hours", "Jazz"},
    {"Ночной город", "Белые ночи", "Северный ветер", "Rock"},
    {"Зимняя дорога", "Белые ночи", "Северный ветер", "Rock"},
    {"Θάλασσα", "Αιγαίο", "Καλοκαίρι", "World"},
    {"Ήλιος", "Αιγαίο", "Καλοκαίρι", "World"},
    {"바다의 노래", "하늘빛", "첫 번째 이야기", "K-Pop"},
    {"별빛 산책", "하늘빛", "첫 번째 이야기", "K-Pop"},
    {"月光小夜曲", "江南雨", "水墨", "C-Pop"},
    {"茉莉花茶", "江南雨", "水墨", "C-Pop"},
    {"ليلة صيف", "نجوم الصحراء", "رمال", "World"},
    {"שיר הבוקר", "אור", "זריחה", "World"},
    {"Café à Montmartre", "Les Étoiles", "Chansons d'été", "Chanson"},
    {"Über den Wolken", "Die Wanderer", "Fernweh", "Pop"},
    {"Canción del río", "Los Colibríes", "Agua clara", "Latin"},
    {"Saudade da praia", "Maré Alta", "Verão", "Bossa Nova"},
    {"ดอกไม้บาน", "ฟ้าใส", "เพลงรัก", "World"},
    {"Nhớ Hà Nội", "Sông Hồng", "Mùa thu", "World"},
    {"🎵 Emoji Song 🎶", "Pixel Friends", "😀 Smiles", "Electronic"},
    {"ｆｕｌｌ－ｗｉｄｔｈ ＴＩＴＬＥ", "ＡＢＣ楽団", "ＺＥＮＫＡＫＵ", "Pop"},
    {"～波ダッシュ～①②③", "記号研究会", "特殊文字", "Test"},
    {"髙橋さんの﨑", "異体字合唱団", "外字の森", "Test"},
    {"Tab\tand \"quotes\"", "Edge Cases", "Odd Texts", "Test"},
    {"Very long title that goes on and on to see how lists cut their columns at the edge", "Long Names Orchestra",
     "A Long Album Name For Testing Wide Columns", "Classical"},
    {"無題", "", "", ""},
    {"ピアノソナタ 第1番 第1楽章", "架空室内楽団", "ピアノ作品集", "Classical"},
    {"ピアノソナタ 第1番 第2楽章", "架空室内楽団", "ピアノ作品集", "Classical"},
};

struct SampleVideo {
    const char* title;
    const char* artist;
    uint32_t mediaType;  // 2 movie, 32 music video, 64 TV show
};

const SampleVideo kVideos[] = {
    {"桜並木の散歩道", "ふじ映像", 2},
    {"ネオン・パレード ライブ 2007", "ネオン・パレード", 32},
    {"料理の時間 第3回", "あさひテレビ", 64},
};

// Seconds since 1904-01-01 of 2007-06-01 00:00.
constexpr uint32_t kJune2007 = 3263500800u;

}  // namespace

void WriteSampleSongs(const std::string& root) {
    PlayerTreeLayout layout;
    layout.SysInfo = {
        {"pszSerialNumber", "8K7241HARRW"}, {"ModelNumStr", "xA147"},    {"RegionCode", "J/A"},
        {"buildID", "0x17808000 (1.3)"},    {"boardHwName", "iPod M25"}, {"FirewireGuid", "0x000A2700138A2B6C"}};
    layout.DeviceInfo = {"HARROWIN SAMPLE", "山田 太郎", "DESKTOP-SAMPLE", ""};

    int32_t id = 100;
    int64_t databaseId = 0x5A3C000000001000LL;
    int track = 0;
    std::string lastAlbum;
    std::vector<int32_t> all, favourites, drive;
    for (const SampleSong& s : kSongs) {
        ItdbSong song;
        song.Title = s.title;
        song.Artist = s.artist;
        song.Album = s.album;
        song.Genre = s.genre;
        song.Kind = "MPEG オーディオファイル";
        track = lastAlbum == s.album ? track + 1 : 1;
        lastAlbum = s.album;
        song.TrackNumber = track;
        song.Id = id;
        song.DatabaseId = databaseId++;
        song.Location =
            ":iPod_Control:Music:F" + std::string(id % 2 ? "01" : "00") + ":HRW" + std::to_string(id) + ".mp3";
        song.Length = 1045;  // a second of silence, in whole frames
        song.Bitrate = 128;
        song.SampleRate = 44100;
        song.Year = 2000 + id % 8;
        song.Rating = static_cast<uint8_t>((id % 6) * 20);
        song.PlayCount = id % 7;
        song.DateAdded = kJune2007 + static_cast<uint32_t>(id) * 3600;
        song.DateModified = song.DateAdded + 60;
        song.LastPlayed = song.PlayCount ? song.DateAdded + 86400 : 0;
        song.Comment = id % 5 == 0 ? "サンプルのコメント" : "";
        song.Composer = id % 3 == 0 ? "作曲 花子" : "";
        song.MediaType = 1;
        layout.Database.Songs.push_back(song);
        all.push_back(id);
        if (id % 3 == 0) favourites.push_back(id);
        if (std::string(s.genre) == "Rock" || std::string(s.genre) == "Jazz") drive.push_back(id);
        ++id;
    }
    for (const SampleVideo& v : kVideos) {
        ItdbSong video;
        video.Title = v.title;
        video.Artist = v.artist;
        video.Kind = "MPEG-4 ビデオファイル";
        video.Id = id;
        video.DatabaseId = databaseId++;
        video.Location = ":iPod_Control:Music:F02:HRW" + std::to_string(id) + ".m4v";
        video.Length = 1045;
        video.Bitrate = 128;
        video.MediaType = v.mediaType;
        video.FileType = 0x4D345620;  // "M4V "
        video.DateAdded = kJune2007 + static_cast<uint32_t>(id) * 3600;
        video.DateModified = video.DateAdded;
        layout.Database.Songs.push_back(video);
        all.push_back(id);
        ++id;
    }

    auto playList = [](const std::string& title, int64_t id, const std::vector<int32_t>& tracks) {
        ItdbPlayList list;
        list.Title = title;
        list.Id = id;
        list.TrackIds = tracks;
        return list;
    };
    ItdbPlayList master = playList("HARROWIN SAMPLE", 0x1000, all);
    master.Master = true;
    ItdbPlayList smart = playList("青葉 みどりの曲", 0x1003, {});
    smart.Smart = true;
    smart.Rules = {{4, 0x01000002, "青葉", 0}};
    layout.Database.PlayLists = {master, playList("お気に入り", 0x1001, favourites),
                                 playList("ドライブ用", 0x1002, drive), smart,
                                 playList("空のプレイリスト", 0x1004, {})};
    layout.Database.AlbumSection = true;

    // The MPEG files carry ID3 tags with the texts of their database entries, so a scan of the
    // music folder and the song details window find what the database says.
    const std::vector<uint8_t> silence = SilentMpegAudio(layout.SongSeconds);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> taggedFiles;
    for (ItdbSong& song : layout.Database.Songs) {
        if (song.Location.size() < 4 || song.Location.compare(song.Location.size() - 4, 4, ".mp3") != 0) continue;
        std::vector<uint8_t> bytes = WithSongTag({.title = song.Title,
                                                  .artist = song.Artist,
                                                  .album = song.Album,
                                                  .year = std::to_string(song.Year),
                                                  .comment = song.Comment,
                                                  .genre = song.Genre},
                                                 silence);
        song.Size = static_cast<int32_t>(bytes.size());
        taggedFiles.emplace_back(PathFromLocation(root, song.Location), std::move(bytes));
    }

    WritePlayerTree(root, layout);

    for (const auto& [path, bytes] : taggedFiles) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + path);
    }
}
