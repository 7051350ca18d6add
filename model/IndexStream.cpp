#include "model/IndexStream.h"

#include <algorithm>
#include <cstring>

#include "model/TallowmarkDoc.h"

namespace tallowmark {

namespace {
constexpr std::size_t kWindowBytes = 1 << 20;
}  // namespace

Outcome ReadFailure(platform::FileError error, const std::string& path) {
    switch (error) {
        case platform::FileError::NotFound: return Outcome::Failure(FormatMessage(kMsgNotFound, path));
        case platform::FileError::AccessDenied: return Outcome::Failure(FormatMessage(kMsgAccessDenied, path));
        case platform::FileError::SharingViolation:
            return Outcome::Failure(FormatMessage(kMsgSharingViolation, path));
        default: return Outcome::Failure(kMsgFailedToOpen);
    }
}

Outcome IndexStream::Open(const std::string& path) {
    m_strPath = path;
    const platform::FileError opened = m_file.Open(path);
    if (opened != platform::FileError::None) return ReadFailure(opened, path);
    m_qwLength = m_file.Length();
    if (m_qwLength == 0) return Outcome::Success();

    if (!Hold(0, kHeaderFieldsEnd)) return ReadFailure(platform::FileError::ReadFailed, path);
    const ByteView start = Held(0, kHeaderFieldsEnd);
    if (!HasHeaderSignature(start)) return Outcome::Failure(kMsgUnexpectedFormat);
    const std::uint64_t headerLength = HeaderLengthOf(start);
    if (!Hold(0, headerLength)) return ReadFailure(platform::FileError::ReadFailed, path);
    const ByteView header = Held(0, headerLength);
    m_headerBytes.assign(header.begin(), header.end());
    m_pHeader = std::make_unique<IndexHeader>(headerLength, ByteView(m_headerBytes));
    return Outcome::Success();
}

Outcome IndexStream::Walk(const Visitor& visit) {
    if (!m_pHeader) return Outcome::Success();
    const std::uint64_t headerLength = m_pHeader->ClaimedLength();
    if (headerLength == 0 || headerLength >= m_qwLength) return Outcome::Success();
    std::uint64_t position = headerLength;
    std::uint32_t number = 0;
    do {
        if (!Hold(position, 8)) return ReadFailure(platform::FileError::ReadFailed, m_strPath);
        if (position >= m_qwLength) break;  // the file shrank since it was opened
        const ByteView start = Held(position, 8);
        const BlockShape shape = RecogniseBlock(start.first(std::min<std::size_t>(4, start.size())), ReadU32(start, 4));
        if (!Hold(position, shape.lengthInBytes)) return ReadFailure(platform::FileError::ReadFailed, m_strPath);
        const ByteView held = Held(position, shape.lengthInBytes);
        if (const auto record = MakeRecord(shape.kind, *m_pHeader, number, held, shape.lengthInBytes))
            visit(*record, position);
        ++number;
        position = NextRecordPosition(position, shape);
    } while (position < m_qwLength);
    return Outcome::Success();
}

bool IndexStream::Hold(std::uint64_t position, std::uint64_t count) {
    const std::uint64_t end = position + std::min(count, m_qwLength - std::min(position, m_qwLength));
    const std::uint64_t windowEnd = m_qwWindowStart + m_windowUsed;
    if (end <= windowEnd) return true;
    // The walk only goes forward and never past the bytes it held last, so everything
    // before `position` can go.
    const std::size_t keep = static_cast<std::size_t>(windowEnd - position);
    std::memmove(m_window.data(), m_window.data() + (position - m_qwWindowStart), keep);
    m_qwWindowStart = position;
    m_windowUsed = keep;
    // A record larger than the window grows it, never beyond what the file holds.
    const std::uint64_t needed = end - position;
    if (m_window.size() < std::max<std::uint64_t>(needed, kWindowBytes))
        m_window.resize(static_cast<std::size_t>(std::max<std::uint64_t>(needed, kWindowBytes)));
    // Read ahead as far as the window and the file's length allow.
    const std::uint64_t fileLeft = m_qwLength - (m_qwWindowStart + m_windowUsed);
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(m_window.size() - m_windowUsed, fileLeft));
    std::size_t got = 0;
    if (m_file.Read(m_window.data() + m_windowUsed, want, got) != platform::FileError::None) return false;
    m_windowUsed += got;
    // A file that shrank since it was opened ends where its bytes end.
    if (got < want) m_qwLength = m_qwWindowStart + m_windowUsed;
    return true;
}

ByteView IndexStream::Held(std::uint64_t position, std::uint64_t count) const {
    const std::uint64_t windowEnd = m_qwWindowStart + m_windowUsed;
    const std::uint64_t end = std::min(position + count, windowEnd);
    return ByteView(m_window.data() + (position - m_qwWindowStart), static_cast<std::size_t>(end - position));
}

}  // namespace tallowmark
