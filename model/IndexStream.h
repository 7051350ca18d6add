#pragma once
// One pass over a cache index file, front to back, holding only the header and the
// record at hand: for batch work on files too many or too large to load whole. It
// finds exactly the records that loading a TallowmarkDoc finds, with the same numbers.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/IndexHeader.h"
#include "model/IndexRecord.h"
#include "model/Outcome.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

// The message for a file that could not be opened or read, as loading gives it.
Outcome ReadFailure(platform::FileError error, const std::string& path);

class IndexStream {
public:
    IndexStream() = default;
    IndexStream(const IndexStream&) = delete;
    IndexStream& operator=(const IndexStream&) = delete;

    // Opens the file and reads its header region; fails as loading a document would.
    Outcome Open(const std::string& path);
    // Null for an empty file.
    const IndexHeader* Header() const { return m_pHeader.get(); }
    bool IsVersion4() const { return m_pHeader && m_pHeader->IsVersion4(); }

    // `record` and its bytes are good only during the call; `offset` is where it starts.
    using Visitor = std::function<void(const IndexRecord& record, std::uint64_t offset)>;
    // Calls `visit` for every record in file order. Fails only if reading fails midway,
    // after the records before the failure were visited.
    Outcome Walk(const Visitor& visit);

private:
    // Makes the window hold the file's bytes from `position` for `count` bytes, or up to
    // the end of the file; false on a read error.
    bool Hold(std::uint64_t position, std::uint64_t count);
    ByteView Held(std::uint64_t position, std::uint64_t count) const;

    std::string m_strPath;
    platform::SequentialFile m_file;
    std::uint64_t m_qwLength = 0;  // shortened if the file turns out shorter than it said
    std::vector<std::uint8_t> m_headerBytes;
    std::unique_ptr<IndexHeader> m_pHeader;
    std::vector<std::uint8_t> m_window;  // file bytes from m_qwWindowStart on
    std::uint64_t m_qwWindowStart = 0;
    std::size_t m_windowUsed = 0;
};

}  // namespace tallowmark
