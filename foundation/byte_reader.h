// Bounds-checked reads of numbers and byte runs from a buffer. Every binary reader of the
// project reads through this class, so bounds live in one place. Offsets and lengths are in
// bytes. A read that runs past the end gives zeros (for numbers) or the bytes that exist
// (for runs), never a read outside the buffer.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
    ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data), size) {}
    explicit ByteReader(const std::vector<uint8_t>& data) : data_(data.data(), data.size()) {}
    explicit ByteReader(std::string_view data) : data_(reinterpret_cast<const uint8_t*>(data.data()), data.size()) {}

    size_t Size() const { return data_.size(); }
    std::span<const uint8_t> Data() const { return data_; }

    // True when [offset, offset + length) lies inside the buffer (without overflow).
    bool Has(uint64_t offset, uint64_t length) const {
        return offset <= data_.size() && length <= data_.size() - offset;
    }

    // Numbers at an absolute offset; zero when any byte of them is past the end.
    uint8_t U8(uint64_t offset) const { return offset < data_.size() ? data_[offset] : 0; }
    uint16_t U16LE(uint64_t offset) const { return Load<uint16_t, std::endian::little>(offset); }
    uint32_t U32LE(uint64_t offset) const { return Load<uint32_t, std::endian::little>(offset); }
    uint64_t U64LE(uint64_t offset) const { return Load<uint64_t, std::endian::little>(offset); }
    uint16_t U16BE(uint64_t offset) const { return Load<uint16_t, std::endian::big>(offset); }
    uint32_t U24BE(uint64_t offset) const { return Has(offset, 3) ? uint32_t(U16BE(offset)) << 8 | U8(offset + 2) : 0; }
    uint32_t U32BE(uint64_t offset) const { return Load<uint32_t, std::endian::big>(offset); }
    uint64_t U64BE(uint64_t offset) const { return Load<uint64_t, std::endian::big>(offset); }
    int16_t I16LE(uint64_t offset) const { return static_cast<int16_t>(U16LE(offset)); }
    int32_t I32LE(uint64_t offset) const { return static_cast<int32_t>(U32LE(offset)); }
    int64_t I64LE(uint64_t offset) const { return static_cast<int64_t>(U64LE(offset)); }
    int32_t I32BE(uint64_t offset) const { return static_cast<int32_t>(U32BE(offset)); }

    // The bytes of [offset, offset + length) that lie inside the buffer (possibly fewer).
    std::span<const uint8_t> Bytes(uint64_t offset, uint64_t length) const;
    // The same bytes as a string (binary-safe).
    std::string Text(uint64_t offset, uint64_t length) const;
    // True when the bytes at the offset equal the given tag exactly (e.g. "mhbd").
    bool Matches(uint64_t offset, std::string_view tag) const;
    // A reader over the part [offset, offset + length) that lies inside this buffer.
    ByteReader Sub(uint64_t offset, uint64_t length) const { return ByteReader(Bytes(offset, length)); }

private:
    // One unaligned copy into the number, then a byte swap where the host's order differs.
    template <typename T, std::endian Order>
    T Load(uint64_t offset) const {
        if (!Has(offset, sizeof(T))) return 0;
        T value;
        std::memcpy(&value, data_.data() + offset, sizeof(T));
        if constexpr (Order != std::endian::native) value = ByteSwap(value);
        return value;
    }
    static uint16_t ByteSwap(uint16_t v) { return __builtin_bswap16(v); }
    static uint32_t ByteSwap(uint32_t v) { return __builtin_bswap32(v); }
    static uint64_t ByteSwap(uint64_t v) { return __builtin_bswap64(v); }

    std::span<const uint8_t> data_;
};

// A reader that walks forward through a buffer; the same bounds rules as ByteReader.
class ByteCursor {
public:
    explicit ByteCursor(ByteReader reader, uint64_t position = 0) : reader_(reader), pos_(position) {}

    uint64_t Position() const { return pos_; }
    void Seek(uint64_t position) { pos_ = position; }
    void Skip(uint64_t count) { pos_ += count; }
    uint64_t Remaining() const { return pos_ < reader_.Size() ? reader_.Size() - pos_ : 0; }
    bool AtEnd() const { return pos_ >= reader_.Size(); }
    const ByteReader& Reader() const { return reader_; }

    uint8_t U8() { return reader_.U8(Advance(1)); }
    uint16_t U16LE() { return reader_.U16LE(Advance(2)); }
    uint32_t U32LE() { return reader_.U32LE(Advance(4)); }
    uint64_t U64LE() { return reader_.U64LE(Advance(8)); }
    uint16_t U16BE() { return reader_.U16BE(Advance(2)); }
    uint32_t U32BE() { return reader_.U32BE(Advance(4)); }
    std::span<const uint8_t> Bytes(uint64_t length) { return reader_.Bytes(Advance(length), length); }
    std::string Text(uint64_t length) { return reader_.Text(Advance(length), length); }

private:
    uint64_t Advance(uint64_t count) {
        uint64_t at = pos_;
        pos_ = (count > UINT64_MAX - pos_) ? UINT64_MAX : pos_ + count;
        return at;
    }

    ByteReader reader_;
    uint64_t pos_;
};
