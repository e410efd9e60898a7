#include "player/song_list_export.h"

#include "foundation/date_time.h"
#include "foundation/encoding.h"
#include "foundation/file_write.h"
#include "foundation/names.h"

namespace {

const char* const kHeaders[27] = {"名前",
                                  "アーティスト",
                                  "作曲者",
                                  "アルバム",
                                  "グループ",
                                  "ジャンル",
                                  "サイズ",
                                  "時間",
                                  "ディスク番号",
                                  "ディスク数",
                                  "トラック番号",
                                  "トラック数",
                                  "年",
                                  "変更日",
                                  "追加日",
                                  "ビットレート",
                                  "サンプルレート",
                                  "音量調整",
                                  "種類",
                                  "イコライザ",
                                  "コメント",
                                  "再生回数",
                                  "最後に再生した日",
                                  "スキップ回数",
                                  "最後にスキップした日",
                                  "マイレート",
                                  "場所"};

}  // namespace

std::string NumberText(int32_t Value) { return Value == 0 ? std::string() : std::to_string(Value); }

TITXMakeLibrary::TITXMakeLibrary() { Reset(); }

void TITXMakeLibrary::Reset() {
    lines_.clear();
    std::string header;
    for (int i = 0; i < 27; ++i) {
        if (i > 0) header += '\t';
        header += kHeaders[i];
    }
    lines_.push_back(header);
}

void TITXMakeLibrary::AddSong(const TITBSongItem& s, const std::string& Location) {
    const std::string columns[27] = {s.Title,
                                     s.Artist,
                                     s.Composer,
                                     s.Album,
                                     s.Grouping,
                                     s.Genre,
                                     NumberText(s.Size),
                                     NumberText(s.Length / 1000),
                                     NumberText(s.DiscNumber),
                                     NumberText(s.DiscCount),
                                     NumberText(s.TrackNumber),
                                     NumberText(s.TrackCount),
                                     NumberText(s.Year),
                                     DateTimeToStr(s.DateModified),
                                     DateTimeToStr(s.DateAdded),
                                     NumberText(s.Bitrate),
                                     NumberText(s.SampleRate),
                                     NumberText(s.Volume),
                                     s.Kind,
                                     s.Equalizer,
                                     s.Comment,
                                     NumberText(s.PlayCount),
                                     "",
                                     "",
                                     "",
                                     NumberText(s.Rating),
                                     Location};
    // A tab or line break inside a tag would split the row or shift its columns.
    std::string line;
    for (int i = 0; i < 27; ++i) {
        if (i > 0) line += '\t';
        line += ControlCharsToBlanks(columns[i]);
    }
    lines_.push_back(std::move(line));
}

void TITXMakeLibrary::SaveToFile(const std::string& FileName) const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    // The copy's target folder is the user's choice (a linked one included), but a link at the
    // list's own name is never written through, and a full disk keeps the list that was there.
    WriteWholeFile(FileName, encoding::Utf8ToUtf16Le(text), TFolderLink::Follow);
}
