// Writes the sample player tree that `make run` opens: a player a newcomer can explore without
// owning one. Usage: write_sample_player <folder>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "samples/sample_areas.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    try {
        // Only a tree this program wrote before is replaced.
        if (fs::exists(root)) {
            if (!fs::exists(root + "/iPod_Control") && !fs::is_empty(root)) {
                std::fprintf(stderr, "%s exists and is not a sample player; not touched\n", root.c_str());
                return 1;
            }
            fs::remove_all(root);
        }
        fs::create_directories(root);
        WriteSampleSongs(root);
        WriteSamplePictures(root);
        WriteSampleOrganiser(root);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "writing the sample player failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
