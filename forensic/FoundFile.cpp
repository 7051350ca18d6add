#include "forensic/FoundFile.h"

#include <algorithm>

#include "forensic/CarveLimits.h"

namespace tallowmark {

using namespace carve;

namespace {
std::uint64_t RoundDown(std::uint64_t value, std::uint64_t unit) { return value / unit * unit; }
}  // namespace

FoundFile::FoundFile(ByteSource& image, std::uint64_t start, const FoundHeader& found, ByteView headerBytes)
    : m_image(image),
      m_start(start),
      m_found(found),
      m_headerBytes(headerBytes.begin(), headerBytes.end()),
      m_header(found.headerLength, ByteView(m_headerBytes)),
      m_limit(std::min<std::uint64_t>(found.fileSize, image.Length() - start)) {}

std::uint64_t FoundFile::Walk(const Line& line) {
    ReadEvidence();
    WindowSource file(m_image, m_start, m_limit);
    // No record the carver takes is longer than it reads of one.
    RecordWalk walk(file, m_header, m_evidence, WalkReading{.mostHeld = kMostRecordBytes});
    while (walk.Position() < m_limit) {
        // What lies past a contradiction is not the file's: no record is judged by it.
        walk.EndAt(m_limit);
        if (!walk.Next()) break;
        if (walk.Held().size() < BLOCK_SIZE) break;
        Judge(walk);
        Flush(line, walk.Position());
    }
    Flush(line, std::nullopt);
    return m_limit;
}

void FoundFile::ReadEvidence() {
    WindowSource file(m_image, m_start, m_limit);
    m_evidence = ReadBlockEvidence(m_header, file);
    if (m_evidence.hashTables.EndTable() != 0) Contradiction(m_evidence.hashTables.EndTable());
}

void FoundFile::Judge(RecordWalk& walk) {
    const WalkedRecord& found = walk.Record();
    const ByteView held = walk.Held();
    const std::uint64_t position = found.offset;
    const BlockState state = m_evidence.bitmap.StateAt(position);
    const bool target = m_evidence.hashTables.PointsAt(position);
    switch (found.kind) {
        case BlockKind::Url:
        case BlockKind::Leak:
        case BlockKind::Redirect:
            // Where the walk ends it, then the carver's checks on that.
            if (const auto candidate = CheckCandidate(held, held.size())) {
                m_pending.push_back({position, found.number, *candidate, found.length,
                                     std::vector<std::uint8_t>(held.begin(), held.end()), found.marks});
            } else {
                Junk(position, state);
                walk.GoOnAt(position + BLOCK_SIZE);
            }
            break;
        case BlockKind::Hash: {
            // A table is taken whole; the hash entries judge what lies inside it (below).
            const std::uint32_t count = ReadU32(held, kRecordBlockCount.Offset());
            if (count >= 1 && count <= kMostRecordBlocks) {
                walk.GoOnAt(position + std::uint64_t{count} * BLOCK_SIZE);
            } else {
                Junk(position, state);
                walk.GoOnAt(position + BLOCK_SIZE);
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
    const std::uint64_t step = walk.Position() - position;
    if (step > BLOCK_SIZE && m_evidence.hashTables.PointsInside(position, step))
        for (std::uint64_t block = position + BLOCK_SIZE; block < position + step; block += BLOCK_SIZE)
            if (m_evidence.hashTables.PointsAt(block)) {
                Contradiction(block);
                break;
            }
}

bool FoundFile::ClusterInUse(std::uint64_t offset) const {
    const std::uint64_t cluster = RoundDown(offset, kClusterSize);
    for (std::uint64_t block = cluster; block < cluster + kClusterSize; block += BLOCK_SIZE)
        if (m_evidence.bitmap.StateAt(block) != BlockState::Free) return true;
    return false;
}

void FoundFile::Junk(std::uint64_t offset, BlockState state) {
    if (state != BlockState::Free || !ClusterInUse(offset)) Contradiction(offset);
}

void FoundFile::Contradiction(std::uint64_t offset) {
    m_limit = std::min(m_limit, std::max<std::uint64_t>(m_found.headerLength, RoundDown(offset, kClusterSize)));
}

void FoundFile::Flush(const Line& line, std::optional<std::uint64_t> position) {
    while (!m_pending.empty()) {
        Pending& first = m_pending.front();
        const std::uint64_t end = first.offset + first.candidate.proven;
        if (position && end + kMostRecordBytes + kClusterSize > *position) break;
        if (first.offset < m_limit) {
            Candidate candidate = first.candidate;
            std::uint64_t size = first.size;
            // A record the walk cut ends where another begins; one the file's limit cuts
            // goes on in blocks that are not the file's.
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
            VisitCandidate(first.bytes, size, candidate, pastTheLimit, m_header, first.number, first.marks,
                           [&](const IndexRecord& record) {
                               line(record, first.offset, CarvedPlace{m_start + first.offset, m_start});
                           });
        }
        m_pending.pop_front();
    }
}

}  // namespace tallowmark
