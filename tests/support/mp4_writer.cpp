#include "tests/support/mp4_writer.h"

namespace {

void PutBE32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

}  // namespace

Bytes Mp4Atom(const std::string& name, const Bytes& payload) {
    Bytes out;
    PutBE32(out, static_cast<uint32_t>(payload.size() + 8));
    std::string fixed = name;
    fixed.resize(4, ' ');
    out.insert(out.end(), fixed.begin(), fixed.end());
    Append(out, payload);
    return out;
}

Bytes Mp4TextAtom(const std::string& name, const std::string& text) {
    Bytes data = {0, 0, 0, 1, 0, 0, 0, 0};  // type 1 (UTF-8), locale 0
    data.insert(data.end(), text.begin(), text.end());
    return Mp4Atom(name, Mp4Atom("data", data));
}

Bytes Mp4TrackAtom(int track, int count) {
    Bytes data = {0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  static_cast<uint8_t>(track >> 8),
                  static_cast<uint8_t>(track),
                  static_cast<uint8_t>(count >> 8),
                  static_cast<uint8_t>(count),
                  0,
                  0};
    return Mp4Atom("trkn", Mp4Atom("data", data));
}

Bytes BuildIlst(const M4aTags& tags, const Bytes& extraAtoms) {
    Bytes items;
    auto text = [&](const char* name, const std::string& value) {
        if (!value.empty()) Append(items, Mp4TextAtom(name, value));
    };
    text("\251nam", tags.title);
    text("\251ART", tags.artist);
    text("\251alb", tags.album);
    text("\251gen", tags.genre);
    if (tags.track > 0) Append(items, Mp4TrackAtom(tags.track, tags.trackCount));
    text("\251day", tags.year);
    Append(items, extraAtoms);
    return Mp4Atom("ilst", items);
}

Bytes BuildM4aAround(const Bytes& ilst, const M4aLayout& layout) {
    Bytes ftypPayload = {'M', '4', 'A', ' ', 0, 0, 0, 0, 'M', '4', 'A', ' ', 'm', 'p', '4', '2', 'i', 's', 'o', 'm'};
    Bytes out = Mp4Atom("ftyp", ftypPayload);

    Bytes mvhd(100, 0);
    Bytes hdlrPayload(layout.hdlrPayloadBytes, 0);
    const char handler[] = "mdirappl";
    for (size_t i = 0; i < 8 && 8 + i < hdlrPayload.size(); ++i) hdlrPayload[8 + i] = static_cast<uint8_t>(handler[i]);
    Bytes metaPayload = {0, 0, 0, 0};  // version and flags
    Append(metaPayload, Mp4Atom("hdlr", hdlrPayload));
    Append(metaPayload, ilst);
    Bytes moovPayload = Mp4Atom("mvhd", mvhd);
    Append(moovPayload, Mp4Atom("udta", Mp4Atom("meta", metaPayload)));
    Append(out, Mp4Atom("moov", moovPayload));
    Append(out, Mp4Atom("mdat", Bytes(layout.mdatBytes, 0)));
    return out;
}

Bytes BuildM4a(const M4aTags& tags, const M4aLayout& layout) {
    return BuildM4aAround(BuildIlst(tags, layout.extraIlstAtoms), layout);
}
