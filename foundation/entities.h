// Character references in the text of markup: XML's predefined entities and numeric character
// references for feeds, and those with HTML's common named entities for pages. A pass decodes
// each reference once (what it gives is not read again, so "&amp;amp;" gives "&amp;"); a
// reference that is unknown or not well formed stays as written. Text is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace entities {

// "&lt;", "&gt;", "&amp;", "&apos;", "&quot;", "&#NNN;" and "&#xHHH;".
std::string DecodeXml(std::string_view text);
// The same and the HTML entities pages use most ("&nbsp;", "&copy;", "&hellip;" ...). A no-break
// space becomes a plain blank: the text is read as plain text, where it is one.
std::string DecodeHtml(std::string_view text);

}  // namespace entities
