#include "forensic/DiskImage.h"

#include <array>
#include <cstring>

#include "model/IndexStream.h"

namespace tallowmark {

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
    opened.reader = std::move(raw.source);
    return opened;
}

#ifndef TALLOWMARK_HAVE_LIBEWF
bool ReadsExpertWitnessImages() { return false; }

OpenedImage OpenExpertWitnessImage(const std::string& path) {
    return {Outcome::Failure(path + " is an E01 image, which this build cannot read (it has no libewf)"), nullptr};
}
#endif

}  // namespace tallowmark
