#include "forensic/CarveChecks.h"

#include <algorithm>
#include <cstring>

#include "forensic/CarveLimits.h"

namespace tallowmark::carve {

namespace {
// A text of the record: where it starts and where its NUL is (or where the proven bytes
// end, for a text a partial record holds only the start of).
struct TextSpan {
    std::size_t start = 0, end = 0;
    bool cut = false;
};

// The text at `offset` of `record`: NUL-ended inside it, or, when `mayBeCut`, reaching
// its end. Nothing when neither.
std::optional<TextSpan> TextIn(ByteView record, std::size_t offset, bool mayBeCut) {
    if (offset >= record.size()) return std::nullopt;
    const void* nul = std::memchr(record.data() + offset, 0, record.size() - offset);
    if (nul) return TextSpan{offset, static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - record.data())};
    if (!mayBeCut) return std::nullopt;
    return TextSpan{offset, record.size(), true};
}

// Control characters never stand in a URL or a file name; bytes above 0x7F do, in the
// system's code page.
bool IsTextByte(std::uint8_t byte) { return byte >= 0x20 && byte != 0x7F; }

bool IsSchemeByte(std::uint8_t byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '+' || byte == '-' || byte == '.';
}

// A URL text as the records hold them: characters a URL can hold. (Not every URL record
// has a scheme: the leak sample holds "System_Deployment_Log_…" entries.)
bool IsUrlText(ByteView record, const TextSpan& text) {
    const ByteView bytes = record.subspan(text.start, text.end - text.start);
    return !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), IsTextByte);
}

// A redirect's target, which has less around it to prove it: a URL with a scheme ending
// in a colon early on ("http:").
bool IsRedirectText(ByteView record, const TextSpan& text) {
    const ByteView bytes = record.subspan(text.start, text.end - text.start);
    if (bytes.empty()) return false;
    const std::size_t colon = static_cast<std::size_t>(std::find(bytes.begin(), bytes.end(), ':') - bytes.begin());
    if (colon >= bytes.size() || colon >= kMostSchemeLength) return false;
    if (!std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(colon), IsSchemeByte)) return false;
    return std::all_of(bytes.begin(), bytes.end(), IsTextByte);
}

bool IsFileNameText(ByteView record, const TextSpan& text) {
    const ByteView bytes = record.subspan(text.start, text.end - text.start);
    return !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) {
        return IsTextByte(byte) && !std::memchr("\\/:*?\"<>|", byte, 9);
    });
}

bool IsPlausibleTime(std::uint64_t time) { return time == 0 || (time >= kEarliestTime && time < kLatestTime); }

bool Overlap(std::size_t aStart, std::size_t aEnd, std::size_t bStart, std::size_t bEnd) {
    return aStart < bEnd && bStart < aEnd;
}

// The checks of a URL or LEAK record on `record` (its proven bytes; `whole` when they are
// all `size` bytes of it).
bool CheckUrlFields(ByteView record, Candidate& candidate, bool whole) {
    const bool leak = candidate.kind == BlockKind::Leak;
    bool hasUrl = true;
    if (ReadU32(record, kUrlOffsetFieldV5) == kUrlTextOffset) candidate.layout = Layout::Version5;
    else if (ReadU32(record, kUrlOffsetFieldV4) == kUrlTextOffset)
        candidate.layout = Layout::Version4;
    else if (leak && ReadU32(record, kUrlOffsetFieldV5) == kUnsetField)
        hasUrl = false;
    else
        return false;
    if (!leak && !(IsPlausibleTime(ReadU64(record, kModifiedTimeOffset)) &&
                   IsPlausibleTime(ReadU64(record, kAccessedTimeOffset))))
        return false;

    std::vector<TextSpan> used;
    if (hasUrl) {
        const auto url = TextIn(record, kUrlTextOffset, !whole);
        // A LEAK record may have lost its URL; a URL record never has.
        if (!url || (url->start == url->end ? !leak : !IsUrlText(record, *url))) return false;
        used.push_back({url->start, url->end + 1});
    }

    // The file name: none, or a name inside the record after the fixed fields.
    const std::uint32_t nameAt = ReadU32(record, kFileNameOffsetField);
    bool hasName = false;
    if (nameAt != 0 && nameAt != kUnsetField) {
        if (nameAt < kFirstTextOffset || nameAt >= candidate.size) return false;
        if (nameAt >= record.size()) {
            candidate.fileNameCut = true;  // in blocks a partial record does not hold
        } else if (const auto name = TextIn(record, nameAt, !whole); !name || !IsFileNameText(record, *name)) {
            return false;
        } else if (name->cut) {
            candidate.fileNameCut = true;
        } else {
            used.push_back({name->start, name->end + 1});
            hasName = true;
        }
    }
    // A LEAK is proven by its file name, or by the start of one its proven blocks cut.
    if (leak && !hasName && !candidate.fileNameCut) return false;

    // The headers: none, or data inside the record; version 5 says how long.
    const std::uint32_t headersAt = ReadU32(record, kHttpHeadersOffsetField);
    if (headersAt != 0 && headersAt != kUnsetField) {
        if (headersAt < kFirstTextOffset || headersAt >= candidate.size) return false;
        if (candidate.layout == Layout::Version5) {
            const std::uint64_t end = std::uint64_t{headersAt} + ReadU32(record, kUrlFieldsV5.dataSize);
            if (end > candidate.size) return false;
            if (end > record.size()) candidate.headersCut = true;
            else
                used.push_back({headersAt, static_cast<std::size_t>(end)});
        }
    }

    // The texts lie one after another, never one inside another.
    for (std::size_t i = 0; i < used.size(); ++i)
        for (std::size_t j = i + 1; j < used.size(); ++j)
            if (Overlap(used[i].start, used[i].end, used[j].start, used[j].end)) return false;
    return true;
}

bool CheckRedirectFields(ByteView record, bool whole) {
    const auto url = TextIn(record, kRedirectUrlOffset, !whole);
    return url && IsRedirectText(record, *url);
}

std::optional<Candidate> CheckFields(ByteView record, Candidate candidate, bool whole) {
    candidate.proven = record.size();
    candidate.fileNameCut = candidate.headersCut = false;
    const bool good = candidate.kind == BlockKind::Redirect ? CheckRedirectFields(record, whole)
                                                            : CheckUrlFields(record, candidate, whole);
    if (!good) return std::nullopt;
    return candidate;
}
}  // namespace

std::optional<Candidate> CheckCandidate(ByteView bytes, std::size_t together) {
    if (bytes.size() < BLOCK_SIZE) return std::nullopt;
    const BlockShape shape = RecogniseBlock(bytes.first(4), ReadU32(bytes, 4));
    if (shape.kind != BlockKind::Url && shape.kind != BlockKind::Leak && shape.kind != BlockKind::Redirect)
        return std::nullopt;
    const std::uint32_t count = ReadU32(bytes, 4);
    if (count == 0 || count > kMostRecordBlocks) return std::nullopt;
    Candidate candidate;
    candidate.kind = shape.kind;
    candidate.size = shape.lengthInBytes;
    together = std::min(together, bytes.size()) / BLOCK_SIZE * BLOCK_SIZE;
    if (together == 0) return std::nullopt;
    if (candidate.size <= together) return CheckFields(bytes.first(candidate.size), candidate, true);
    // Its later blocks may lie elsewhere, or past the end of the image: the blocks known
    // to lie together with the first prove what they hold of a record that continues.
    return CheckFields(bytes.first(together), candidate, false);
}

std::vector<std::uint8_t> ProvenBytes(ByteView bytes, const Candidate& candidate) {
    std::vector<std::uint8_t> proven(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(candidate.proven));
    auto clear = [&](std::size_t field) {
        if (field + 4 <= proven.size()) std::memset(proven.data() + field, 0, 4);
    };
    if (candidate.fileNameCut) clear(kFileNameOffsetField);
    if (candidate.headersCut) clear(kHttpHeadersOffsetField);
    return proven;
}

std::optional<FoundHeader> CheckFileHeader(ByteView bytes) {
    if (bytes.size() < kBitmapOffset || !HasHeaderSignature(bytes)) return std::nullopt;
    const ByteView version = bytes.first(kVersionTextEnd);
    if (std::find(version.begin() + HEADER_SIGNATURE.size(), version.end(), 0) == version.end()) return std::nullopt;
    FoundHeader header;
    header.headerLength = ReadU32(bytes, kFirstHashTableOffset);
    header.fileSize = ReadU32(bytes, kFileSizeFieldOffset);
    const std::uint32_t blocks = ReadU32(bytes, kBlockCountOffset), inUse = ReadU32(bytes, kBlocksInUseOffset);
    const bool good = header.headerLength >= kBitmapFirstBlock && header.headerLength <= kMostHeaderLength &&
                      header.headerLength % BLOCK_SIZE == 0 && header.fileSize > header.headerLength &&
                      header.fileSize % BLOCK_SIZE == 0 && blocks > 0 &&
                      kBitmapFirstBlock + std::uint64_t{blocks} * BLOCK_SIZE <= header.fileSize && inUse <= blocks;
    if (!good) return std::nullopt;
    return header;
}

}  // namespace tallowmark::carve
