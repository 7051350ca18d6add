#pragma once
// The chain of sections in the segment files of an Expert Witness (E01) image. Every
// segment but the last ends with a "next" section and the last with "done"; a segment
// missing from the set, or one cut short, shows as a chain that ends early. The reader
// itself would hand out zeros for the part that is not there, so the chain is checked
// before the image is read.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/ByteSource.h"

namespace tallowmark {

// The segment file header (13 bytes): signature, a 1, the segment number, a 0.
inline constexpr std::size_t kEwfSegmentNumberOffset = 9;  // u16
inline constexpr std::size_t kEwfFileHeaderSize = 13;
// A section descriptor (76 bytes): its type (16 bytes, NUL padded), the file offset of the
// next section, the section's size, padding, the Adler-32 of the 72 bytes before it.
inline constexpr std::size_t kEwfSectionTypeSize = 16;
inline constexpr std::size_t kEwfSectionNextOffset = 16;      // u64
inline constexpr std::size_t kEwfSectionChecksumOffset = 72;  // u32
inline constexpr std::size_t kEwfSectionDescriptorSize = 76;

// Whether `start` begins with the signature of the newer format (Ex01, "EVF2"), which
// this program does not read.
bool IsExpertWitness2Signature(const std::uint8_t* start, std::size_t size);

// The name the segment after `name` has: E01 to E99, then EAA to EZZ, FAA and on (the
// letter case of the extension kept). Empty when there is none.
std::string NextSegmentName(const std::string& name);

// Checks the segments `names` (in order, the first named by the user): empty when each
// ends as it should, else the message that names the segment missing or cut short.
// `open` gives a segment's bytes, or null when it cannot be read.
std::string CheckSegmentChain(const std::vector<std::string>& names,
                              const std::function<std::unique_ptr<ByteSource>(const std::string&)>& open);

}  // namespace tallowmark
