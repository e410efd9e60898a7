// The three 8-bit Japanese codes: guessing which one a text uses, and converting JIS
// (ISO-2022-JP) and EUC-JP to Shift_JIS. Everything works on bytes (std::string as a byte
// string); codes are 16-bit values with the first byte high.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Results of DetectJapaneseCode (a scale of its own, not the string list's TextEncoding).
constexpr int kJapaneseSjis = 0;
constexpr int kJapaneseJis = 1;
constexpr int kJapaneseEuc = 2;  // also the answer for plain ASCII

// Guesses the code from at most the first 32768 bytes: an ESC $ B or ESC ( B gives JIS, else
// any byte 0x80..0xA0 gives Shift_JIS, else EUC-JP.
int DetectJapaneseCode(std::string_view text);

// Converts the two-byte runs between ESC $ B and ESC ( B to Shift_JIS (the escapes are
// dropped); everything else is copied.
std::string JisToSjis(std::string_view text);
// Converts each pair of bytes 0xA1..0xFE to Shift_JIS, a half-width katakana (0x8E and a byte
// 0xA1..0xDF) to its single byte and a JIS X 0212 character (0x8F and a pair) to "?"; every
// other byte is copied. A sequence never takes a byte that cannot belong to it.
std::string EucToSjis(std::string_view text);

// The JIS X 0208 to Shift_JIS mapping; each byte of the result wraps within 8 bits.
uint16_t JisCodeToSjisCode(uint16_t code);
uint16_t EucCodeToSjisCode(uint16_t code);

// (first byte << 8) + second byte; a missing byte counts as 0.
uint16_t StrToCode(std::string_view text);
// The two bytes of a code, high byte first.
std::string CodeToStr(uint16_t code);
