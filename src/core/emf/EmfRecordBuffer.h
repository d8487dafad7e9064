#pragma once
// A growing little-endian byte buffer of metafile records. Each record is
// opened with its type, filled with fields, and closed, which pads it to a
// multiple of four bytes and writes its size.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace korvanes::emf {

class RecordBuffer {
public:
    // Starts a record of `type`; its size field is written by EndRecord.
    void BeginRecord(std::uint32_t type);
    // Pads the open record with zero bytes to a multiple of four and writes
    // its size. Counts the record.
    void EndRecord();

    void U8(std::uint8_t v) { m_bytes.push_back(v); }
    void U16(std::uint16_t v);
    void U32(std::uint32_t v);
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float v);
    // `count` zero bytes.
    void Zeros(std::size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    // Each unit as two bytes, low byte first.
    void Utf16(std::u16string_view text);

    // Offset of the next byte from the start of the open record.
    std::uint32_t RecordOffset() const;
    // Overwrites four bytes at `offset` (from the start of the buffer).
    void PatchU32(std::size_t offset, std::uint32_t v);

    std::size_t Size() const { return m_bytes.size(); }
    std::uint32_t RecordCount() const { return m_records; }
    std::vector<std::uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_recordStart = 0;
    std::uint32_t m_records = 0;
};

}  // namespace korvanes::emf
