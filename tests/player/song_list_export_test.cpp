#include <gtest/gtest.h>

#include <unistd.h>

#include "foundation/encoding.h"
#include "player/song_list_export.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        columns.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return columns;
        start = tab + 1;
    }
}

std::string FileAsUtf8(const std::string& path) {
    const std::string bytes = ReadFileText(path);
    return encoding::Utf16LeToUtf8(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace

TEST(SongListExport, EmptyListIsTheHeaderInUtf16WithoutByteOrderMark) {
    TempDir dir;
    TITXMakeLibrary library;
    library.SaveToFile(dir / "iPodLibrary.TXT");
    const std::string bytes = ReadFileText(dir / "iPodLibrary.TXT");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0x0D);  // "名" is U+540D
    EXPECT_EQ(static_cast<uint8_t>(bytes[1]), 0x54);
    const std::string text = FileAsUtf8(dir / "iPodLibrary.TXT");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const std::vector<std::string> headers = Columns(text.substr(0, text.size() - 2));
    ASSERT_EQ(headers.size(), 27u);
    EXPECT_EQ(headers[0], "名前");
    EXPECT_EQ(headers[7], "時間");
    EXPECT_EQ(headers[26], "場所");
}

TEST(SongListExport, NumbersDatesAndTextsOfASong) {
    TITBSongItem song;
    song.Title = "タイトル 🎵";  // outside code page 932, kept here
    song.Artist = "Artist";
    song.Length = 61999;
    song.Size = 1234;
    song.Volume = -5;
    song.Year = 0;
    song.TrackNumber = 0;
    song.Rating = 60;
    song.SampleRate = 44100;
    song.DateModified = EncodeDateTime(2007, 3, 4, 5, 6, 7);
    song.DateAdded = EncodeDate(2007, 3, 5);
    TITXMakeLibrary library;
    library.AddSong(song, "C:/Music/a.mp3");
    song.Length = 999;
    library.AddSong(song, "b");
    ASSERT_EQ(library.Lines().size(), 3u);
    const std::vector<std::string> c = Columns(library.Lines()[1]);
    ASSERT_EQ(c.size(), 27u);
    EXPECT_EQ(c[0], "タイトル 🎵");
    EXPECT_EQ(c[1], "Artist");
    EXPECT_EQ(c[6], "1234");
    EXPECT_EQ(c[7], "61");
    EXPECT_EQ(c[10], "");  // 0 gives an empty column
    EXPECT_EQ(c[12], "");
    EXPECT_EQ(c[13], "2007/03/04 5:06:07");
    EXPECT_EQ(c[14], "2007/03/05");  // midnight: the date alone
    EXPECT_EQ(c[16], "44100");
    EXPECT_EQ(c[17], "-5");
    EXPECT_EQ(c[22], "");
    EXPECT_EQ(c[25], "60");
    EXPECT_EQ(c[26], "C:/Music/a.mp3");
    EXPECT_EQ(Columns(library.Lines()[2])[7], "");
    // Tags are untrusted: a line break or tab in one neither splits the row nor shifts a column.
    song.Artist = "A\nB";
    song.Comment = "x\ty\r";
    library.AddSong(song, "c");
    const std::vector<std::string> crafted = Columns(library.Lines()[3]);
    ASSERT_EQ(crafted.size(), 27u);
    EXPECT_EQ(crafted[1], "A B");
    EXPECT_EQ(crafted[20], "x y ");
}

TEST(SongListExport, SecondSaveHoldsBothRunsUnderOneHeader) {
    TempDir dir;
    TITXMakeLibrary library;
    TITBSongItem song;
    song.Title = "one";
    library.AddSong(song, "1");
    library.SaveToFile(dir / "a.TXT");
    song.Title = "two";
    library.AddSong(song, "2");
    library.SaveToFile(dir / "b.TXT");
    const std::string text = FileAsUtf8(dir / "b.TXT");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_EQ(text.find("名前"), 0u);
    EXPECT_EQ(text.rfind("名前"), 0u);
    EXPECT_NE(text.find("one"), std::string::npos);
    EXPECT_NE(text.find("two"), std::string::npos);

    EXPECT_THROW(library.SaveToFile(dir / "no/such/folder/x.TXT"), EFileError);
    EXPECT_EQ(library.Lines().size(), 3u);
    EXPECT_EQ(NumberText(0), "");
    EXPECT_EQ(NumberText(-2147483647 - 1), "-2147483648");
}

TEST(SongListExport, ALinkAtTheListsNameIsNotWrittenThroughAndAFullDiskKeepsTheOldList) {
    TempDir dir;
    TITXMakeLibrary library;
    const std::string other = dir.Write("elsewhere/notes.txt", "precious");
    dir.Write("out/earlier.mp3", "");
    ASSERT_EQ(symlink(other.c_str(), (dir / "out/iPodLibrary.TXT").c_str()), 0);
    EXPECT_THROW(library.SaveToFile(dir / "out/iPodLibrary.TXT"), EFileError);
    EXPECT_EQ(ReadFileText(other), "precious");
    // A good list stays when the next one cannot be written whole.
    library.SaveToFile(dir / "out/list.TXT");
    const std::string good = ReadFileText(dir / "out/list.TXT");
    TITBSongItem song;
    song.Title = std::string(4000, 'x');
    library.AddSong(song, "1");
    {
        FileSizeLimit full(good.size() + 10);
        EXPECT_THROW(library.SaveToFile(dir / "out/list.TXT"), EFileError);
    }
    EXPECT_EQ(ReadFileText(dir / "out/list.TXT"), good);
}
