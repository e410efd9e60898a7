// A flat tag/text tokenizer and a tag attribute parser for the feed and document readers.
// They are deliberately not XML or HTML parsers: the readers built on them rely on the exact,
// simple results described at each operation. Text is UTF-8; positions are byte offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/progress_event.h"

// The kind of the current token.
enum class TTokenKind : uint8_t {
    End = 0,       // end of text (also after a "<" that is never closed)
    StartTag = 1,  // "<...>", also comments and declarations
    EndTag = 2,    // "</...>"
    Text = 3,      // the text between tags, or the content of a CDATA section; a blank-only
                   // run never becomes a token
};

// Walks a document as a sequence of tags and text runs. The readers derive from it and use
// its fields directly.
class TTokenReader {
public:
    virtual ~TTokenReader() = default;

    // Takes a new document and puts the cursor at its start.
    void SetText(const std::string& text);
    // Reads the next token into FKind and FToken and moves the cursor past it. A CDATA section
    // ("<![CDATA[" to "]]>") is one text token of its content, whatever markup it holds.
    void NextToken();

    std::string FSource;                 // the whole document
    TTokenKind FKind = TTokenKind::End;  // kind of the current token
    std::string FToken;                  // the current token (a tag with its brackets)
    size_t FCursor = 0;                  // byte offset in FSource where the next token starts
    // The text token is a CDATA section's content: character data as it stands, in which no
    // markup and no reference counts.
    bool FCData = false;
    // Called every few hundred tokens with the cursor and the source's size (bytes) and
    // FProgressText, so that a walk through a long document can show how far it got and be
    // stopped (by an exception from the handler). May be empty.
    TTolvProgressEvent FOnProgress;
    std::string FProgressText;

private:
    uint32_t FTokens = 0;
};

// One attribute of a tag.
class TTagItem {
public:
    std::string FName;
    std::string FValue;
};

// Splits one tag token into its name and attributes.
class TTagAnalysis {
public:
    // Clears the attributes, then sets FTagName and the attributes from a whole tag token
    // (brackets included or not).
    void Analyze(const std::string& tag);
    // The attribute at the index; nullptr when the index is outside the list.
    TTagItem* GetItem(int index) const;
    // The value of the attribute of that name (ASCII case-insensitive); the last one wins
    // when several match; empty when none does. Values are as written: references are the
    // readers' to decode.
    std::string GetValue(const std::string& name) const;
    int Count() const { return static_cast<int>(FItems.size()); }

    std::string FTagName;
    std::vector<std::unique_ptr<TTagItem>> FItems;  // in the order met

private:
    void ScanAttributes(const std::string& text);
};
