#include "tests/support/player_tree_writer.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "foundation/encoding.h"

namespace fs = std::filesystem;

namespace {

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

std::string WriteSysInfo(const std::string& root, const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string text;
    for (const auto& [key, value] : keys) text += key + ": " + value + "\n";
    const std::string path = root + "/iPod_Control/Device/SysInfo";
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    return path;
}

std::vector<uint8_t> BuildDeviceInfo(const std::array<std::string, 4>& records) {
    std::vector<uint8_t> bytes(4 * 512, 0);
    for (size_t slot = 0; slot < 4; ++slot) {
        const std::string utf16 = encoding::Utf8ToUtf16Le(records[slot]);
        const size_t count = std::min<size_t>(utf16.size() / 2, 255);
        bytes[slot * 512] = static_cast<uint8_t>(count);
        bytes[slot * 512 + 1] = static_cast<uint8_t>(count >> 8);
        std::copy(utf16.begin(), utf16.begin() + static_cast<ptrdiff_t>(count * 2),
                  bytes.begin() + static_cast<ptrdiff_t>(slot * 512 + 2));
    }
    return bytes;
}

std::string WriteDeviceInfo(const std::string& root, const std::array<std::string, 4>& records) {
    const std::string path = root + "/iPod_Control/iTunes/DeviceInfo";
    WriteBytes(path, BuildDeviceInfo(records));
    return path;
}

std::vector<uint8_t> SilentMpegAudio(double seconds) {
    // 1152 samples a frame; 128 kbit/s at 44100 Hz gives 417 bytes a frame without padding.
    // All-zero side information and main data decode as silence.
    const size_t frames = static_cast<size_t>(seconds * 44100.0 / 1152.0) + 1;
    const size_t frameBytes = 144 * 128000 / 44100;
    std::vector<uint8_t> bytes(frames * frameBytes, 0);
    for (size_t f = 0; f < frames; ++f) {
        uint8_t* frame = bytes.data() + f * frameBytes;
        frame[0] = 0xFF;
        frame[1] = 0xFB;  // MPEG-1, Layer III, no CRC
        frame[2] = 0x90;  // 128 kbit/s, 44100 Hz, no padding
        frame[3] = 0xC4;  // mono, original
    }
    return bytes;
}

std::string PathFromLocation(const std::string& root, const std::string& location) {
    std::string relative = location;
    for (char& c : relative) {
        if (c == ':') c = '/';
    }
    while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
    return root + "/" + relative;
}

void WritePlayerTree(const std::string& root, PlayerTreeLayout layout) {
    for (const char* folder :
         {"iPod_Control/iTunes", "iPod_Control/Music", "iPod_Control/Device", "Notes", "Contacts", "Calendars"}) {
        fs::create_directories(root + "/" + folder);
    }
    if (layout.WriteSongFiles) {
        const std::vector<uint8_t> audio = SilentMpegAudio(layout.SongSeconds);
        for (ItdbSong& song : layout.Database.Songs) {
            if (song.Location.empty()) continue;
            WriteBytes(PathFromLocation(root, song.Location), audio);
            if (song.Size == 0) song.Size = static_cast<int32_t>(audio.size());
        }
    }
    if (layout.WriteDatabase) WriteITunesDBToPlayer(root, layout.Database);
    if (!layout.SysInfo.empty()) WriteSysInfo(root, layout.SysInfo);
    WriteDeviceInfo(root, layout.DeviceInfo);
}
