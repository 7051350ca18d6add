#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

#include "model/Format.h"

namespace tallowmark {

// The header region of one index file: the bytes from offset 0 up to the first hash
// table. It holds only the bytes the file has, so a header length that claims more
// than the file holds never makes us invent bytes.
class IndexHeader {
public:
    IndexHeader(std::uint64_t claimedLength, ByteView bytes);
    virtual ~IndexHeader() = default;

    std::uint64_t ClaimedLength() const { return m_qwClaimedLength; }
    ByteView Bytes() const { return m_bytes; }

    std::string_view VersionText() const;
    std::uint32_t FileSizeField() const;
    // The format version the version text names, read once: it decides where a URL
    // record keeps its fields.
    FormatVersion Version() const { return m_version; }
    bool IsVersion4() const { return m_version == FormatVersion::V4_7; }
    // Name of cache directory `index`; empty when no directory has that index.
    std::string_view CacheDirName(int index) const;

    void Write(std::ostream& out) const;

private:
    std::uint64_t m_qwClaimedLength;
    ByteView m_bytes;
    FormatVersion m_version;  // asked for every URL record, and the bytes never change
};

}  // namespace tallowmark
