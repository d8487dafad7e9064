#include "emf/EmfRecordBuffer.h"

#include <cstring>

namespace korvanes::emf {

void RecordBuffer::BeginRecord(std::uint32_t type)
{
    m_recordStart = m_bytes.size();
    U32(type);
    U32(0);
}

void RecordBuffer::EndRecord()
{
    while ((m_bytes.size() - m_recordStart) % 4 != 0) {
        m_bytes.push_back(0);
    }
    PatchU32(m_recordStart + 4, static_cast<std::uint32_t>(m_bytes.size() - m_recordStart));
    ++m_records;
}

void RecordBuffer::U16(std::uint16_t v)
{
    m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
}

void RecordBuffer::U32(std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8) {
        m_bytes.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
    }
}

void RecordBuffer::F32(float v)
{
    static_assert(sizeof(float) == sizeof(std::uint32_t));
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
}

void RecordBuffer::Utf16(std::u16string_view text)
{
    for (char16_t unit : text) {
        U16(static_cast<std::uint16_t>(unit));
    }
}

std::uint32_t RecordBuffer::RecordOffset() const
{
    return static_cast<std::uint32_t>(m_bytes.size() - m_recordStart);
}

void RecordBuffer::PatchU32(std::size_t offset, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k) {
        m_bytes[offset + k] = static_cast<std::uint8_t>((v >> (8 * k)) & 0xFF);
    }
}

}  // namespace korvanes::emf
