// libFuzzer target: the input is an index file, read the way batch work reads it: by the
// streamed reader, in pieces, and into timelines in every format. Besides staying inside
// the file's bytes, the streamed reader must find the very records that loading finds,
// whatever the pieces, and a timeline's bytes must not depend on where its pieces end.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "model/IndexStream.h"
#include "model/TallowmarkDoc.h"
#include "forensic/Timeline.h"

namespace {

using namespace tallowmark;

// What identifies a record: its number, where it starts, its kind, size and the walk's marks.
using RecordKey = std::tuple<std::uint32_t, std::uint64_t, std::string_view, std::uint64_t, RecordMarks>;

void Check(bool holds) {
    if (!holds) std::abort();
}

// The input as a file to open by name, in memory: the reader opens it as any other.
class MemoryFile {
public:
    MemoryFile() : m_fd(memfd_create("index.dat", MFD_CLOEXEC)) {}
    ~MemoryFile() { close(m_fd); }
    std::string Hold(const std::uint8_t* data, std::size_t size) {
        Check(ftruncate(m_fd, 0) == 0);
        for (std::size_t done = 0; done < size;) {
            const ssize_t written = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            Check(written > 0);
            done += static_cast<std::size_t>(written);
        }
        return "/proc/self/fd/" + std::to_string(m_fd);
    }

private:
    int m_fd;
};

std::vector<RecordKey> StreamedRecords(const std::string& path, std::size_t pieceTarget) {
    std::vector<RecordKey> records;
    IndexStream stream;
    if (!stream.Open(path)) return records;
    while (auto piece = stream.NextPiece(pieceTarget)) {
        stream.WalkPiece(*piece, [&](const IndexRecord& record, std::uint64_t offset) {
            records.emplace_back(record.RecordNumber(), offset, record.TypeName(), record.Size(), record.Marks());
        });
    }
    return records;
}

std::vector<RecordKey> LoadedRecords(const std::uint8_t* data, std::size_t size) {
    std::vector<RecordKey> records;
    auto image = std::make_unique<std::uint8_t[]>(size);
    if (size != 0) std::memcpy(image.get(), data, size);
    TallowmarkDoc doc;
    if (!doc.OpenImage(std::move(image), size, "index.dat")) return records;
    // The document keeps no offsets; the number, kind and size tell the records apart.
    for (const auto& record : doc.Records())
        records.emplace_back(record.RecordNumber(), 0, record.TypeName(), record.Size(), record.Marks());
    return records;
}

std::string Timeline(const std::string& path, const TimelineOptions& options, std::size_t pieceSize) {
    std::string all;
    FileTimeline timeline = TimelineOfFile(
        path, options,
        [&](std::string& text) {
            Check(!text.empty());
            all += text;
        },
        {}, pieceSize);
    return all + timeline.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    const std::string path = file.Hold(data, size);

    // Pieces of every size find the same records, and those the loader finds.
    const std::size_t smallPiece = size ? 1 + data[size / 2] % 8 * 128 : 1;
    const std::vector<RecordKey> streamed = StreamedRecords(path, IndexStream::kPieceTarget);
    Check(StreamedRecords(path, smallPiece) == streamed);
    const std::vector<RecordKey> loaded = LoadedRecords(data, size);
    Check(loaded.size() == streamed.size());
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        Check(std::get<0>(loaded[i]) == std::get<0>(streamed[i]));
        Check(std::get<2>(loaded[i]) == std::get<2>(streamed[i]));
        Check(std::get<3>(loaded[i]) == std::get<3>(streamed[i]));
        Check(std::get<4>(loaded[i]) == std::get<4>(streamed[i]));
    }

    // A timeline in small pieces is the timeline in one.
    const std::size_t smallText = size ? 1 + data[size - 1] % 64 : 1;
    // Every format, with the source machine's wall clock as local time and as an instant.
    static const auto zone = std::make_shared<const ZoneRules>(ZoneRules::FixedOffset(3600, "+01:00"));
    for (const TimelineFormat* format : TimelineFormats()) {
        const TimelineOptions options{format, size % 2 == 1, size % 3 == 1 ? zone : nullptr};
        Check(Timeline(path, options, smallText) == Timeline(path, options, std::size_t{1} << 30));
    }
    return 0;
}
