// Writes a player's folder tree for tests and the sample player: the device files (SysInfo,
// DeviceInfo), the music database and playable MPEG audio files of silence where the database
// points. Paths are "/"-separated; the root is the player's mount point.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/itunesdb_writer.h"

// "key: value" lines as the player writes them; returns the path.
std::string WriteSysInfo(const std::string& root, const std::vector<std::pair<std::string, std::string>>& keys);
// The DeviceInfo bytes: four 512-byte slots, each a 16-bit character count and UTF-16LE text.
std::vector<uint8_t> BuildDeviceInfo(const std::array<std::string, 4>& records);
std::string WriteDeviceInfo(const std::string& root, const std::array<std::string, 4>& records);

// MPEG-1 Layer III frames of silence (128 kbit/s, 44100 Hz, mono) lasting at least `seconds`;
// players and desktop music programs play them.
std::vector<uint8_t> SilentMpegAudio(double seconds);

// The file of a database location (":iPod_Control:Music:F00:A.mp3") below the root.
std::string PathFromLocation(const std::string& root, const std::string& location);

struct PlayerTreeLayout {
    ItdbDatabase Database;
    bool WriteDatabase = true;
    std::vector<std::pair<std::string, std::string>> SysInfo = {
        {"pszSerialNumber", "8K1234ABCDE"}, {"ModelNumStr", "xA623"}, {"RegionCode", "J/A"}, {"buildID", "0x17808000"}};
    std::array<std::string, 4> DeviceInfo = {"HARROWIN", "テスト ユーザー", "DESKTOP", ""};
    bool WriteSongFiles = true;  // SongSeconds of silence at each song's location
    double SongSeconds = 1.0;
};

// Creates the folders (iPod_Control/iTunes, Music, Device; Notes, Contacts, Calendars) and the
// files of the layout. Song sizes that are 0 are set to the size of the file written for them.
void WritePlayerTree(const std::string& root, PlayerTreeLayout layout);
