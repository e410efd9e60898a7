#include "tests/support/feed_writer.h"

#include <cstdint>

#include "foundation/encoding.h"

namespace feed_writer {
namespace {

std::string Declaration(const std::string& encoding) {
    if (encoding.empty()) return std::string();
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\r\n";
}

std::string Element(const std::string& name, const std::string& text) {
    if (text.empty()) return std::string();
    return "  <" + name + ">" + text + "</" + name + ">\r\n";
}

std::string Enclosures(const Item& item) {
    std::string out;
    for (const auto& e : item.enclosures) {
        out += "  <enclosure url=\"" + e.url + "\"";
        if (!e.length.empty()) out += " length=\"" + e.length + "\"";
        out += " type=\"" + e.type + "\" />\r\n";
    }
    return out;
}

// A Shift_JIS pair to its JIS X 0208 row and cell bytes (the inverse of the published mapping).
void SjisToJis(uint8_t s1, uint8_t s2, uint8_t& j1, uint8_t& j2) {
    const int base = (s1 - (s1 < 0xA0 ? 0x70 : 0xB0)) * 2;
    if (s2 >= 0x9F) {
        j1 = static_cast<uint8_t>(base);
        j2 = static_cast<uint8_t>(s2 - 0x7E);
    } else {
        j1 = static_cast<uint8_t>(base - 1);
        j2 = static_cast<uint8_t>(s2 - (s2 >= 0x80 ? 0x20 : 0x1F));
    }
}

std::string FromSjis(const std::string& sjis, bool euc) {
    std::string out;
    bool two_byte = false;
    for (size_t i = 0; i < sjis.size(); ++i) {
        const auto c = static_cast<uint8_t>(sjis[i]);
        if (encoding::IsSjisLeadByte(c) && i + 1 < sjis.size()) {
            uint8_t j1, j2;
            SjisToJis(c, static_cast<uint8_t>(sjis[++i]), j1, j2);
            if (euc) {
                out += static_cast<char>(j1 | 0x80);
                out += static_cast<char>(j2 | 0x80);
            } else {
                if (!two_byte) out += "\x1B$B";
                two_byte = true;
                out += static_cast<char>(j1);
                out += static_cast<char>(j2);
            }
        } else {
            if (two_byte) out += "\x1B(B";
            two_byte = false;
            // EUC-JP marks a half-width katakana with the single-shift byte 0x8E.
            if (euc && c >= 0xA1 && c <= 0xDF) out += '\x8E';
            out += static_cast<char>(c);
        }
    }
    if (two_byte) out += "\x1B(B";
    return out;
}

}  // namespace

std::string Rss2(const Channel& c, const std::string& encoding) {
    std::string out = Declaration(encoding);
    out += "<rss version=\"2.0\">\r\n<channel>\r\n";
    out += Element("title", c.title) + Element("link", c.link) + Element("description", c.description);
    out += Element("managingEditor", c.author) + Element("pubDate", c.date);
    for (const auto& item : c.items) {
        out += "<item>\r\n";
        out += Element("title", item.title) + Element("link", item.link);
        out += Element("description", item.description) + Element("pubDate", item.date);
        out += Enclosures(item);
        out += "</item>\r\n";
    }
    out += "</channel>\r\n</rss>\r\n";
    return out;
}

std::string Rdf(const Channel& c, const std::string& encoding) {
    std::string out = Declaration(encoding);
    out +=
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\r\n";
    out += "<channel rdf:about=\"" + c.link + "\">\r\n";
    out += Element("title", c.title) + Element("link", c.link) + Element("description", c.description);
    out += Element("dc:publisher", c.author) + Element("dc:date", c.date);
    out += "  <items><rdf:Seq>";
    for (const auto& item : c.items) out += "<rdf:li rdf:resource=\"" + item.link + "\" />";
    out += "</rdf:Seq></items>\r\n</channel>\r\n";
    for (const auto& item : c.items) {
        out += "<item rdf:about=\"" + item.link + "\">\r\n";
        out += Element("title", item.title) + Element("link", item.link);
        out += Element("description", item.description) + Element("dc:date", item.date);
        out += Enclosures(item);
        out += "</item>\r\n";
    }
    out += "</rdf:RDF>\r\n";
    return out;
}

std::string Html(const std::string& meta, const std::string& body) {
    return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n" + meta + "\r\n<title>page</title>\r\n</head>\r\n<body>\r\n" +
           body + "\r\n</body>\r\n</html>\r\n";
}

std::string Encode(const std::string& utf8, Bytes bytes) {
    switch (bytes) {
        case Bytes::Utf8: return utf8;
        case Bytes::ShiftJis: return encoding::Utf8ToCp932(utf8);
        case Bytes::EucJp: return FromSjis(encoding::Utf8ToCp932(utf8), true);
        case Bytes::Iso2022Jp: return FromSjis(encoding::Utf8ToCp932(utf8), false);
        case Bytes::Utf16LeBom: return "\xFF\xFE" + encoding::Utf8ToUtf16Le(utf8);
        case Bytes::Utf16BeBom: return "\xFE\xFF" + encoding::Utf8ToUtf16Be(utf8);
    }
    return utf8;
}

}  // namespace feed_writer
