// Line splitting and joining shared by the organiser modules, with the rules of the program's
// line lists: a line ends at CR, LF or CR LF, and a break at the very end of a text adds no
// empty line. Texts are byte strings (their encoding is the caller's business).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace organiser_text {

// The largest note, contact, event or to-do file that is read (bytes); real ones are a few KB.
// A larger file fails to load rather than being cut, so saving it can never lose its tail.
inline constexpr uint64_t kOrganiserFileLimit = 4u << 20;

// Writes the bytes to the file, replacing it; a link at the file or its folder is refused and a
// failed write leaves the old file as it was. Throws EFileError naming the file on failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);
// True when something (a file or folder) exists at the path.
bool PathExists(const std::string& path);

}  // namespace organiser_text
