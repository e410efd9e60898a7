// Line splitting and joining shared by the organiser modules, with the rules of the program's
// line lists: a line ends at CR, LF or CR LF, and a break at the very end of a text adds no
// empty line. Texts are byte strings (their encoding is the caller's business).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace organiser_text {

// Splits a text into lines; "" gives no line, "a\r\n" one line, "\r\n" one empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Every line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);
// Writes the bytes to the file, replacing it; throws EFileError naming the file on failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);
// True when something (a file or folder) exists at the path.
bool PathExists(const std::string& path);

}  // namespace organiser_text
