// Writes the small builder-made files that seed the fuzzer's corpus.
// Usage: tallowmark_fuzz_seeds DIRECTORY
#include <cstdio>
#include <string>

#include "support/IndexFileBuilder.h"

using namespace tallowmark::testing;

namespace {

IndexFileBuilder EveryKind(const char* version, std::uint32_t headerLength) {
    IndexFileBuilder builder(version, headerLength);
    builder.CacheDir(0, "ABCDEFGH").CacheDir(1, "ZYXWVUTS").HeaderU32(0x48, 2);
    builder.Hash(2)
        .Url({.url = "http://example.com/caf\xE9?q=\"1\"",
              .modified = FileTimeOf(2004, 3, 1, 12),
              .accessed = FileTimeOf(2004, 3, 2, 8),
              .fileName = "page[1].htm",
              .headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n",
              .dirIndex = 1})
        .Leak({.url = "http://leak/", .fileName = "x.gif"})
        .Redirect("http://redirect/")
        .Blank(1)
        .BadFood()
        .Unrecognised();
    return builder;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    EveryKind(kVersion5, 0x200).WriteTo(dir + "/every-kind-v5.dat");
    EveryKind(kVersion4, 0x200).WriteTo(dir + "/every-kind-v4.dat");

    // Offsets and counts that point elsewhere than the builder would put them.
    IndexFileBuilder odd(kVersion5, 0x100);
    odd.Url({.url = "http://odd/", .fileNameOffset = 0xFFFFFFF0, .headersOffset = 0x7F, .countField = 0});
    odd.Url({.url = "http://far/", .dirIndex = -1, .urlOffsetField = 0x70, .countField = 0xFFFFFFFF});
    odd.WriteTo(dir + "/odd-offsets.dat");

    IndexFileBuilder headerOnly(kVersion5, 0x80);
    headerOnly.FirstHashTableField(0).FileSizeField(0x40);
    headerOnly.WriteTo(dir + "/header-only.dat");
    return 0;
}
