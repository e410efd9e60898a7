// The player's SysInfo text and DeviceInfo records over arbitrary bytes: the first two bytes
// say where the SysInfo text ends and the DeviceInfo bytes begin.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/encoding.h"
#include "player/player_checker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t split = std::min<size_t>(size - 2, static_cast<size_t>(data[0]) | (static_cast<size_t>(data[1]) << 8));
    const std::string sysInfo(reinterpret_cast<const char*>(data + 2), split);
    const std::vector<uint8_t> deviceInfo(data + 2 + split, data + size);

    static TMPlayerChecker checker(std::string("/nonexistent/Tessmar.MCD"));
    checker.ModelTable.LoadFromText("[iPod]\r\nA623=5G,Video,kind,gen,30GB,\r\nB000=photo,x\r\n");
    std::vector<std::string> lines;
    std::string line;
    const std::string text = encoding::Text8ToUtf8(sysInfo);
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    checker.ReadSysInfo(TMPlayerChecker::SysInfoToIni(lines));
    if (checker.ModelClass < 1 || checker.ModelClass > 5) __builtin_trap();
    for (int slot = 0; slot < 4; ++slot) {
        const std::string record = TMPlayerChecker::DeviceInfoRecord(deviceInfo, slot);
        if (record.size() > 255 * 3) __builtin_trap();
    }
    return 0;
}
