// libFuzzer target: the input is an image to carve. The candidate checks and the walk of
// a found file must stay inside the image's bytes, whatever they claim; the lines, in
// every format, must not depend on how the image is cut into pieces or on how many
// threads read it; and every line must stand on a block boundary where a record's
// signature is.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "forensic/CarveChecks.h"
#include "forensic/Carver.h"

namespace {

using namespace tallowmark;

void Check(bool holds) {
    if (!holds) std::abort();
}

// The input as an image, read only where it is.
class InputImage : public ByteSource {
public:
    InputImage(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint64_t Length() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::size_t& got) override {
        got = offset < m_size ? static_cast<std::size_t>(std::min<std::uint64_t>(count, m_size - offset)) : 0;
        if (got) std::memcpy(into, m_data + offset, got);
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

std::string Carve(InputImage& image, unsigned jobs, std::size_t pieceBytes,
                  const TimelineFormat& format = DefaultTimelineFormat()) {
    std::ostringstream out;
    CarveOptions options;
    options.timeline.format = &format;
    options.jobs = jobs;
    options.pieceBytes = pieceBytes;
    CarveImage(image, "fuzz.dd", options, out, [](const std::string&) {});
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each block position on its own, with every length of the bytes known to lie together.
    const ByteView bytes(data, size);
    for (std::size_t at = 0; at + BLOCK_SIZE <= size; at += BLOCK_SIZE) {
        carve::CheckFileHeader(bytes.subspan(at));
        for (std::size_t together : {std::size_t{BLOCK_SIZE}, std::size_t{512}, size - at})
            if (const auto candidate = carve::CheckCandidate(bytes.subspan(at), together)) {
                Check(candidate->proven >= BLOCK_SIZE && candidate->proven <= candidate->size);
                Check(candidate->proven <= size - at);
                Check(carve::ProvenBytes(bytes.subspan(at), *candidate).size() == candidate->proven);
            }
    }

    InputImage image(data, size);
    const std::string whole = Carve(image, 1, 0);
    Check(Carve(image, 2, 3 * 512) == whole);
    for (const TimelineFormat* format : TimelineFormats())
        if (format != &DefaultTimelineFormat()) Check(Carve(image, 2, 3 * 512, *format) == Carve(image, 1, 0, *format));
    for (std::size_t line = 0; line < whole.size();) {
        const std::size_t end = whole.find('\n', line);
        Check(end != std::string::npos);
        const std::size_t key = whole.find("\"image_offset\":\"0x", line);
        Check(key != std::string::npos && key < end);
        const std::uint64_t at = std::strtoull(whole.c_str() + key + 18, nullptr, 16);
        Check(at % BLOCK_SIZE == 0 && at + 4 <= size && HoldsEntrySignature(ByteView(data + at, 4)));
        line = end + 1;
    }
    return 0;
}
