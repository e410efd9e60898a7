// Speed of the settings files: an INI of 80,000 keys in one section read, looked up key by key
// and written, and HarrowinCast's lists at the size of a long-lived installation: an episode
// list of 100,000 episodes ("Lumenquist.LST", limit one second to load) and a settings file of
// 2,000 feeds ("Lumenquist.INI").
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "foundation/ini_file.h"
#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/settings.h"
#include "tests/support/temp_dir.h"

using namespace harrowincast;

int main() {
    TempDir dir;
    int failures = 0;

    {
        std::string text = "[Keys]\r\n";
        for (int i = 0; i < 80000; ++i) text += "Key" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
        size_t found = 0, written = 0;
        const double ms = Best(3, [&] {
            TIniFile ini("");
            ini.LoadFromText(text);
            found = 0;
            for (int i = 0; i < 80000; ++i) found += !ini.ReadString("keys", "KEY" + std::to_string(i), "").empty();
            written = ini.ToText().size();
        });
        std::printf("INI of 80,000 keys read, looked up and written (%zu found, %zu bytes): %.1f ms\n", found, written,
                    ms);
    }

    {
        const std::string path = dir / "Lumenquist.LST";
        {
            // Written as HarrowinCast writes it, without the list's own help, so that only
            // loading and saving are measured.
            std::string text = "[RSSURLData]\r\nCount=100000\r\n\r\n";
            for (int i = 0; i < 100000; ++i) {
                const std::string n = std::to_string(i);
                const std::string caption = "第" + n + "回 今日の話題";
                const std::string date = "Mon, 07 Dec 2026 07:00:00 +0900";
                text += "[Item-" + n + "]\r\nTITLE=ニュース" + std::to_string(i % 50) +
                        "\r\nBLOGNAME=毎日のニュース\r\nCAPTION=" + caption + "\r\nDATE=" + date +
                        "\r\nFILE=/home/user/.local/share/HarrowinCast/PodCastings/ニュース/ep" + n +
                        ".mp3\r\nDESCRIPTION=今日のニュースをお伝えします。天気、経済、スポーツ。\r\nAUTHOR=編集部"
                        "\r\nFORDELETENAME=" +
                        caption + "(" + date + ")\r\n\r\n";
            }
            dir.Write("Lumenquist.LST", text);
            std::printf("episode list file: %.1f MB\n", text.size() / 1048576.0);
        }
        int count = 0;
        const double ms = Best(3, [&] {
            TPodCastList list;
            list.LoadFromFile(path);
            count = list.Count();
        });
        std::printf("episode list of %d loaded: %.1f ms (limit 1000)\n", count, ms);
        if (count != 100000 || ms >= 1000) ++failures;
        TPodCastList list;
        list.LoadFromFile(path);
        const double saved = Best(3, [&] { list.SaveToFile(dir / "saved.LST"); });
        std::printf("episode list of %d saved: %.1f ms\n", list.Count(), saved);
    }

    {
        const std::string path = dir / "Lumenquist.INI";
        {
            TTolvIPodINI ini(path);
            for (int i = 0; i < 2000; ++i) {
                TPodSiteItem* site = ini.Sites.Add();
                site->NAME = "フィード" + std::to_string(i);
                site->URL = "https://feeds.example.jp/" + std::to_string(i) + ".xml";
                site->DESCRIPTION = "説明";
            }
            ini.Save();
        }
        int count = 0;
        const double ms = Best(3, [&] {
            TTolvIPodINI ini(path);
            count = ini.Sites.Count();
        });
        std::printf("settings of %d feeds loaded and saved: %.1f ms\n", count, ms);
    }
    return failures == 0 ? 0 : 1;
}
