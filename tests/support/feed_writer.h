// Writers of news documents for the tests: RSS 2.0 and RSS 1.0/RDF feeds, HTML pages, and the
// byte encodings the readers must handle (UTF-8, Shift_JIS, EUC-JP, ISO-2022-JP, UTF-16 with a
// byte-order mark). Documents are built as UTF-8 text, then encoded.
#pragma once

#include <string>
#include <vector>

namespace feed_writer {

struct Enclosure {
    std::string url;
    std::string type;
    std::string length;  // written as it stands; empty leaves the attribute out
};

struct Item {
    std::string title;
    std::string link;
    std::string description;
    std::string date;  // pubDate (RSS 2.0) or dc:date (RDF); empty leaves it out
    std::vector<Enclosure> enclosures;
};

struct Channel {
    std::string title;
    std::string author;  // managingEditor (RSS 2.0) or dc:publisher (RDF); empty leaves it out
    std::string link;
    std::string description;
    std::string date;
    std::vector<Item> items;
};

// An RSS 2.0 feed with the items inside the channel. `encoding` names the XML declaration's
// encoding; an empty one writes no declaration.
std::string Rss2(const Channel& channel, const std::string& encoding);
// An RSS 1.0/RDF feed: the channel is closed before the items.
std::string Rdf(const Channel& channel, const std::string& encoding);
// An HTML page around the given body markup; `meta` is written into the head as it stands.
std::string Html(const std::string& meta, const std::string& body);

enum class Bytes { Utf8, ShiftJis, EucJp, Iso2022Jp, Utf16LeBom, Utf16BeBom };
// The UTF-8 text in the given byte encoding (characters outside JIS X 0208 are not expected,
// but half-width katakana, which EUC-JP writes after the byte 0x8E).
std::string Encode(const std::string& utf8, Bytes bytes);

}  // namespace feed_writer
