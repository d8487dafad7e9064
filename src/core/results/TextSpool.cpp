#include "results/TextSpool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace korvanes {
namespace {

// Records go to the file in pieces of about this size.
constexpr std::size_t kWriteChunk = std::size_t{64} << 10;

// A record: the text's length in 8 bytes, then the text.
void AppendRecord(std::string& out, std::string_view text)
{
    const std::uint64_t length = text.size();
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out.append(text);
}

// A file without a name in `folder`: O_TMPFILE where the file system has it,
// else a named one removed at once.
int UnnamedFile(const std::string& folder)
{
    std::error_code ec;
    const std::string dir = folder.empty() ? std::filesystem::temp_directory_path(ec).string() : folder;
    if (dir.empty()) {
        return -1;
    }
#ifdef O_TMPFILE
    const int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        return fd;
    }
#endif
    std::string name = dir + "/korvanes-spool-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0) {
        ::unlink(name.c_str());
    }
    return named;
}

}  // namespace

TextSpool::TextSpool(std::string folder, std::size_t memoryLimit)
    : m_folder(std::move(folder)), m_memoryLimit(memoryLimit)
{
}

TextSpool::~TextSpool()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void TextSpool::Add(std::string_view text)
{
    ++m_count;
    const bool spilled = m_fd >= 0 || m_fileFailed;
    if (!spilled && m_headBytes + text.size() <= m_memoryLimit) {
        m_head.emplace_back(text);
        m_headBytes += text.size();
        return;
    }
    if (m_fileFailed || !Spill(text)) {
        m_tail.emplace_back(text);
    }
}

bool TextSpool::Spill(std::string_view text)
{
    if (m_fd < 0) {
        m_fd = UnnamedFile(m_folder);
        if (m_fd < 0) {
            m_fileFailed = true;
            return false;
        }
    }
    AppendRecord(m_writeBuffer, text);
    return m_writeBuffer.size() < kWriteChunk || FlushWrites();
}

bool TextSpool::FlushWrites()
{
    std::size_t written = 0;
    while (written < m_writeBuffer.size()) {
        const ssize_t n = ::pwrite(m_fd, m_writeBuffer.data() + written, m_writeBuffer.size() - written,
                                   static_cast<off_t>(m_fileBytes + written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // The file keeps the records before these; these stay in memory,
            // as all after them do.
            m_fileFailed = true;
            std::vector<std::string> records;
            for (std::size_t at = 0; at < m_writeBuffer.size();) {
                std::uint64_t length = 0;
                std::memcpy(&length, m_writeBuffer.data() + at, sizeof length);
                records.emplace_back(m_writeBuffer, at + sizeof length, length);
                at += sizeof length + length;
            }
            m_tail.insert(m_tail.begin(), records.begin(), records.end());
            m_writeBuffer.clear();
            return true;  // the records are kept, in order
        }
        written += static_cast<std::size_t>(n);
    }
    m_fileBytes += written;
    m_writeBuffer.clear();
    return true;
}

void TextSpool::Rewind()
{
    if (m_fd >= 0 && !m_writeBuffer.empty()) {
        FlushWrites();
    }
    m_nextHead = 0;
    m_readOffset = 0;
    m_readBuffer.clear();
    m_readAt = 0;
    m_nextTail = 0;
}

std::optional<std::string> TextSpool::Next()
{
    if (m_nextHead < m_head.size()) {
        return m_head[m_nextHead++];
    }
    // Ensures `n` bytes of the file from m_readAt on in the buffer.
    auto have = [this](std::size_t n) {
        while (m_readBuffer.size() - m_readAt < n) {
            m_readBuffer.erase(0, m_readAt);
            m_readOffset += m_readAt;
            m_readAt = 0;
            const std::size_t from = m_readOffset + m_readBuffer.size();
            const std::size_t want = std::min(std::max(n, kWriteChunk), m_fileBytes - from);
            if (want == 0) {
                return false;
            }
            const std::size_t old = m_readBuffer.size();
            m_readBuffer.resize(old + want);
            const ssize_t got = ::pread(m_fd, m_readBuffer.data() + old, want, static_cast<off_t>(from));
            if (got <= 0) {
                m_readBuffer.resize(old);
                if (got < 0 && errno == EINTR) {
                    continue;
                }
                throw std::system_error(got < 0 ? errno : EIO, std::generic_category(),
                                        "reading back the temporary file of the batch run");
            }
            m_readBuffer.resize(old + static_cast<std::size_t>(got));
        }
        return true;
    };
    std::uint64_t length = 0;
    if (m_fd >= 0 && m_readOffset + m_readAt < m_fileBytes && have(sizeof length)) {
        std::memcpy(&length, m_readBuffer.data() + m_readAt, sizeof length);
        m_readAt += sizeof length;
        if (!have(length)) {
            throw std::system_error(EIO, std::generic_category(), "reading back the temporary file of the batch run");
        }
        std::string text(m_readBuffer, m_readAt, length);
        m_readAt += length;
        return text;
    }
    if (m_nextTail < m_tail.size()) {
        return m_tail[m_nextTail++];
    }
    return std::nullopt;
}

}  // namespace korvanes
