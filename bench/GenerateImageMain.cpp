// Writes a disk image for the carving benchmark: noise of every kind an image holds, with
// generated index files and the given real ones split into 4 KiB clusters, shuffled and
// partly overwritten, spread through it. Usage: tallowmark-genimage OUT MIB [INDEX.DAT...]
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "IndexGenerator.h"
#include "support/ImageMaker.h"

int main(int argc, char** argv) {
    using namespace tallowmark;
    if (argc < 3) {
        std::cerr << "usage: tallowmark-genimage OUT MIB [INDEX.DAT...]\n";
        return 2;
    }
    const std::uint64_t target = std::stoull(argv[2]) << 20;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    testing::ImageMaker maker([&](const std::uint8_t* bytes, std::size_t size) {
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    });

    // Four generated files of 16 MiB and the real ones, each scattered in its own part
    // of the image with noise between the parts.
    std::vector<testing::Buffer> files;
    for (int i = 0; i < 4; ++i) files.push_back(bench::GenerateIndexFile(16u << 20));
    for (int i = 3; i < argc; ++i) files.push_back(testing::ReadFile(argv[i]));
    const std::uint64_t share = target / (files.size() + 1);
    std::size_t kind = 0;
    for (const testing::Buffer& file : files) {
        while (maker.Size() + (16u << 20) < share * (&file - files.data() + 1))
            maker.Noise(testing::kAllNoise[kind++ % std::size(testing::kAllNoise)], 16u << 20);
        maker.Scatter({file}, 4096, 8, 0.1, 4096);
    }
    while (maker.Size() < target) {
        const std::uint64_t left = target - maker.Size();
        maker.Noise(testing::kAllNoise[kind++ % std::size(testing::kAllNoise)],
                    static_cast<std::size_t>(std::min<std::uint64_t>(left, 64u << 20)));
    }
    out.close();
    if (!out) {
        std::cerr << "tallowmark-genimage: cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << maker.Size() << " bytes\n";
    return 0;
}
