#include "model/IndexHeader.h"

#include <algorithm>

#include "model/format/FileHeaderLayout.h"

namespace tallowmark {

IndexHeader::IndexHeader(std::uint64_t claimedLength, ByteView bytes)
    : m_qwClaimedLength(claimedLength), m_bytes(bytes), m_version(FormatVersionOf(VersionText())) {}

std::string_view IndexHeader::VersionText() const { return TextAt(m_bytes, 0); }

std::uint32_t IndexHeader::FileSizeField() const { return ReadU32(m_bytes, fileheader::kFileSize.Offset()); }

std::string_view IndexHeader::CacheDirName(int index) const {
    if (index < 0) return {};
    constexpr std::size_t kNameLength = fileheader::kCacheDirName.Width();
    const std::size_t start =
        fileheader::kCacheDirName.Offset() + fileheader::kCacheDirStep * static_cast<std::size_t>(index);
    if (start + kNameLength > m_bytes.size()) return {};
    return TextAt(m_bytes.subspan(start, kNameLength), 0);
}

void IndexHeader::Write(std::ostream& out) const {
    out.write(reinterpret_cast<const char*>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
}

}  // namespace tallowmark
