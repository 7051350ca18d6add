#pragma once
// A whole index file found in an image: walked as the loader walks a file, with the
// status, hash entries and cuts its own bitmap and hash tables give, and the carver's
// checks on every record the walk yields. It is taken up to the length its header records
// (within the image), unless its evidence shows a block there that is not its own: from
// that block's cluster on, the bytes are another file's.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "forensic/CarveChecks.h"
#include "forensic/Timeline.h"
#include "model/ByteSource.h"
#include "model/IndexHeader.h"
#include "model/IndexRecord.h"
#include "model/RecordWalk.h"

namespace tallowmark {

class FoundFile {
public:
    // The file whose header (`headerBytes`, as `found` reads it) starts at `start` of `image`.
    FoundFile(ByteSource& image, std::uint64_t start, const carve::FoundHeader& found, ByteView headerBytes);
    FoundFile(const FoundFile&) = delete;
    FoundFile& operator=(const FoundFile&) = delete;

    // Each record the file is found to hold, where it starts in the file and where it was
    // found; the record is good only during the call.
    using Line = std::function<void(const IndexRecord& record, std::uint64_t offset, const CarvedPlace& place)>;
    // Walks the file, handing each record to `line` in file order; returns how far the
    // file is its own.
    std::uint64_t Walk(const Line& line);

private:
    struct Pending {
        std::uint64_t offset;
        std::uint32_t number;
        carve::Candidate candidate;
        std::uint64_t size;  // as the walk measured it
        std::vector<std::uint8_t> bytes;
        RecordMarks marks;
    };

    // The bitmap and the hash tables of the file's own header, as the loader reads them;
    // a chain that runs into a table that is none ends the file's own blocks there.
    void ReadEvidence();
    // Judges the record the walk stands on, and where the walk goes on after it.
    void Judge(RecordWalk& walk);
    // Whether the bitmap has any block of the cluster of `offset` in use. A cluster with
    // none holds deleted records, zeros and 0x0BADF00D in a real file; anything else is
    // another file's cluster.
    bool ClusterInUse(std::uint64_t offset) const;
    // Something that is neither a record nor free space stands at `offset`.
    void Junk(std::uint64_t offset, BlockState state);
    // The bytes from the cluster of `offset` on are not the file's.
    void Contradiction(std::uint64_t offset);
    // Hands on the records that no later contradiction can take from the file any more:
    // those ending a record and a cluster before `position`; all at the end.
    void Flush(const Line& line, std::optional<std::uint64_t> position);

    ByteSource& m_image;
    const std::uint64_t m_start;
    const carve::FoundHeader m_found;
    const std::vector<std::uint8_t> m_headerBytes;
    const IndexHeader m_header;
    BlockEvidence m_evidence;
    std::uint64_t m_limit = 0;
    std::deque<Pending> m_pending;
};

}  // namespace tallowmark
