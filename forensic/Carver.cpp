#include "forensic/Carver.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <utility>

#include "forensic/CarveChecks.h"
#include "forensic/CarveLimits.h"
#include "model/IndexRecord.h"
#include "model/IndexStream.h"
#include "model/RecordExtent.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "presentation/AnsiText.h"
#include "presentation/OrderedWork.h"

namespace tallowmark {

using namespace carve;

namespace {
// A loose record has no header of its own: these stand in for one of each layout, with
// no cache directories, so its directory is empty.
const IndexHeader& LooseHeader(Layout layout) {
    static constexpr char kV5[] = "Client UrlCache MMF Ver 5.2";
    static constexpr char kV4[] = "Client UrlCache MMF Ver 4.7";
    static const IndexHeader v5(sizeof kV5, ByteView(reinterpret_cast<const std::uint8_t*>(kV5), sizeof kV5));
    static const IndexHeader v4(sizeof kV4, ByteView(reinterpret_cast<const std::uint8_t*>(kV4), sizeof kV4));
    return layout == Layout::Version4 ? v4 : v5;
}

// Calls `line` with the record `candidate` proves over `bytes`, `size` bytes long: built
// over its proven bytes as they are, or, where blocks after them may belong to something
// else (`elsewhere`), over a copy that drops the texts they do not hold whole. Marked
// partial when only its first blocks were proven or the walk cut it short.
template <class Line>
void WithRecord(ByteView bytes, std::uint64_t size, const Candidate& candidate, bool elsewhere,
                const IndexHeader& header, std::uint32_t number, RecordMarks marks, Line&& line) {
    marks = RecordMarks(marks.Status(), marks.Hashed(), candidate.Partial());
    if (!elsewhere || (!candidate.fileNameCut && !candidate.headersCut)) {
        VisitRecord(candidate.kind, header, number, bytes.first(std::min(bytes.size(), candidate.proven)), size, marks,
                    line);
        return;
    }
    const std::vector<std::uint8_t> proven = ProvenBytes(bytes, candidate);
    VisitRecord(candidate.kind, header, number, ByteView(proven), size, marks, line);
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

// The bytes of an image from some offset on, read a window at a time.
class ImageWindow {
public:
    ImageWindow(ByteSource& image, std::uint64_t base) : m_image(image), m_base(base) {}
    // Up to `length` bytes from `offset` (counted from the base); fewer at the image's
    // end or where it cannot be read.
    ByteView At(std::uint64_t offset, std::size_t length) {
        if (offset < m_start || offset + length > m_start + m_bytes.size()) {
            constexpr std::size_t kWindow = 1 << 20;
            const std::size_t want = std::max(kWindow, length);
            m_bytes.Resize(want);
            std::size_t got = 0;
            if (!m_image.ReadAt(m_base + offset, m_bytes.data(), want, got)) got = 0;
            m_bytes.Resize(got);
            m_start = offset;
        }
        const auto from = static_cast<std::size_t>(offset - m_start);
        return ByteView(m_bytes)
            .subspan(std::min(from, m_bytes.size()))
            .first(std::min(length, m_bytes.size() - std::min(from, m_bytes.size())));
    }

private:
    ByteSource& m_image;
    std::uint64_t m_base;
    std::uint64_t m_start = 0;
    ReadBuffer m_bytes;
};

// A whole index file found in the image: walked as the loader walks a file, with the
// status, hash entries and cuts its own bitmap and hash tables give, judged record by
// record, up to the length its header records (within the image), unless its evidence
// shows a block there that is not its own.
class FoundFile {
public:
    FoundFile(ByteSource& image, std::uint64_t start, const FoundHeader& found, ByteView headerBytes)
        : m_start(start),
          m_found(found),
          m_headerBytes(headerBytes.begin(), headerBytes.end()),
          m_header(found.headerLength, ByteView(m_headerBytes)),
          m_window(image, start) {
        m_limit = std::min<std::uint64_t>(found.fileSize, image.Length() - start);
    }

    // Walks the file, handing each record and where it was found to `line`; returns how
    // far the file is its own.
    template <class Line>
    std::uint64_t Walk(Line&& line) {
        ReadEvidence();
        std::uint64_t position = m_found.headerLength;
        std::uint32_t number = 0;
        while (position < m_limit) {
            const auto room = static_cast<std::size_t>(std::min<std::uint64_t>(m_limit - position, kMostRecordBytes));
            const ByteView bytes = m_window.At(position, room);
            if (bytes.size() < BLOCK_SIZE) break;
            const BlockShape claimed = RecogniseBlock(bytes.first(4), ReadU32(bytes, 4));
            const BlockState state = m_evidence.bitmap.StateAt(position);
            const bool target = m_evidence.hashTables.PointsAt(position);
            std::uint64_t step = BLOCK_SIZE;
            switch (claimed.kind) {
                case BlockKind::Url:
                case BlockKind::Leak:
                case BlockKind::Redirect: {
                    // Where the loader's walk would end it, then the carver's checks on that.
                    const RecordStep cut =
                        StepOf(m_evidence, position, claimed,
                               bytes.first(std::min<std::uint64_t>(bytes.size(), claimed.lengthInBytes)));
                    const ByteView held = bytes.first(std::min<std::uint64_t>(bytes.size(), cut.shape.lengthInBytes));
                    if (const auto candidate = CheckCandidate(held, held.size())) {
                        m_pending.push_back({position, number, *candidate, cut.shape.lengthInBytes,
                                             std::vector<std::uint8_t>(held.begin(), held.end()),
                                             MarksAt(m_evidence, position, false)});
                        step = cut.shape.lengthInBytes;
                    } else {
                        Junk(position, state);
                    }
                    break;
                }
                case BlockKind::Hash: {
                    const std::uint32_t count = ReadU32(bytes, 4);
                    if (count >= 1 && count <= kMostRecordBlocks) {
                        step = claimed.lengthInBytes;
                    } else {
                        Junk(position, state);
                    }
                    if (target) Contradiction(position);
                    break;
                }
                case BlockKind::Blank:
                    if (state != BlockState::Free || target) Contradiction(position);
                    break;
                case BlockKind::Unrecognised:
                    Junk(position, state);
                    if (target) Contradiction(position);
                    break;
                case BlockKind::BadFood:
                    if (target) Contradiction(position);
                    break;
            }
            // A hash entry that points inside what was stepped over points at no record.
            if (step > BLOCK_SIZE && m_evidence.hashTables.PointsInside(position, step))
                for (std::uint64_t block = position + BLOCK_SIZE; block < position + step; block += BLOCK_SIZE)
                    if (m_evidence.hashTables.PointsAt(block)) {
                        Contradiction(block);
                        break;
                    }
            ++number;
            position += step;
            Flush(line, position);
        }
        Flush(line, std::nullopt);
        return m_limit;
    }

private:
    struct Pending {
        std::uint64_t offset;
        std::uint32_t number;
        Candidate candidate;
        std::uint64_t size;  // as the walk measured it
        std::vector<std::uint8_t> bytes;
        RecordMarks marks;
    };

    // The bitmap and the hash tables of the file's own header, as the loader reads them;
    // a chain that runs into a table that is none ends the file's own blocks there.
    void ReadEvidence() {
        m_evidence =
            ReadBlockEvidence(m_header, m_limit, [&](std::uint64_t offset, std::uint8_t* into, std::size_t count) {
                const ByteView bytes = m_window.At(offset, count);
                std::copy(bytes.begin(), bytes.end(), into);
                return bytes.size();
            });
        if (m_evidence.hashTables.EndTable() != 0) Contradiction(m_evidence.hashTables.EndTable());
    }

    // Whether the bitmap has any block of the cluster of `offset` in use. A cluster with
    // none holds deleted records, zeros and 0x0BADF00D in a real file; anything else is
    // another file's cluster.
    bool ClusterInUse(std::uint64_t offset) const {
        const std::uint64_t cluster = RoundDown(offset, kClusterSize);
        for (std::uint64_t block = cluster; block < cluster + kClusterSize; block += BLOCK_SIZE)
            if (m_evidence.bitmap.StateAt(block) != BlockState::Free) return true;
        return false;
    }
    // Something that is neither a record nor free space stands at `offset`.
    void Junk(std::uint64_t offset, BlockState state) {
        if (state != BlockState::Free || !ClusterInUse(offset)) Contradiction(offset);
    }

    // The bytes from the cluster of `offset` on are not the file's.
    void Contradiction(std::uint64_t offset) {
        m_limit = std::min(m_limit, std::max<std::uint64_t>(m_found.headerLength, RoundDown(offset, kClusterSize)));
    }

    // Hands on the records that no later contradiction can take from the file any more:
    // those ending a record and a cluster before `position`; all at the end.
    template <class Line>
    void Flush(Line& line, std::optional<std::uint64_t> position) {
        while (!m_pending.empty()) {
            Pending& first = m_pending.front();
            const std::uint64_t end = first.offset + first.candidate.proven;
            if (position && end + kMostRecordBytes + kClusterSize > *position) break;
            if (first.offset < m_limit) {
                Candidate candidate = first.candidate;
                std::uint64_t size = first.size;
                // A record the walk cut ends where another begins; one the file's limit
                // cuts goes on in blocks that are not the file's.
                const bool pastTheLimit = first.offset + candidate.proven > m_limit;
                if (pastTheLimit) {
                    // Its end lies in blocks that are not the file's: judged by those before.
                    const auto together = static_cast<std::size_t>(m_limit - first.offset);
                    const auto cut = CheckCandidate(ByteView(first.bytes).first(together), together);
                    if (!cut) {
                        m_pending.pop_front();
                        continue;
                    }
                    candidate = *cut;
                    size = candidate.size;
                }
                WithRecord(first.bytes, size, candidate, pastTheLimit, m_header, first.number, first.marks,
                           [&](const IndexRecord& record) {
                               line(record, first.offset, CarvedPlace{m_start + first.offset, m_start});
                           });
            }
            m_pending.pop_front();
        }
    }

    const std::uint64_t m_start;
    const FoundHeader m_found;
    const std::vector<std::uint8_t> m_headerBytes;
    const IndexHeader m_header;
    ImageWindow m_window;
    BlockEvidence m_evidence;
    std::uint64_t m_limit = 0;
    std::deque<Pending> m_pending;
};

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
        across.Resize(more);
        std::size_t read = 0;
        if (!image.ReadAt(start + at, across.data(), more, read)) read = 0;
        across.Resize(read);
        return ByteView(across);
    };
    for (std::size_t at = 0; at + BLOCK_SIZE <= bytes.size(); at += BLOCK_SIZE) {
        const std::uint8_t* block = bytes.data() + at;
        const std::uint64_t offset = start + at;
        if (offset % kSectorSize == 0 && MayBeHeader(block)) {
            if (CheckFileHeader(from(at, kBitmapOffset))) result.findings.push_back({offset, true});
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
        WithRecord(rest.first(std::min<std::uint64_t>(rest.size(), candidate->proven)), candidate->proven, *candidate, true,
                   LooseHeader(candidate->layout), 0, RecordMarks(RecordStatus::Unknown, false, false),
                   [&](const IndexRecord& record) {
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

std::string HexText(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value);
    return "0x" + text;
}
}  // namespace

std::string ExtractedFileName(std::uint64_t imageOffset) { return "index-" + HexText(imageOffset) + ".dat"; }

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
                ImageWindow headerWindow(image, finding.offset);
                const ByteView headerBytes = headerWindow.At(0, kMostHeaderLength);
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
