// Reads every index file found in a disk image through its byte source, as the desktop
// and the timeline read one, and says how many bytes in what time: the image benchmark
// sets it beside icat. Usage: tallowmark-readimage IMAGE
#include <chrono>
#include <cstdio>
#include <vector>

#include "discovery/ImageFileSystems.h"
#include "forensic/DiskImage.h"

namespace {
class Keep : public tallowmark::ImageWalkSink {
public:
    std::vector<tallowmark::FoundIndexFile> found;
    void Found(const tallowmark::FoundIndexFile& file) override { found.push_back(file); }
};
}  // namespace

int main(int argc, char** argv) {
    using namespace tallowmark;
    if (argc != 2) {
        std::fprintf(stderr, "usage: tallowmark-readimage IMAGE\n");
        return 2;
    }
    OpenedImage image = OpenImage(argv[1]);
    if (!image.reader) return std::fprintf(stderr, "%s\n", image.outcome.message.c_str()), 1;
    const auto opened = ImageFileSystems::Open(std::move(image.reader), argv[1]);
    if (!opened.fileSystems) return std::fprintf(stderr, "%s\n", opened.outcome.message.c_str()), 1;
    Keep sink;
    ImageWalkOptions names;
    names.hash = false;
    opened.fileSystems->Walk(names, sink);

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> piece(4 << 20);
    std::uint64_t bytes = 0;
    for (const FoundIndexFile& file : sink.found) {
        const std::unique_ptr<ByteSource> source = opened.fileSystems->OpenFile(file);
        if (!source) continue;
        for (std::uint64_t at = 0; at < source->Length();) {
            std::size_t got = 0;
            if (!source->ReadAt(at, piece.data(), piece.size(), got) || got == 0) break;
            at += got;
        }
        bytes += source->Length();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu bytes of %zu files in %.3f s\n", static_cast<unsigned long long>(bytes), sink.found.size(),
                seconds);
    return 0;
}
