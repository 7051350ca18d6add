#include "forensic/ExpertWitnessSegments.h"

#include <array>
#include <cstring>
#include <string_view>

#include "model/Format.h"
#include "platform/NativePath.h"

namespace tallowmark {

namespace {
// Adler-32, which guards each section descriptor.
std::uint32_t Adler32(ByteView bytes) {
    constexpr std::uint32_t kModulus = 65521;
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : bytes) {
        a = (a + byte) % kModulus;
        b = (b + a) % kModulus;
    }
    return b << 16 | a;
}

enum class SegmentEnd { Next, Done, CutShort, Damaged };

// Follows the sections of one segment file from the first to its "next" or "done".
SegmentEnd FollowSections(ByteSource& segment) {
    const std::uint64_t length = segment.Length();
    std::uint64_t at = kEwfFileHeaderSize;
    std::array<std::uint8_t, kEwfSectionDescriptorSize> descriptor{};
    for (;;) {
        std::size_t got = 0;
        if (at + descriptor.size() > length) return SegmentEnd::CutShort;
        if (!segment.ReadAt(at, descriptor.data(), descriptor.size(), got) || got != descriptor.size())
            return SegmentEnd::CutShort;
        const ByteView bytes(descriptor);
        if (Adler32(bytes.first(kEwfSectionChecksumOffset)) != ReadU32(bytes, kEwfSectionChecksumOffset))
            return SegmentEnd::Damaged;
        const std::string_view type(reinterpret_cast<const char*>(descriptor.data()),
                                    strnlen(reinterpret_cast<const char*>(descriptor.data()), kEwfSectionTypeSize));
        if (type == "next") return SegmentEnd::Next;
        if (type == "done") return SegmentEnd::Done;
        const std::uint64_t next = ReadU64(bytes, kEwfSectionNextOffset);
        if (next > length) return SegmentEnd::CutShort;
        if (next <= at) return SegmentEnd::Damaged;
        at = next;
    }
}
}  // namespace

bool IsExpertWitness2Signature(const std::uint8_t* start, std::size_t size) {
    return size >= 4 && std::memcmp(start, "EVF2", 4) == 0;
}

std::string NextSegmentName(const std::string& name) {
    if (name.size() < 4 || name[name.size() - 4] != '.') return {};
    std::string next = name;
    char* extension = next.data() + next.size() - 3;
    const bool lower = extension[0] >= 'a';
    const char firstLetter = lower ? 'a' : 'A';
    const char lastLetter = lower ? 'z' : 'Z';
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (isDigit(extension[1]) && isDigit(extension[2])) {
        if (extension[1] != '9' || extension[2] != '9') {
            if (extension[2]++ == '9') {
                extension[2] = '0';
                ++extension[1];
            }
            return next;
        }
        extension[1] = extension[2] = firstLetter;  // E99 is followed by EAA
        return next;
    }
    // Letters count on from the last one, the first letter of the three included.
    for (int i = 2; i >= 0; --i) {
        if (extension[i] != lastLetter) {
            ++extension[i];
            return next;
        }
        extension[i] = firstLetter;
    }
    return {};
}

std::string CheckSegmentChain(const std::vector<std::string>& names,
                              const std::function<std::unique_ptr<ByteSource>(const std::string&)>& open) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string shown = FileNameOf(names[i]);
        const std::unique_ptr<ByteSource> segment = open(names[i]);
        if (!segment) return "the segment " + shown + " cannot be read";
        std::array<std::uint8_t, kEwfFileHeaderSize> header{};
        std::size_t got = 0;
        segment->ReadAt(0, header.data(), header.size(), got);
        if (got != header.size() || ReadField<std::uint16_t>(ByteView(header), kEwfSegmentNumberOffset) != i + 1)
            return "the segment " + shown + " is not segment " + std::to_string(i + 1) + " of this image";
        switch (FollowSections(*segment)) {
            case SegmentEnd::Done:
                if (i + 1 == names.size()) return {};
                return "the segment " + shown + " is the last of its image, yet more follow it";
            case SegmentEnd::Next:
                if (i + 1 < names.size()) break;
                return "the segment " + FileNameOf(NextSegmentName(names[i])) + " is missing (it follows " + shown + ")";
            case SegmentEnd::CutShort: return "the segment " + shown + " is truncated";
            case SegmentEnd::Damaged: return "the segment " + shown + " is damaged";
        }
    }
    return names.empty() ? "no segment was found" : std::string();
}

}  // namespace tallowmark
