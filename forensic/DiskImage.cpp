#include "forensic/DiskImage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "model/IndexStream.h"
#include "platform/OutputFile.h"

namespace tallowmark {

namespace {
constexpr const char* kExpertWitness2Refused =
    " is an Ex01 image, which this program does not read: convert it with ewfexport first";

// The segments of a split raw image, one after the other as one image.
class SegmentedSource : public ByteSource {
public:
    void Add(std::unique_ptr<ByteSource> segment) {
        m_starts.push_back(m_qwLength);
        m_qwLength += segment->Length();
        m_segments.push_back(std::move(segment));
    }
    std::uint64_t Length() const override { return m_qwLength; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        got = 0;
        // The last segment that starts at or before the offset (empty ones are passed over).
        auto at = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
        if (at == m_starts.begin()) return true;
        for (auto i = static_cast<std::size_t>(at - m_starts.begin()) - 1;
             i < m_segments.size() && got < count && offset + got < m_qwLength; ++i) {
            const std::uint64_t within = offset + got - m_starts[i];
            if (within >= m_segments[i]->Length()) continue;
            std::size_t part = 0;
            if (!m_segments[i]->ReadAt(within, into + got, count - got, part)) return false;
            got += part;
            if (within + part < m_segments[i]->Length()) break;  // short of the segment's end: no more there
        }
        return true;
    }

private:
    std::vector<std::unique_ptr<ByteSource>> m_segments;
    std::vector<std::uint64_t> m_starts;
    std::uint64_t m_qwLength = 0;
};

// The name of the segment after `name` in a split raw set whose first segment ends in
// ".001" or ".aa": the extension counted up in its own digits or letters. Empty when the
// name ends in neither kind.
std::string NextRawSegmentName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return {};
    std::string next = name;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isLower = [](char c) { return c >= 'a' && c <= 'z'; };
    const std::string_view extension(next.data() + dot + 1, next.size() - dot - 1);
    const bool digits = std::all_of(extension.begin(), extension.end(), isDigit);
    if (!digits && !std::all_of(extension.begin(), extension.end(), isLower)) return {};
    for (std::size_t i = next.size(); i-- > dot + 1;) {
        char& c = next[i];
        if (c != (digits ? '9' : 'z')) {
            ++c;
            return next;
        }
        c = digits ? '0' : 'a';
    }
    return {};
}

// The newer Expert Witness format (Ex01) starts "EVF2"; libewf does not read it.
bool IsExpertWitness2Signature(const std::uint8_t* start, std::size_t size) {
    return size >= 4 && std::memcmp(start, "EVF2", 4) == 0;
}

bool IsFirstRawSegment(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string_view extension = std::string_view(path).substr(dot + 1);
    return extension == "001" || extension == "aa";
}
}  // namespace

bool IsExpertWitnessSignature(const std::uint8_t* start, std::size_t size) {
    static constexpr std::uint8_t kSignature[] = {'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00};
    return size >= sizeof kSignature && std::memcmp(start, kSignature, sizeof kSignature) == 0;
}

OpenedImage OpenImage(const std::string& path) {
    OpenedFileSource raw = OpenFileSource(path);
    OpenedImage opened;
    switch (const platform::FileError error = raw.error) {
        case platform::FileError::None: break;
        case platform::FileError::NotFound:
        case platform::FileError::AccessDenied:
        case platform::FileError::SharingViolation: opened.outcome = ReadFailure(error, path); return opened;
        case platform::FileError::NotARegularFile:
            opened.outcome = Outcome::Failure(path + " is neither a file nor a disk");
            return opened;
        default: opened.outcome = Outcome::Failure(path + " cannot be read"); return opened;
    }
    std::array<std::uint8_t, 8> start{};
    std::size_t got = 0;
    raw.source->ReadAt(0, start.data(), start.size(), got);
    if (IsExpertWitnessSignature(start.data(), got)) return OpenExpertWitnessImage(path);
    if (IsExpertWitness2Signature(start.data(), got)) {
        opened.outcome = Outcome::Failure(path + kExpertWitness2Refused);
        return opened;
    }
    if (!IsFirstRawSegment(path)) {
        opened.reader = std::move(raw.source);
        return opened;
    }
    // A split raw image: the segments that follow the first, up to the first one missing.
    auto segments = std::make_unique<SegmentedSource>();
    segments->Add(std::move(raw.source));
    for (std::string next = NextRawSegmentName(path); !next.empty(); next = NextRawSegmentName(next)) {
        OpenedFileSource segment = OpenFileSource(next);
        if (segment.error == platform::FileError::NotFound) break;
        if (!segment.source) {
            opened.outcome = Outcome::Failure(path + ": the segment " + next + " cannot be read");
            return opened;
        }
        segments->Add(std::move(segment.source));
    }
    opened.reader = std::move(segments);
    return opened;
}

bool ExtractBytes(ByteSource& source, const std::string& target, const std::vector<std::string>& inputs,
                  const std::function<void(const std::string&)>& say) {
    platform::OutputFile output;
    const platform::WriteStatus opened = output.Open(target, inputs, platform::Existing::Keep);
    if (opened.error == platform::WriteError::SameAsInput) {
        say(target + " was not written: it is the input " + inputs[opened.input]);
        return false;
    }
    if (!opened.ok()) {
        say(target + " was not written: " + opened.reason);
        return false;
    }
    std::vector<std::uint8_t> piece(1 << 20);
    for (std::uint64_t done = 0; done < source.Length();) {
        std::size_t got = 0;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), source.Length() - done));
        if (!source.ReadAt(done, piece.data(), want, got) || got == 0) {
            say(target + " was not written: its bytes cannot be read at " + std::to_string(done));
            return false;  // the output not committed is removed
        }
        output.Stream().write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(got));
        done += got;
    }
    const platform::WriteStatus committed = output.Commit();
    if (!committed.ok()) {
        say(target + " was not written: " + committed.reason);
        return false;
    }
    return true;
}

#ifndef TALLOWMARK_HAVE_LIBEWF
bool ReadsExpertWitnessImages() { return false; }

OpenedImage OpenExpertWitnessImage(const std::string& path) {
    return {Outcome::Failure(path + " is an E01 image, which this build cannot read (it has no libewf)"), nullptr};
}
#endif

}  // namespace tallowmark
