#include "desktop/settings.h"

#include "foundation/names.h"

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

void TTolvIPodINI::LoadSettings() {
    const TIniFile& f = *FIni;
    auto I = [&f](const char* s, const char* k, int32_t& v) { v = f.ReadInteger(s, k, v); };
    auto B = [&f](const char* s, const char* k, bool& v) { v = f.ReadBool(s, k, v); };
    auto S = [&f](const char* s, const char* k, std::string& v) { v = f.ReadString(s, k, v); };

    I("Positions", "Main_X", Positions.Main_X);
    I("Positions", "Main_Y", Positions.Main_Y);
    I("Positions", "TView_X", Positions.TView_X);
    I("Positions", "TView_Y", Positions.TView_Y);
    I("Positions", "TView_W", Positions.TView_W);
    I("Positions", "TView_H", Positions.TView_H);
    I("Positions", "PView_X", Positions.PView_X);
    I("Positions", "PView_Y", Positions.PView_Y);
    I("Positions", "PView_W", Positions.PView_W);
    I("Positions", "PView_H", Positions.PView_H);
    B("SongCopy", "MakeFolder_Artist", SongCopy.MakeFolder_Artist);
    B("SongCopy", "MakeFolder_Album", SongCopy.MakeFolder_Album);
    I("SongCopy", "MakingNameType", SongCopy.MakingNameType);
    S("SongCopy", "Folder", SongCopy.Folder);
    B("SongCopy", "AddTrackNo", SongCopy.AddTrackNo);
    B("SongCopy", "MakeLibraryData", SongCopy.MakeLibraryData);
    S("VideoCopy", "VideoFolder", VideoCopy.VideoFolder);
    B("VideoCopy", "MakeArtistFolder", VideoCopy.MakeArtistFolder);
    B("VideoCopy", "MakeAlbumFolder", VideoCopy.MakeAlbumFolder);
    I("VideoCopy", "MakeType", VideoCopy.MakeType);
    B("VideoCopy", "MakeImportFile", VideoCopy.MakeImportFile);
    B("TextDivide", "MakePageNo", TextDivide.MakePageNo);
    B("TextDivide", "MakeLink", TextDivide.MakeLink);
    B("TextDivide", "MakeDelRuby", TextDivide.MakeDelRuby);
    I("TextDivide", "MakeDivMode", TextDivide.MakeDivMode);
    I("TextDivide", "MakeWordSize", TextDivide.MakeWordSize);
    B("TextDivide", "MakeFolder", TextDivide.MakeFolder);
    B("TextDivide", "AddEncoded", TextDivide.AddEncoded);
    B("TextDivide", "AddTitle", TextDivide.AddTitle);
    B("TextDivide", "EveryDisplay", TextDivide.EveryDisplay);
    I("SongFind", "Type", SongFind.Type);
    S("SongFind", "Text", SongFind.Text);
    I("SongFind", "PageIndex", SongFind.PageIndex);
    B("Copyright", "Copyright", Copyright.Copyright);
    B("Internet", "AutoDownLoad", Internet.AutoDownLoad);
    S("Internet", "SaveFolder", Internet.SaveFolder);
    B("Internet", "AddRSSDate", Internet.AddRSSDate);
    B("Internet", "AddRSSURL", Internet.AddRSSURL);
    B("Recognize", "MakeFolder", Recognize.MakeFolder);
    S("Recognize", "DriveLockPath", Recognize.DriveLockPath);
    S("PhotoCopy", "Folder", PhotoCopy.Folder);
    I("PhotoCopy", "Type", PhotoCopy.Type);
    I("Photos", "Type", Photos.Type);
    I("Photos", "PosX", Photos.PosX);
    I("Photos", "PosY", Photos.PosY);
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
    auto I = [&f](const char* s, const char* k, int32_t v) { f.WriteInteger(s, k, v); };
    auto B = [&f](const char* s, const char* k, bool v) { f.WriteBool(s, k, v); };
    auto S = [&f](const char* s, const char* k, const std::string& v) { f.WriteString(s, k, v); };

    I("Positions", "Main_X", Positions.Main_X);
    I("Positions", "Main_Y", Positions.Main_Y);
    I("Positions", "TView_X", Positions.TView_X);
    I("Positions", "TView_Y", Positions.TView_Y);
    I("Positions", "TView_W", Positions.TView_W);
    I("Positions", "TView_H", Positions.TView_H);
    I("Positions", "PView_X", Positions.PView_X);
    I("Positions", "PView_Y", Positions.PView_Y);
    I("Positions", "PView_W", Positions.PView_W);
    I("Positions", "PView_H", Positions.PView_H);
    B("SongCopy", "MakeFolder_Artist", SongCopy.MakeFolder_Artist);
    B("SongCopy", "MakeFolder_Album", SongCopy.MakeFolder_Album);
    I("SongCopy", "MakingNameType", SongCopy.MakingNameType);
    S("SongCopy", "Folder", SongCopy.Folder);
    B("SongCopy", "AddTrackNo", SongCopy.AddTrackNo);
    B("SongCopy", "MakeLibraryData", SongCopy.MakeLibraryData);
    S("VideoCopy", "VideoFolder", VideoCopy.VideoFolder);
    B("VideoCopy", "MakeArtistFolder", VideoCopy.MakeArtistFolder);
    B("VideoCopy", "MakeAlbumFolder", VideoCopy.MakeAlbumFolder);
    I("VideoCopy", "MakeType", VideoCopy.MakeType);
    B("VideoCopy", "MakeImportFile", VideoCopy.MakeImportFile);
    B("TextDivide", "MakePageNo", TextDivide.MakePageNo);
    B("TextDivide", "MakeLink", TextDivide.MakeLink);
    B("TextDivide", "MakeDelRuby", TextDivide.MakeDelRuby);
    I("TextDivide", "MakeDivMode", TextDivide.MakeDivMode);
    I("TextDivide", "MakeWordSize", TextDivide.MakeWordSize);
    B("TextDivide", "MakeFolder", TextDivide.MakeFolder);
    B("TextDivide", "AddEncoded", TextDivide.AddEncoded);
    B("TextDivide", "AddTitle", TextDivide.AddTitle);
    B("TextDivide", "EveryDisplay", TextDivide.EveryDisplay);
    I("SongFind", "Type", SongFind.Type);
    S("SongFind", "Text", SongFind.Text);
    I("SongFind", "PageIndex", SongFind.PageIndex);
    B("Copyright", "Copyright", Copyright.Copyright);
    B("Internet", "AutoDownLoad", Internet.AutoDownLoad);
    S("Internet", "SaveFolder", Internet.SaveFolder);
    B("Internet", "AddRSSDate", Internet.AddRSSDate);
    B("Internet", "AddRSSURL", Internet.AddRSSURL);
    B("Recognize", "MakeFolder", Recognize.MakeFolder);
    S("Recognize", "DriveLockPath", Recognize.DriveLockPath);
    S("PhotoCopy", "Folder", PhotoCopy.Folder);
    I("PhotoCopy", "Type", PhotoCopy.Type);
    I("Photos", "Type", Photos.Type);
    I("Photos", "PosX", Photos.PosX);
    I("Photos", "PosY", Photos.PosY);
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
