#include "organiser/document_reader.h"

#include "foundation/byte_reader.h"
#include "foundation/encoding.h"
#include "organiser/feed_reader.h"

namespace {

const char* const kAsterisks = "***********************";  // 23

std::string LowerName(const std::string& token) {
    return encoding::AsciiLower(encoding::TrimView(THTMLReader::GetTagName(token)));
}

bool StartsWithUtf16Mark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

}  // namespace

std::string THTMLReader::GetTagName(const std::string& token) { return TXMLReader::GetTagName(token); }

int THTMLReader::EncodingFromXmlDecl(const std::string& token) {
    return TXMLReader::EncodingOfXmlDeclaration(token);
}

int THTMLReader::EncodingFromMeta(const std::string& token) {
    TTagAnalysis tag;
    tag.Analyze(token);
    const std::string value = encoding::AsciiLower(tag.GetValue("charset"));
    if (value == "utf-8") return 1;
    if (value == "euc-jp") return 2;
    if (value == "jis" || value == "iso-2022-jp") return 3;
    if (value == "shift-jis") return 4;
    return 0;
}

bool THTMLReader::SetKindFromTag(const std::string& name) {
    if (name == "rdf:rdf" || name == "rss") {
        FDocKind = kDocFeed;
        return true;
    }
    if (name == "html") {
        FDocKind = kDocPage;
        return true;
    }
    return false;
}

int THTMLReader::DetectEncoding() {
    FCursor = 0;
    int code = 0;
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
    SetText(FText);
    FDocKind = kDocUnknown;
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
    const int code = DetectEncoding();
    if (code == 1) {
        FText = DecodeUtf8Document(FText);
        SetText(FText);
        return;
    }
    FText = LoadDocumentText(FileName, code);
    SetText(FText);
}

void THTMLReader::Convert() {
    if (FDocKind == kDocPage) {
        HtmlToText();
    } else if (FDocKind == kDocFeed) {
        RssToText();
    }
}

void THTMLReader::AddLabeledLine(const std::string& Label, const std::string& Value, bool Switch) {
    if (Switch && !encoding::TrimView(Value).empty()) FLines.Add(Label + Value);
}

void THTMLReader::RssToText() {
    TXMLReader feed;
    feed.SetText(FText);
    feed.Parse();
    FLines.Clear();
    FLines.Add(feed.FChannelTitle);
    FLines.Add(feed.FChannelAuthor);
    FLines.Add(feed.FChannelDescription);
    AddLabeledLine("Date:", feed.FChannelDate, FAddDate);
    AddLabeledLine("Link:", feed.FChannelLink, FAddURL);
    FLines.Add(kAsterisks);
    for (const auto& item : feed.FItems) {
        FLines.Add("【 " + item->Title + "】");
        AddLabeledLine("Date:", item->Date, FAddDate);
        AddLabeledLine("Link:", item->Link, FAddURL);
        FLines.Add(item->Description);
    }
}

void THTMLReader::HtmlToText() {
    enum State { Outside = 0, InChannel = 1, InItem = 2, InPage = 3, InComment = 5, InParagraph = 6, InList = 7 };
    int state = Outside;
    bool pending = false;
    int mark = 0;
    TStringList work;
    FCursor = 0;
    for (;;) {
        NextToken();
        if (FKind == TTokenKind::End) break;
        if (FKind == TTokenKind::StartTag) {
            const std::string n = LowerName(FToken);
            auto take = [&](int m) {
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
                    if (n == "title") take(1);
                    else if (n == "description") take(2);
                    break;
                case InPage:
                    if (n == "h1") take(14);
                    else if (n == "h2") take(15);
                    else if (n == "h3") take(16);
                    else if (n == "h4") take(17);
                    else if (n == "li") take(18);
                    else if (n == "--") state = InComment;
                    else if (n == "p") { state = InParagraph; take(3); }
                    else if (n == "ul") state = InList;
                    else take(3);
                    break;
                case InList:
                    if (n == "li") take(18);
                    break;
                default:
                    break;
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
        const std::string& token = FToken;
        switch (mark) {
            case 1: work.Add("【" + token + "】"); break;
            case 2: work.Add(token); break;
            case 14: work.Add("「" + token + "」"); break;
            case 15: work.Add("■" + token); break;
            case 16: work.Add("【" + token + "】"); break;
            case 17: work.Add(">" + token); break;
            case 18: work.Add("・" + token); break;
            default: work.Add(encoding::Trim(token)); break;
        }
        pending = false;
        mark = 0;
    }
    FLines.SetText(work.Text());
}
