#include "tests/support/asf_writer.h"

#include "foundation/encoding.h"

namespace {

// Object identifiers (GUIDs as stored).
const Bytes kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Bytes kContentDescription = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                   0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Bytes kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                               0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Bytes kDataObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                           0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

void PutLE(Bytes& out, uint64_t value, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes Object(const Bytes& guid, const Bytes& payload) {
    Bytes out = guid;
    PutLE(out, payload.size() + 24, 8);
    Append(out, payload);
    return out;
}

}  // namespace

Bytes AsfString(const std::string& text) {
    if (text.empty()) return {};
    std::string utf16 = encoding::Utf8ToUtf16Le(text);
    Bytes out(utf16.begin(), utf16.end());
    out.push_back(0);
    out.push_back(0);
    return out;
}

Bytes BuildAsf(const AsfContentDescription& c, bool descriptionFirst) {
    Bytes description;
    for (const Bytes* s : {&c.title, &c.author, &c.copyright, &c.description, &c.rating})
        PutLE(description, s->size(), 2);
    for (const Bytes* s : {&c.title, &c.author, &c.copyright, &c.description, &c.rating}) Append(description, *s);

    Bytes children;
    if (!descriptionFirst) Append(children, Object(kFileProperties, Bytes(80, 0)));
    Append(children, Object(kContentDescription, description));

    Bytes headerPayload;
    PutLE(headerPayload, descriptionFirst ? 1 : 2, 4);  // number of header objects
    headerPayload.push_back(0x01);
    headerPayload.push_back(0x02);
    Append(headerPayload, children);
    Bytes out = Object(kHeaderObject, headerPayload);
    Append(out, Object(kDataObject, Bytes(26 + 64, 0)));
    return out;
}

Bytes BuildWma(const std::string& title, const std::string& author, const std::string& description) {
    return BuildAsf({AsfString(title), AsfString(author), {}, AsfString(description), {}});
}
