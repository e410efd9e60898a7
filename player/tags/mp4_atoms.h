// The metadata atoms of an MP4 (M4A) audio file: the title, artist, album, year and genre texts
// of the "ilst" list, found by walking the atoms from the file's start into the containers that
// lead to it. Sizes are in bytes; texts are UTF-8.
#pragma once

class TagStream;
struct TMP3Tag;

namespace mp4 {

// Fills the texts that have an atom; the others stay as given. The audio facts are not read.
void ReadMetadataAtoms(TagStream& stream, TMP3Tag& tag);

}  // namespace mp4
