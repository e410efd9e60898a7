// A fresh empty folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing "/".
    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Writes a file below the folder (creating its parent folders) and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

// Reads a whole file as bytes (empty when it cannot be read).
std::string ReadFileText(const std::string& path);

// The regular files below a folder, as paths relative to it, sorted (empty when it cannot be
// read).
std::vector<std::string> FilesUnder(const std::string& folder);
