// A FAT volume of a test's own, mounted through FUSE (fusefat) while the object lives: no
// permissions (chmod fails with ENOSYS), names folded by case, as on a player or a memory card.
// Not mounted where mkfs.vfat, fusefat or /dev/fuse are missing; the test then skips.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

class TFatVolume {
public:
    // Makes a 16 MiB image in the folder and mounts it on the folder's "fat".
    explicit TFatVolume(const TempDir& dir);
    ~TFatVolume();
    TFatVolume(const TFatVolume&) = delete;
    TFatVolume& operator=(const TFatVolume&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Root() const { return root_; }

private:
    std::string root_;
    bool mounted_ = false;
};
