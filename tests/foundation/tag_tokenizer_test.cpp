#include "foundation/tag_tokenizer.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Token = std::pair<TTokenKind, std::string>;

std::vector<Token> Tokens(const std::string& text) {
    TTokenReader reader;
    reader.SetText(text);
    std::vector<Token> out;
    for (int guard = 0; guard < 1000; ++guard) {
        reader.NextToken();
        out.emplace_back(reader.FKind, reader.FToken);
        if (reader.FKind == TTokenKind::End) break;
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> Items(const TTagAnalysis& tag) {
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < tag.Count(); ++i) out.emplace_back(tag.GetItem(i)->FName, tag.GetItem(i)->FValue);
    return out;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

}  // namespace

TEST(TokenReader, BlankRunsBetweenTagsAreNoTokens) {
    EXPECT_EQ(Tokens("  \r\n<a>x</a> \t\n "), (std::vector<Token>{{TTokenKind::StartTag, "<a>"},
                                                                  {TTokenKind::Text, "x"},
                                                                  {TTokenKind::EndTag, "</a>"},
                                                                  {TTokenKind::End, ""}}));
    // A text run that is not blank keeps its blanks.
    EXPECT_EQ(Tokens("<p> a b </p>")[1], (Token{TTokenKind::Text, " a b "}));
}

TEST(TokenReader, UnclosedTagEndsTheStream) {
    TTokenReader reader;
    reader.SetText(" text <b attr");
    reader.NextToken();
    EXPECT_EQ(reader.FKind, TTokenKind::Text);
    EXPECT_EQ(reader.FToken, " text ");
    EXPECT_EQ(reader.FCursor, 6u);
    reader.NextToken();
    EXPECT_EQ(reader.FKind, TTokenKind::End);
    EXPECT_EQ(reader.FToken, "");
    EXPECT_EQ(reader.FCursor, reader.FSource.size());
    // Reading on past the end stays at the end.
    reader.NextToken();
    EXPECT_EQ(reader.FKind, TTokenKind::End);
    // An unclosed end tag, and a lone "<" as the last byte, end it too.
    EXPECT_EQ(Tokens("x</"), (std::vector<Token>{{TTokenKind::Text, "x"}, {TTokenKind::End, ""}}));
    EXPECT_EQ(Tokens("<"), (std::vector<Token>{{TTokenKind::End, ""}}));
}

TEST(TokenReader, CommentsDeclarationsAndQuotedBracketsAreNotSpecial) {
    EXPECT_EQ(Tokens("<?xml version=\"1.0\"?>")[0], (Token{TTokenKind::StartTag, "<?xml version=\"1.0\"?>"}));
    auto tokens = Tokens("<!-- a > b --><x a=\"1>2\">&amp;");
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[0], (Token{TTokenKind::StartTag, "<!-- a >"}));
    EXPECT_EQ(tokens[1], (Token{TTokenKind::Text, " b -->"}));
    EXPECT_EQ(tokens[2], (Token{TTokenKind::StartTag, "<x a=\"1>"}));
    EXPECT_EQ(tokens[3], (Token{TTokenKind::Text, "2\">&amp;"}));  // no entities decoded
    EXPECT_EQ(tokens[4], (Token{TTokenKind::End, ""}));
}

TEST(TokenReader, CDataSectionIsOneTextTokenOfItsContent) {
    TTokenReader reader;
    reader.SetText("<t><![CDATA[a <b>&amp; ]] > c]]>after<![CDATA[  ]]><![CDATA[x]]>");
    std::vector<std::pair<Token, bool>> out;
    for (reader.NextToken(); reader.FKind != TTokenKind::End; reader.NextToken())
        out.push_back({{reader.FKind, reader.FToken}, reader.FCData});
    EXPECT_EQ(out, (std::vector<std::pair<Token, bool>>{{{TTokenKind::StartTag, "<t>"}, false},
                                                        {{TTokenKind::Text, "a <b>&amp; ]] > c"}, true},
                                                        {{TTokenKind::Text, "after"}, false},
                                                        {{TTokenKind::Text, "x"}, true}}))
        << "a blank section is no token, as a blank run is none";
    // An unclosed section ends the stream, as an unclosed tag does.
    EXPECT_EQ(Tokens("x<![CDATA[<a>"), (std::vector<Token>{{TTokenKind::Text, "x"}, {TTokenKind::End, ""}}));
}

TEST(TokenReader, EmptyAndEdgeTags) {
    EXPECT_EQ(Tokens("<></>"),
              (std::vector<Token>{{TTokenKind::StartTag, "<>"}, {TTokenKind::EndTag, "</>"}, {TTokenKind::End, ""}}));
    EXPECT_EQ(Tokens(""), (std::vector<Token>{{TTokenKind::End, ""}}));
    // UTF-8 text passes through byte for byte.
    EXPECT_EQ(Tokens("<t>日本語</t>")[1], (Token{TTokenKind::Text, "日本語"}));
    // SetText starts over.
    TTokenReader reader;
    reader.SetText("<a>");
    reader.NextToken();
    reader.SetText("b");
    reader.NextToken();
    EXPECT_EQ(reader.FToken, "b");
}

TEST(TagAnalysis, XmlDeclaration) {
    TTagAnalysis tag;
    tag.Analyze("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>");
    EXPECT_EQ(tag.FTagName, "?xml");
    EXPECT_EQ(Items(tag), (Pairs{{"version", "1.0"}, {"encoding", "Shift_JIS"}}));
    EXPECT_EQ(tag.GetValue("ENCODING"), "Shift_JIS");
    EXPECT_EQ(tag.GetValue("standalone"), "");
}

TEST(TagAnalysis, MetaCharsetBecomesItsOwnAttribute) {
    TTagAnalysis tag;
    tag.Analyze("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
    EXPECT_EQ(tag.FTagName, "meta");
    EXPECT_EQ(Items(tag), (Pairs{{"http-equiv", "Content-Type"}, {"content", "text/html;"}, {"charset", "Shift_JIS"}}));
}

TEST(TagAnalysis, EnclosureAndBlankInsideQuotes) {
    TTagAnalysis tag;
    tag.Analyze("<enclosure url=\"http://x/a.mp3\" length=\"123\" type=\"audio/mpeg\" />");
    EXPECT_EQ(tag.FTagName, "enclosure");
    EXPECT_EQ(Items(tag), (Pairs{{"url", "http://x/a.mp3"}, {"length", "123"}, {"type", "audio/mpeg"}}));
    tag.Analyze("<enclosure url=\"http://x/my file.mp3\" length=\"5\">");
    EXPECT_EQ(tag.GetValue("url"), "http://x/my");
    // The rest of the cut value becomes part of the next attribute's name.
    ASSERT_EQ(tag.Count(), 2);
    EXPECT_EQ(tag.GetItem(1)->FName, "file.mp3\" length");
    EXPECT_EQ(tag.GetItem(1)->FValue, "5");
}

TEST(TagAnalysis, TagWithoutBlankHasNoNameAndNoAttributes) {
    TTagAnalysis tag;
    tag.Analyze("<item>");
    EXPECT_EQ(tag.FTagName, "");
    EXPECT_EQ(tag.Count(), 0);
    EXPECT_EQ(tag.GetItem(0), nullptr);
    EXPECT_EQ(tag.GetItem(-1), nullptr);
    // Without a blank the whole text is attribute text.
    tag.Analyze("<a=\"b\">");
    EXPECT_EQ(tag.FTagName, "");
    EXPECT_EQ(Items(tag), (Pairs{{"a", "b"}}));
}

TEST(TagAnalysis, LaterAttributeOfTheSameNameWins) {
    TTagAnalysis tag;
    tag.Analyze("<a HREF=\"one\" href=\"two\">");
    EXPECT_EQ(tag.GetValue("Href"), "two");
    EXPECT_EQ(tag.Count(), 2);
}

TEST(TagAnalysis, SingleQuotedValues) {
    TTagAnalysis tag;
    tag.Analyze("<enclosure url='http://x/a\"b.mp3' length='2000' type='audio/mpeg'/>");
    EXPECT_EQ(Items(tag), (Pairs{{"url", "http://x/a\"b.mp3"}, {"length", "2000"}, {"type", "audio/mpeg"}}));
    // An apostrophe inside double quotes or in an unquoted value is text.
    tag.Analyze("<a title=\"it's\" x=don't>");
    EXPECT_EQ(Items(tag), (Pairs{{"title", "it's"}, {"x", "don't"}}));
}

TEST(TagAnalysis, ScannerOddities) {
    TTagAnalysis tag;
    // A quoted value keeps its leading blanks.
    tag.Analyze("<a title=\" x\">");
    EXPECT_EQ(tag.GetValue("title"), " x");
    // ... but a second blank ends it, as any blank after a character does.
    tag.Analyze("<a title=\"  x\">");
    EXPECT_EQ(tag.GetValue("title"), " ");
    // An unquoted value runs on past blanks to the next quote, taking further names with it.
    tag.Analyze("<a x=1 y=2>");
    EXPECT_EQ(Items(tag), (Pairs{{"x", "1 y=2"}}));
    tag.Analyze("<a x=1 y=\"2\">");
    EXPECT_EQ(Items(tag), (Pairs{{"x", "1 y="}}));
    // An empty quoted value takes the text after it up to the next quote.
    tag.Analyze("<a x=\"\" y=\"2\">");
    EXPECT_EQ(Items(tag), (Pairs{{"x", " y="}}));
    // Stray characters between attributes become part of the next name.
    tag.Analyze("<a x=\"1\"/ y=\"2\">");
    EXPECT_EQ(Items(tag), (Pairs{{"x", "1"}, {"/ y", "2"}}));
    // A value that never gets a character stays empty; Analyze starts a fresh list.
    tag.Analyze("<a x=>");
    EXPECT_EQ(Items(tag), (Pairs{{"x", ""}}));
    // Brackets are optional, blanks around them are trimmed.
    tag.Analyze("  b  c=\"d\"  ");
    EXPECT_EQ(tag.FTagName, "b");
    EXPECT_EQ(Items(tag), (Pairs{{"c", "d"}}));
    tag.Analyze("< b c=\"d\" >");
    EXPECT_EQ(tag.FTagName, "b");
    EXPECT_EQ(Items(tag), (Pairs{{"c", "d"}}));
}
