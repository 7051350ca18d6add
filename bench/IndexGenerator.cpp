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

namespace {
// One entry of a visit's data: u16 size, u8 type, u8 value type, the value.
std::string HistoryEntry(std::uint8_t type, std::uint8_t valueType, const std::string& value) {
    const std::size_t size = value.size() + 4;
    return std::string{static_cast<char>(size & 0xFF), static_cast<char>(size >> 8), static_cast<char>(type),
                       static_cast<char>(valueType)} +
           value;
}
}  // namespace

testing::Buffer GenerateSampleFile() {
    using testing::FatDateTimeOf;
    using testing::FileTimeOf;
    using testing::Utf16;
    constexpr std::uint32_t kUrlInUse = 0x5A5A0000, kRedirectInUse = 0x5A5A0005;
    testing::IndexFileBuilder builder(testing::kVersion5, kHeaderLength);
    for (int i = 0; i < 4; ++i) builder.CacheDir(i, kDirs[i]);
    builder.HeaderU32(0x48, 4);
    const std::size_t table = builder.Position();
    builder.Hash(4).MarkInUse(table, 4);
    // A live entry, reachable from the hash table.
    const auto live = [&](const testing::UrlEntry& entry, bool leak = false) {
        const std::size_t at = builder.Position();
        leak ? builder.Leak(entry) : builder.Url(entry);
        const auto blocks = static_cast<std::uint32_t>((builder.Position() - at) / kBlock);
        builder.MarkInUse(at, blocks);
        if (!leak) builder.HashEntry(table, static_cast<std::uint32_t>(at), kUrlInUse + static_cast<std::uint32_t>(at));
    };
    const auto page = [](const char* url, std::uint64_t modified, std::uint64_t accessed, const char* file,
                         std::int8_t dir, std::uint32_t hits, std::uint32_t size) {
        testing::UrlEntry entry;
        entry.url = url;
        entry.modified = modified;
        entry.accessed = accessed;
        entry.fileName = file;
        entry.dirIndex = dir;
        entry.headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(size) +
                        "\r\n\r\n";
        entry.fields = {{0x20, size}, {0x54, hits}, {0x50, FatDateTimeOf(2012, 3, 1, 9)},
                        {0x18, FatDateTimeOf(2012, 6, 1)}, {0x5C, FatDateTimeOf(2011, 2, 3, 10, 4, 6)}};
        return entry;
    };
    live(page("http://www.example.com/", FileTimeOf(2010, 11, 10, 7, 54), FileTimeOf(2012, 3, 1, 9, 12), "index[1].htm",
              0, 14, 18204));
    live(page("http://www.example.com/style/site.css", FileTimeOf(2010, 9, 2, 12), FileTimeOf(2012, 3, 1, 9, 12),
              "site[1].css", 1, 14, 5120));
    live(page("http://news.example.org/2011/06/story.html", FileTimeOf(2011, 6, 14, 18, 30),
              FileTimeOf(2011, 6, 15, 7, 2), "story[1].htm", 2, 2, 40960));
    live(page("http://cdn.static.example.net/img/logo.png", FileTimeOf(2009, 1, 5), FileTimeOf(2011, 12, 24, 20, 45),
              "logo[1].png", 3, 31, 7311));

    // Visits of the browsing history, the page's title in the data.
    const auto visit = [](const char* url, std::uint64_t when, std::u16string_view title) {
        testing::UrlEntry entry;
        entry.url = std::string("Visited: ann@") + url;
        entry.modified = entry.accessed = when;
        entry.dirIndex = -2;  // no cache directory
        if (!title.empty())
            entry.headers = HistoryEntry(0x02, 0x00, std::string(12, '\0')) +
                            HistoryEntry(0x10, 0x1F, Utf16(title) + std::string(2, '\0'));
        entry.fields = {{0x54, 3}};
        return entry;
    };
    live(visit("http://www.example.com/", FileTimeOf(2012, 3, 1, 9, 12), u"Example Domain"));
    live(visit("http://news.example.org/2011/06/story.html", FileTimeOf(2011, 6, 15, 7, 2),
               u"Caf\u00E9 owners meet the council \u2013 News"));
    live(visit("http://shop.example.co.uk/basket", FileTimeOf(2011, 12, 20, 21, 17), {}));

    // Cookies.
    for (const char* site : {"Cookie:ann@example.com/", "Cookie:ann@news.example.org/", "Cookie:ann@ads.example.biz/"}) {
        testing::UrlEntry cookie;
        cookie.url = site;
        cookie.modified = FileTimeOf(2011, 3, 8, 14, 20);
        cookie.accessed = FileTimeOf(2012, 2, 27, 16, 41);
        cookie.fileName = std::string("ann@") + (site + 11) + "[1].txt";
        cookie.fileName.erase(cookie.fileName.find('/'), 1);
        cookie.dirIndex = -2;
        live(cookie);
    }

    // Redirects, live and reached through entries of their own kind.
    for (const char* target : {"http://example.com/", "http://news.example.org/latest"}) {
        const std::size_t at = builder.Position();
        builder.Redirect(target).MarkInUse(at).HashEntry(table, static_cast<std::uint32_t>(at),
                                                         kRedirectInUse + static_cast<std::uint32_t>(at));
    }

    // A cached file that could not be deleted.
    live(page("http://video.example.tv/clip/trailer.mp4", FileTimeOf(2011, 8, 1), FileTimeOf(2011, 8, 2, 22, 5),
              "trailer[1].mp4", 1, 1, 3500000),
         true);

    builder.Blank().Blank().BadFood();

    // Cleared entries: the bitmap marks their blocks free, and one still claims the blocks
    // of the live entry that took its place.
    builder.Url(page("http://search.example.com/?q=flights+to+lisbon", FileTimeOf(2011, 10, 3, 8),
                     FileTimeOf(2011, 10, 3, 8, 1), "search[1].htm", 2, 1, 11264));
    builder.Url(visit("http://mail.example.com/inbox", FileTimeOf(2011, 10, 4, 19, 30), u"Inbox (3)"));
    testing::UrlEntry claimsMore = page("http://shop.example.co.uk/checkout", FileTimeOf(2011, 12, 20),
                                        FileTimeOf(2011, 12, 20, 21, 20), "checkout[1].htm", 0, 1, 9000);
    claimsMore.countField = 6;
    builder.Url(claimsMore);
    live(page("http://www.example.com/about.html", FileTimeOf(2010, 11, 10, 7, 54), FileTimeOf(2012, 3, 1, 9, 13),
              "about[1].htm", 0, 2, 6010));
    builder.Blank();
    // The header's account of the cache, as a browser keeps it.
    std::uint32_t inUse = 0;
    testing::Buffer bytes = builder.Bytes();
    for (std::size_t at = 0x250; at < 0x4000; ++at) inUse += static_cast<std::uint32_t>(__builtin_popcount(bytes[at]));
    testing::PutU32(bytes, 0x28, inUse);
    testing::PutU32(bytes, 0x30, 50u << 20);  // the cache's limit
    testing::PutU32(bytes, 0x38, 18204 + 5120 + 40960 + 7311 + 3500000 + 6010);
    for (std::uint32_t dir = 0; dir < 4; ++dir) testing::PutU32(bytes, 0x4C + 12 * dir, 2 + dir % 2);
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
