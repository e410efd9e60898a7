#include "organiser/feed_reader.h"

#include <iterator>
#include <limits>

#include "foundation/byte_reader.h"
#include "foundation/encoding.h"
#include "foundation/entities.h"
#include "foundation/string_list.h"

namespace {

enum class Place { Outside, Channel, Item };

}  // namespace

int32_t ParseInt32(const std::string& text, int32_t fallback) {
    size_t i = 0;
    while (i < text.size() && static_cast<uint8_t>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size()) return fallback;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return fallback;
        value = value * 10 + (c - '0');
        if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return fallback;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
        return fallback;
    }
    return static_cast<int32_t>(value);
}

std::string LoadDocumentText(const std::string& fileName, TDocEncoding encoding) {
    TextEncoding listCode = kTextDetect;
    switch (encoding) {
        case TDocEncoding::EucJp: listCode = kTextEucJp; break;
        case TDocEncoding::Jis: listCode = kTextJis; break;
        case TDocEncoding::ShiftJis: listCode = kTextShiftJis; break;
        case TDocEncoding::NotKnown:
        case TDocEncoding::Utf8: break;
    }
    TTolvStringList list;
    list.LoadFromFile(fileName, listCode);
    return list.Text();
}

std::string DecodeUtf8Document(const std::string& bytes) {
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return encoding::RepairUtf8(text);
}

std::string EnclosureFileName(const std::string& address) {
    // The query and the fragment name no file: hosting services add "?updated=..." to every
    // address, and a "/" inside them is no path separator.
    std::string_view path(address);
    path = path.substr(0, path.find_first_of("?#"));
    const size_t last = path.find_last_of("/\\:");
    if (last != std::string_view::npos) path.remove_prefix(last + 1);
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string name;
    name.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size() && hex(path[i + 1]) >= 0 && hex(path[i + 2]) >= 0) {
            name += static_cast<char>(hex(path[i + 1]) * 16 + hex(path[i + 2]));
            i += 2;
        } else {
            name += path[i];
        }
    }
    // Escapes may spell bytes that are no UTF-8; the episode list must stay UTF-8 text.
    return encoding::RepairUtf8(name);
}

std::string TXMLReader::GetTagName(const std::string& token) {
    const std::string_view t = encoding::TrimView(token);
    if (t.size() < 3 || t[0] != '<') return std::string();
    const size_t start = t[1] == '/' ? 2 : 1;  // the name starts after this many characters
    const size_t blank = t.find(' ');
    size_t count;
    if (blank != std::string_view::npos) {
        // Up to and including the blank (the callers trim it away).
        count = blank + 1 > start ? blank + 1 - start : 0;
    } else {
        count = t.size() > start + 1 ? t.size() - start - 1 : 0;  // up to the closing ">"
    }
    return std::string(t.substr(start, count));
}

TPodCastObject* TXMLReader::GetItem(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return FItems[static_cast<size_t>(index)].get();
}

void TXMLReader::Parse() {
    Place place = Place::Outside;
    std::unique_ptr<TPodCastObject> current;
    std::string* pending = nullptr;
    for (;;) {
        NextToken();
        if (FKind == TTokenKind::End) break;
        if (FKind == TTokenKind::Text) {
            if (pending) {
                std::string value = encoding::Trim(FCData ? FToken : entities::DecodeXml(FToken));
                if (!value.empty()) *pending = std::move(value);
                pending = nullptr;
            }
            continue;
        }
        const std::string n = encoding::AsciiLower(encoding::TrimView(GetTagName(FToken)));
        if (FKind == TTokenKind::EndTag) {
            if (place == Place::Channel && n == "channel") {
                place = Place::Outside;
            } else if (place == Place::Item && n == "item") {
                // The item object stays where it is, so a field still pending in it is filled
                // by the next text as before.
                FItems.push_back(std::move(current));
                place = Place::Outside;
            }
            continue;
        }
        if (n == "item" && place != Place::Item) {
            current = std::make_unique<TPodCastObject>();
            current->Author = FChannelAuthor;
            current->ChannelTitle = FChannelTitle;
            place = Place::Item;
            continue;
        }
        switch (place) {
            case Place::Outside:
                if (n == "channel") place = Place::Channel;
                break;
            case Place::Channel:
                if (n == "title") {
                    pending = &FChannelTitle;
                } else if (n == "description") {
                    pending = &FChannelDescription;
                } else if (n == "dc:publisher" || n == "managingeditor" || n == "webmaster" || n == "author") {
                    pending = &FChannelAuthor;
                } else if (n == "pubdate" || n == "lastbuilddate" || n == "dc:date") {
                    pending = &FChannelDate;
                } else if (n == "link") {
                    pending = &FChannelLink;
                }
                break;
            case Place::Item:
                if (n == "title") {
                    pending = &current->Title;
                } else if (n == "description") {
                    pending = &current->Description;
                } else if (n == "content:encoded") {
                    pending = &current->Content;
                } else if (n == "link") {
                    pending = &current->Link;
                } else if (n == "pubdate" || n == "dc:date") {
                    pending = &current->Date;
                } else if (n == "enclosure") {
                    TakeEnclosure(*current);
                }
                break;
        }
    }
    // An item still open when the text ends is not in the list: `current` discards it here.
}

void TXMLReader::TakeEnclosure(TPodCastObject& item) const {
    TTagAnalysis tag;
    tag.Analyze(FToken);
    // A signed address of a hosting service has its "&" written "&amp;": the address fetched is
    // the decoded one.
    auto value = [&tag](const char* name) { return entities::DecodeXml(tag.GetValue(name)); };
    const std::string type = value("type");
    if (type == "audio/mpeg" || type == "text/plain" || type == "video/mp4" || type == "video/quicktime" ||
        type == "application/octet-stream") {
        item.EnclosureURL = value("url");
        item.FileName = EnclosureFileName(item.EnclosureURL);
        item.LengthText = value("length");
        item.Length = ParseInt32(item.LengthText, 0);
    } else if (type == "image/jpeg") {
        item.ImageURL = value("url");
    }
}

int32_t TXMLReader::TotalLength() const {
    int64_t total = 0;
    for (const auto& item : FItems) total += item->Length;
    if (total > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (total < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(total);
}

TDocEncoding TXMLReader::EncodingOfXmlDeclaration(const std::string& token) {
    TTagAnalysis tag;
    tag.Analyze(token);
    const std::string value = encoding::AsciiLower(tag.GetValue("encoding"));
    if (value == "utf-8" || value == "utf8" || value == "utf_8") return TDocEncoding::Utf8;
    if (value == "euc-jp" || value == "euc_jp") return TDocEncoding::EucJp;
    if (value == "jis" || value == "iso-2022-jp") return TDocEncoding::Jis;
    if (value == "shift_jis" || value == "sjis" || value == "shift-jis") return TDocEncoding::ShiftJis;
    return TDocEncoding::NotKnown;
}

TDocEncoding TXMLReader::FindXmlDeclaration() {
    FCursor = 0;
    for (;;) {
        NextToken();
        if (FKind == TTokenKind::End) return TDocEncoding::NotKnown;
        if (FKind == TTokenKind::Text) continue;  // a text token never has a tag name
        if (encoding::AsciiLower(encoding::TrimView(GetTagName(FToken))) == "?xml") {
            return EncodingOfXmlDeclaration(FToken);
        }
    }
}

void TXMLReader::LoadFromFile(const std::string& FileName) {
    TStringList lines;
    lines.LoadFromFile(FileName);
    SetText(lines.Text());
    const TDocEncoding declared = FindXmlDeclaration();
    if (declared == TDocEncoding::Utf8) {
        SetText(DecodeUtf8Document(FSource));
        return;
    }
    SetText(LoadDocumentText(FileName, declared));
}
