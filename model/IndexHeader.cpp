#include "model/IndexHeader.h"

#include <algorithm>

namespace tallowmark {

IndexHeader::IndexHeader(std::uint64_t claimedLength, ByteView bytes)
    : m_qwClaimedLength(claimedLength),
      m_bytes(bytes),
      m_bVersion4(VersionText().find(" Ver 4.") != std::string_view::npos) {}

std::string_view IndexHeader::VersionText() const { return TextAt(m_bytes, 0); }

std::uint32_t IndexHeader::FileSizeField() const { return ReadU32(m_bytes, kFileSizeFieldOffset); }

bool IndexHeader::IsVersion4() const { return m_bVersion4; }

std::string_view IndexHeader::CacheDirName(int index) const {
    if (index < 0) return {};
    const std::size_t start = kCacheDirNamesOffset + kCacheDirEntryStep * static_cast<std::size_t>(index);
    if (start + kCacheDirNameLength > m_bytes.size()) return {};
    return TextAt(m_bytes.subspan(start, kCacheDirNameLength), 0);
}

void IndexHeader::Write(std::ostream& out) const {
    out.write(reinterpret_cast<const char*>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
}

}  // namespace tallowmark
