#include "bench/IndexGenerator.h"

#include <cstring>
#include <random>
#include <vector>

namespace tallowmark::bench {

namespace {
constexpr std::size_t kHeaderLength = 0x5000;
constexpr std::size_t kBlock = 128;
const char* const kHosts[] = {"www.example.com",    "news.example.org",   "cdn.static.example.net", "mail.example.com",
                              "shop.example.co.uk", "search.example.com", "video.example.tv",       "ads.example.biz"};
const char* const kDirs[] = {"Q1W2E3R4", "A5S6D7F8", "Z9X8C7V6", "P0O9I8U7"};
}  // namespace

testing::Buffer GenerateIndexFile(std::size_t targetBytes, GeneratedCounts* counts) {
    std::mt19937 random(20081205);
    GeneratedCounts made;
    testing::IndexFileBuilder builder(testing::kVersion5, kHeaderLength);
    for (int i = 0; i < 4; ++i) builder.CacheDir(i, kDirs[i]);
    builder.HeaderU32(0x48, 4);  // the number of cache directories

    // Hash tables are written empty and filled once every record's offset is known: each
    // lists the records that follow it and links to the next table, as real files do.
    std::vector<std::size_t> hashTables;
    std::vector<std::uint32_t> entryOffsets;
    auto addHash = [&] {
        hashTables.push_back(builder.Position());
        builder.Hash(32);
        ++made.hash;
    };
    auto noteEntry = [&] { entryOffsets.push_back(static_cast<std::uint32_t>(builder.Position())); };
    auto urlEntry = [&](std::size_t n) {
        const std::uint64_t base = testing::FileTimeOf(2003, 1, 1);
        const std::uint64_t modified = base + (random() % (5u * 365 * 86400)) * 10'000'000ull;
        testing::UrlEntry entry;
        entry.url = std::string("http://") + kHosts[random() % 8] + "/path/" + std::to_string(n) + "/page" +
                    std::to_string(random() % 1000) + ".html";
        entry.modified = modified;
        entry.accessed = modified + (random() % (90u * 86400)) * 10'000'000ull;
        entry.fileName = "page" + std::to_string(random() % 1000) + "[1].htm";
        entry.headers = random() % 10 == 0 ? "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                                 std::to_string(random() % 100000) + "\r\nCache-Control: private\r\n"
                                           : "HTTP/1.1 200 OK\r\n";
        entry.dirIndex = static_cast<std::int8_t>(random() % 4);
        return entry;
    };

    addHash();
    const std::size_t limit = targetBytes - 64 * kBlock;
    for (std::size_t n = 0; builder.Position() < limit && made.url < 200000; ++n) {
        switch (random() % 40) {
            case 0:
                noteEntry();
                builder.Redirect("http://" + std::string(kHosts[random() % 8]) + "/r/" + std::to_string(n));
                ++made.redirect;
                break;
            case 1:
                noteEntry();
                builder.Leak(urlEntry(n));
                ++made.leak;
                break;
            case 2:
            case 3:
                builder.Blank();
                ++made.blank;
                break;
            case 4:
                builder.BadFood();
                ++made.badFood;
                break;
            default:
                noteEntry();
                builder.Url(urlEntry(n));
                ++made.url;
                break;
        }
        if (n % 500 == 499) addHash();
    }
    while (builder.Position() + kBlock <= targetBytes) {
        builder.Blank();
        ++made.blank;
    }
    testing::Buffer bytes = builder.Bytes();
    constexpr std::size_t kEntriesPerTable = (32 * kBlock - 16) / 8;
    std::size_t nextEntry = 0;
    for (std::size_t t = 0; t < hashTables.size(); ++t) {
        const std::size_t table = hashTables[t];
        testing::PutU32(bytes, table + 8,
                        t + 1 < hashTables.size() ? static_cast<std::uint32_t>(hashTables[t + 1]) : 0);
        testing::PutU32(bytes, table + 12, static_cast<std::uint32_t>(t));
        for (std::size_t slot = 0; slot < kEntriesPerTable; ++slot) {
            const std::size_t at = table + 16 + 8 * slot;
            if (nextEntry < entryOffsets.size() &&
                (t + 1 == hashTables.size() || entryOffsets[nextEntry] < hashTables[t + 1])) {
                testing::PutU32(bytes, at, (static_cast<std::uint32_t>(random()) & ~0x3Fu) | 0x40u);
                testing::PutU32(bytes, at + 4, entryOffsets[nextEntry++]);
            } else {
                testing::PutU32(bytes, at, 0x3);  // a free slot
                testing::PutU32(bytes, at + 4, 0x0BADF00D);
            }
        }
    }
    made.bytes = bytes.size();
    if (counts) *counts = made;
    return bytes;
}

testing::Buffer GenerateOneRecordFile(std::size_t targetBytes) {
    testing::IndexFileBuilder builder;
    const std::size_t length = (targetBytes - builder.Position()) / kBlock * kBlock;
    testing::Buffer record(length);
    // Control bytes, every one of which a timeline line spells out as an escape.
    for (std::size_t i = 0x68; i < length; ++i) record[i] = static_cast<std::uint8_t>(1 + i % 31);
    std::memcpy(record.data(), "URL ", 4);
    testing::PutU32(record, 4, static_cast<std::uint32_t>(length / kBlock));
    testing::PutU64(record, 0x08, testing::FileTimeOf(2008, 12, 5));
    testing::PutU64(record, 0x10, testing::FileTimeOf(2008, 12, 5, 12));
    testing::PutU32(record, 0x34, 0x68);  // the URL, the file name and the headers: all the same text
    testing::PutU32(record, 0x3C, 0x68);
    testing::PutU32(record, 0x44, 0x68);
    testing::PutU32(record, 0x48, static_cast<std::uint32_t>(length - 0x68));
    record[0x38] = 0;
    builder.RawBytes(record);
    return builder.Bytes();
}

}  // namespace tallowmark::bench
