#include "organiser/document_reader.h"

#include <cctype>
#include <string_view>

#include "foundation/byte_reader.h"
#include "foundation/encoding.h"
#include "foundation/entities.h"
#include "organiser/feed_reader.h"

namespace {

const char* const kAsterisks = "***********************";  // 23

// How the first text after a marking tag becomes a line.
enum class Mark {
    Plain,            // trimmed, as it stands
    ItemTitle,        // 【title】
    ItemDescription,  // untrimmed
    Heading1,         // 「heading」
    Heading2,         // ■heading
    Heading3,         // 【heading】
    Heading4,         // >heading
    ListItem,         // ・item
};

// Tags after which a description's text goes on in a new line.
bool BreaksLine(std::string_view name) {
    static constexpr std::string_view kBlocks[] = {"p", "div", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6"};
    for (std::string_view block : kBlocks)
        if (name == block) return true;
    return false;
}

// A feed's description is HTML (escaped or in a CDATA section): its text without the tags, the
// references decoded, with a line break where a br tag or the end of a block stood.
std::string DescriptionText(std::string_view html) {
    std::string text;
    bool closes = true;  // whether a ">" is still ahead: once none is, no "<" opens a tag
    size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        const char next = i + 1 < html.size() ? html[i + 1] : '\0';
        const bool tagStart =
            c == '<' && closes &&
            (std::isalpha(static_cast<unsigned char>(next)) || next == '/' || next == '!' || next == '?');
        const size_t close = tagStart ? html.find('>', i) : std::string_view::npos;
        if (tagStart && close == std::string_view::npos) closes = false;
        if (close == std::string_view::npos) {
            text += c;  // a "<" that opens no tag is text
            ++i;
            continue;
        }
        std::string_view tag = html.substr(i + 1, close - i - 1);
        if (!tag.empty() && tag[0] == '/') tag.remove_prefix(1);
        size_t nameEnd = 0;
        while (nameEnd < tag.size() && std::isalnum(static_cast<unsigned char>(tag[nameEnd]))) ++nameEnd;
        const std::string name = encoding::AsciiLower(tag.substr(0, nameEnd));
        const bool atLineStart = text.empty() || text.back() == '\n';
        if (name == "br" || (BreaksLine(name) && !atLineStart)) text += "\r\n";
        i = close + 1;
    }
    return encoding::Trim(entities::DecodeHtml(text));
}

std::string LowerName(const std::string& token) {
    return encoding::AsciiLower(encoding::TrimView(THTMLReader::GetTagName(token)));
}

bool StartsWithUtf16Mark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

}  // namespace

std::string THTMLReader::GetTagName(const std::string& token) { return TXMLReader::GetTagName(token); }

TDocEncoding THTMLReader::EncodingFromXmlDecl(const std::string& token) {
    return TXMLReader::EncodingOfXmlDeclaration(token);
}

TDocEncoding THTMLReader::EncodingFromMeta(const std::string& token) {
    TTagAnalysis tag;
    tag.Analyze(token);
    const std::string value = encoding::AsciiLower(tag.GetValue("charset"));
    if (value == "utf-8") return TDocEncoding::Utf8;
    if (value == "euc-jp") return TDocEncoding::EucJp;
    if (value == "jis" || value == "iso-2022-jp") return TDocEncoding::Jis;
    if (value == "shift-jis") return TDocEncoding::ShiftJis;
    return TDocEncoding::NotKnown;
}

bool THTMLReader::SetKindFromTag(const std::string& name) {
    if (name == "rdf:rdf" || name == "rss") {
        FDocKind = TDocKind::Feed;
        return true;
    }
    if (name == "html") {
        FDocKind = TDocKind::Page;
        return true;
    }
    return false;
}

TDocEncoding THTMLReader::DetectEncoding() {
    FCursor = 0;
    TDocEncoding code = TDocEncoding::NotKnown;
    bool encoding_seen = false;
    bool kind_decided = false;
    for (;;) {
        NextToken();
        if (FKind == TTokenKind::End) break;
        if (FKind == TTokenKind::Text) continue;  // a text token never has a tag name
        const std::string n = LowerName(FToken);
        if (n == "?xml") {
            code = EncodingFromXmlDecl(FToken);
            encoding_seen = true;
        } else if (n == "meta") {
            code = EncodingFromMeta(FToken);
            encoding_seen = true;
        }
        if (SetKindFromTag(n)) kind_decided = true;
        if (encoding_seen && kind_decided) break;
    }
    return code;
}

void THTMLReader::LoadFromFile(const std::string& FileName) {
    TStringList raw;
    raw.LoadFromFile(FileName);
    FText = raw.Text();
    raw.Clear();
    SetText(FText);
    FDocKind = TDocKind::Unknown;
    // A UTF-16 document shows no tag to a byte-wise walk: its kind is read from the decoded
    // text instead (the string list skips its byte-order mark).
    if (StartsWithUtf16Mark(FText)) {
        TTolvStringList list;
        list.LoadFromFile(FileName, kTextDetect);
        FText = list.Text();
        SetText(FText);
        DetectEncoding();
        SetText(FText);
        return;
    }
    const TDocEncoding code = DetectEncoding();
    if (code == TDocEncoding::Utf8) {
        FText = DecodeUtf8Document(FText);
        SetText(FText);
        return;
    }
    FText = LoadDocumentText(FileName, code);
    SetText(FText);
}

void THTMLReader::Convert() {
    if (FDocKind == TDocKind::Page) {
        HtmlToText();
    } else if (FDocKind == TDocKind::Feed) {
        RssToText();
    }
}

void THTMLReader::AddLabeledLine(const std::string& Label, const std::string& Value, bool Switch) {
    if (Switch && !encoding::TrimView(Value).empty()) FLines.Add(Label + Value);
}

void THTMLReader::RssToText() {
    TXMLReader feed;
    feed.FOnProgress = FOnProgress;
    feed.FProgressText = FProgressText;
    feed.SetText(FText);
    feed.Parse();
    FLines.Clear();
    FLines.Add(feed.FChannelTitle);
    FLines.Add(feed.FChannelAuthor);
    FLines.Add(DescriptionText(feed.FChannelDescription));
    AddLabeledLine("Date:", feed.FChannelDate, FAddDate);
    AddLabeledLine("Link:", feed.FChannelLink, FAddURL);
    FLines.Add(kAsterisks);
    for (size_t i = 0; i < feed.FItems.size(); ++i) {
        const auto& item = feed.FItems[i];
        // Each item's description is walked apart from the tokens.
        if (FOnProgress) FOnProgress(static_cast<int32_t>(i), static_cast<int32_t>(feed.FItems.size()), FProgressText);
        FLines.Add("【 " + item->Title + "】");
        AddLabeledLine("Date:", item->Date, FAddDate);
        AddLabeledLine("Link:", item->Link, FAddURL);
        FLines.Add(DescriptionText(item->Description));
    }
}

void THTMLReader::HtmlToText() {
    enum State { Outside = 0, InChannel = 1, InItem = 2, InPage = 3, InComment = 5, InParagraph = 6, InList = 7 };
    int state = Outside;
    bool pending = false;
    Mark mark = Mark::Plain;
    TStringList work;
    FCursor = 0;
    for (;;) {
        NextToken();
        if (FKind == TTokenKind::End) break;
        if (FKind == TTokenKind::StartTag) {
            const std::string n = LowerName(FToken);
            auto take = [&](Mark m) {
                pending = true;
                mark = m;
            };
            switch (state) {
                case Outside:
                    if (n == "channel") {
                        state = InChannel;
                    } else if (n == "item") {
                        state = InItem;
                        work.Add("");
                    } else if (n == "html") {
                        state = InPage;
                    }
                    break;
                case InChannel:
                    if (n == "title" || n == "description" || n == "dc:publisher") pending = true;
                    break;
                case InItem:
                    if (n == "title") take(Mark::ItemTitle);
                    else if (n == "description") take(Mark::ItemDescription);
                    break;
                case InPage:
                    if (n == "h1") take(Mark::Heading1);
                    else if (n == "h2") take(Mark::Heading2);
                    else if (n == "h3") take(Mark::Heading3);
                    else if (n == "h4") take(Mark::Heading4);
                    else if (n == "li") take(Mark::ListItem);
                    else if (n == "--") state = InComment;
                    else if (n == "p") {
                        state = InParagraph;
                        take(Mark::Plain);
                    } else if (n == "ul") state = InList;
                    else take(Mark::Plain);
                    break;
                case InList:
                    if (n == "li") take(Mark::ListItem);
                    break;
                default: break;
            }
            if (n == "br") work.Add("");
            continue;
        }
        if (FKind == TTokenKind::EndTag) {
            const std::string n = LowerName(FToken);
            if (state == InChannel && n == "channel") {
                state = Outside;
                work.Add(kAsterisks);
            } else if ((state == InItem && n == "item") || (state == InPage && n == "html")) {
                state = Outside;
            } else if ((state == InComment && n == "--") || (state == InList && n == "ul")) {
                state = InPage;
            } else if (state == InParagraph && n == "p") {
                state = InPage;
                work.Add("");
            }
            continue;
        }
        if (!pending) continue;
        const std::string token = FCData ? FToken : entities::DecodeHtml(FToken);
        switch (mark) {
            case Mark::ItemTitle: work.Add("【" + token + "】"); break;
            case Mark::ItemDescription: work.Add(token); break;
            case Mark::Heading1: work.Add("「" + token + "」"); break;
            case Mark::Heading2: work.Add("■" + token); break;
            case Mark::Heading3: work.Add("【" + token + "】"); break;
            case Mark::Heading4: work.Add(">" + token); break;
            case Mark::ListItem: work.Add("・" + token); break;
            case Mark::Plain: work.Add(encoding::Trim(token)); break;
        }
        pending = false;
        mark = Mark::Plain;
    }
    FLines.SetText(work.Text());
}
