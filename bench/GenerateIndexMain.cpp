// tallowmark-genindex [--one-record] OUT [MiB]: writes the benchmark's synthetic index
// file, or with --one-record the file of one record whose texts fill it.
// tallowmark-genindex --sample OUT: writes the small sample file that `make run` opens.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "bench/IndexGenerator.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--sample") == 0) {
        tallowmark::testing::WriteFile(argv[2], tallowmark::bench::GenerateSampleFile());
        return 0;
    }
    const bool oneRecord = argc > 1 && std::strcmp(argv[1], "--one-record") == 0;
    if (oneRecord) --argc, ++argv;
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: tallowmark-genindex [--one-record] OUT [MiB] | --sample OUT\n";
        return 2;
    }
    const std::size_t mebibytes = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 64;
    if (oneRecord) {
        tallowmark::testing::WriteFile(argv[1], tallowmark::bench::GenerateOneRecordFile(mebibytes << 20));
        std::cout << argv[1] << ": one URL record of " << mebibytes << " MiB\n";
        return 0;
    }
    tallowmark::bench::GeneratedCounts counts;
    const auto bytes = tallowmark::bench::GenerateIndexFile(mebibytes << 20, &counts);
    tallowmark::testing::WriteFile(argv[1], bytes);
    std::cout << argv[1] << ": " << counts.bytes << " bytes, " << counts.url << " URL, " << counts.leak << " LEAK, "
              << counts.redirect << " REDR, " << counts.hash << " HASH, " << counts.blank << " BLANK, "
              << counts.badFood << " BAD FOOD\n";
    return 0;
}
