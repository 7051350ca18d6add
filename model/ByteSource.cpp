#include "model/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace tallowmark {

void ReadBuffer::Resize(std::size_t size) {
    if (size > m_capacity) {
        auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        if (m_size) std::memcpy(larger.get(), m_bytes.get(), m_size);
        m_bytes = std::move(larger);
        m_capacity = size;
    }
    m_size = size;
}

void ReadBuffer::Assign(ByteView bytes) {
    Resize(bytes.size());
    if (!bytes.empty()) std::memmove(m_bytes.get(), bytes.data(), bytes.size());
}

bool MemorySource::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) {
    got = 0;
    if (offset >= m_bytes.size()) return true;
    got = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_bytes.size() - offset));
    if (got) std::memcpy(into, m_bytes.data() + offset, got);
    return true;
}

WindowSource::WindowSource(ByteSource& base, std::uint64_t start, std::uint64_t length)
    : m_base(base), m_start(std::min(start, base.Length())), m_length(std::min(length, base.Length() - m_start)) {}

bool WindowSource::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) {
    got = 0;
    if (offset >= m_length) return true;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_length - offset));
    return m_base.ReadAt(m_start + offset, into, want, got);
}

namespace {
class FileSource : public ByteSource {
public:
    platform::FileError Open(const std::string& path, platform::ImageFile::Kinds kinds) {
        return m_file.Open(path, kinds);
    }
    std::optional<platform::FileIdentity> Identity() const { return m_file.Identity(); }
    std::uint64_t Length() const override { return m_file.Length(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        return m_file.ReadAt(offset, into, count, got) == platform::FileError::None;
    }

private:
    platform::ImageFile m_file;
};
}  // namespace

OpenedFileSource OpenFileSource(const std::string& path, platform::ImageFile::Kinds kinds) {
    auto file = std::make_unique<FileSource>();
    OpenedFileSource opened;
    opened.error = file->Open(path, kinds);
    if (opened.error != platform::FileError::None) return opened;
    opened.identity = file->Identity();
    opened.source = std::move(file);
    return opened;
}

}  // namespace tallowmark
