#pragma once
// Texts kept in the order they come, for a run of any length: in memory up
// to a limit, the rest in a temporary file without a name (it vanishes with
// the spool, or with the process), so that the memory a run holds stays
// bounded however many texts it gathers. Where no such file can be made or
// written, the texts stay in memory: nothing is ever lost.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanes {

class TextSpool {
public:
    // `folder`: where the temporary file goes (empty: the system's
    // temporary folder); `memoryLimit`: the bytes kept in memory before the
    // texts go to the file.
    explicit TextSpool(std::string folder = std::string(), std::size_t memoryLimit = std::size_t{4} << 20);
    ~TextSpool();
    TextSpool(const TextSpool&) = delete;
    TextSpool& operator=(const TextSpool&) = delete;

    void Add(std::string_view text);
    std::size_t Count() const { return m_count; }

    // The texts in the order they were added, one per call, from the first
    // again after Rewind; nothing after the last. Add must not be called
    // while they are read.
    void Rewind();
    std::optional<std::string> Next();

private:
    bool Spill(std::string_view record);  // false: the file cannot take it
    bool FlushWrites();

    std::string m_folder;
    std::size_t m_memoryLimit;
    std::size_t m_count = 0;

    // In order: m_head, then the file's records, then m_tail.
    std::vector<std::string> m_head;  // while they fit the limit
    std::size_t m_headBytes = 0;
    int m_fd = -1;                    // the temporary file, once there is one
    bool m_fileFailed = false;
    std::string m_writeBuffer;        // records not yet written to the file
    std::size_t m_fileBytes = 0;      // bytes of whole records in the file
    std::vector<std::string> m_tail;  // those the file could not take

    // Reading.
    std::size_t m_nextHead = 0;
    std::size_t m_readOffset = 0;     // in the file, of m_readBuffer's first byte
    std::string m_readBuffer;
    std::size_t m_readAt = 0;         // in m_readBuffer
    std::size_t m_nextTail = 0;
};

}  // namespace korvanes
