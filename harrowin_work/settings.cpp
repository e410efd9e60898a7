#include "harrowin_work/settings.h"

#include <type_traits>

#include "foundation/names.h"

namespace harrowin {

namespace {

// Field i of a ";"-separated record; a missing field is empty.
std::string Field(const std::string& line, int index) { return GetDelimitedField(index, line, ";"); }

const char* const kDefaultSites[] = {
    "朝霧新聞ニュース;http://www.asagiri-news.example.jp/rss/index.rdf;Not Updated",
    "北港経済ニュース;http://www.kitaminato-keizai.example.jp/news/index.rdf;Not Updated",
    "月刊パソコン通信;http://www.gekkan-pc.example.jp/rss/index.rdf;Not Updated",
    "デジタル工房マガジン;http://www.digikobo.example.jp/rss/index.rdf;Not Updated",
    "ネット技術ジャーナル;http://www.nettech-journal.example.jp/rss/index.rdf;Not Updated",
};

}  // namespace

std::string SiteRecord(const TSiteRow& row) {
    return row.Name + ";" + row.Address + ";" + row.LastUpdate + ";" + (row.Checked ? "1" : "0") + ";";
}

TTolvIPodINI::TTolvIPodINI(const std::string& FileName, TScreenMetrics Metrics)
    : FIni(std::make_unique<TIniFile>(FileName)), FMetrics(Metrics) {
    SetDefaults();
    LoadSettings();
    if (!ReadFailure().empty()) Copyright.Copyright = true;
}

TTolvIPodINI::~TTolvIPodINI() {
    if (FClosed) return;
    try {
        Close();
    } catch (...) {
        // Nobody is left to tell at this point; Close() is where a failure is reported.
    }
}

void TTolvIPodINI::SetDefaults() {
    const TScreenMetrics& m = FMetrics;
    Positions = TPositions{};
    Positions.Main_X = (m.ScreenW - m.MainW) / 2;
    Positions.Main_Y = (m.ScreenH - m.MainH) / 2;
    Positions.TView_X = (m.ScreenW - 400) / 2;
    Positions.TView_Y = (m.ScreenH - 330) / 2;
    Positions.PView_X = (m.ScreenW - 640) / 2;
    Positions.PView_Y = (m.ScreenH - 400) / 2;
    SongCopy = TSongCopy{};
    VideoCopy = TVideoCopy{};
    TextDivide = TTextDivide{};
    SongFind = TSongFind{};
    Copyright = TCopyright{};
    Internet = TInternet{};
    Recognize = TRecognize{};
    PhotoCopy = TPhotoCopy{};
    Photos = TPhotos{};
    SetDefaultSites();
}

void TTolvIPodINI::SetDefaultSites() {
    FSites.clear();
    for (const char* site : kDefaultSites) FSites.emplace_back(site);
}

namespace {

// Every key of the file in file order, with the field it fills. Loading and saving walk the
// same list, so the two can never disagree on a name, a section or the order.
template <typename Settings, typename Key>
void ForEachKey(Settings& s, Key&& key) {
    key("Positions", "Main_X", s.Positions.Main_X);
    key("Positions", "Main_Y", s.Positions.Main_Y);
    key("Positions", "TView_X", s.Positions.TView_X);
    key("Positions", "TView_Y", s.Positions.TView_Y);
    key("Positions", "TView_W", s.Positions.TView_W);
    key("Positions", "TView_H", s.Positions.TView_H);
    key("Positions", "PView_X", s.Positions.PView_X);
    key("Positions", "PView_Y", s.Positions.PView_Y);
    key("Positions", "PView_W", s.Positions.PView_W);
    key("Positions", "PView_H", s.Positions.PView_H);
    key("SongCopy", "MakeFolder_Artist", s.SongCopy.MakeFolder_Artist);
    key("SongCopy", "MakeFolder_Album", s.SongCopy.MakeFolder_Album);
    key("SongCopy", "MakingNameType", s.SongCopy.MakingNameType);
    key("SongCopy", "Folder", s.SongCopy.Folder);
    key("SongCopy", "AddTrackNo", s.SongCopy.AddTrackNo);
    key("SongCopy", "MakeLibraryData", s.SongCopy.MakeLibraryData);
    key("VideoCopy", "VideoFolder", s.VideoCopy.VideoFolder);
    key("VideoCopy", "MakeArtistFolder", s.VideoCopy.MakeArtistFolder);
    key("VideoCopy", "MakeAlbumFolder", s.VideoCopy.MakeAlbumFolder);
    key("VideoCopy", "MakeType", s.VideoCopy.MakeType);
    key("VideoCopy", "MakeImportFile", s.VideoCopy.MakeImportFile);
    key("TextDivide", "MakePageNo", s.TextDivide.MakePageNo);
    key("TextDivide", "MakeLink", s.TextDivide.MakeLink);
    key("TextDivide", "MakeDelRuby", s.TextDivide.MakeDelRuby);
    key("TextDivide", "MakeDivMode", s.TextDivide.MakeDivMode);
    key("TextDivide", "MakeWordSize", s.TextDivide.MakeWordSize);
    key("TextDivide", "MakeFolder", s.TextDivide.MakeFolder);
    key("TextDivide", "AddEncoded", s.TextDivide.AddEncoded);
    key("TextDivide", "AddTitle", s.TextDivide.AddTitle);
    key("TextDivide", "EveryDisplay", s.TextDivide.EveryDisplay);
    key("SongFind", "Type", s.SongFind.Type);
    key("SongFind", "Text", s.SongFind.Text);
    key("SongFind", "PageIndex", s.SongFind.PageIndex);
    key("Copyright", "Copyright", s.Copyright.Copyright);
    key("Internet", "AutoDownLoad", s.Internet.AutoDownLoad);
    key("Internet", "SaveFolder", s.Internet.SaveFolder);
    key("Internet", "AddRSSDate", s.Internet.AddRSSDate);
    key("Internet", "AddRSSURL", s.Internet.AddRSSURL);
    key("Recognize", "MakeFolder", s.Recognize.MakeFolder);
    key("Recognize", "DriveLockPath", s.Recognize.DriveLockPath);
    key("PhotoCopy", "Folder", s.PhotoCopy.Folder);
    key("PhotoCopy", "Type", s.PhotoCopy.Type);
    key("Photos", "Type", s.Photos.Type);
    key("Photos", "PosX", s.Photos.PosX);
    key("Photos", "PosY", s.Photos.PosY);
}

}  // namespace

void TTolvIPodINI::LoadSettings() {
    const TIniFile& f = *FIni;
    ForEachKey(*this, [&f](const char* section, const char* name, auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, bool>) value = f.ReadBool(section, name, value);
        else if constexpr (std::is_same_v<T, std::string>) value = f.ReadString(section, name, value);
        else value = f.ReadInteger(section, name, value);
    });
    LoadSiteList();
}

void TTolvIPodINI::LoadSiteList() {
    // Count holds the highest index. A list of exactly one site is stored as Count=0, so 0 is
    // a list too; only a missing, unreadable or negative Count means "no list".
    const int32_t n = FIni->ReadInteger("RSSURLData", "Count", -1);
    if (n < 0) return;
    std::vector<std::string> sites;
    for (int64_t i = 0; i <= n; ++i) {
        std::string key = "No." + std::to_string(i);
        if (!FIni->ValueExists("RSSURLData", key)) {
            // A hand-made Count far beyond the records must not stall the start.
            if (i > 100000) break;
            continue;
        }
        std::string line = FIni->ReadString("RSSURLData", key, "");
        if (!line.empty()) sites.push_back(line);
    }
    // Count=0 with an empty No.0 holds no site: keep the defaults then.
    if (n == 0 && sites.empty()) return;
    FSites = std::move(sites);
}

void TTolvIPodINI::SaveSettings() {
    TIniFile& f = *FIni;
    f.Clear();
    ForEachKey(*this, [&f](const char* section, const char* name, const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, bool>) f.WriteBool(section, name, value);
        else if constexpr (std::is_same_v<T, std::string>) f.WriteString(section, name, value);
        else f.WriteInteger(section, name, value);
    });
    SaveSiteList();
}

void TTolvIPodINI::SaveSiteList() {
    FIni->WriteInteger("RSSURLData", "Count", static_cast<int32_t>(FSites.size()) - 1);
    for (size_t i = 0; i < FSites.size(); ++i) {
        FIni->WriteString("RSSURLData", "No." + std::to_string(i), FSites[i]);
    }
}

void TTolvIPodINI::Close() {
    SaveSettings();
    FClosed = true;  // one attempt only: a failing disk is reported once, not again at exit
    FIni->UpdateFile();
}

std::vector<TSiteRow> TTolvIPodINI::SiteRows() const {
    std::vector<TSiteRow> rows;
    for (const std::string& line : FSites) {
        if (line.find(';') == std::string::npos) continue;
        TSiteRow row;
        row.Name = Field(line, 0);
        row.Address = Field(line, 1);
        row.LastUpdate = Field(line, 2);
        const std::string flag = Field(line, 3);
        row.Checked = flag.empty() ? true : flag == "1";
        rows.push_back(std::move(row));
    }
    return rows;
}

void TTolvIPodINI::StoreSiteRows(const std::vector<TSiteRow>& rows) {
    if (rows.empty()) return;
    FSites.clear();
    for (const TSiteRow& row : rows) FSites.push_back(SiteRecord(row));
}

}  // namespace harrowin
