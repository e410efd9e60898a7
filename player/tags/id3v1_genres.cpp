// The genre names of ID3v1 genre numbers 0 to 125, spelled as the player's users know them.
#include "player/tags/mp3_tag_reader.h"

#include <array>

namespace {

constexpr std::array<const char*, 126> kGenres = {
    // 0-9
    "Blues", "クラシックロック", "Country", "Dance", "Disco", "Funk", "Grunge", "ヒップホップ", "Jazz", "Metal",
    // 10-19
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    // 20-29
    "Alternative", "Ska", "DeathMetal", "Pranks", "サウンドトラック", "ユーロテクノ", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk",
    // 30-39
    "Fusion", "トランス", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise",
    // 40-49
    "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic",
    "Gothic",
    // 50-59
    "Drakwave", "Techno-Industrial", "Electronic", "Pop-Folk", "EuroDance", "Dream", "Southern Rock", "Comedy", "Cult",
    "Gangsta",
    // 60-69
    "Top 40", "Christian Rap", "Pop/Folk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave",
    "Showtunes",
    // 70-79
    "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    // 80-89
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass",
    // 90-99
    "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "SympathicRock", "Slow Rock", "Big Band",
    "Chorus", "Easy Listening", "Acoustic",
    // 100-109
    "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Brass", "Primus",
    "Porn Groove",
    // 110-119
    "Satire", "Slow Jam", "Club", "Tango", "Samba", "Follore", "Ballad", "Power Ballad", "Rhytmic Soul", "Freestyle",
    // 120-125
    "Suet", "Punk Rock", "Drum Solo", "A Capela", "Euro-House", "Dance Hall"};

}  // namespace

std::string ID3v1GenreName(int number) {
    if (number >= 0 && number < static_cast<int>(kGenres.size())) return kGenres[static_cast<size_t>(number)];
    return "Unknown";
}
