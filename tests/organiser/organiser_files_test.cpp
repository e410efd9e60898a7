#include "organiser/organiser_files.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Crlf(const std::vector<std::string>& lines) { return JoinLines(lines); }

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------
// Contacts

TEST(ContactFile, NewFileStartsFromTheFrameAndWritesKeysInReverseOrder) {
    TempDir dir;
    const std::string path = dir / "new.vcf";
    {
        TTolvVCF vcf(path);
        EXPECT_EQ(vcf.Lines(), (Lines{"BEGIN:vcard", "VERSION:3.0", "END:vcard"}));
        EXPECT_FALSE(vcf.IsInvalid());
        EXPECT_FALSE(NameTaken(path)) << "nothing is written before Save";
        TIpodVCF c;
        c.N = "山田;太郎";
        c.FN = "山田太郎";
        c.Title = "部長";
        c.Org = "山田商店";
        c.AdrHome = ";;本町1-2;大阪市;;;";
        c.AdrWork = ";;港3;神戸市;;;";
        c.TelHome = "06-1111-2222";
        c.TelWork = "078-333-4444";
        c.TelCell = "090-5555-6666";
        c.Url = "http://example.com/";
        c.Email = "taro@example.com";
        c.Note = "メモ:コロン入り";
        vcf.WriteContact(c);
        vcf.Save();
    }
    EXPECT_EQ(
        ReadFileText(path),
        Crlf({"BEGIN:vcard", "VERSION:3.0", "EMAIL;PREF;INTERNET:taro@example.com", "tel;type=cell:090-5555-6666",
              "tel;type=work:078-333-4444", "tel;type=home:06-1111-2222", "adr;type=work;type=pref:;;港3;神戸市;;;",
              "adr;type=home:;;本町1-2;大阪市;;;", "url;type=work:http://example.com/", "NOTE:メモ:コロン入り",
              "ORG:山田商店", "TITLE:部長", "N:山田;太郎", "FN:山田太郎", "END:vcard"}));
    TTolvVCF back(path);
    EXPECT_FALSE(back.IsInvalid());
    TIpodVCF r;
    back.ReadContact(r);
    EXPECT_EQ(r.Note, "メモ:コロン入り");
    EXPECT_EQ(r.AdrHome, ";;本町1-2;大阪市;;;");
    EXPECT_EQ(r.FN, "山田太郎");
    EXPECT_EQ(r.Email, "taro@example.com");
}

TEST(ContactFile, KeysAndFrameCompareWithoutCase) {
    TempDir dir;
    const std::string path =
        dir.Write("a.vcf", "begin:VCARD\r\nVersion:3.0\r\nTEL;TYPE=HOME:123\r\nfn : Taro\r\nend:vcard\r\n");
    TTolvVCF vcf(path);
    EXPECT_FALSE(vcf.IsInvalid());
    EXPECT_EQ(vcf.GetValue("tel;type=home"), "123");
    EXPECT_EQ(vcf.GetValue("TEL;TYPE=HOME,VOICE"), "");
    EXPECT_EQ(vcf.GetValue("FN"), " Taro") << "the key is trimmed, the value is not";
}

TEST(ContactFile, BlankValueLeavesTheLineAndFirstOfTwinKeysIsReplaced) {
    TempDir dir;
    const std::string path = dir.Write("a.vcf", "BEGIN:vcard\r\nVERSION:3.0\r\nNOTE:one\r\nNOTE:two\r\nEND:vcard\r\n");
    TTolvVCF vcf(path);
    EXPECT_EQ(vcf.SetValue("NOTE", "   "), -1);
    EXPECT_EQ(vcf.Lines()[2], "NOTE:one");
    EXPECT_EQ(vcf.SetValue("note", "neu"), 2);
    EXPECT_EQ(vcf.Lines(), (Lines{"BEGIN:vcard", "VERSION:3.0", "note:neu", "NOTE:two", "END:vcard"}));
}

TEST(ContactFile, InvalidFileKeepsTheMarkerOutOfTheFile) {
    TempDir dir;
    const std::string path = dir.Write("bad.vcf", "BEGIN:vcard\r\nFN:Taro\r\n");
    {
        TTolvVCF vcf(path);
        EXPECT_TRUE(vcf.IsInvalid());
        EXPECT_EQ(vcf.InvalidMarker(), "不正なVCARDファイルです");
        EXPECT_EQ(vcf.GetValue("FN"), "Taro");
        EXPECT_EQ(vcf.SetValue("NOTE", "x"), 0) << "no version line: a new key goes to the top";
        vcf.Save();
    }
    // Saving twice must not pile up marker lines after the file's own lines.
    {
        TTolvVCF again(path);
        again.Save();
    }
    EXPECT_EQ(ReadFileText(path), Crlf({"NOTE:x", "BEGIN:vcard", "FN:Taro"}));
}

TEST(ContactFile, Cp932FileIsReadAsJapanese) {
    TempDir dir;
    const std::string sjis = encoding::Utf8ToCp932("BEGIN:vcard\r\nVERSION:3.0\r\nFN:山田太郎\r\nEND:vcard\r\n");
    ASSERT_FALSE(encoding::IsValidUtf8(sjis));
    TTolvVCF vcf(dir.Write("sjis.vcf", sjis));
    EXPECT_FALSE(vcf.IsInvalid());
    EXPECT_EQ(vcf.GetValue("FN"), "山田太郎");
}

TEST(ContactFile, ByteOrderMarkEmptyFileAndUnreadablePath) {
    TempDir dir;
    // A byte-order mark is part of the first line, so the begin key is not found.
    TTolvVCF bom(dir.Write("bom.vcf",
                           "\xEF\xBB\xBF"
                           "BEGIN:vcard\r\nVERSION:3.0\r\nEND:vcard\r\n"));
    EXPECT_TRUE(bom.IsInvalid());
    EXPECT_EQ(bom.GetValue("VERSION"), "3.0");
    TTolvVCF empty(dir.Write("empty.vcf", ""));
    EXPECT_TRUE(empty.IsInvalid());
    EXPECT_TRUE(empty.Lines().empty());
    EXPECT_EQ(empty.GetValue("FN"), "");
    // A folder in place of the file: the read error reaches the caller.
    EXPECT_THROW(TTolvVCF(dir.Path()), EFileError);
    TTolvVCF missing_folder(dir / "no/such/x.vcf");
    EXPECT_THROW(missing_folder.Save(), EFileError);
}

TEST(ContactFile, PlantedLinkIsNeitherReadNorWrittenAndHugeFilesAreRefused) {
    TempDir dir;
    const std::string outside = dir.Write("outside/address-book.txt", "BEGIN:vcard\r\nFN:Secret\r\nEND:vcard\r\n");
    const std::string link = dir / "Contacts/friend.vcf";
    dir.Write("Contacts/keep", "");
    ASSERT_EQ(symlink(outside.c_str(), link.c_str()), 0);
    TTolvVCF vcf(link);
    EXPECT_EQ(vcf.GetValue("FN"), "");  // read as a missing file
    vcf.SetValue("NOTE", "edited");
    EXPECT_THROW(vcf.Save(), EFileError);
    EXPECT_EQ(ReadFileText(outside), "BEGIN:vcard\r\nFN:Secret\r\nEND:vcard\r\n");

    // Cut to the bound and saved, a larger file would lose its tail: it does not load at all.
    const std::string big = dir.Write("Contacts/big.vcf", std::string(kOrganiserFileLimit + 1, 'x'));
    EXPECT_THROW(TTolvVCF{big}, EFileError);
}

// ---------------------------------------------------------------------------------------------
// Events

TEST(EventFile, NewEventHasTheFrameAndReverseKeyOrder) {
    TempDir dir;
    const std::string path = dir / "e.ics";
    {
        TTolvVCal cal(path);
        EXPECT_EQ(cal.Lines(),
                  (Lines{"BEGIN:vcalender", "VERSION:2.0", "BEGIN:vevent", "END:vevent", "END:vcalender"}));
        TIpodVCal e;
        e.Flag = 7;
        e.Summary = "会議";
        e.DtStart = "20070301T090000";
        e.DtEnd = "20070301T100000";
        e.DAlarm = "";
        e.Categories = "仕事";
        e.Priority = "3";
        e.Class = "PUBLIC";
        e.Description = "第一会議室";
        cal.WriteEvent(e);
        cal.Save();
    }
    EXPECT_EQ(ReadFileText(path), Crlf({"BEGIN:vcalender", "VERSION:2.0", "BEGIN:vevent", "DESCRIPTION:第一会議室",
                                        "CLASS:PUBLIC", "PRIORITY:3", "CATEGORIES:仕事", "DTEND:20070301T100000",
                                        "DTSTART:20070301T090000", "SUMMARY:会議", "END:vevent", "END:vcalender"}));
    TTolvVCal back(path);
    TIpodVCal r;
    r.Flag = 9;
    back.ReadEvent(r);
    EXPECT_EQ(r.Flag, 0);
    EXPECT_EQ(r.Summary, "会議");
    EXPECT_EQ(r.DAlarm, "");
    EXPECT_EQ(r.Description, "第一会議室");
}

TEST(EventFile, VcalendarSpellingFailsTheRuleButStillReads) {
    TempDir dir;
    const std::string text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nsummary : Meeting\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    const std::string path = dir.Write("e.ics", text);
    {
        TTolvVCal cal(path);
        EXPECT_TRUE(cal.IsInvalid());
        EXPECT_EQ(cal.InvalidMarker(), "不正なVCARD Calenderファイルです");
        EXPECT_EQ(cal.GetValue("SUMMARY"), " Meeting");
        cal.Save();
    }
    EXPECT_EQ(ReadFileText(path), text) << "the marker is never written into the file";
}

TEST(EventFile, BlankValueDeletesAndMissingBlockInsertsAtTop) {
    TempDir dir;
    const std::string path =
        dir.Write("e.ics", "BEGIN:vcalender\nVERSION:2.0\nDESCRIPTION:x\nDTEND:1\nEND:vcalender\n");
    TTolvVCal cal(path);
    EXPECT_FALSE(cal.IsInvalid()) << "END is not examined";
    EXPECT_EQ(cal.SetValue("DESCRIPTION", ""), -1);
    EXPECT_EQ(cal.IndexOfKeyValue("DESCRIPTION", ""), -1);
    EXPECT_EQ(cal.SetValue("SUMMARY", "new"), 0) << "no begin:vevent line: insert at the top";
    EXPECT_EQ(cal.SetValue("dtend", "2"), 3);
    EXPECT_EQ(cal.Lines(), (Lines{"SUMMARY:new", "BEGIN:vcalender", "VERSION:2.0", "dtend:2", "END:vcalender"}));
}

TEST(EventFile, IndexOfKeyValueComparesTrimmedWithoutCase) {
    TempDir dir;
    const std::string path =
        dir.Write("e.ics", "BEGIN:vcalender\r\nVERSION:2.0\r\n Begin : VEVENT \r\nEND:vevent\r\nEND:vcalender\r\n");
    TTolvVCal cal(path);
    EXPECT_EQ(cal.IndexOfKeyValue("begin", ""), 0);
    EXPECT_EQ(cal.IndexOfKeyValue("begin", "vevent"), 2);
    EXPECT_EQ(cal.IndexOfKeyValue("begin", "vtodo"), -1);
    EXPECT_EQ(cal.IndexOfKeyValue("end", "VCALENDER "), 4);
}

TEST(EventFile, ValueThatIsNotUtf8ReadsEmpty) {
    TempDir dir;
    const std::string path = dir.Write(
        "e.ics", "BEGIN:vcalender\r\nVERSION:2.0\r\nBEGIN:vevent\r\nSUMMARY:" + encoding::Utf8ToCp932("会議") +
                     "\r\nCLASS:PUBLIC\r\nEND:vevent\r\nEND:vcalender\r\n");
    TTolvVCal cal(path);
    EXPECT_EQ(cal.GetValue("SUMMARY"), "");
    EXPECT_EQ(cal.GetValue("CLASS"), "PUBLIC");
    // An untouched line keeps its bytes on saving.
    cal.SetValue("CLASS", "PRIVATE");
    cal.Save();
    EXPECT_NE(ReadFileText(path).find(encoding::Utf8ToCp932("会議")), std::string::npos);
}

TEST(EventFile, ChangingAnExistingFileKeepsEveryOtherLine) {
    TempDir dir;
    const std::string path =
        dir.Write("e.ics",
                  "BEGIN:vcalender\r\nVERSION:2.0\r\nX-COMMENT:keep me\r\nBEGIN:vevent\r\nSUMMARY:old\r\n"
                  "DTSTART:20070301T090000\r\nEND:vevent\r\nEND:vcalender\r\n");
    {
        TTolvVCal cal(path);
        TIpodVCal e;
        cal.ReadEvent(e);
        e.Summary = "new";
        e.Description = "説明";
        cal.WriteEvent(e);
        cal.Save();
    }
    EXPECT_EQ(ReadFileText(path),
              Crlf({"BEGIN:vcalender", "VERSION:2.0", "X-COMMENT:keep me", "BEGIN:vevent", "DESCRIPTION:説明",
                    "SUMMARY:new", "DTSTART:20070301T090000", "END:vevent", "END:vcalender"}));
}

TEST(EventFile, MalformedLinesNeverMatch) {
    TempDir dir;
    using namespace std::string_literals;
    const std::string bytes = "no colon here\r\n\x00\x01\xff:bin\r\n:empty key\r\nSUMMARY\r\n\0"s;
    TTolvVCal cal(dir.Write("e.ics", bytes));
    EXPECT_TRUE(cal.IsInvalid());
    EXPECT_EQ(cal.GetValue("SUMMARY"), "");
    EXPECT_EQ(cal.GetValue(""), "empty key");
    EXPECT_EQ(cal.GetValue("no colon here"), "");
}

// ---------------------------------------------------------------------------------------------
// To-do items

TEST(TodoFile, DueGoesToBothDatesAndIsReadFromTheEnd) {
    TempDir dir;
    const std::string path = dir / "t.ics";
    {
        TTolvVTodo todo(path);
        EXPECT_EQ(todo.Lines(), (Lines{"BEGIN:vcalender", "VERSION:2.0", "BEGIN:vtodo", "END:vtodo", "END:vcalender"}));
        todo.WriteTask({"牛乳を買う", "20070301T090000", "2本"});
        todo.Save();
    }
    EXPECT_EQ(ReadFileText(path),
              Crlf({"BEGIN:vcalender", "VERSION:2.0", "BEGIN:vtodo", "DESCRIPTION:2本", "DTEND:20070301T090000",
                    "DTSTART:20070301T090000", "SUMMARY:牛乳を買う", "END:vtodo", "END:vcalender"}));
    TTolvVTodo back(path);
    // The editor reads the due date from DTEND only.
    back.SetValue("DTSTART", "20990101T000000");
    TVTodoObj t;
    back.ReadTask(t);
    EXPECT_EQ(t.Due, "20070301T090000");
    EXPECT_EQ(t.Summary, "牛乳を買う");
    EXPECT_EQ(back.IndexOfKeyValue("begin", "vevent"), -1);
    EXPECT_EQ(back.IndexOfKeyValue("begin", "vtodo"), 2);
}

TEST(TodoFile, InvalidUtf8FromTheCallerStillReadsBack) {
    TempDir dir;
    TTolvVTodo todo(dir / "t.ics");
    todo.SetValue("SUMMARY", std::string("ab\xff"
                                         "c"));
    EXPECT_TRUE(encoding::IsValidUtf8(todo.Lines()[3]));
    EXPECT_EQ(todo.GetValue("SUMMARY"),
              "ab\xEF\xBF\xBD"
              "c");
}

}  // namespace
