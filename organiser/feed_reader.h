// Reads a news or podcast feed (RSS 2.0 with channel and item, RSS 1.0/RDF with the items
// beside the channel) by a flat token walk: the channel's title, author, link, description and
// date, and the items with their enclosures. Element nesting is tracked as three places only
// (outside, in the channel, in an item). Values are the feed's character data: references
// (XML's entities, numeric references) decoded once in text and attribute values, a CDATA
// section's content as it stands; markup that a field holds is not stripped. Text is UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/tag_tokenizer.h"

// The encoding that a document's declaration (an XML declaration, an HTML meta tag) names.
enum class TDocEncoding : uint8_t {
    NotKnown,  // no declaration, or one naming another encoding: the string list guesses
    Utf8,
    EucJp,
    Jis,  // ISO-2022-JP
    ShiftJis,
};

// One feed item.
class TPodCastObject {
public:
    std::string Title;
    std::string Link;
    std::string Description;
    std::string Content;       // content:encoded
    std::string Date;          // pubDate or dc:date, as written
    std::string EnclosureURL;  // url of an accepted enclosure
    std::string LengthText;    // its length attribute
    std::string FileName;      // EnclosureFileName of EnclosureURL
    std::string ImageURL;      // url of an image/jpeg enclosure
    int32_t Length = 0;        // LengthText in bytes; 0 when it is not a number
    std::string Author;        // the channel author known when the item started
    std::string ChannelTitle;  // the channel title known when the item started
};

class TXMLReader : public TTokenReader {
public:
    // Walks the tokens from the cursor to the end and fills the channel fields and the items.
    void Parse();
    int Count() const { return static_cast<int>(FItems.size()); }
    // The item at the index; nullptr when the index is outside the list.
    TPodCastObject* GetItem(int index) const;
    // The name of a tag token ("<name ...>" or "</name>"), with a blank after it when the tag
    // has attributes; callers trim and lower-case it. Empty for anything that is not a tag.
    static std::string GetTagName(const std::string& token);

    // Reads a feed file into the source in the encoding that its XML declaration names (or the
    // one that detection finds); does not parse. EFileError when the file cannot be read.
    void LoadFromFile(const std::string& FileName);
    // The encoding of the first XML declaration of the source (NotKnown when there is none);
    // reads the source from its start.
    TDocEncoding FindXmlDeclaration();
    // The sum of the items' Length, in bytes (held at the largest 32-bit value rather than
    // wrapping to a negative size).
    int32_t TotalLength() const;

    // The encoding of an XML declaration token, by its encoding attribute.
    static TDocEncoding EncodingOfXmlDeclaration(const std::string& token);

    std::vector<std::unique_ptr<TPodCastObject>> FItems;  // in feed order
    std::string FChannelTitle;
    std::string FChannelAuthor;
    std::string FChannelLink;
    std::string FChannelDescription;
    std::string FChannelDate;

private:
    void TakeEnclosure(TPodCastObject& item) const;
};

// The file name an enclosure's address gives: its last path segment, without the query and the
// fragment, with percent-escapes decoded (bytes that form no UTF-8 become U+FFFD). Not yet safe
// as a file name: an escaped "/" stands as it is.
std::string EnclosureFileName(const std::string& address);
// A decimal 32-bit number, or `fallback` when the text is not one (leading blanks allowed).
int32_t ParseInt32(const std::string& text, int32_t fallback);
// UTF-8 text with anything that is not UTF-8 replaced by U+FFFD and a leading byte-order mark
// removed: what decoding a document declared as UTF-8 gives.
std::string DecodeUtf8Document(const std::string& bytes);
// A document file read as a string list in the Japanese encoding that a declaration named
// (EUC-JP, ISO-2022-JP, Shift_JIS; any other is guessed): its lines in UTF-8, each followed by
// CR LF. Throws EFileError naming the file.
std::string LoadDocumentText(const std::string& fileName, TDocEncoding encoding);
