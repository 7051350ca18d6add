#pragma once
// A large, realistic synthetic index file for the benchmarks.

#include <cstddef>
#include <string>

#include "support/IndexFileBuilder.h"

namespace tallowmark::bench {

struct GeneratedCounts {
    std::size_t url = 0, leak = 0, redirect = 0, hash = 0, blank = 0, badFood = 0, bytes = 0;
};

// About 200,000 URL records plus LEAK, REDR, filled HASH tables, blank and 0x0BADF00D
// blocks, padded with blank blocks to exactly `targetBytes`. Same seed, same file.
testing::Buffer GenerateIndexFile(std::size_t targetBytes, GeneratedCounts* counts = nullptr);

// A small file that shows the program at work: cached pages, visits (one with a page
// title), cookies and redirects, live and hashed, a leaked entry, deleted entries and a
// partial one (a deleted entry claiming blocks a live one now holds), blank and
// 0x0BADF00D blocks; dated from November 2010 to March 2012.
testing::Buffer GenerateSampleFile();

// A hostile file of `targetBytes`: one URL record over the whole block area, whose URL,
// file name and HTTP headers are the same text of control bytes to its end.
testing::Buffer GenerateOneRecordFile(std::size_t targetBytes);

}  // namespace tallowmark::bench
