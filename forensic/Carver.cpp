#include "forensic/Carver.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <utility>

#include "forensic/CarveChecks.h"
#include "forensic/CarveLimits.h"
#include "forensic/FoundFile.h"
#include "forensic/TimelineFields.h"
#include "model/ByteSource.h"
#include "model/IndexRecord.h"
#include "model/format/FileHeaderLayout.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "presentation/AnsiText.h"
#include "presentation/OrderedWork.h"

namespace tallowmark {

using namespace carve;

namespace {
// A loose record has no header of its own: these stand in for one of each layout, with
// no cache directories, so its directory is empty.
const IndexHeader& LooseHeader(FormatVersion version) {
    static constexpr char kV5[] = "Client UrlCache MMF Ver 5.2";
    static constexpr char kV4[] = "Client UrlCache MMF Ver 4.7";
    static const IndexHeader v5(sizeof kV5, ByteView(reinterpret_cast<const std::uint8_t*>(kV5), sizeof kV5));
    static const IndexHeader v4(sizeof kV4, ByteView(reinterpret_cast<const std::uint8_t*>(kV4), sizeof kV4));
    return version == FormatVersion::V4_7 ? v4 : v5;
}

// What one piece of the image holds, in image order: loose records (their lines made
// already) and the headers of whole files, which are walked when the piece is delivered.
struct Finding {
    std::uint64_t offset = 0;
    bool header = false;
    std::size_t textStart = 0, textEnd = 0;  // the lines, in the piece's text
    std::size_t wallClockTimes = 0;          // in those lines
};

struct PieceResult {
    std::uint64_t start = 0, end = 0;
    bool read = true;
    std::string text;
    std::vector<Finding> findings;
};

std::uint64_t RoundDown(std::uint64_t value, std::uint64_t unit) { return value / unit * unit; }

// Up to `count` bytes of `image` at `offset` into `bytes`: fewer at the image's end, none
// where it cannot be read.
ByteView ReadImage(ByteSource& image, std::uint64_t offset, std::size_t count, ReadBuffer& bytes) {
    bytes.Resize(count);
    std::size_t got = 0;
    if (!image.ReadAt(offset, bytes.data(), count, got)) got = 0;
    bytes.Resize(got);
    return bytes;
}

PieceResult CarvePiece(ByteSource& image, std::uint64_t start, std::size_t pieceBytes, ReadBuffer& buffer,
                       const std::string& source, const TimelineOptions& options) {
    PieceResult result;
    result.start = start;
    const std::uint64_t length = image.Length();
    result.end = std::min<std::uint64_t>(length, start + pieceBytes);
    const auto want = static_cast<std::size_t>(result.end - start);
    buffer.Resize(want);
    std::size_t got = 0;
    if (!image.ReadAt(start, buffer.data(), want, got)) {
        result.read = false;
        return result;
    }
    buffer.Resize(got);
    const ByteView bytes(buffer);
    const TimelineHandOn keep = [](std::string&) {};
    TimelineWriter lines(options, source, result.text, keep, std::numeric_limits<std::size_t>::max());
    // A record or header starting near the piece's end may reach into the next piece:
    // its bytes are read again, whole, when it needs them. Pieces read no more than
    // their own bytes otherwise.
    ReadBuffer across;
    auto from = [&](std::size_t at, std::size_t needed) -> ByteView {
        if (at + needed <= bytes.size() || start + bytes.size() >= length) return bytes.subspan(at);
        const auto more = static_cast<std::size_t>(std::min<std::uint64_t>(kMostRecordBytes, length - start - at));
        return ReadImage(image, start + at, more, across);
    };
    for (std::size_t at = 0; at + BLOCK_SIZE <= bytes.size(); at += BLOCK_SIZE) {
        const std::uint8_t* block = bytes.data() + at;
        const std::uint64_t offset = start + at;
        if (offset % kSectorSize == 0 && MayBeHeader(block)) {
            if (CheckFileHeader(from(at, fileheader::kBitmap.Offset()))) result.findings.push_back({offset, true});
            continue;
        }
        if (!HoldsEntrySignature(ByteView(block, 4))) continue;
        const std::uint32_t count = ReadU32(bytes, at + 4);
        if (count == 0 || count > kMostRecordBlocks) continue;
        // Only the record's first sector is sure to be its own: nothing past it is read.
        const auto together = static_cast<std::size_t>(RoundDown(offset, kContiguousUnit) + kContiguousUnit - offset);
        const ByteView rest = from(at, std::min<std::size_t>(count * std::size_t{BLOCK_SIZE}, together));
        const auto candidate = CheckCandidate(rest, together);
        if (!candidate) continue;
        Finding finding{offset, false, result.text.size()};
        const std::size_t wallClockTimes = lines.WallClockTimes();
        VisitCandidate(rest.first(std::min<std::uint64_t>(rest.size(), candidate->proven)), candidate->proven,
                       *candidate, true, LooseHeader(candidate->version), 0,
                       RecordMarks(RecordStatus::Unknown, false, false), [&](const IndexRecord& record) {
                           lines.AddCarved(record, offset, CarvedPlace{offset, std::nullopt});
                       });
        finding.textEnd = result.text.size();
        finding.wallClockTimes = lines.WallClockTimes() - wallClockTimes;
        result.findings.push_back(finding);
    }
    return result;
}

// Writes the found file's own bytes out, never over a file that is there.
bool Extract(ByteSource& image, std::uint64_t start, std::uint64_t length, const CarveOptions& options,
             const std::function<void(const std::string&)>& say) {
    const std::string target =
        Utf8FromPath(PathFromUtf8(options.extractFolder) / PathFromUtf8(ExtractedFileName(start)));
    WindowSource file(image, start, length);
    return ExtractBytes(file, target, options.inputs, say);
}
}  // namespace

std::string ExtractedFileName(std::uint64_t imageOffset) {
    std::string name = "index-";
    AppendHex(name, imageOffset);
    return name + ".dat";
}

CarveResult CarveImage(ByteSource& image, const std::string& source, const CarveOptions& options, std::ostream& out,
                       const std::function<void(const std::string&)>& say,
                       const std::function<void(const CarveProgress&)>& progress) {
    CarveResult result;
    const std::string shownSource = TextToUtf8(source);
    const std::uint64_t length = image.Length();
    const std::size_t pieceBytes = options.pieceBytes ? options.pieceBytes / BLOCK_SIZE * BLOCK_SIZE : kPieceBytes;
    const std::size_t pieces = static_cast<std::size_t>((length + pieceBytes - 1) / pieceBytes);
    SpareBuffers<ReadBuffer> spare;
    std::uint64_t suppressedEnd = 0;  // records before this lie in a found file
    std::string fileLines;
    const TimelineHandOn handOnFileLines = [&](std::string& text) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    };
    TimelineWriter fileWriter(options.timeline, shownSource, fileLines, handOnFileLines);

    RunInOrder<PieceResult>(
        pieces, std::max(1u, options.jobs),
        [&](std::size_t piece) {
            ReadBuffer buffer = spare.Take();
            PieceResult found =
                CarvePiece(image, std::uint64_t{piece} * pieceBytes, pieceBytes, buffer, shownSource, options.timeline);
            spare.GiveBack(std::move(buffer));
            return found;
        },
        [&](PieceResult&& piece) {
            if (!piece.read) {
                say(source + ": the image cannot be read from " + std::to_string(piece.start) + " to " +
                    std::to_string(piece.end));
                result.allRead = false;
            }
            for (const Finding& finding : piece.findings) {
                if (finding.offset < suppressedEnd) continue;
                if (!finding.header) {
                    out.write(piece.text.data() + finding.textStart,
                              static_cast<std::streamsize>(finding.textEnd - finding.textStart));
                    ++result.records;
                    result.wallClockTimes += finding.wallClockTimes;
                    continue;
                }
                ReadBuffer headerRead;
                const ByteView headerBytes = ReadImage(
                    image, finding.offset,
                    static_cast<std::size_t>(std::min<std::uint64_t>(kMostHeaderLength, length - finding.offset)),
                    headerRead);
                const auto header = CheckFileHeader(headerBytes);
                if (!header) continue;
                FoundFile file(image, finding.offset, *header,
                               headerBytes.first(std::min<std::size_t>(headerBytes.size(), header->headerLength)));
                const std::uint64_t own =
                    file.Walk([&](const IndexRecord& record, std::uint64_t offset, const CarvedPlace& place) {
                        fileWriter.AddCarved(record, offset, place);
                        ++result.records;
                    });
                handOnFileLines(fileLines);
                fileLines.clear();
                ++result.foundFiles;
                suppressedEnd = finding.offset + own;
                if (!options.extractFolder.empty() && !Extract(image, finding.offset, own, options, say))
                    result.allExtracted = false;
            }
            if (progress) progress({piece.end, length, result.records});
        });
    result.wallClockTimes += fileWriter.WallClockTimes();
    for (const std::string& damage : image.Damage()) {
        say(source + ": " + damage);
        result.allRead = false;
    }
    out.flush();
    return result;
}

}  // namespace tallowmark
