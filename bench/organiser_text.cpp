// Speed of the news road: a 1 MB RSS document converted to text (load, detection, reload,
// feed walk) and a 1 MB text split into note pages by every cut type, no progress handler.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "foundation/paths.h"
#include "organiser/document_reader.h"
#include "organiser/memo_divider.h"
#include "tests/support/feed_writer.h"
#include "tests/support/temp_dir.h"

int main() {
    TempDir dir;
    int failures = 0;

    // A feed of about 1 MB: Japanese titles and descriptions, an enclosure per item.
    feed_writer::Channel channel;
    channel.title = "ベンチマークのニュース";
    channel.author = "編集部";
    channel.link = "http://news.example.jp/";
    channel.description = "毎日の話題をお届けします";
    size_t size = 0;
    for (int i = 0; size < 1024 * 1024; ++i) {
        feed_writer::Item item;
        item.title = "記事の見出し その" + std::to_string(i);
        item.link = "http://news.example.jp/article/" + std::to_string(i);
        item.description = "これは記事の本文です。日本語の文章が続きます。&lt;b&gt;強調&lt;/b&gt; " + std::to_string(i);
        item.date = "Thu, 01 Mar 2007 09:00:00 +0900";
        item.enclosures.push_back({"http://cast.example.jp/ep" + std::to_string(i) + ".mp3", "audio/mpeg", "1234567"});
        channel.items.push_back(item);
        size += item.title.size() + item.description.size() + 200;
    }
    for (const char* declared : {"UTF-8", ""}) {
        const std::string feed = feed_writer::Rss2(channel, declared);
        const std::string path = dir.Write("feed.rss", feed);
        size_t lines = 0;
        const double ms = Best(5, [&] {
            THTMLReader reader;
            reader.FAddDate = reader.FAddURL = true;
            reader.LoadFromFile(path);
            reader.Convert();
            lines = reader.FLines.Lines().size();
        });
        std::printf("RSS to text (%s, %.2f MB, %zu lines): %.1f ms (limit 100)\n",
                    *declared ? "declared UTF-8" : "detected UTF-8", feed.size() / 1048576.0, lines, ms);
        if (ms >= 100) ++failures;
    }
    {
        const std::string feed =
            feed_writer::Encode(feed_writer::Rss2(channel, "Shift_JIS"), feed_writer::Bytes::ShiftJis);
        const std::string path = dir.Write("feed_sjis.rss", feed);
        const double ms = Best(5, [&] {
            THTMLReader reader;
            reader.LoadFromFile(path);
            reader.Convert();
        });
        std::printf("RSS to text (Shift_JIS, %.2f MB): %.1f ms\n", feed.size() / 1048576.0, ms);
    }

    // A text of about 1 MB (in Shift_JIS bytes): Japanese sentences, some ruby, line breaks.
    std::vector<std::string> text;
    size_t sjis = 0;
    for (int i = 0; sjis < 1024 * 1024; ++i) {
        std::string line = "吾輩《わがはい》は猫である。名前はまだ無い、どこで生れたかとんと見当がつかぬ。Line " +
                           std::to_string(i) + ", more text!";
        sjis += line.size() * 2 / 3 + 2;
        text.push_back(line);
    }
    for (int cut = 0; cut <= 3; ++cut) {
        int pages = 0;
        double best = 1e300;
        for (int run = 0; run < 3; ++run) {
            // A fresh folder per run, made before the clock starts.
            const std::string out = dir / ("cut" + std::to_string(cut) + "-" + std::to_string(run));
            std::filesystem::create_directory(out);
            TTolvMemoDivider divider;
            divider.FTitle = "猫";
            divider.FCutType = cut;
            divider.FPageSize = 4050;
            divider.FDelRuby = cut == 1;
            divider.FNextLink = divider.FPageNo = divider.FEncodeTag = divider.FTitleTag = true;
            const auto start = std::chrono::steady_clock::now();
            divider.AssignText(text);
            divider.Divide(out);
            best = std::min(best, Milliseconds(std::chrono::steady_clock::now() - start));
            TFolderReader pageFiles(out);
            TFolderEntry page{};
            for (pages = 0; pageFiles.Next(page);) ++pages;
        }
        std::printf("Split 1 MB text, cut type %d%s: %d pages, %.1f ms (limit 200)\n", cut,
                    cut == 1 ? " with ruby removal" : "", pages, best);
        if (best >= 200) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
