#include "model/TallowmarkDoc.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "model/Digest.h"
#include "model/IndexStream.h"
#include "platform/MemoryLimit.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"

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

// What one record costs besides its bytes: its entry and its places in a list's rows.
constexpr std::uint64_t kRecordCost = sizeof(RecordEntry) + 2 * sizeof(std::uint32_t);
}  // namespace

Outcome RefuseOpenDocumentFile(const std::string& target, const std::vector<std::string>& openFiles) {
    if (const auto same = platform::SameFileAs(target, openFiles)) return SameFileFailure(target, openFiles[*same]);
    return Outcome::Success();
}

Outcome WriteUserFile(const std::string& path, const std::vector<std::string>& inputs,
                      const std::function<void(std::ostream&)>& write, const char* cannotOpen,
                      const platform::OutputFile::WrittenCheck& check, std::optional<platform::FileIdentity>* written) {
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
    m_records = {};
    m_oddPlaces = {};
    m_numberSteps = {};
    m_evidence = {};
    m_shortfall = {};
    m_pHeader.reset();
    m_pImage.reset();
    m_nImageSize = 0;
    m_identity.reset();
}

std::uint64_t TallowmarkDoc::LargestLoadableFile() {
    // At most one record per block.
    return platform::UsableMemory() / (BLOCK_SIZE + kRecordCost) * BLOCK_SIZE;
}

Outcome TallowmarkDoc::OnOpenDocument(const std::string& path, const LoadProgress& progress) {
    DeleteContents();
    const OpenedFileSource file = OpenFileSource(path, platform::ImageFile::Kinds::FilesOnly);
    if (file.error != platform::FileError::None) return ReadFailure(file.error, path);
    Outcome loaded = OpenSource(*file.source, path, progress);
    if (loaded) m_identity = file.identity;
    return loaded;
}

Outcome TallowmarkDoc::OpenSource(ByteSource& source, const std::string& name, const LoadProgress& progress) {
    DeleteContents();
    try {
        // Refused before anything is allocated or read: more than the machine can hold.
        const std::uint64_t length = source.Length();
        if (length > std::min<std::uint64_t>(LargestLoadableFile(), SIZE_MAX))
            return ReadFailure(platform::FileError::TooLarge, name);
        const auto size = static_cast<std::size_t>(length);
        auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(std::max<std::size_t>(size, 1));
        // Read in pieces, so that progress can be told; a source that shrank since it was
        // opened gives what it still holds.
        std::size_t got = 0;
        while (got < size) {
            const std::size_t want = std::min(kReadPiece, size - got);
            std::size_t read = 0;
            if (!source.ReadAt(got, bytes.get() + got, want, read))
                return ReadFailure(platform::FileError::ReadFailed, name);
            got += read;
            if (progress) progress(got, 2 * std::uint64_t{size});
            if (read < want) break;
        }
        return OpenImage(std::move(bytes), got, name, progress);
    } catch (const std::exception&) {
        DeleteContents();
        return Outcome::Failure(kMsgFailedToOpen);
    }
}

Outcome TallowmarkDoc::OpenImage(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size, const std::string& path,
                                 const LoadProgress& progress) {
    DeleteContents();
    try {
        m_pImage = std::move(bytes);
        m_nImageSize = size;
        // An empty file holds no signature either.
        Outcome loaded = LoadIndex(Image(), progress);
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
    m_pHeader =
        std::make_unique<IndexHeader>(headerLength, file.first(std::min<std::uint64_t>(headerLength, file.size())));
    // The records view into the bytes where they lie.
    MemorySource source(file);
    m_evidence = ReadBlockEvidence(*m_pHeader, source);
    RecordWalk walk(source, *m_pHeader, m_evidence);
    // At most one record per block; reserving that bound keeps the walk free of regrowth.
    if (!walk.AtEnd()) m_records.reserve((file.size() - walk.Position()) / BLOCK_SIZE + 1);
    const std::uint64_t length = file.size();
    constexpr std::uint32_t kStepsBetweenReports = 1 << 16;
    for (std::uint32_t steps = 1; !walk.AtEnd(); ++steps) {
        ReadRecordAt(walk);
        if (progress && steps % kStepsBetweenReports == 0)
            progress(length + std::min(walk.Position(), length), 2 * length);
    }
    m_shortfall = walk.Shortfall();
    if (progress) progress(2 * length, 2 * length);
    return Outcome::Success();
}

void TallowmarkDoc::ReadRecordAt(RecordWalk& walk) {
    if (!walk.Next()) return;
    const WalkedRecord& found = walk.Record();
    // The record is made once here, to tell its kind of entry from its URL text.
    VisitRecord(found.kind, *m_pHeader, found.number, walk.Held(), found.length, found.marks,
                [&](const IndexRecord& record) {
                    RecordEntry entry{};
                    constexpr std::uint64_t kMostBlocks = (1u << 20) - 1;
                    const bool onBlocks = found.offset % BLOCK_SIZE == 0 && found.offset / BLOCK_SIZE <= UINT32_MAX &&
                                          found.length % BLOCK_SIZE == 0 && found.length / BLOCK_SIZE <= kMostBlocks;
                    if (onBlocks) {
                        entry.block = static_cast<std::uint32_t>(found.offset / BLOCK_SIZE);
                        entry.blocks = static_cast<std::uint32_t>(found.length / BLOCK_SIZE);
                    } else {
                        entry.odd = 1;
                        entry.block = static_cast<std::uint32_t>(m_oddPlaces.size());
                        m_oddPlaces.push_back({found.offset, found.length});
                    }
                    entry.kind = static_cast<std::uint8_t>(found.kind);
                    entry.marks = record.Marks().Bits();
                    const auto place = static_cast<std::uint32_t>(m_records.size());
                    const std::uint32_t skipped = found.number - place;
                    if (skipped != (m_numberSteps.empty() ? 0 : m_numberSteps.back().skipped))
                        m_numberSteps.push_back({place, skipped});
                    m_records.push_back(entry);
                });
}

std::uint32_t TallowmarkDoc::NumberOf(std::size_t index) const {
    const auto place = static_cast<std::uint32_t>(index);
    if (m_numberSteps.empty() || place < m_numberSteps.front().place) return place;
    const auto after = std::upper_bound(m_numberSteps.begin(), m_numberSteps.end(), place,
                                        [](std::uint32_t at, const NumberStep& step) { return at < step.place; });
    return place + std::prev(after)->skipped;
}

IndexRecord TallowmarkDoc::Record(std::size_t index) const {
    const RecordEntry& entry = m_records[index];
    const OddPlace place = entry.odd ? m_oddPlaces[entry.block]
                                     : OddPlace{std::uint64_t{entry.block} * BLOCK_SIZE,
                                                std::uint64_t{entry.blocks} * BLOCK_SIZE};
    const std::uint64_t length = place.length;
    const ByteView rest = Image().subspan(static_cast<std::size_t>(place.offset));
    return IndexRecord(*m_pHeader, NumberOf(index), static_cast<BlockKind>(entry.kind),
                       rest.first(static_cast<std::size_t>(std::min<std::uint64_t>(length, rest.size()))), length,
                       RecordMarks::FromBits(static_cast<std::uint8_t>(entry.marks)));
}

void TallowmarkDoc::Serialize(std::ostream& out) const {
    out.write(reinterpret_cast<const char*>(m_pImage.get()), static_cast<std::streamsize>(m_nImageSize));
}

std::vector<std::string> TallowmarkDoc::InputsWith(const std::vector<std::string>& openFiles) const {
    std::vector<std::string> inputs = openFiles;
    const std::string& own = m_pOrigin ? m_pOrigin->Place().image : m_strPathName;
    if (!own.empty()) inputs.insert(inputs.begin(), own);
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
    m_pOrigin.reset();
    return {true, FormatMessage(kMsgSavedCopy, {original, sha256})};
}

}  // namespace tallowmark
