// The E01 reader: the one file that includes libewf, built only where it is found.
#include <libewf.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "forensic/DiskImage.h"
#include "platform/NativePath.h"

namespace tallowmark {

namespace {
// The library's own words for a failure, freed with it.
std::string TakeError(libewf_error_t*& error) {
    std::string text;
    if (error) {
        char buffer[512] = {};
        if (libewf_error_sprint(error, buffer, sizeof buffer) > 0) text = buffer;
        libewf_error_free(&error);
    }
    // The first line says what failed; the rest is the library's call stack.
    if (const auto line = text.find('\n'); line != std::string::npos) text.resize(line);
    return text.empty() ? "libewf failed" : text;
}

void DropError(libewf_error_t*& error) {
    if (error) libewf_error_free(&error);
}

// The layout of a segment file as far as its set is checked here: a 13-byte header (the
// signature, then the segment's number), then a chain of sections, each a 76-byte
// descriptor (type, the offset of the next, its size) and its data. A segment ends with a
// "next" section, the last one of a set with "done"; either points at itself.
constexpr std::uint8_t kSegmentSignature[] = {'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00};
constexpr std::size_t kSegmentNumberOffset = 9;
constexpr std::uint64_t kFirstSection = 13;
constexpr std::size_t kSectionDescriptor = 76;
constexpr std::size_t kSectionNextOffset = 16;
// The media's geometry (chunks, sectors per chunk, bytes per sector, sectors) opens the
// data of the first segment's "volume" (or "disk") section and of the others' "data".
constexpr std::size_t kGeometryBytes = 20;
// A "table" section's data starts with the number of chunks it maps ("table2" repeats it).
constexpr std::size_t kTableEntriesBytes = 4;

struct SegmentFacts {
    bool readable = false;        // an EWF segment this code knows
    std::uint16_t number = 0;     // as its header gives it
    std::string lastSection;      // "next", "done", or empty when the chain breaks off
    std::uint64_t length = 0;     // of the file
    std::uint64_t reach = 0;      // how far its sections say it goes, when past its length
    std::uint64_t chunks = 0;     // the chunks its tables map
    std::vector<std::uint8_t> geometry;
    bool Whole() const { return readable && reach == 0 && !lastSection.empty(); }
};

SegmentFacts ReadSegment(const std::string& path) {
    SegmentFacts facts;
    platform::SequentialFile file;
    if (file.Open(path) != platform::FileError::None) return facts;
    facts.length = file.Length();
    std::array<std::uint8_t, kSectionDescriptor> bytes{};
    std::size_t got = 0;
    if (file.ReadAt(0, bytes.data(), kFirstSection, got) != platform::FileError::None || got < kFirstSection ||
        std::memcmp(bytes.data(), kSegmentSignature, sizeof kSegmentSignature) != 0)
        return facts;
    facts.readable = true;
    facts.number = static_cast<std::uint16_t>(ReadLittleEndian(ByteView(bytes), kSegmentNumberOffset, 2));
    // A segment holds a few sections per gigabyte; a chain longer than its bytes allow is broken.
    for (std::uint64_t at = kFirstSection, steps = 0; steps < facts.length / kSectionDescriptor + 1; ++steps) {
        if (at + kSectionDescriptor > facts.length) {
            facts.reach = at + kSectionDescriptor;
            return facts;
        }
        if (file.ReadAt(at, bytes.data(), bytes.size(), got) != platform::FileError::None || got < bytes.size())
            return facts;
        const std::string type(reinterpret_cast<const char*>(bytes.data()),
                               strnlen(reinterpret_cast<const char*>(bytes.data()), 16));
        const std::uint64_t next = ReadU64(ByteView(bytes), kSectionNextOffset);
        if (type == "table") {
            std::array<std::uint8_t, kTableEntriesBytes> entries{};
            if (file.ReadAt(at + kSectionDescriptor, entries.data(), entries.size(), got) == platform::FileError::None &&
                got == entries.size())
                facts.chunks += ReadU32(ByteView(entries), 0);
        }
        if ((type == "volume" || type == "disk" || type == "data") && facts.geometry.empty()) {
            facts.geometry.resize(kGeometryBytes);
            if (file.ReadAt(at + kSectionDescriptor, facts.geometry.data(), kGeometryBytes, got) !=
                    platform::FileError::None ||
                got < kGeometryBytes)
                facts.geometry.clear();
        }
        if (next == at) {
            facts.lastSection = type;
            return facts;
        }
        if (next > facts.length) {
            facts.reach = next;
            return facts;
        }
        if (next < at + kSectionDescriptor) return facts;
        at = next;
    }
    return facts;
}

// The name of the segment after `path` in a set: E01 … E99, EAA … EZZ, FAA … ZZZ (in the
// letter case of the extension given).
std::string NextSegmentName(const std::string& path) {
    std::string name = path;
    if (name.size() < 3) return name + "?";
    char* extension = name.data() + name.size() - 3;
    const bool lower = extension[0] >= 'a' && extension[0] <= 'z';
    const char a = lower ? 'a' : 'A', z = lower ? 'z' : 'Z';
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (isDigit(extension[1]) && isDigit(extension[2])) {
        const int number = (extension[1] - '0') * 10 + (extension[2] - '0') + 1;
        if (number <= 99) {
            extension[1] = static_cast<char>('0' + number / 10);
            extension[2] = static_cast<char>('0' + number % 10);
        } else {
            extension[1] = extension[2] = a;
        }
    } else if (extension[2] != z) {
        ++extension[2];
    } else if (extension[1] != z) {
        ++extension[1];
        extension[2] = a;
    } else {
        ++extension[0];
        extension[1] = extension[2] = a;
    }
    return name;
}

struct SegmentSetCheck {
    // What is wrong with the set, one line each naming the segment.
    std::vector<std::string> problems;
    // When the set ends early (a segment cut short or missing): the chunks that the
    // segments before that map. No chunk after them can be read.
    std::optional<std::uint64_t> readableChunks;
};

// What is wrong with the set of `names` (the segments the library found, in order): a
// segment that is cut short, numbered out of its place, of another image, or missing
// after the last one found.
SegmentSetCheck CheckSegmentSet(const std::vector<std::string>& names) {
    SegmentSetCheck check;
    std::vector<std::string>& problems = check.problems;
    std::vector<std::uint8_t> geometry;
    std::uint64_t chunks = 0;
    bool counting = true;  // every segment so far whole
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string segment = FileNameOf(names[i]);
        const SegmentFacts facts = ReadSegment(names[i]);
        if (counting && !facts.Whole()) {
            if (facts.readable && facts.reach > facts.length) check.readableChunks = chunks;
            counting = false;
        }
        if (counting) chunks += facts.chunks;
        if (!facts.readable) {
            problems.push_back("segment " + segment + " cannot be read as a segment");
            continue;
        }
        if (facts.number != i + 1)
            problems.push_back("segment " + segment + " is segment " + std::to_string(facts.number) +
                               " of a set: the segments do not match");
        if (facts.reach > facts.length)
            problems.push_back("segment " + segment + " is cut short: it holds " + std::to_string(facts.length) +
                               " bytes, its sections go on to " + std::to_string(facts.reach));
        else if (facts.lastSection.empty())
            problems.push_back("segment " + segment + " is damaged: its sections do not end");
        if (i == 0) geometry = facts.geometry;
        else if (!facts.geometry.empty() && !geometry.empty() && facts.geometry != geometry)
            problems.push_back("segment " + segment + " belongs to another image: the segments do not match");
        if (i + 1 == names.size() && facts.lastSection == "next") {
            problems.push_back("segment " + FileNameOf(NextSegmentName(names[i])) + " is missing");
            if (counting) check.readableChunks = chunks;
        }
    }
    return check;
}

struct ByteRange {
    std::uint64_t start, end;
};

// One open handle over all the segments. A handle reads one chunk at a time, so each
// thread takes its own: chunks are decompressed on every core.
class Segments {
public:
    ~Segments() {
        if (m_handle) {
            libewf_error_t* error = nullptr;
            libewf_handle_close(m_handle, &error);
            libewf_handle_free(&m_handle, &error);
            DropError(error);
        }
    }
    std::string Open(const std::vector<std::string>& names) {
        libewf_error_t* error = nullptr;
        if (libewf_handle_initialize(&m_handle, &error) != 1) return TakeError(error);
        std::vector<char*> paths;
        for (const std::string& name : names) paths.push_back(const_cast<char*>(name.c_str()));
        if (libewf_handle_open(m_handle, paths.data(), static_cast<int>(paths.size()), LIBEWF_OPEN_READ, &error) != 1)
            return TakeError(error);
        return {};
    }
    libewf_handle_t* Handle() const { return m_handle; }
    // The byte ranges whose chunks the library could not read (it gives zeros there).
    std::vector<ByteRange> ChecksumErrors() const {
        std::vector<ByteRange> ranges;
        libewf_error_t* error = nullptr;
        std::uint32_t count = 0, bytesPerSector = 0;
        if (libewf_handle_get_number_of_checksum_errors(m_handle, &count, &error) != 1 ||
            libewf_handle_get_bytes_per_sector(m_handle, &bytesPerSector, &error) != 1) {
            DropError(error);
            return ranges;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint64_t first = 0, sectors = 0;
            if (libewf_handle_get_checksum_error(m_handle, i, &first, &sectors, &error) == 1)
                ranges.push_back({first * bytesPerSector, (first + sectors) * bytesPerSector});
            DropError(error);
        }
        return ranges;
    }

private:
    libewf_handle_t* m_handle = nullptr;
};

class ExpertWitnessImage : public ByteSource {
public:
    std::string Open(const std::string& path) {
        libewf_error_t* error = nullptr;
        char** names = nullptr;
        int count = 0;
        if (libewf_glob(path.c_str(), path.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count, &error) != 1)
            return TakeError(error);
        for (int i = 0; i < count; ++i) m_names.emplace_back(names[i]);
        libewf_glob_free(names, count, &error);
        DropError(error);
        const SegmentSetCheck check = CheckSegmentSet(m_names);
        m_problems = check.problems;
        auto first = std::make_unique<Segments>();
        if (std::string failure = first->Open(m_names); !failure.empty()) return failure;
        size64_t size = 0;
        if (libewf_handle_get_media_size(first->Handle(), &size, &error) != 1) return TakeError(error);
        size32_t chunk = 0;
        if (libewf_handle_get_chunk_size(first->Handle(), &chunk, &error) != 1 || chunk == 0) chunk = 32768;
        DropError(error);
        m_qwLength = size;
        m_qwChunk = chunk;
        // What lies past the segments the set still has is never asked of the library,
        // which keeps a chunk's buffer for every chunk it cannot read.
        m_qwReadableEnd = check.readableChunks ? std::min<std::uint64_t>(size, *check.readableChunks * chunk) : size;
        m_free.push_back(std::move(first));
        return {};
    }
    std::uint64_t Length() const override { return m_qwLength; }
    // Where the library cannot read a chunk, the bytes read as zeros and the chunk is kept
    // in Damage(): the rest of the image is still read.
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        got = 0;
        std::unique_ptr<Segments> segments = Take();
        if (!segments) return false;
        libewf_error_t* error = nullptr;
        while (got < count && offset + got < m_qwLength) {
            const std::uint64_t at = offset + got;
            if (at >= m_qwReadableEnd) {
                const std::uint64_t end = std::min(m_qwLength, offset + count);
                std::memset(into + got, 0, static_cast<std::size_t>(end - at));
                got += static_cast<std::size_t>(end - at);
                std::lock_guard<std::mutex> guard(m_lock);
                m_unreadable.push_back({at, end});
                break;
            }
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - got, m_qwReadableEnd - at));
            const ssize_t read =
                libewf_handle_read_random(segments->Handle(), into + got, want, static_cast<off64_t>(at), &error);
            DropError(error);
            if (read > 0) {
                got += static_cast<std::size_t>(read);
                continue;
            }
            // A request that reaches a chunk the library cannot read may fail whole: the
            // chunk at `at` alone, and where that fails too, zeros up to its end, noted.
            const std::uint64_t end = std::min({(at / m_qwChunk + 1) * m_qwChunk, m_qwLength, offset + count});
            const ssize_t alone = libewf_handle_read_random(segments->Handle(), into + got,
                                                            static_cast<std::size_t>(end - at), static_cast<off64_t>(at),
                                                            &error);
            DropError(error);
            if (alone > 0) {
                got += static_cast<std::size_t>(alone);
                continue;
            }
            std::memset(into + got, 0, static_cast<std::size_t>(end - at));
            got += static_cast<std::size_t>(end - at);
            std::lock_guard<std::mutex> guard(m_lock);
            m_unreadable.push_back({at, end});
        }
        GiveBack(std::move(segments));
        return true;
    }
    std::vector<std::string> Damage() const override {
        std::lock_guard<std::mutex> guard(m_lock);
        std::vector<std::string> lines = m_problems;
        std::vector<ByteRange> ranges = m_unreadable;
        for (const auto& segments : m_free) {
            const std::vector<ByteRange> more = segments->ChecksumErrors();
            ranges.insert(ranges.end(), more.begin(), more.end());
        }
        std::sort(ranges.begin(), ranges.end(), [](const ByteRange& a, const ByteRange& b) { return a.start < b.start; });
        std::vector<ByteRange> merged;
        for (const ByteRange& range : ranges) {
            if (!merged.empty() && range.start <= merged.back().end) merged.back().end = std::max(merged.back().end, range.end);
            else
                merged.push_back(range);
        }
        for (const ByteRange& range : merged)
            lines.push_back("the image cannot be read from " + std::to_string(range.start) + " to " +
                            std::to_string(std::min(range.end, m_qwLength)) + " (it reads as zeros there)");
        return lines;
    }

private:
    std::unique_ptr<Segments> Take() {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_free.empty()) {
                auto segments = std::move(m_free.back());
                m_free.pop_back();
                return segments;
            }
        }
        auto segments = std::make_unique<Segments>();
        if (!segments->Open(m_names).empty()) return nullptr;
        return segments;
    }
    void GiveBack(std::unique_ptr<Segments> segments) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_free.push_back(std::move(segments));
    }

    std::vector<std::string> m_names;
    std::vector<std::string> m_problems;  // of the segment set, found when it was opened
    std::uint64_t m_qwLength = 0;
    std::uint64_t m_qwChunk = 0;
    std::uint64_t m_qwReadableEnd = 0;  // no chunk from here on is in the segments at hand
    mutable std::mutex m_lock;
    std::vector<std::unique_ptr<Segments>> m_free;
    std::vector<ByteRange> m_unreadable;  // where a read failed
};
}  // namespace

bool ReadsExpertWitnessImages() { return true; }

OpenedImage OpenExpertWitnessImage(const std::string& path) {
    auto image = std::make_unique<ExpertWitnessImage>();
    if (std::string failure = image->Open(path); !failure.empty())
        return {Outcome::Failure(path + ": " + failure), nullptr};
    return {Outcome::Success(), std::move(image)};
}

}  // namespace tallowmark
