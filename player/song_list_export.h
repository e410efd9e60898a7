// The tab-separated song list ("iPodLibrary.TXT") that a music library program can import:
// a header line of 27 columns and one line per song or video copied to the PC, collected for
// the whole run of the program and saved as UTF-16LE without byte-order mark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/song_records.h"

class TITXMakeLibrary {
public:
    TITXMakeLibrary();

    // Empties the list and adds the header line.
    void Reset();
    // Appends the line of one song; the location is the text the copy gives for it. Control
    // characters in the texts (tabs, line breaks) become blanks.
    void AddSong(const TITBSongItem& Song, const std::string& Location);
    // Writes every line followed by CR LF as UTF-16LE through the safe writer (a file of that
    // name is replaced, a link there refused); EFileError when the file cannot be written (the
    // list, and a file that was there, stay as they were).
    void SaveToFile(const std::string& FileName) const;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;  // UTF-8
};

// A number column: the signed decimal text, empty for 0.
std::string NumberText(int32_t Value);
