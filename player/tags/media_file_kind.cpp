#include "player/tags/media_file_kind.h"

TMediaFileMarks ReadMediaFileMarks(TagStream& stream) {
    TMediaFileMarks marks;
    const TagWindow head = stream.Window(0, 11);
    marks.ID3v2 = head.Matches(0, "ID3");
    if (marks.ID3v2) {
        marks.ID3v2Major = head.U8(3);
        return marks;
    }
    marks.RIFF = head.Matches(0, "RIF");
    marks.MP4 = head.Matches(8, "M4A");
    const uint64_t size = stream.Size();
    marks.ID3v1 = size >= kID3v1TagSize && stream.Window(size - kID3v1TagSize, 3).Matches(0, "TAG");
    return marks;
}

TMediaFileKind DetectFileKind(TagStream& stream) {
    if (stream.Size() <= kID3v1TagSize) return TMediaFileKind::Plain;
    const TMediaFileMarks marks = ReadMediaFileMarks(stream);
    if (marks.ID3v2) return TMediaFileKind::ID3v2;
    if (marks.RIFF) return marks.ID3v1 ? TMediaFileKind::RIFFWithID3v1 : TMediaFileKind::RIFF;
    if (marks.ID3v1) return TMediaFileKind::ID3v1;
    if (marks.MP4) return TMediaFileKind::MP4;
    return TMediaFileKind::Plain;
}
