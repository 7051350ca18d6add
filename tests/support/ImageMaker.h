#pragma once
// Makes disk and memory images for the carver's tests and benchmark: noise of the kinds
// an image is full of, records and whole index files at known offsets, and files split
// into clusters laid out in shuffled order with some clusters overwritten. The bytes go
// to a sink as they are made, so that an image of gigabytes is never held whole. Real
// samples given to it go only into the image made, which lives in a temporary file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "forensic/DiskImage.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::testing {

enum class NoiseKind {
    UrlText,         // text full of "URL " and "http://", a "URL " at many block starts
    Elf,             // programs of this machine (/usr/bin), as a disk holds them
    OtherCache,      // another browser's cache entries: keys, URLs, headers, binary metadata
    Random,          // random bytes, as compressed or encrypted data looks
    LoneSignatures,  // zeroed blocks with a lone "URL ", "LEAK", "REDR" or header signature
    NearRecords,     // URL, LEAK and REDR records each broken in one field
};
inline constexpr NoiseKind kAllNoise[] = {NoiseKind::UrlText,        NoiseKind::Elf,        NoiseKind::OtherCache,
                                          NoiseKind::Random,         NoiseKind::LoneSignatures, NoiseKind::NearRecords};

class ImageMaker {
public:
    using Sink = std::function<void(const std::uint8_t* bytes, std::size_t size)>;
    explicit ImageMaker(Sink sink, std::uint32_t seed = 1);

    // Appends `bytes` of noise of `kind`.
    ImageMaker& Noise(NoiseKind kind, std::size_t bytes);
    // Appends `bytes` as they are.
    ImageMaker& Append(const Buffer& bytes);
    // Splits each file into clusters of `cluster` bytes (the last one padded with
    // zeros), groups each file's clusters into runs of 1 to `longestRun` clusters in
    // order, drops `overwritten` of the runs (their place taken by noise), and lays out
    // the rest shuffled among `noiseClusters` clusters of noise. Returns, per file and
    // cluster, where in the image it went, or nothing when it was overwritten.
    std::vector<std::vector<std::optional<std::uint64_t>>> Scatter(const std::vector<Buffer>& files,
                                                                   std::size_t cluster, std::size_t longestRun,
                                                                   double overwritten, std::size_t noiseClusters);

    std::uint64_t Size() const { return m_qwSize; }
    std::mt19937& Random() { return m_random; }

private:
    void Emit(const std::uint8_t* bytes, std::size_t size);
    Buffer NoiseBytes(NoiseKind kind, std::size_t bytes);

    Sink m_sink;
    std::mt19937 m_random;
    std::uint64_t m_qwSize = 0;
    Buffer m_programs;  // read once from /usr/bin for Elf noise
};

// An image made in memory, and read from there as the carver reads an image.
class MemoryImage : public ByteSource {
public:
    explicit MemoryImage(std::uint32_t seed = 1)
        : maker([this](const std::uint8_t* data, std::size_t size) { bytes.insert(bytes.end(), data, data + size); },
                seed) {}
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;

    std::uint64_t Length() const override { return bytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override;

    Buffer bytes;
    ImageMaker maker;
};

}  // namespace tallowmark::testing
