#include "forensic/ImageReader.h"

#include <array>
#include <cstring>

#include "model/IndexStream.h"
#include "platform/ImageFile.h"

namespace tallowmark {

namespace {
class RawImage : public ImageReader {
public:
    platform::FileError Open(const std::string& path) { return m_file.Open(path); }
    std::uint64_t Length() const override { return m_file.Length(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        return m_file.ReadAt(offset, into, count, got) == platform::FileError::None;
    }

private:
    platform::ImageFile m_file;
};
}  // namespace

bool IsExpertWitnessSignature(const std::uint8_t* start, std::size_t size) {
    static constexpr std::uint8_t kSignature[] = {'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00};
    return size >= sizeof kSignature && std::memcmp(start, kSignature, sizeof kSignature) == 0;
}

OpenedImage OpenImage(const std::string& path) {
    auto raw = std::make_unique<RawImage>();
    OpenedImage opened;
    switch (const platform::FileError error = raw->Open(path)) {
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
    raw->ReadAt(0, start.data(), start.size(), got);
    if (IsExpertWitnessSignature(start.data(), got)) return OpenExpertWitnessImage(path);
    opened.reader = std::move(raw);
    return opened;
}

#ifndef TALLOWMARK_HAVE_LIBEWF
bool ReadsExpertWitnessImages() { return false; }

OpenedImage OpenExpertWitnessImage(const std::string& path) {
    return {Outcome::Failure(path + " is an E01 image, which this build cannot read (it has no libewf)"), nullptr};
}
#endif

}  // namespace tallowmark
