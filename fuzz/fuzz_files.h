// The scratch folder of a fuzz target that reads files: one per process, memory-backed when
// there is such a folder (such targets write files on every input), removed when the run ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "foundation/file_write.h"

namespace fuzz {

const std::string& WorkFolder();

inline void RemoveWorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(WorkFolder(), ignored);
}

// The folder, without a trailing "/".
inline const std::string& WorkFolder() {
    static const std::string folder = [] {
        const std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string made = base + "/harrowin_fuzz_" + std::to_string(::getpid());
        std::filesystem::create_directories(made);
        return made;
    }();
    // Registered after `folder` exists, so it runs before `folder` goes away.
    [[maybe_unused]] static const bool cleanup = std::atexit(RemoveWorkFolder) == 0;
    return folder;
}

inline std::string_view AsText(const uint8_t* data, size_t size) { return {reinterpret_cast<const char*>(data), size}; }

// Writes the bytes as the file of that name below the folder (its folders made) and returns
// its full path.
inline std::string WriteFile(const std::string& name, std::string_view bytes) {
    const std::filesystem::path path = std::filesystem::path(WorkFolder()) / name;
    std::filesystem::create_directories(path.parent_path());
    WriteWholeFile(path.string(), bytes);
    return path.string();
}

// The last byte of the input, which targets take as their switch: a file from elsewhere is a
// seed as it stands, and the switch byte stays part of what is read.
inline uint8_t LastByte(const uint8_t* data, size_t size) { return size == 0 ? 0 : data[size - 1]; }

}  // namespace fuzz
