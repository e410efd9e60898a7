// Turns a downloaded news document, an RSS/RDF feed or an HTML page, into plain text lines for
// the notes splitter: it finds the document's kind and encoding, reloads it in that encoding
// and converts it, a feed through TXMLReader, a page through its own tag walk with fixed marks.
// A feed's descriptions (HTML, escaped or in CDATA) become text without tags; a page's text has
// its entities and character references decoded. Text is UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/string_list.h"
#include "foundation/tag_tokenizer.h"
#include "organiser/feed_reader.h"

// What a document was taken for (FDocKind).
enum class TDocKind : uint8_t {
    Page,  // HTML
    Feed,  // RSS or RDF
    Unknown,
};

class THTMLReader : public TTokenReader {
public:
    // Loads the document, decides FDocKind and the encoding, and sets the decoded text as the
    // token source. EFileError when the file cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Fills FLines: a page by HtmlToText, a feed by RssToText; an unknown kind adds nothing.
    // Both call FOnProgress (of the token walk) as they go.
    void Convert();

    // The tag-name rule of the feed reader: the text after "<" or "</" up to the first blank
    // (the blank included) or the closing ">".
    static std::string GetTagName(const std::string& token);
    // The encoding that an XML declaration or a meta tag names (the meta tag knows fewer names).
    static TDocEncoding EncodingFromXmlDecl(const std::string& token);
    static TDocEncoding EncodingFromMeta(const std::string& token);
    // Walks the tokens from the start until an encoding tag and a kind tag were both met;
    // sets FDocKind by the kind tags and returns the encoding of the last encoding tag met.
    TDocEncoding DetectEncoding();
    // "rdf:rdf" and "rss" make a feed, "html" a page; true when the name decided the kind.
    bool SetKindFromTag(const std::string& name);

    void RssToText();
    void HtmlToText();
    // Adds Label + Value when the switch is on and the value is not blank.
    void AddLabeledLine(const std::string& Label, const std::string& Value, bool Switch);

    TDocKind FDocKind = TDocKind::Unknown;
    std::string FText;      // the document's text after decoding
    bool FAddURL = false;   // write "Link:" lines (feeds)
    bool FAddDate = false;  // write "Date:" lines (feeds)
    TStringList FLines;     // the result
};
