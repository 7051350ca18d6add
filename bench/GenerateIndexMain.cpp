// tallowmark-genindex OUT [MiB]: writes the benchmark's synthetic index file.
#include <cstdlib>
#include <iostream>

#include "bench/IndexGenerator.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: tallowmark-genindex OUT [MiB]\n";
        return 2;
    }
    const std::size_t mebibytes = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 64;
    tallowmark::bench::GeneratedCounts counts;
    const auto bytes = tallowmark::bench::GenerateIndexFile(mebibytes << 20, &counts);
    tallowmark::testing::WriteFile(argv[1], bytes);
    std::cout << argv[1] << ": " << counts.bytes << " bytes, " << counts.url << " URL, " << counts.leak << " LEAK, "
              << counts.redirect << " REDR, " << counts.hash << " HASH, " << counts.blank << " BLANK, "
              << counts.badFood << " BAD FOOD\n";
    return 0;
}
