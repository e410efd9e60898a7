// The organiser content of the sample player: contacts, calendar events and to-do items written
// through the organiser file classes, and notes split by the notes splitter (a short note, a
// long text in linked pages, and a news feed turned into text), all with invented content.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/date_time.h"
#include "organiser/document_reader.h"
#include "organiser/memo_divider.h"
#include "organiser/organiser_files.h"
#include "samples/sample_areas.h"
#include "tests/support/feed_writer.h"

namespace {

namespace fs = std::filesystem;

// The 15-character local date-time text of the organiser files, `days` from today at h:m.
std::string VCalText(int days, int hour, int minute) {
    const TDateParts d = DecodeDateTime(Date() + days);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d00", d.year, d.month, d.day, hour, minute);
    return text;
}

void WriteContacts(const std::string& folder) {
    const TIpodVCF contacts[] = {
        {"青葉;みどり", "青葉 みどり", "営業部長", "こもれび商事", ";;桜町1-2-3;青葉市;;100-0001;日本",
         ";;港通り4-5;青葉市;;100-0002;日本", "03-0000-1111", "03-0000-2222", "090-0000-3333",
         "http://komorebi.example.jp/", "midori@example.jp", "月曜日は午前中に連絡"},
        {"北島;航", "北島 航", "", "港町ブルース社", "", ";;埠頭1;港町;;200-0003;日本", "", "045-000-4444", "", "",
         "wataru@example.jp", ""},
        {"Lantern;Paper", "Paper Lantern", "Bandleader", "Small Hours Ltd.", "", "", "", "", "+44 20 0000 0000",
         "http://lanterns.example.com/", "band@example.com", "Jazz on Fridays"},
    };
    for (const auto& c : contacts) {
        TTolvVCF file(folder + c.FN + ".vcf");
        file.WriteContact(c);
        file.Save();
    }
}

void WriteEvents(const std::string& folder) {
    struct Event {
        int days, hour, minute, hours;
        const char* summary;
        const char* categories;
        const char* priority;
        const char* description;
        bool alarm;
    };
    const Event events[] = {
        {-20, 10, 0, 1, "定例会議", "仕事", "2", "第一会議室", false},
        {0, 14, 30, 2, "打ち合わせ", "仕事", "3", "こもれび商事の青葉さんと", true},
        {3, 19, 0, 3, "コンサート", "趣味", "1", "ネオン・パレードのライブ", true},
        {10, 9, 0, 8, "社員旅行", "行事", "0", "港町へ一泊二日", false},
        {24, 12, 0, 1, "Lunch with the band", "Private", "0", "Small Hours cafe", false},
    };
    for (const auto& e : events) {
        TIpodVCal record;
        record.Summary = e.summary;
        record.DtStart = VCalText(e.days, e.hour, e.minute);
        record.DtEnd = VCalText(e.days, e.hour + e.hours, e.minute);
        record.DAlarm = e.alarm ? VCalText(e.days, e.hour - 1, e.minute) : "";
        record.Categories = e.categories;
        record.Priority = e.priority;
        record.Class = "PUBLIC";
        record.Description = e.description;
        TTolvVCal file(folder + record.DtStart + "_0.ics");
        file.WriteEvent(record);
        file.Save();
    }
}

void WriteTasks(const std::string& folder) {
    const TVTodoObj tasks[] = {
        {"牛乳を買う", VCalText(-2, 18, 0), "低脂肪のもの"},
        {"企画書の提出", VCalText(2, 17, 0), "第三版を青葉さんへ"},
        {"Renew the passport", VCalText(30, 12, 0), "Photos first"},
    };
    for (const auto& t : tasks) {
        TTolvVTodo file(folder + "t" + t.Due + "_0.ics");
        file.WriteTask(t);
        file.Save();
    }
}

void WriteNotes(const std::string& folder) {
    // A short note: one file.
    TTolvMemoDivider shortNote;
    shortNote.FTitle = "買い物メモ";
    shortNote.FPageSize = 4050;
    shortNote.AssignText({"・牛乳", "・卵", "・食パン", "・りんご《林檎》"});
    shortNote.Divide(folder);

    // A long text in linked pages, with ruby removed, in a folder of its own.
    std::vector<std::string> story;
    for (int chapter = 1; chapter <= 12; ++chapter) {
        story.push_back("第" + std::to_string(chapter) + "章");
        for (int line = 0; line < 8; ++line) {
            story.push_back(
                "むかしむかし、山《やま》の麓《ふもと》の小さな村に、働き者の若者が住んでいました。"
                "若者は毎朝早く起きて、畑を耕し、川で水を汲み、夜は星を眺めて過ごしました。");
        }
        story.push_back("");
    }
    TTolvMemoDivider longNote;
    longNote.FTitle = "山の麓の物語";
    longNote.FPageSize = 4050;
    longNote.FCutType = 0;
    longNote.FDelRuby = true;
    longNote.FNextLink = longNote.FPageNo = longNote.FEncodeTag = longNote.FTitleTag = true;
    longNote.FCopyDir = true;
    longNote.AssignText(story);
    longNote.Divide(folder);

    // News: a feed turned into text and split, as the news download does.
    feed_writer::Channel channel;
    channel.title = "こもれびニュース";
    channel.author = "こもれび編集部";
    channel.link = "http://news.example.jp/";
    channel.description = "森と街の話題";
    channel.items.push_back({"新しい公園が開園", "http://news.example.jp/1", "駅前に新しい公園ができました。", "", {}});
    channel.items.push_back({"秋祭りの日程", "http://news.example.jp/2", "今年の秋祭りは三日間です。", "", {}});
    const std::string rdf = folder + "news.RDF";
    {
        FILE* file = std::fopen(rdf.c_str(), "wb");
        if (!file) return;
        const std::string text = feed_writer::Rss2(channel, "UTF-8");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    THTMLReader reader;
    reader.FAddURL = true;
    reader.LoadFromFile(rdf);
    fs::remove(rdf);
    reader.Convert();
    const std::string news = folder + "RSS News/";
    fs::create_directories(news);
    TTolvMemoDivider newsNote;
    newsNote.FTitle = channel.title;
    newsNote.FPageSize = 4050;
    newsNote.FNextLink = newsNote.FTitleTag = true;
    newsNote.AssignText(reader.FLines);
    newsNote.Divide(news);
}

}  // namespace

void WriteSampleOrganiser(const std::string& root) {
    const std::string notes = root + "/Notes/";
    const std::string contacts = root + "/Contacts/";
    const std::string calendars = root + "/Calendars/";
    for (const auto& folder : {notes, contacts, calendars}) fs::create_directories(folder);
    WriteContacts(contacts);
    WriteEvents(calendars);
    WriteTasks(calendars);
    WriteNotes(notes);
}
