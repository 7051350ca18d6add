#pragma once
// The images an examiner holds, opened as byte sources: a raw image (a disk, a partition,
// unallocated space, a page file, a memory dump), whole or split into segments, or an
// Expert Witness (E01) image, where the build has libewf. Read-only; never a byte changed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/ByteSource.h"
#include "model/Outcome.h"

namespace tallowmark {

struct OpenedImage {
    Outcome outcome;  // a failure names the image
    std::unique_ptr<ByteSource> reader;
};

// An E01 image (told by its signature) through libewf, with its further segments found
// beside it (what is wrong with the set in its Damage()); a split raw image named by its
// first segment (NAME.001 or NAME.aa), with the segments that follow it up to the first
// missing; any other file as a raw image. An Ex01 image is refused.
OpenedImage OpenImage(const std::string& path);

// Writes all of `source` to a new file `target` through the output service, never over a
// file that is there nor onto one of `inputs`; a failure goes to `say` as one line naming
// the target, and nothing is left behind.
bool ExtractBytes(ByteSource& source, const std::string& target, const std::vector<std::string>& inputs,
                  const std::function<void(const std::string&)>& say);

// Whether this build reads E01 images.
bool ReadsExpertWitnessImages();

// The E01 reader, in its own file where libewf is found.
OpenedImage OpenExpertWitnessImage(const std::string& path);
// Whether `start` (the first bytes of a file) is an E01 segment's signature.
bool IsExpertWitnessSignature(const std::uint8_t* start, std::size_t size);

}  // namespace tallowmark
