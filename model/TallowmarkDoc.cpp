#include "model/TallowmarkDoc.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "model/Digest.h"
#include "model/IndexStream.h"
#include "platform/MemoryLimit.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

namespace {
Outcome SaveFailure(platform::WriteError error, const std::string& path) {
    switch (error) {
        case platform::WriteError::NotFound: return Outcome::Failure(FormatMessage(kMsgNotFound, path));
        case platform::WriteError::AccessDenied: return Outcome::Failure(FormatMessage(kMsgAccessDenied, path));
        case platform::WriteError::DiskFull: return Outcome::Failure(FormatMessage(kMsgDiskFull, path));
        default: return Outcome::Failure(kMsgFailedToSave);
    }
}

Outcome SameFileFailure(const std::string& target, const std::string& input) {
    std::string message = FormatMessage(kMsgTargetIsOpenDocument, target);
    if (const std::size_t at = message.rfind("%2"); at != std::string::npos) message.replace(at, 2, input);
    return Outcome::Failure(std::move(message));
}

// What one record costs besides its bytes: the record object, its place in the list and
// the allocator's share.
constexpr std::uint64_t kRecordCost = sizeof(UrlRecord) + sizeof(std::unique_ptr<IndexRecord>) + 16;
}  // namespace

Outcome RefuseOpenDocumentFile(const std::string& target, const std::vector<std::string>& openFiles) {
    if (const auto same = platform::SameFileAs(target, openFiles)) return SameFileFailure(target, openFiles[*same]);
    return Outcome::Success();
}

Outcome WriteUserFile(const std::string& path, const std::vector<std::string>& inputs,
                      const std::function<void(std::ostream&)>& write, const char* cannotOpen,
                      const platform::OutputFile::WrittenCheck& check,
                      std::optional<platform::FileIdentity>* written) {
    platform::OutputFile output;
    const platform::WriteStatus opened = output.Open(path, inputs);
    if (opened.error == platform::WriteError::SameAsInput) return SameFileFailure(path, inputs[opened.input]);
    if (!opened.ok()) {
        if (cannotOpen && opened.error != platform::WriteError::DiskFull)
            return Outcome::Failure(FormatMessage(cannotOpen, path));
        return SaveFailure(opened.error, path);
    }
    write(output.Stream());
    const platform::WriteStatus committed = output.Commit(check);
    if (committed.ok()) {
        if (written) *written = committed.written;
        return Outcome::Success();
    }
    if (committed.error == platform::WriteError::NotAsWritten)
        return Outcome::Failure(FormatMessage(kMsgCopyDiffers, path));
    // Only a full disk has a message of its own once the file was made.
    return committed.error == platform::WriteError::DiskFull ? SaveFailure(committed.error, path)
                                                             : Outcome::Failure(kMsgFailedToSave);
}

void TallowmarkDoc::SetPathName(const std::string& path) {
    m_strPathName = path;
    m_strTitle = FileNameOf(path);
}

void TallowmarkDoc::DeleteContents() {
    m_records.clear();
    m_evidence = {};
    m_shortfall = {};
    m_pHeader.reset();
    m_image.reset();
    m_imageSize = 0;
    m_identity.reset();
}

std::uint64_t TallowmarkDoc::LargestLoadableFile() {
    // At most one record per block.
    return platform::UsableMemory() / (BLOCK_SIZE + kRecordCost) * BLOCK_SIZE;
}

Outcome TallowmarkDoc::OnOpenDocument(const std::string& path, const LoadProgress& progress) {
    DeleteContents();
    try {
        platform::ReadProgress reached;
        if (progress) reached = [&progress](std::uint64_t read, std::uint64_t length) { progress(read, 2 * length); };
        platform::FileContents contents = platform::ReadWholeFile(path, LargestLoadableFile(), reached);
        if (contents.error != platform::FileError::None) return ReadFailure(contents.error, path);
        Outcome loaded = OpenImage(std::move(contents.bytes), contents.size, path, progress);
        if (loaded) m_identity = contents.identity;
        return loaded;
    } catch (const std::exception&) {
        DeleteContents();
        return Outcome::Failure(kMsgFailedToOpen);
    }
}

Outcome TallowmarkDoc::OpenImage(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size, const std::string& path,
                                 const LoadProgress& progress) {
    DeleteContents();
    try {
        m_image = std::move(bytes);
        m_imageSize = size;
        // An empty file holds no signature either.
        Outcome loaded = LoadIndex(ByteView(m_image.get(), size), progress);
        if (!loaded) {
            DeleteContents();
            return loaded;
        }
        SetPathName(path);
    } catch (const std::exception&) {
        // An allocation that fails, most likely: the document stays empty.
        DeleteContents();
        return Outcome::Failure(kMsgFailedToOpen);
    }
    return Outcome::Success();
}

Outcome TallowmarkDoc::LoadIndex(ByteView file, const LoadProgress& progress) {
    if (!HasHeaderSignature(file)) return Outcome::Failure(kMsgUnexpectedFormat, FailureCause::NotAnIndexFile);
    const std::uint64_t headerLength = HeaderLengthOf(file);
    const std::uint64_t length = file.size();
    m_pHeader = std::make_unique<IndexHeader>(headerLength, file.first(std::min(headerLength, length)));
    m_shortfall = {m_pHeader->FileSizeField(), 0, length};
    m_shortfall.Reach(m_shortfall.recordedSize);
    m_shortfall.Reach(headerLength);
    if (headerLength == 0 || headerLength >= length) return Outcome::Success();
    m_evidence = ReadBlockEvidence(
        *m_pHeader, length, [&](std::uint64_t offset, std::uint8_t* into, std::size_t count) -> std::size_t {
            if (offset >= length) return 0;
            const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(count, length - offset));
            std::memcpy(into, file.data() + offset, got);
            return got;
        });

    // At most one record per block; reserving that bound keeps the walk free of regrowth.
    m_records.reserve((length - headerLength) / BLOCK_SIZE + 1);
    std::uint64_t position = headerLength;
    std::uint32_t number = 0;
    constexpr std::uint32_t kRecordsBetweenReports = 1 << 16;
    do {
        position = ReadRecordAt(file, position, number++);
        if (progress && number % kRecordsBetweenReports == 0) progress(length + std::min(position, length), 2 * length);
    } while (position < length);
    if (progress) progress(2 * length, 2 * length);
    return Outcome::Success();
}

std::uint64_t TallowmarkDoc::ReadRecordAt(ByteView file, std::uint64_t position, std::uint32_t number) {
    const ByteView rest = file.subspan(position);
    const BlockShape claimed = RecogniseBlock(rest.first(std::min<std::size_t>(4, rest.size())), ReadU32(rest, 4));
    const RecordExtent extent = ExtentOf(m_evidence, position, claimed,
                                         rest.first(std::min<std::uint64_t>(claimed.lengthInBytes, rest.size())));
    const ByteView held = rest.first(std::min<std::uint64_t>(extent.shape.lengthInBytes, rest.size()));
    m_shortfall.Reach(position + extent.shape.lengthInBytes);
    if (auto record = MakeRecord(extent.shape.kind, *m_pHeader, number, held, extent.shape.lengthInBytes, extent.marks))
        m_records.push_back(std::move(record));
    return NextRecordPosition(position, extent.shape);
}

void TallowmarkDoc::Serialize(std::ostream& out) const {
    out.write(reinterpret_cast<const char*>(m_image.get()), static_cast<std::streamsize>(m_imageSize));
}

std::vector<std::string> TallowmarkDoc::InputsWith(const std::vector<std::string>& openFiles) const {
    std::vector<std::string> inputs = openFiles;
    if (!m_strPathName.empty()) inputs.insert(inputs.begin(), m_strPathName);
    return inputs;
}

Outcome TallowmarkDoc::SaveAs(const std::string& path, const std::vector<std::string>& openFiles) {
    // A copy of evidence that told another story would be worse than none: what reached
    // the disk is read back and must hash as the bytes that were read.
    const std::string sha256 = Sha256Of(Image());
    std::optional<platform::FileIdentity> written;
    const Outcome saved = WriteUserFile(
        path, InputsWith(openFiles), [&](std::ostream& out) { Serialize(out); }, nullptr,
        [&](const std::string& copy) {
            const FileDigests digests = DigestsOfFile(copy, false);
            return digests.error == platform::FileError::None && digests.sha256 == sha256;
        },
        &written);
    if (!saved) return saved;
    const std::string original = FileNameOf(m_strPathName);
    SetPathName(path);
    m_identity = written;
    return {true, FormatMessage(kMsgSavedCopy, {original, sha256})};
}

}  // namespace tallowmark
