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

    // The bitmap and the hash tables: a deleted record over a live one, a stale entry, a
    // chain that loops, history data with a page title.
    IndexFileBuilder evidence;
    const std::size_t table = evidence.Position();
    evidence.Hash(2).MarkInUse(table, 2).NextHashTable(table, static_cast<std::uint32_t>(table));
    evidence.Url({.url = "http://freed/", .countField = 3, .minimumBlocks = 2});
    const std::size_t live = evidence.Position();
    evidence.Url({.url = ":2013031020130311: ann@http://live/",
                  .modified = FileTimeOf(2013, 3, 10, 10),
                  .accessed = FileTimeOf(2013, 3, 10, 9),
                  .headers = std::string("\x10\x00\x10\x1fT\0i\0t\0l\0e\0\0\0\0\0", 16),
                  .fields = {{0x50, FatDateTimeOf(2013, 3, 10, 9, 0, 2)}, {0x18, 0xFFFFFFFF}}});
    evidence.MarkInUse(live, 1).HashEntry(table, static_cast<std::uint32_t>(live));
    const std::size_t stale = evidence.Position();
    evidence.Url({.url = "Visited: ann@http://stale/"}).HashEntry(table, static_cast<std::uint32_t>(stale));
    evidence.WriteTo(dir + "/evidence.dat");

    IndexFileBuilder headerOnly(kVersion5, 0x80);
    headerOnly.FirstHashTableField(0).FileSizeField(0x40);
    headerOnly.WriteTo(dir + "/header-only.dat");
    return 0;
}
