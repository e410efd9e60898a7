// Writer of minimal M4A (MP4 audio) files for tests: a file-type atom with the brand "M4A ",
// a movie atom holding udta > meta > hdlr + ilst with the metadata atoms, and a media data atom.
// Sizes are in bytes; texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// An atom: 4-byte big-endian size (header included), 4-byte name, payload.
Bytes Mp4Atom(const std::string& name, const Bytes& payload);
// A metadata text atom (e.g. "\xA9nam"): one inner "data" atom of type 1 (UTF-8), locale 0.
Bytes Mp4TextAtom(const std::string& name, const std::string& text);
// The track-number atom "trkn" (its data atom holds 8 bytes: 0, track, count, 0).
Bytes Mp4TrackAtom(int track, int count);

struct M4aTags {
    std::string title{}, artist{}, album{}, year{}, genre{};  // empty texts get no atom
    int track = 0, trackCount = 0;                            // no trkn atom when track is 0
};

struct M4aLayout {
    uint32_t hdlrPayloadBytes = 26;  // 26 as iTunes writes it; 25 as some other encoders do
    uint64_t mdatBytes = 1024;       // media data after the movie atom
    Bytes extraIlstAtoms;            // appended to the ilst after the tag atoms
};

// The ilst atom holding the tags (in the order nam, ART, alb, gen, trkn, day) and extras.
Bytes BuildIlst(const M4aTags& tags, const Bytes& extraAtoms = {});
// A whole M4A file around an ilst atom.
Bytes BuildM4aAround(const Bytes& ilst, const M4aLayout& layout = {});
Bytes BuildM4a(const M4aTags& tags, const M4aLayout& layout = {});
