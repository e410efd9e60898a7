// Writes a PNG of every window of HarrowinCast: the main window with a few feeds, the feed
// dialog, the settings dialog, the feed information and the question before a feed is
// deleted (answered No). The program folder is a fresh one under the temporary folder.
// Usage: harrowincast_screenshots <output folder>
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "foundation/windows/tools/window_shots.h"
#include "podcast/main_form.h"
#include "podcast/startup.h"

using namespace harrowincast;

namespace {

// Three subscribed feeds as an earlier update left them.
void WriteSettings(const std::string& home) {
    struct Feed {
        const char* Name;
        const char* Url;
        const char* Date;
        const char* Author;
        const char* Description;
        int Columns;
        int Size;
    };
    const Feed feeds[] = {
        {"朝霧ラジオニュース", "https://example.com/asagiri/news.xml", "2026/12/09 07:00", "朝霧放送",
         "毎朝のニュースを五分でお届けします", 12, 52428800},
        {"こもれび音楽だより", "https://example.com/komorebi/podcast.rss", "2026/12/08 21:30", "こもれび楽団",
         "新しい曲と演奏会の話題", 8, 73400320},
        {"港町の英会話", "https://example.com/minato/english.xml", "Not Updated", "制作者不明", "", 0, 0},
    };
    std::ofstream ini(home + "/Lumenquist.INI", std::ios::binary);
    ini << "[System]\r\nCount=" << std::size(feeds) << "\r\n[RSSURLData]\r\n";
    int n = 0;
    for (const Feed& f : feeds) {
        const std::string key = "Item-" + std::to_string(n++) + ".";
        ini << key << "NAME=" << f.Name << "\r\n"
            << key << "URL=" << f.Url << "\r\n"
            << key << "DATE=" << f.Date << "\r\n"
            << key << "AUTHOR=" << f.Author << "\r\n"
            << key << "DESCRIPTION=" << f.Description << "\r\n"
            << key << "PLAYLIST=PCast " << f.Name << "\r\n"
            << key << "COLUMNS=" << f.Columns << "\r\n"
            << key << "SIZE=" << f.Size << "\r\n";
    }
    ini << "[Saves]\r\nSaveFolder=" << home << "/\r\nSaveType=0\r\n";
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    PrepareHarrowinCast();
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    SetShotFolder(QString::fromLocal8Bit(argv[1]));
    const std::string home = std::filesystem::temp_directory_path().string() + "/harrowincast-shots";
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    WriteSettings(home);
    qputenv("HARROWINCAST_HOME", QByteArray::fromStdString(home));

    TMainForm form;
    form.move(40, 40);
    form.URLListBox()->setCurrentRow(1);
    Save(&form, "cast_main");
    SaveModal([&form] { form.AddButtonClick(0); }, "cast_edit");
    SaveModal([&form] { form.ConfigButtonClick(); }, "cast_config");
    SaveModal([&form] { form.PM_SiteInfoClick(); }, "cast_info");
    SaveModal([&form] { form.PM_DeleteURLClick(); }, "cast_delete");
    form.close();
    std::filesystem::remove_all(home);
    return 0;
}
