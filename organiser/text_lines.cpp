#include "organiser/text_lines.h"

#include <sys/stat.h>

#include "foundation/file_write.h"

namespace organiser_text {

void WriteFileBytes(const std::string& path, std::string_view bytes) { WriteWholeFile(path, bytes); }

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace organiser_text
