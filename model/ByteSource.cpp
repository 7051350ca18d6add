#include "model/ByteSource.h"

#include <algorithm>
#include <cstring>

#include "platform/ImageFile.h"

namespace tallowmark {

bool MemorySource::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) {
    got = 0;
    if (offset >= m_bytes.size()) return true;
    got = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_bytes.size() - offset));
    if (got) std::memcpy(into, m_bytes.data() + offset, got);
    return true;
}

WindowSource::WindowSource(ByteSource& base, std::uint64_t start, std::uint64_t length)
    : m_base(base),
      m_qwStart(std::min(start, base.Length())),
      m_qwLength(std::min(length, base.Length() - m_qwStart)) {}

bool WindowSource::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) {
    got = 0;
    if (offset >= m_qwLength) return true;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_qwLength - offset));
    return m_base.ReadAt(m_qwStart + offset, into, want, got);
}

namespace {
class FileSource : public ByteSource {
public:
    platform::FileError Open(const std::string& path) { return m_file.Open(path); }
    std::uint64_t Length() const override { return m_file.Length(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        return m_file.ReadAt(offset, into, count, got) == platform::FileError::None;
    }

private:
    platform::ImageFile m_file;
};
}  // namespace

OpenedFileSource OpenFileSource(const std::string& path) {
    auto file = std::make_unique<FileSource>();
    OpenedFileSource opened;
    opened.error = file->Open(path);
    if (opened.error == platform::FileError::None) opened.source = std::move(file);
    return opened;
}

}  // namespace tallowmark
