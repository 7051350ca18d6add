#include "model/TallowmarkDoc.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/OutputFile.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

namespace {
Outcome ReadFailure(platform::FileError error, const std::string& path) {
    switch (error) {
        case platform::FileError::NotFound: return Outcome::Failure(FormatMessage(kMsgNotFound, path));
        case platform::FileError::AccessDenied: return Outcome::Failure(FormatMessage(kMsgAccessDenied, path));
        case platform::FileError::SharingViolation:
            return Outcome::Failure(FormatMessage(kMsgSharingViolation, path));
        default: return Outcome::Failure(kMsgFailedToOpen);
    }
}
}  // namespace

namespace {
Outcome SaveFailure(platform::WriteError error, const std::string& path) {
    switch (error) {
        case platform::WriteError::NotFound: return Outcome::Failure(FormatMessage(kMsgNotFound, path));
        case platform::WriteError::AccessDenied: return Outcome::Failure(FormatMessage(kMsgAccessDenied, path));
        case platform::WriteError::DiskFull: return Outcome::Failure(FormatMessage(kMsgDiskFull, path));
        default: return Outcome::Failure(kMsgFailedToSave);
    }
}
}  // namespace

void TallowmarkDoc::SetPathName(const std::string& path) {
    m_strPathName = path;
    const std::size_t separator = path.find_last_of("/\\");
    m_strTitle = separator == std::string::npos ? path : path.substr(separator + 1);
}

void TallowmarkDoc::DeleteContents() {
    m_records.clear();
    m_pHeader.reset();
    m_image.reset();
}

Outcome TallowmarkDoc::OnOpenDocument(const std::string& path) {
    DeleteContents();
    platform::FileContents contents = platform::ReadWholeFile(path);
    if (contents.error != platform::FileError::None) return ReadFailure(contents.error, path);
    return OpenImage(std::move(contents.bytes), contents.size, path);
}

Outcome TallowmarkDoc::OpenImage(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size, const std::string& path) {
    DeleteContents();
    m_image = std::move(bytes);
    if (size != 0) {
        Outcome loaded = LoadIndex(ByteView(m_image.get(), size));
        if (!loaded) {
            DeleteContents();
            return loaded;
        }
    }
    SetPathName(path);
    return Outcome::Success();
}

Outcome TallowmarkDoc::LoadIndex(ByteView file) {
    if (file.size() < HEADER_SIGNATURE.size() ||
        std::memcmp(file.data(), HEADER_SIGNATURE.data(), HEADER_SIGNATURE.size()) != 0)
        return Outcome::Failure(kMsgUnexpectedFormat);

    const std::uint32_t fileSizeField = ReadU32(file, kFileSizeFieldOffset);
    const std::uint32_t firstHashTable = ReadU32(file, kFirstHashTableOffset);
    const std::uint64_t headerLength = firstHashTable != 0 ? firstHashTable : fileSizeField;
    const std::uint64_t length = file.size();
    m_pHeader = std::make_unique<IndexHeader>(headerLength, file.first(std::min(headerLength, length)));
    if (headerLength == 0 || headerLength >= length) return Outcome::Success();

    // At most one record per block; reserving that bound keeps the walk free of regrowth.
    m_records.reserve((length - headerLength) / BLOCK_SIZE + 1);
    std::uint64_t position = headerLength;
    std::uint32_t number = 0;
    do {
        position = ReadRecordAt(file, position, number++);
    } while (position < length);
    return Outcome::Success();
}

std::uint64_t TallowmarkDoc::ReadRecordAt(ByteView file, std::uint64_t position, std::uint32_t number) {
    const ByteView rest = file.subspan(position);
    const BlockShape shape = RecogniseBlock(rest.first(std::min<std::size_t>(4, rest.size())), ReadU32(rest, 4));
    const ByteView held = rest.first(std::min<std::uint64_t>(shape.lengthInBytes, rest.size()));
    const std::uint64_t size = shape.lengthInBytes;
    const IndexHeader& header = *m_pHeader;

    std::unique_ptr<IndexRecord> record;
    switch (shape.kind) {
        case BlockKind::Url: record = std::make_unique<UrlRecord>(header, number, held, size); break;
        case BlockKind::Leak: record = std::make_unique<LeakRecord>(header, number, held, size); break;
        case BlockKind::Hash: record = std::make_unique<HashRecord>(header, number, held, size); break;
        case BlockKind::Redirect: record = std::make_unique<RedirectRecord>(header, number, held, size); break;
        case BlockKind::BadFood:
            record = std::make_unique<FillRecord>(header, number, kTypeBadFood, held, size);
            break;
        case BlockKind::Blank: record = std::make_unique<FillRecord>(header, number, kTypeBlank, held, size); break;
        case BlockKind::Unrecognised: break;
    }
    if (record) m_records.push_back(std::move(record));

    // A length beyond 32 bits ends the walk after this record.
    if (size > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint64_t>::max();
    return position + size;
}

void TallowmarkDoc::Serialize(std::ostream& out) const {
    if (m_pHeader) m_pHeader->Write(out);
    for (const auto& record : m_records) record->Write(out);
}

Outcome TallowmarkDoc::SaveAs(const std::string& path) {
    platform::OpenedOutput output = platform::OpenForWriting(path);
    if (!output.file) return SaveFailure(output.error, path);
    {
        platform::StdioStreamBuf buffer(output.file.get());
        std::ostream out(&buffer);
        Serialize(out);
    }
    const platform::WriteError closed = platform::CloseWritten(std::move(output.file));
    if (closed != platform::WriteError::None) return SaveFailure(closed, path);
    SetPathName(path);
    return Outcome::Success();
}

}  // namespace tallowmark
