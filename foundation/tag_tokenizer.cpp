#include "foundation/tag_tokenizer.h"

#include <algorithm>
#include <climits>

#include "foundation/encoding.h"

void TTokenReader::SetText(const std::string& text) {
    FSource = text;
    FCursor = 0;
}

namespace {

constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kCDataClose = "]]>";

}  // namespace

void TTokenReader::NextToken() {
    FCData = false;
    if (FOnProgress && (++FTokens & 0xFF) == 0) {
        FOnProgress(static_cast<int32_t>(std::min<size_t>(FCursor, INT32_MAX)),
                    static_cast<int32_t>(std::min<size_t>(FSource.size(), INT32_MAX)), FProgressText);
    }
    for (;;) {
        if (FCursor >= FSource.size()) {
            FKind = TTokenKind::End;
            FToken.clear();
            return;
        }
        const size_t start = FCursor;
        if (std::string_view(FSource).substr(start, kCDataOpen.size()) == kCDataOpen) {
            // Hosts wrap titles and descriptions in CDATA so that their markup and ampersands
            // need no escaping: the section is the element's text, not tags. Unclosed, it ends
            // the document as an unclosed tag does.
            const size_t content = start + kCDataOpen.size();
            const size_t close = FSource.find(kCDataClose, content);
            if (close == std::string::npos) {
                FKind = TTokenKind::End;
                FToken.clear();
                FCursor = FSource.size();
                return;
            }
            FCursor = close + kCDataClose.size();
            const std::string_view section(FSource.data() + content, close - content);
            if (encoding::TrimView(section).empty()) continue;
            FKind = TTokenKind::Text;
            FToken.assign(section);
            FCData = true;
            return;
        }
        if (FSource[start] == '<') {
            size_t p = start + 1;
            if (p < FSource.size() && FSource[p] == '/') {
                FKind = TTokenKind::EndTag;
                ++p;
            } else {
                FKind = TTokenKind::StartTag;
            }
            const size_t close = FSource.find('>', p);
            if (close == std::string::npos) {
                // An unterminated tag ends the document.
                FKind = TTokenKind::End;
                FToken.clear();
                FCursor = FSource.size();
                return;
            }
            FToken = FSource.substr(start, close + 1 - start);
            FCursor = close + 1;
            return;
        }
        size_t open = FSource.find('<', start);
        if (open == std::string::npos) open = FSource.size();
        FCursor = open;
        const std::string_view run(FSource.data() + start, open - start);
        if (encoding::TrimView(run).empty()) continue;  // blanks between tags are no token
        FKind = TTokenKind::Text;
        FToken.assign(run);
        return;
    }
}

void TTagAnalysis::Analyze(const std::string& tag) {
    std::string_view t = encoding::TrimView(tag);
    if (t.size() >= 2 && t.front() == '<' && t.back() == '>') {
        t = encoding::TrimView(t.substr(1, t.size() - 2));
    }
    std::string attributes;
    const size_t blank = t.find(' ');
    if (blank == std::string_view::npos) {
        FTagName.clear();
        attributes.assign(t);
    } else {
        FTagName.assign(t.substr(0, blank));
        attributes = encoding::Trim(t.substr(blank + 1));
    }
    FItems.clear();
    ScanAttributes(attributes);
}

// The readers depend on this scanner's exact results, odd ones included: a quoted value ends
// at its first blank, an unquoted one runs to the next double quote, and an empty quoted value
// takes the text after it up to the next quote. A value may be quoted with single quotes, as XML
// allows: then the single quote is its quote character and a double quote is text.
void TTagAnalysis::ScanAttributes(const std::string& text) {
    std::string name, value;
    int quote = 0;
    int quotes = 0;
    char quoteChar = '"';
    bool in_value = false;
    TTagItem* item = nullptr;
    for (const char ch : text) {
        if (!in_value) {
            if (ch == '=') {
                FItems.push_back(std::make_unique<TTagItem>());
                item = FItems.back().get();
                item->FName = encoding::Trim(name);
                value.clear();
                quotes = 0;
                quote = 1;
                quoteChar = '"';
                in_value = true;
            } else {
                name += ch;
            }
            continue;
        }
        if (ch == '\'' && quotes == 0 && value.empty()) quoteChar = '\'';
        if (quote == 0 && ch == ' ' && (!value.empty() || quotes >= 2)) {
            item->FValue = value;
            in_value = false;
            name.clear();
        }
        if (ch != quoteChar) {
            value += ch;
        } else {
            quote = 1 - quote;
            ++quotes;
            if (!value.empty()) {
                item->FValue = value;
                in_value = false;
                name.clear();
                quotes = 0;
            }
        }
    }
    if (in_value && !value.empty()) item->FValue = value;
}

TTagItem* TTagAnalysis::GetItem(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return FItems[static_cast<size_t>(index)].get();
}

std::string TTagAnalysis::GetValue(const std::string& name) const {
    const std::string wanted = encoding::AsciiLower(name);
    std::string result;
    for (const auto& item : FItems) {
        if (encoding::AsciiLower(item->FName) == wanted) result = item->FValue;
    }
    return result;
}
