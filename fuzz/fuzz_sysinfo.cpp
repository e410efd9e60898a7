// The player's SysInfo and DeviceInfo files over arbitrary bytes, each read by the checker's
// own readers from a file holding the whole input, against the shipped model table: every
// model number gives a model class, and no DeviceInfo record is longer than its slot allows.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "player/player_checker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TMPlayerChecker checker{std::string(HARROWIN_MODEL_TABLE)};
    checker.Reset();
    const std::string_view bytes = fuzz::AsText(data, size);
    const std::string sysInfo = fuzz::WriteFile("SysInfo", bytes);
    const std::string deviceInfo = fuzz::WriteFile("DeviceInfo", bytes);

    checker.ReadSysInfo(TMPlayerChecker::SysInfoToIni(checker.LoadSysInfo(sysInfo)));
    if (checker.ModelClass < 1 || checker.ModelClass > 5) __builtin_trap();
    checker.ReadDeviceInfo(deviceInfo);
    // 255 UTF-16 units of a 512-byte slot, three bytes of UTF-8 each at most.
    for (const std::string* record : {&checker.PlayerName, &checker.Owner, &checker.Host}) {
        if (record->size() > 255 * 3) __builtin_trap();
    }
    return 0;
}
