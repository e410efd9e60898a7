// Text encodings. Text inside the program is UTF-8 std::string; these are the only conversions
// the project uses between UTF-8, UTF-16 (little and big endian) and code page 932 (Windows
// Shift_JIS). Lengths are in bytes unless a name says characters.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace encoding {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);
// True when the text is valid UTF-8 and holds at least one multi-byte sequence.
bool IsMultiByteUtf8(std::string_view text);

// Appends one code point as UTF-8 (the caller gives a valid one).
void AppendUtf8(std::string& out, char32_t cp);

// UTF-16 code units to UTF-8. An unpaired surrogate becomes U+FFFD; nothing else is lost.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-16 bytes to UTF-8 (an odd last byte is dropped). Stops at nothing: zeros become U+0000.
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes);
std::string Utf16BeToUtf8(std::span<const uint8_t> bytes);
// The byte order of UTF-16 bytes.
enum class ByteOrder { Little, Big };
// What an odd last byte of UTF-16 bytes is: no character, or the first byte of a unit whose
// second byte is a zero (formats that pad their texts to whole units after a cut length).
enum class OddLastByte { Dropped, ZeroPadded };
// UTF-16 text up to its first zero unit (or the end) as UTF-8, every character kept; a zero
// byte that is half of a unit ends nothing. An unpaired surrogate becomes U+FFFD.
std::string Utf16UpToZero(std::span<const uint8_t> bytes, ByteOrder order, OddLastByte odd = OddLastByte::Dropped);

// UTF-8 text as it came, with every malformed byte replaced by U+FFFD.
std::string RepairUtf8(std::string_view text);
// 8-bit or UTF-8 text up to its first zero byte (or the end), as it is.
std::string_view UpToZeroByte(std::span<const uint8_t> bytes);

// UTF-8 to UTF-16; an invalid byte becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-8 to UTF-16 bytes without byte-order mark.
std::string Utf8ToUtf16Le(std::string_view text);
std::string Utf8ToUtf16Be(std::string_view text);

// Code page 932 bytes to UTF-8. A byte or pair that has no character becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view text);
// UTF-8 to code page 932 bytes. A character that code page 932 cannot hold becomes "?".
std::string Utf8ToCp932(std::string_view text);

// 8-bit text whose encoding the file format leaves open (ID3v1, contact files, imported
// texts): UTF-8 when it is valid UTF-8, otherwise code page 932.
std::string Text8ToUtf8(std::string_view text);

// 8-bit text of many lines that one program writes in UTF-8 and a user may have edited in
// code page 932 or with a stray byte (settings files). Valid UTF-8 stays as it is. Text that
// is UTF-8 but for a few bytes (more well-formed characters of three or four bytes than
// malformed bytes) keeps every line that is valid UTF-8, and only the other lines are read as
// code page 932; any other text is read whole as code page 932. Two-byte characters count for
// neither: half-width kana in code page 932 make them by chance, whole lines of them.
std::string LinesText8ToUtf8(std::string_view text);

// The Shift_JIS lead-byte rule: 0x81..0x9F and 0xE0..0xFC start a two-byte character.
inline bool IsSjisLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The number of characters (code points) of UTF-8 text; an invalid byte counts as one.
size_t Utf8Length(std::string_view text);
// The longest prefix of UTF-8 text that is at most `max_bytes` long and ends on a character
// boundary (a name cut to the file system's limit never splits a character).
std::string_view Utf8TruncateBytes(std::string_view text, size_t max_bytes);
// The first `count` characters of UTF-8 text.
std::string_view Utf8Left(std::string_view text, size_t count);

// ASCII lower-casing of UTF-8 text, as lower-casing "as 8-bit code page 932 text" does: the
// bytes of multi-byte UTF-8 characters are all 0x80 and above and are never touched.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

// Removes leading and trailing bytes of code 32 and below (U+3000 stays).
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);

}  // namespace encoding
