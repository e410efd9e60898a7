// Name and text helpers: raw text buffers to text, free file names, characters that a file
// name may not hold, the rules that make a text one folder entry's name, delimited fields and
// the system's error texts. Text is UTF-8 and every
// function works on characters (code points), never on single bytes of a character.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// The text of a raw buffer. Code 0: UTF-16LE up to its 0x0000 terminator; code 1: UTF-8 up to
// its 0 byte. Reading stops at the end of the buffer when there is no terminator. Any other
// code gives "".
std::string BytesToWideString(std::span<const uint8_t> bytes, int code);

// Every character equal to `find` (one character) replaced by `replacement`.
std::string ReplaceChar(std::string_view text, std::string_view find, std::string_view replacement);
// ":" (the separator of the player's database locations) to the path separator "/".
std::string ColonsToSlashes(std::string_view text);
// Every character of the text that occurs in `chars` replaced by a blank; the length in
// characters stays.
std::string ReplaceCharsWithSpace(std::string_view text, std::string_view chars);
// The eleven characters \ ? / " ; : , < > * | replaced by blanks.
std::string ReplaceInvalidFileChars(std::string_view text);
// As ReplaceInvalidFileChars, with "." as a twelfth character.
std::string ReplaceInvalidFileCharsAndDot(std::string_view text);
// Every control character (U+0000-U+001F, U+007F-U+009F: tabs and line breaks among them)
// replaced by a blank, for texts written into one line or one column of a list file.
std::string ControlCharsToBlanks(std::string_view text);

// A name typed for a feed or a site, as the program keeps it: every control character a blank
// (a settings file keeps a value on one line), then the blanks (bytes <= 32) at both ends
// dropped, as a settings file drops them on reading. The result reads back from such a file
// byte for byte; "" when only blanks were typed.
std::string EnteredName(std::string_view text);

// A file name as the user reads it: the name itself when it is UTF-8, a name that a Japanese
// system wrote in code page 932 read as such, otherwise each byte that belongs to no UTF-8
// character shown as "%HH" (so two names that differ only there still look different).
// Only for showing: a file is always named by its own bytes.
std::string ReadableFileName(std::string_view name);

// Field `index` (0-based) of the text split at `delimiter` (one character); "" past the last.
std::string GetDelimitedField(int index, std::string_view text, std::string_view delimiter);

// The reason a Japanese system gives for an errno value: the program's own text for the
// errors a copy, a download or a settings file can meet, else the C library's Japanese
// message where the machine has one, else a Japanese text naming the number. Never empty,
// whatever the user's locale.
std::string SysErrorText(int code);

// ---- Names of one folder entry ----

// The most bytes a Linux file system allows in one name.
inline constexpr size_t kMaxEntryNameBytes = 255;

// A text (a feed name, a channel title, an enclosure's file name) as one entry name that allows
// every character but "/" and the control characters, which become "_"; a name that is empty
// or only dots gets a leading "_", so that it can never climb out of its folder or name the
// folder itself.
std::string EntryNameAllowingAllButSlash(std::string_view text);

// As EntryNameAllowingAllButSlash, for a name made from an address (an enclosure's file name):
// blanks and dots at either end are left out, since a FAT volume cannot hold them and a list
// file reads a value back without its outer blanks; `fallback` when nothing is left.
std::string EntryNameAllowingAllButSlashTrimmed(std::string_view text, std::string_view fallback);

// A text (a play list's name) as one entry name without the eleven characters of
// ReplaceInvalidFileChars (blanks take their place); "", "." and ".." give `fallback`, and a
// leading "." becomes "_", so that the name is never hidden, empty or a way out.
std::string EntryNameWithoutReservedChars(std::string_view text, std::string_view fallback);

// A text (a note's title) as the base of entry names: "/" and the zero byte become blanks and
// every other character stays, dots and blanks at its ends included. A name of dots alone is
// left to the caller, which adds to the base or says what stands in for it.
std::string EntryNameAllowingAllButSlashAndZero(std::string_view text);

// As EntryNameAllowingAllButSlashAndZero, but a name made of dots alone ("", ".", "..") is no
// name at all: "" (a setting that names a folder the program deletes and fills again).
std::string EntryNameAllowingAllButSlashAndZeroOrNone(std::string_view text);

// A text (an artist or album of a song) as one folder name without the twelve characters of
// ReplaceInvalidFileCharsAndDot nor the control characters U+0000-U+001F, all of which become
// blanks; trimmed (bytes <= 32 at both ends), cut on a character boundary to
// kMaxEntryNameBytes and trimmed again. "" when nothing is left.
std::string EntryNameWithoutReservedCharsAndDots(std::string_view text);

// How a name too long for its limit is cut to fit. Both cut the stem on a character boundary
// and keep the extension when room is left for it.
enum class TNameFit {
    // The stem cut, the extension (TExtensionRule::LastDot) kept: a copy's name as the user
    // reads it. Names that differ only beyond the cut come out alike, so that they are
    // numbered apart by FreeEntryName, whose "(n)" the cut always keeps.
    Cut,
    // The stem cut, then "~" and eight hexadecimal digits of a hash of the whole name, then the
    // extension (TExtensionRule::ShortAfterStem): two names that differ only beyond the cut stay
    // two names, for a name that is made again from its text each time (a feed's folder, an
    // episode, a play list). A "(n)" is part of the hashed name and may fall to the cut.
    Marked,
};

// The name when it fits in maxBytes bytes, else the name cut to maxBytes bytes as `fit` says.
std::string EntryNameFitting(std::string_view name, size_t maxBytes, TNameFit fit);

// The highest "(n)" of a free name that has no limit of its own (the episodes of a feed, the
// play lists of the library).
inline constexpr int kHighestEntryNumber = 9999;

// The first of the name and its "<stem>(2)<ext>" .. "<stem>(highestNumber)<ext>", each fitted
// into maxBytes, that `taken` says is free; "" when all are taken.
std::string FreeEntryName(std::string_view name, size_t maxBytes, int highestNumber, TNameFit fit,
                          const std::function<bool(const std::string&)>& taken);
