#include "foundation/byte_reader.h"

#include <cstring>

std::span<const uint8_t> ByteReader::Bytes(uint64_t offset, uint64_t length) const {
    if (offset >= data_.size()) return {};
    uint64_t available = data_.size() - offset;
    return data_.subspan(offset, length < available ? length : available);
}

std::string ByteReader::Text(uint64_t offset, uint64_t length) const {
    auto bytes = Bytes(offset, length);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool ByteReader::Matches(uint64_t offset, std::string_view tag) const {
    if (!Has(offset, tag.size())) return false;
    return std::memcmp(data_.data() + offset, tag.data(), tag.size()) == 0;
}
