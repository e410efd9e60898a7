// The settings reader on arbitrary bytes: parsing never fails, and what it writes reads back
// to the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIniFile ini("/nonexistent/fuzz.ini");
    ini.LoadFromText(std::string(reinterpret_cast<const char*>(data), size));
    const std::string first = ini.ToText();
    TIniFile again("/nonexistent/fuzz.ini");
    again.LoadFromText(first);
    if (again.ToText() != first) std::abort();
    (void)ini.ReadInteger("RSSURLData", "Count", -1);
    (void)ini.ReadBool("Copyright", "Copyright", false);
    ini.WriteString("A", "B", std::string(reinterpret_cast<const char*>(data), size));
    TIniFile third("/nonexistent/fuzz.ini");
    third.LoadFromText(ini.ToText());
    return 0;
}
