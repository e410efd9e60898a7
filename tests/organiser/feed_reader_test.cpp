#include "organiser/feed_reader.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "tests/support/feed_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using feed_writer::Bytes;

TXMLReader ParseText(const std::string& text) {
    TXMLReader reader;
    reader.SetText(text);
    reader.Parse();
    return reader;
}

feed_writer::Channel NewsChannel() {
    feed_writer::Channel c;
    c.title = "日本のニュース";
    c.author = "編集部";
    c.link = "http://news.example.jp/";
    c.description = "毎日のニュース";
    c.date = "2007-03-01T09:00:00+09:00";
    c.items.push_back({"一つ目の記事", "http://news.example.jp/1", "本文その一", "2007-03-01T08:00:00+09:00", {}});
    c.items.push_back({"二つ目の記事", "http://news.example.jp/2", "本文その二", "", {}});
    return c;
}

TEST(FeedReader, TagNames) {
    EXPECT_EQ(TXMLReader::GetTagName("<item>"), "item");
    EXPECT_EQ(TXMLReader::GetTagName("</item>"), "item");
    EXPECT_EQ(TXMLReader::GetTagName("  <enclosure url=\"x\"/>"), "enclosure ");
    EXPECT_EQ(TXMLReader::GetTagName("</dc:date >"), "dc:date ");
    EXPECT_EQ(TXMLReader::GetTagName("<?xml version=\"1.0\"?>"), "?xml ");
    EXPECT_EQ(TXMLReader::GetTagName("<ab"), "a") << "the last character is taken as the closing bracket";
    EXPECT_EQ(TXMLReader::GetTagName("<a"), "");
    EXPECT_EQ(TXMLReader::GetTagName("<>"), "");
    EXPECT_EQ(TXMLReader::GetTagName("</>"), "");
    EXPECT_EQ(TXMLReader::GetTagName("item"), "");
    EXPECT_EQ(TXMLReader::GetTagName(""), "");
}

TEST(FeedReader, RdfItemsCarryTheChannel) {
    const auto reader = ParseText(feed_writer::Rdf(NewsChannel(), "UTF-8"));
    EXPECT_EQ(reader.FChannelTitle, "日本のニュース");
    EXPECT_EQ(reader.FChannelAuthor, "編集部");
    EXPECT_EQ(reader.FChannelLink, "http://news.example.jp/");
    EXPECT_EQ(reader.FChannelDescription, "毎日のニュース");
    EXPECT_EQ(reader.FChannelDate, "2007-03-01T09:00:00+09:00");
    ASSERT_EQ(reader.Count(), 2);
    EXPECT_EQ(reader.GetItem(0)->Title, "一つ目の記事");
    EXPECT_EQ(reader.GetItem(0)->Date, "2007-03-01T08:00:00+09:00");
    EXPECT_EQ(reader.GetItem(1)->Link, "http://news.example.jp/2");
    EXPECT_EQ(reader.GetItem(1)->Description, "本文その二");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(reader.GetItem(i)->Author, "編集部");
        EXPECT_EQ(reader.GetItem(i)->ChannelTitle, "日本のニュース");
    }
    EXPECT_EQ(reader.GetItem(2), nullptr);
    EXPECT_EQ(reader.GetItem(-1), nullptr);
}

TEST(FeedReader, Rss2ChannelAuthorAndLaterFieldsWin) {
    const auto reader = ParseText(feed_writer::Rss2(NewsChannel(), "UTF-8"));
    EXPECT_EQ(reader.FChannelAuthor, "編集部") << "managingEditor";
    ASSERT_EQ(reader.Count(), 2);

    const auto both = ParseText(
        "<rss><channel><dc:publisher>First</dc:publisher><author>Second</author>"
        "<image><title>Logo</title></image>"
        "<item><title>A</title></item><title>After</title><webMaster>W</webMaster></channel></rss>");
    EXPECT_EQ(both.FChannelAuthor, "Second");
    EXPECT_EQ(both.FChannelTitle, "Logo") << "an image title before the first item replaces it";
    ASSERT_EQ(both.Count(), 1);
    EXPECT_EQ(both.GetItem(0)->ChannelTitle, "Logo");
    EXPECT_EQ(both.GetItem(0)->Author, "Second");
}

TEST(FeedReader, ItemBeforeChannelTitleHasNoChannelTitle) {
    const auto reader = ParseText("<rss><channel><item><title>x</title></item><title>Late</title></channel></rss>");
    ASSERT_EQ(reader.Count(), 1);
    EXPECT_EQ(reader.GetItem(0)->ChannelTitle, "");
    EXPECT_EQ(reader.FChannelTitle, "") << "after the first item the place is outside the channel";
}

TEST(FeedReader, Enclosures) {
    feed_writer::Channel c = NewsChannel();
    c.items.clear();
    c.items.push_back({"mp3", "l", "d", "", {{"http://cast.example.com/ep/show%201.mp3?x=1", "audio/mpeg", "12345"}}});
    c.items.push_back(
        {"bin", "l", "d", "", {{"http://cast.example.com/a/b/ep2.m4a", "application/octet-stream", "99"}}});
    c.items.push_back({"m4a", "l", "d", "", {{"http://cast.example.com/ep3.m4a", "audio/x-m4a", "77"}}});
    c.items.push_back({"both",
                       "l",
                       "d",
                       "",
                       {{"http://cast.example.com/cover.jpg", "image/jpeg", "5"},
                        {"http://cast.example.com/ep4.mp4", "video/mp4", "abc"}}});
    c.items.push_back({"two",
                       "l",
                       "d",
                       "",
                       {{"http://x/first.mp3", "audio/mpeg", "1"}, {"http://x/second.mov", "video/quicktime", "2"}}});
    const auto reader = ParseText(feed_writer::Rss2(c, "UTF-8"));
    ASSERT_EQ(reader.Count(), 5);
    const auto* mp3 = reader.GetItem(0);
    EXPECT_EQ(mp3->EnclosureURL, "http://cast.example.com/ep/show%201.mp3?x=1");
    EXPECT_EQ(mp3->FileName, "show 1.mp3");
    EXPECT_EQ(mp3->LengthText, "12345");
    EXPECT_EQ(mp3->Length, 12345);
    EXPECT_EQ(reader.GetItem(1)->FileName, "ep2.m4a");
    EXPECT_EQ(reader.GetItem(1)->Length, 99);
    EXPECT_EQ(reader.GetItem(2)->EnclosureURL, "");
    EXPECT_EQ(reader.GetItem(2)->Length, 0);
    EXPECT_EQ(reader.GetItem(3)->ImageURL, "http://cast.example.com/cover.jpg");
    EXPECT_EQ(reader.GetItem(3)->EnclosureURL, "http://cast.example.com/ep4.mp4");
    EXPECT_EQ(reader.GetItem(3)->LengthText, "abc");
    EXPECT_EQ(reader.GetItem(3)->Length, 0);
    EXPECT_EQ(reader.GetItem(4)->FileName, "second.mov") << "a later enclosure replaces the earlier";
    EXPECT_EQ(reader.TotalLength(), 12345 + 99 + 2);

    // The type is compared exactly.
    const auto upper = ParseText("<item><enclosure url=\"http://x/a.mp3\" type=\"Audio/MPEG\" length=\"3\"/></item>");
    ASSERT_EQ(upper.Count(), 1);
    EXPECT_EQ(upper.GetItem(0)->EnclosureURL, "");
}

TEST(FeedReader, EnclosureFileNamesLeaveQueryAndFragmentAndDecodeEscapes) {
    EXPECT_EQ(EnclosureFileName("https://cdn.example.com/a/ep1.mp3?updated=1700000000"), "ep1.mp3");
    EXPECT_EQ(EnclosureFileName("https://x/ep2.mp3#t=30"), "ep2.mp3");
    EXPECT_EQ(EnclosureFileName("https://x/ep3.mp3?u=http://y/z.mp3"), "ep3.mp3");
    EXPECT_EQ(EnclosureFileName("https://x/%E7%95%AA%E7%B5%84.mp3"), "番組.mp3");
    EXPECT_EQ(EnclosureFileName("https://x/a%2Fb%zz%4.mp3"), "a/b%zz%4.mp3");
    EXPECT_EQ(EnclosureFileName("https://x/bad%FF.mp3"), "bad\xEF\xBF\xBD.mp3");
    EXPECT_EQ(EnclosureFileName("https://x/dir/"), "");
}

TEST(FeedReader, CdataIsTheWholeTextAndEmptyFieldsWaitForTheNextText) {
    const auto reader = ParseText(
        "<rss><channel><title>C</title>"
        "<item><title></title><description><![CDATA[<p>Hello <b>there</b></p>]]></description>"
        "<link>http://l/</link></item>"
        "<item><title><![CDATA[Episode 1: Q&A <live>]]></title>"
        "<description>\r\n  <![CDATA[No markup at all]]>\r\n</description></item>"
        "<item><title><![CDATA[CDATA title with <b>markup</b> & ampersand]]></title>"
        "<description><![CDATA[<item><title>not an item</title></item> &amp; as written]]></description>"
        "</item></channel></rss>");
    ASSERT_EQ(reader.Count(), 3);
    // The description tag replaces the pending empty title.
    EXPECT_EQ(reader.GetItem(0)->Title, "");
    EXPECT_EQ(reader.GetItem(0)->Description, "<p>Hello <b>there</b></p>");
    EXPECT_EQ(reader.GetItem(0)->Link, "http://l/");
    EXPECT_EQ(reader.GetItem(1)->Title, "Episode 1: Q&A <live>");
    EXPECT_EQ(reader.GetItem(1)->Description, "No markup at all");
    EXPECT_EQ(reader.GetItem(2)->Title, "CDATA title with <b>markup</b> & ampersand");
    EXPECT_EQ(reader.GetItem(2)->Description, "<item><title>not an item</title></item> &amp; as written")
        << "markup in a CDATA section is no tag of the feed, and no reference is decoded in it";

    const auto after = ParseText("<item><link></link></item><x>filled later</x>");
    ASSERT_EQ(after.Count(), 1);
    EXPECT_EQ(after.GetItem(0)->Link, "filled later");
}

TEST(FeedReader, ReferencesAreDecodedOnceInTextAndAttributes) {
    const auto reader = ParseText(
        "<rss><channel><title>Tom &amp; Jerry&#x2019;s Show</title>"
        "<item><title>&#12354;&#x3044; &amp;amp; &lt;b&gt; &quot;&apos; &unknown; AT&T &#0; &#xD800;</title>"
        "<enclosure url=\"http://cdn.example.com/ep1.mp3?token=abc&amp;sig=def\" length=\"2&#48;\" "
        "type=\"audio/mpeg\"/><enclosure url=\"http://x/c.jpg?a=1&amp;b=2\" type=\"image/jpeg\"/></item>"
        "</channel></rss>");
    EXPECT_EQ(reader.FChannelTitle, "Tom & Jerry\u2019s Show");
    ASSERT_EQ(reader.Count(), 1);
    const auto* item = reader.GetItem(0);
    EXPECT_EQ(item->ChannelTitle, "Tom & Jerry\u2019s Show");
    EXPECT_EQ(item->Title, "あい &amp; <b> \"' &unknown; AT&T &#0; &#xD800;")
        << "decoded once; what is no reference stays as written";
    EXPECT_EQ(item->EnclosureURL, "http://cdn.example.com/ep1.mp3?token=abc&sig=def");
    EXPECT_EQ(item->Length, 20);
    EXPECT_EQ(item->ImageURL, "http://x/c.jpg?a=1&b=2");
}

TEST(FeedReader, SingleQuotedEnclosureIsTaken) {
    const auto reader = ParseText(
        "<item><enclosure url='http://x/ep\"1\".mp3' length='2000' type='audio/mpeg'/></item>"
        "<item><enclosure type=\"audio/mpeg\" url='http://x/it&apos;s.mp3'/></item>");
    ASSERT_EQ(reader.Count(), 2);
    EXPECT_EQ(reader.GetItem(0)->EnclosureURL, "http://x/ep\"1\".mp3");
    EXPECT_EQ(reader.GetItem(0)->Length, 2000);
    EXPECT_EQ(reader.GetItem(1)->EnclosureURL, "http://x/it's.mp3");
}

TEST(FeedReader, MalformedFeedsGiveWhatWasComplete) {
    EXPECT_EQ(ParseText("").Count(), 0);
    EXPECT_EQ(ParseText("no tags at all").Count(), 0);
    EXPECT_EQ(ParseText("<rss><channel><title>x</title></channel></rss>").Count(), 0);
    // An item still open at the end is dropped; an unterminated tag ends the walk.
    EXPECT_EQ(ParseText("<item><title>a</title></item><item><title>b</title>").Count(), 1);
    const auto cut = ParseText("<item><title>a</title></item><item><title>b</title></item  <item>x</item>");
    EXPECT_EQ(cut.Count(), 2);
    const auto unclosed = ParseText("<item><title>a</title></item><item><title>b<");
    EXPECT_EQ(unclosed.Count(), 1);
    const auto bare = ParseText("<item><enclosure url=http://x/a.mp3 type=audio/mpeg length=5></item>");
    ASSERT_EQ(bare.Count(), 1);
    EXPECT_EQ(bare.GetItem(0)->EnclosureURL, "") << "an unquoted value runs on, so the type is no known one";
    const auto big = ParseText(std::string(100 * 1024 * 1024, 'x'));
    EXPECT_EQ(big.Count(), 0);
}

TEST(FeedReader, NumbersAndTotals) {
    EXPECT_EQ(ParseInt32("42", 0), 42);
    EXPECT_EQ(ParseInt32("  -7", 0), -7);
    EXPECT_EQ(ParseInt32("2147483647", 0), 2147483647);
    EXPECT_EQ(ParseInt32("2147483648", 0), 0);
    EXPECT_EQ(ParseInt32("-2147483648", 0), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ParseInt32("12 ", 0), 0);
    EXPECT_EQ(ParseInt32("", 5), 5);
    EXPECT_EQ(ParseInt32("-", 5), 5);
    EXPECT_EQ(ParseInt32("99999999999999999999999", 5), 5);

    EXPECT_EQ(TXMLReader().TotalLength(), 0);
    std::string feed;
    for (int i = 0; i < 3; ++i) {
        feed += "<item><enclosure url=\"http://x/a.mp3\" length=\"2000000000\" type=\"audio/mpeg\"/></item>";
    }
    EXPECT_EQ(ParseText(feed).TotalLength(), std::numeric_limits<int32_t>::max())
        << "a size beyond 32 bits stays at the largest value instead of turning negative";
}

// ---------------------------------------------------------------------------------------------
// Loading a feed file in its declared encoding

class FeedFileTest : public ::testing::Test {
protected:
    TXMLReader Load(const std::string& bytes) {
        TXMLReader reader;
        reader.LoadFromFile(dir_.Write("feed.rss", bytes));
        reader.Parse();
        return reader;
    }
    TempDir dir_;
};

TEST_F(FeedFileTest, DeclaredEncodings) {
    const auto channel = NewsChannel();
    const struct {
        const char* declared;
        Bytes bytes;
    } cases[] = {
        {"UTF-8", Bytes::Utf8},
        {"utf8", Bytes::Utf8},
        {"Shift_JIS", Bytes::ShiftJis},
        {"SJIS", Bytes::ShiftJis},
        {"EUC-JP", Bytes::EucJp},
        {"euc_jp", Bytes::EucJp},
        {"ISO-2022-JP", Bytes::Iso2022Jp},
        {"", Bytes::Iso2022Jp},
        {"", Bytes::Utf8},
        {"", Bytes::ShiftJis},
        {"", Bytes::Utf16LeBom},
        {"", Bytes::Utf16BeBom},
        {"UTF-16", Bytes::Utf16LeBom},
        {"windows-1252", Bytes::EucJp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.declared) + " " + std::to_string(static_cast<int>(c.bytes)));
        const auto reader = Load(feed_writer::Encode(feed_writer::Rss2(channel, c.declared), c.bytes));
        EXPECT_EQ(reader.FChannelTitle, "日本のニュース");
        ASSERT_EQ(reader.Count(), 2);
        EXPECT_EQ(reader.GetItem(1)->Title, "二つ目の記事");
        EXPECT_EQ(reader.GetItem(0)->Description, "本文その一");
    }
}

TEST_F(FeedFileTest, FindXmlDeclarationSearchesTheWholeDocument) {
    TXMLReader reader;
    reader.SetText("<!-- a comment --><rss><?xml version=\"1.0\" encoding=\"EUC-JP\"?></rss>");
    EXPECT_EQ(reader.FindXmlDeclaration(), TDocEncoding::EucJp);
    reader.SetText("<rss></rss>");
    EXPECT_EQ(reader.FindXmlDeclaration(), TDocEncoding::NotKnown);
    reader.SetText("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>");
    EXPECT_EQ(reader.FindXmlDeclaration(), TDocEncoding::NotKnown);
    reader.SetText("<?XML ENCODING=\"Shift-JIS\"?>");
    EXPECT_EQ(reader.FindXmlDeclaration(), TDocEncoding::ShiftJis);
    reader.SetText("<?xml encoding=\"jis\"?>");
    EXPECT_EQ(reader.FindXmlDeclaration(), TDocEncoding::Jis);
}

TEST_F(FeedFileTest, AsciiFeedStaysAsItIsAndTheCursorStartsAtTheTop) {
    const std::string text = "<rss><channel><title>Plain</title><item><title>A&amp;B</title></item></channel></rss>";
    TXMLReader reader;
    reader.LoadFromFile(dir_.Write("a.rss", text));
    EXPECT_EQ(reader.FCursor, 0u);
    EXPECT_EQ(reader.FSource, text + "\r\n");
    reader.Parse();
    ASSERT_EQ(reader.Count(), 1);
    EXPECT_EQ(reader.GetItem(0)->Title, "A&B") << "the source keeps the reference, the value is decoded";
}

TEST_F(FeedFileTest, DeclaredUtf8WithBrokenBytesGivesValidText) {
    const auto reader = Load(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><rss><channel><title>a\xff\xfe"
        "b</title></channel></rss>");
    EXPECT_TRUE(encoding::IsValidUtf8(reader.FChannelTitle));
    EXPECT_EQ(reader.FChannelTitle.front(), 'a');
    EXPECT_EQ(reader.FChannelTitle.back(), 'b');
}

TEST_F(FeedFileTest, MissingFileRaises) {
    TXMLReader reader;
    EXPECT_THROW(reader.LoadFromFile(dir_ / "missing.rss"), EFileError);
}

}  // namespace
