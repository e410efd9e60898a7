#include "organiser/document_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "tests/support/feed_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using feed_writer::Bytes;
using Lines = std::vector<std::string>;

class DocumentReaderTest : public ::testing::Test {
protected:
    // Loads the bytes as a downloaded document and converts it.
    Lines Convert(const std::string& bytes, bool add_date = false, bool add_url = false) {
        THTMLReader reader;
        reader.FAddDate = add_date;
        reader.FAddURL = add_url;
        reader.LoadFromFile(dir_.Write("doc.RDF", bytes));
        kind_ = reader.FDocKind;
        reader.Convert();
        return reader.FLines.Lines();
    }
    // The lines of an HTML page with this body, in UTF-8 without a declaration.
    Lines Page(const std::string& body) { return Convert(feed_writer::Html("", body)); }

    TempDir dir_;
    TDocKind kind_ = TDocKind::Unknown;
};

feed_writer::Channel TwoItems() {
    feed_writer::Channel c;
    c.title = "ニュース";
    c.author = "編集部";
    c.link = "http://news.example.jp/";
    c.description = "今日の話題";
    c.date = "Thu, 01 Mar 2007 09:00:00 +0900";
    c.items.push_back({"一つ目", "http://news.example.jp/1", "本文一", "Thu, 01 Mar 2007 08:00:00 +0900", {}});
    c.items.push_back({"二つ目", "http://news.example.jp/2", "本文二", "", {}});
    return c;
}

const std::string kStars = "***********************";

TEST_F(DocumentReaderTest, FeedWithBothSwitchesOff) {
    const Lines lines = Convert(feed_writer::Rss2(TwoItems(), "UTF-8"));
    EXPECT_EQ(kind_, TDocKind::Feed);
    EXPECT_EQ(lines,
              (Lines{"ニュース", "編集部", "今日の話題", kStars, "【 一つ目】", "本文一", "【 二つ目】", "本文二"}));
}

TEST_F(DocumentReaderTest, FeedWithDatesAndLinks) {
    const Lines lines = Convert(feed_writer::Rdf(TwoItems(), "UTF-8"), true, true);
    EXPECT_EQ(lines, (Lines{"ニュース", "編集部", "今日の話題", "Date:Thu, 01 Mar 2007 09:00:00 +0900",
                            "Link:http://news.example.jp/", kStars, "【 一つ目】",
                            "Date:Thu, 01 Mar 2007 08:00:00 +0900", "Link:http://news.example.jp/1", "本文一",
                            "【 二つ目】", "Link:http://news.example.jp/2", "本文二"}));
}

TEST_F(DocumentReaderTest, EmptyChannelFieldsStillTakeTheirLines) {
    const Lines lines =
        Convert("<rss><channel><item><title>t</title><description>a\r\nb</description></item></channel></rss>");
    EXPECT_EQ(lines, (Lines{"", "", "", kStars, "【 t】", "a\r\nb"}))
        << "a description keeps its own line breaks until the splitter takes the lines";
}

TEST_F(DocumentReaderTest, FeedMarkupBecomesTextWithoutTags) {
    const Lines lines = Convert(
        "<rss><channel><title>Tom &amp; Jerry</title><description>&lt;p&gt;Chan&lt;/p&gt;</description>"
        "<item><title><![CDATA[Episode 1: Q&A <live>]]></title>"
        "<description>&lt;p&gt;First&lt;/p&gt;&lt;p&gt;Tom &amp;amp; Jerry&amp;nbsp;&lt;br/&gt;x &lt; "
        "y&lt;/p&gt;</description></item>"
        "<item><title>Two</title><description><![CDATA[<p>Hello <b>there</b></p>Q&A]]></description></item>"
        "</channel></rss>");
    EXPECT_EQ(lines, (Lines{"Tom & Jerry", "", "Chan", kStars, "【 Episode 1: Q&A <live>】",
                            "First\r\nTom & Jerry \r\nx < y", "【 Two】", "Hello there\r\nQ&A"}));
}

TEST_F(DocumentReaderTest, FeedsInEveryEncoding) {
    const struct {
        const char* declared;
        Bytes bytes;
    } cases[] = {
        {"UTF-8", Bytes::Utf8},
        {"", Bytes::Utf8},
        {"Shift_JIS", Bytes::ShiftJis},
        {"", Bytes::ShiftJis},
        {"EUC-JP", Bytes::EucJp},
        {"", Bytes::EucJp},
        {"ISO-2022-JP", Bytes::Iso2022Jp},
        {"", Bytes::Iso2022Jp},
        {"", Bytes::Utf16LeBom},
        {"UTF-16", Bytes::Utf16BeBom},
    };
    for (const auto& c : cases) {
        for (bool rdf : {false, true}) {
            SCOPED_TRACE(std::string(c.declared) + " " + std::to_string(static_cast<int>(c.bytes)) +
                         (rdf ? " rdf" : " rss"));
            const std::string doc =
                rdf ? feed_writer::Rdf(TwoItems(), c.declared) : feed_writer::Rss2(TwoItems(), c.declared);
            const Lines lines = Convert(feed_writer::Encode(doc, c.bytes));
            EXPECT_EQ(kind_, TDocKind::Feed);
            EXPECT_EQ(lines, (Lines{"ニュース", "編集部", "今日の話題", kStars, "【 一つ目】", "本文一", "【 二つ目】",
                                    "本文二"}));
        }
    }
}

TEST_F(DocumentReaderTest, PagesInEveryEncoding) {
    const std::string body = "<h1>日本語の見出し</h1><p>段落です</p>";
    const struct {
        const char* meta;
        Bytes bytes;
    } cases[] = {
        {"<meta charset=\"utf-8\">", Bytes::Utf8},
        {"", Bytes::Utf8},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shift-jis\">", Bytes::ShiftJis},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">", Bytes::EucJp},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-2022-jp\">", Bytes::Iso2022Jp},
        {"", Bytes::Iso2022Jp},
        {"<meta charset=\"utf-16\">", Bytes::Utf16LeBom},
        {"", Bytes::Utf16BeBom},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.meta) + " " + std::to_string(static_cast<int>(c.bytes)));
        const Lines lines = Convert(feed_writer::Encode(feed_writer::Html(c.meta, body), c.bytes));
        EXPECT_EQ(kind_, TDocKind::Page);
        // The page's own title sits in the head: a start tag inside the page takes its text.
        EXPECT_EQ(lines, (Lines{"page", "「日本語の見出し」", "段落です", ""}));
    }
}

TEST_F(DocumentReaderTest, EucJpHalfWidthKanaBeforeATagLoseNothing) {
    feed_writer::Channel c;
    c.title = "ｼﾝﾈﾝﾄﾞ";
    c.description = "説明";
    c.items.push_back({"ﾆｭｰｽﾞ", "", "ｶﾞｲﾄﾞ", "", {}});
    c.items.push_back({"二つ目", "", "本文", "", {}});
    EXPECT_EQ(Convert(feed_writer::Encode(feed_writer::Rss2(c, "EUC-JP"), Bytes::EucJp)),
              (Lines{"ｼﾝﾈﾝﾄﾞ", "", "説明", kStars, "【 ﾆｭｰｽﾞ】", "ｶﾞｲﾄﾞ", "【 二つ目】", "本文"}));
    const std::string page = feed_writer::Html(
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">", "<p>ｼﾝﾈﾝﾄﾞ</p><p>次の段落</p>");
    EXPECT_EQ(Convert(feed_writer::Encode(page, Bytes::EucJp)), (Lines{"page", "ｼﾝﾈﾝﾄﾞ", "", "次の段落", ""}));
}

TEST_F(DocumentReaderTest, FirstMetaAfterHtmlDecidesEvenWithoutCharset) {
    // Shift_JIS bytes; a later meta names utf-8, but the first one (no charset) decided: code 0,
    // so the string list's detection reads the bytes as Shift_JIS.
    const std::string page =
        feed_writer::Html("<meta name=\"author\" content=\"someone\">\r\n<meta charset=\"utf-8\">", "<p>日本の話</p>");
    EXPECT_EQ(Convert(feed_writer::Encode(page, Bytes::ShiftJis)), (Lines{"page", "日本の話", ""}));
}

TEST_F(DocumentReaderTest, ShiftJisWithUnderscoreIsLeftToDetection) {
    THTMLReader reader;
    EXPECT_EQ(
        THTMLReader::EncodingFromMeta("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"),
        TDocEncoding::NotKnown);
    EXPECT_EQ(THTMLReader::EncodingFromMeta("<meta charset=\"Shift-JIS\">"), TDocEncoding::ShiftJis);
    EXPECT_EQ(THTMLReader::EncodingFromMeta("<meta charset=\"utf8\">"), TDocEncoding::NotKnown);
    EXPECT_EQ(THTMLReader::EncodingFromMeta("<meta charset=\"JIS\">"), TDocEncoding::Jis);
    EXPECT_EQ(THTMLReader::EncodingFromXmlDecl("<?xml version=\"1.0\" encoding=\"UTF_8\"?>"), TDocEncoding::Utf8);
    EXPECT_EQ(THTMLReader::EncodingFromXmlDecl("<?xml version=\"1.0\" encoding=\"shift_jis\"?>"),
              TDocEncoding::ShiftJis);
    EXPECT_EQ(THTMLReader::EncodingFromXmlDecl("<?xml version=\"1.0\"?>"), TDocEncoding::NotKnown);
    // An EUC-JP page that calls itself Shift_JIS still reads right through detection.
    const std::string page = feed_writer::Html(
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">", "<p>漢字の本文</p>");
    EXPECT_EQ(Convert(feed_writer::Encode(page, Bytes::EucJp)), (Lines{"page", "漢字の本文", ""}));
}

TEST_F(DocumentReaderTest, DetectEncodingStopsWhenBothAreKnown) {
    THTMLReader reader;
    reader.SetText("<?xml version=\"1.0\" encoding=\"euc-jp\"?><rss><channel><meta charset=\"utf-8\"></channel></rss>");
    EXPECT_EQ(reader.DetectEncoding(), TDocEncoding::EucJp);
    EXPECT_EQ(reader.FDocKind, TDocKind::Feed);
    // Without a kind tag the whole document is read and the last encoding tag counts.
    THTMLReader none;
    none.SetText("<?xml encoding=\"euc-jp\"?><feed><meta charset=\"utf-8\"></feed>");
    EXPECT_EQ(none.DetectEncoding(), TDocEncoding::Utf8);
    EXPECT_EQ(none.FDocKind, TDocKind::Unknown);
}

TEST_F(DocumentReaderTest, HeadingParagraphAndInlineTags) {
    EXPECT_EQ(Page("<h1>Top</h1><p>One <b>two</b> three</p>"), (Lines{"page", "「Top」", "One", ""}));
}

TEST_F(DocumentReaderTest, ListsHeadingsAndBreaks) {
    EXPECT_EQ(Page("<ul><li>a</li><li>b</li></ul>"), (Lines{"page", "・a", "・b"}));
    EXPECT_EQ(Page("<h2>two</h2><h3>three</h3><h4>four</h4><li>free</li>"),
              (Lines{"page", "■two", "【three】", ">four", "・free"}));
    // A heading's mark is replaced by the plain mark when an inline tag comes first.
    EXPECT_EQ(Page("<h2><a href=\"x\"> linked </a></h2>"), (Lines{"page", "linked"}));
    // br adds an empty line anywhere, also outside the page.
    EXPECT_EQ(Convert("<br><html><body>text<br>after</body></html>"), (Lines{"", "text", "", "after"}));
}

TEST_F(DocumentReaderTest, PageReferencesAreDecoded) {
    EXPECT_EQ(Page("<h1>Q&amp;A&nbsp;&#x3042;&#12356;</h1><p>&lt;tag&gt; &quot;AT&T&quot; &amp;amp;</p>"),
              (Lines{"page", "「Q&A あい」", "<tag> \"AT&T\" &amp;", ""}));
}

TEST_F(DocumentReaderTest, TextKeepsItsBreaksAsLines) {
    EXPECT_EQ(Page("<div>  first\r\nsecond  </div>"), (Lines{"page", "first", "second"}));
    EXPECT_EQ(Page("<h1>a\nb</h1>"), (Lines{"page", "「a", "b」"}));
}

TEST_F(DocumentReaderTest, AtomFeedHasNoText) {
    const Lines lines =
        Convert("<?xml version=\"1.0\" encoding=\"utf-8\"?><feed><entry><title>x</title></entry></feed>");
    EXPECT_EQ(kind_, TDocKind::Unknown);
    EXPECT_TRUE(lines.empty());
}

TEST_F(DocumentReaderTest, MalformedDocuments) {
    EXPECT_TRUE(Convert("").empty());
    EXPECT_EQ(Convert("<html><p>open paragraph <li>item"), (Lines{"open paragraph"}));
    EXPECT_EQ(Convert("<html><h1>title</h1> text < never closed"), (Lines{"「title」"}));
    EXPECT_EQ(Convert("<html><p class=x id=y>unquoted</p></html>"), (Lines{"unquoted", ""}));
    EXPECT_EQ(Convert("<rss><item><title>t</title><enclosure url=x type=audio/mpeg length=1"),
              (Lines{"", "", "", kStars}));
    EXPECT_EQ(Convert(std::string("\x00\x01\xff\xfe<html>\x00</html>", 15)).size(), 0u);
    // Text without a tag (the token walk alone takes 100 MB in the feed reader's test).
    std::string big(24 * 1024 * 1024, 'a');
    EXPECT_TRUE(Convert(big).empty());
    EXPECT_EQ(kind_, TDocKind::Unknown);
}

TEST_F(DocumentReaderTest, MissingFileRaises) {
    THTMLReader reader;
    EXPECT_THROW(reader.LoadFromFile(dir_ / "missing.RDF"), EFileError);
}

TEST_F(DocumentReaderTest, LabeledLines) {
    THTMLReader reader;
    reader.AddLabeledLine("Date:", "  ", true);
    reader.AddLabeledLine("Date:", "x", false);
    reader.AddLabeledLine("Link:", " http://x ", true);
    EXPECT_EQ(reader.FLines.Lines(), (Lines{"Link: http://x "}));
}

}  // namespace

// A large page or feed is turned into text in steps small enough for the window to take a
// Cancel between them: the walk reports its place often, and a report that raises stops it.
TEST_F(DocumentReaderTest, ALongConversionReportsOftenAndStopsWhenAReportRaises) {
    std::string body;
    while (body.size() < (1u << 20)) body += "<p>ニュースの本文です。<b>太字</b>と<a href=\"x\">リンク</a>。</p>\n";
    feed_writer::Channel many;
    many.title = "多い";
    for (int i = 0; i < 5000; ++i) many.items.push_back({"見出し " + std::to_string(i), "http://x/" + std::to_string(i), "本文", "", {}});
    for (const std::string& bytes : {feed_writer::Html("", body), feed_writer::Rss2(many, "")}) {
        THTMLReader reader;
        reader.LoadFromFile(dir_.Write("doc.RDF", bytes));
        int32_t last = 0, widest = 0, calls = 0;
        reader.FOnProgress = [&](int32_t position, int32_t, const std::string&) {
            ++calls;
            widest = std::max(widest, position - last);
            last = position;
        };
        reader.Convert();
        EXPECT_GT(calls, 50);
        EXPECT_LT(widest, 64 * 1024) << "bytes walked between two reports";

        THTMLReader stopped;
        stopped.LoadFromFile(dir_.Write("doc.RDF", bytes));
        stopped.FOnProgress = [](int32_t, int32_t, const std::string&) { throw ETolvError("cancel"); };
        EXPECT_THROW(stopped.Convert(), ETolvError);
    }
}
