#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/CliRun.h"
#include "forensic/Carver.h"
#include "support/FlatJson.h"
#include "support/ImageMaker.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

using testing::Buffer;
using testing::FileTimeOf;
using testing::FlatJson;
using testing::IndexFileBuilder;
using testing::MemoryImage;
using testing::NoiseKind;
using testing::TempDir;
using testing::UrlEntry;

constexpr std::size_t kSector = 512;

std::string Hex(std::uint64_t value) {
    std::ostringstream text;
    text << "0x" << std::uppercase << std::hex << value;
    return text.str();
}

// The lines carved from `image`, read back, by image offset (each offset once).
std::map<std::uint64_t, FlatJson::Object> Carve(ByteSource& image, CarveOptions options = {},
                                                CarveResult* result = nullptr,
                                                std::vector<std::string>* messages = nullptr) {
    std::ostringstream out;
    const CarveResult carved = CarveImage(image, "image.dd", options, out, [&](const std::string& message) {
        if (messages) messages->push_back(message);
    });
    if (result) *result = carved;
    std::map<std::uint64_t, FlatJson::Object> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) {
        const auto object = FlatJson::Parse(line);
        EXPECT_TRUE(object) << line;
        if (!object) continue;
        const std::uint64_t at = std::stoull(*object->at("image_offset"), nullptr, 16);
        EXPECT_FALSE(lines.count(at)) << "reported twice: " << line;
        lines[at] = *object;
    }
    EXPECT_EQ(carved.records, lines.size());
    return lines;
}

// The records a builder put after its header, as they would lie loose on a disk.
Buffer RecordsOf(IndexFileBuilder& builder) {
    const Buffer file = builder.Bytes();
    return Buffer(file.begin() + 0x4000, file.end());
}

void PadToSector(MemoryImage& image) {
    image.bytes.resize((image.bytes.size() + kSector - 1) / kSector * kSector, 0);
}

TEST(Carver, FindsRecordsAtTheirOffsetsAmongNoiseOnceEachAndKeepsWhatASplitRecordProves) {
    MemoryImage image;
    const UrlEntry url{.url = "http://www.example.com/carved?q=1",
                       .modified = FileTimeOf(2013, 3, 10, 9, 38, 51),
                       .accessed = FileTimeOf(2013, 3, 10, 9, 40, 2),
                       .fileName = "carved[1].htm",
                       .headers = "HTTP/1.1 200 OK\r\n"};
    IndexFileBuilder urlRecord, leakRecord, redirect, split;
    urlRecord.Url(url);
    leakRecord.Leak({.url = "", .modified = ~0ull, .fileName = "leaked[2].htm", .urlOffsetField = 0xDEADBEEF});
    redirect.Redirect("https://redirected.example/");
    const std::string longUrl = "http://split.example/" + std::string(300, 'p');
    split.Url({.url = longUrl, .accessed = FileTimeOf(2014, 1, 2), .fileName = "split[1].htm"});

    std::map<std::uint64_t, std::string> expected;  // image offset: URL or file name
    auto place = [&](IndexFileBuilder& record, NoiseKind after, std::string text) {
        expected[image.bytes.size()] = std::move(text);
        image.maker.Append(RecordsOf(record));
        PadToSector(image);
        image.maker.Noise(after, 16 * kSector);
    };
    image.maker.Noise(NoiseKind::UrlText, 20 * kSector);
    place(urlRecord, NoiseKind::Elf, url.url);
    place(leakRecord, NoiseKind::OtherCache, "leaked[2].htm");
    place(redirect, NoiseKind::NearRecords, "https://redirected.example/");
    // The split record's first block ends a sector; the sectors after it hold other data.
    image.maker.Append(Buffer(3 * 128, 0));
    const std::uint64_t splitAt = image.bytes.size();
    const Buffer splitRecord = RecordsOf(split);
    image.maker.Append(Buffer(splitRecord.begin(), splitRecord.begin() + 128));
    image.maker.Noise(NoiseKind::Random, 16 * kSector);
    // A record of four blocks a block into its sector, whole where it lies: its fourth
    // block, which holds its file name and headers, is in the next sector.
    IndexFileBuilder across;
    const std::string acrossUrl = "http://across.example/" + std::string(290, 'a');
    across.Url({.url = acrossUrl, .fileName = "across.htm", .headers = "HTTP/1.1 200 OK\r\n"});
    image.maker.Append(Buffer(128, 0));
    const std::uint64_t acrossAt = image.bytes.size();
    image.maker.Append(RecordsOf(across));
    PadToSector(image);
    image.maker.Noise(NoiseKind::Elf, 16 * kSector);

    // Small pieces, on two threads: records lie across the pieces' boundaries.
    const auto lines = Carve(image, {.jobs = 2, .pieceBytes = 5 * kSector});
    ASSERT_EQ(lines.size(), 5u);
    for (const auto& [at, text] : expected) {
        SCOPED_TRACE(Hex(at));
        ASSERT_TRUE(lines.count(at));
        const FlatJson::Object& line = lines.at(at);
        EXPECT_EQ(line.at("carved_from"), "loose");
        EXPECT_EQ(line.at("status"), "unknown");
        EXPECT_EQ(line.at("partial"), "false");
        EXPECT_EQ(line.at("offset"), Hex(at));
        EXPECT_EQ(line.at("record"), std::nullopt);
        EXPECT_TRUE(line.at("url") == text || line.at("cache_file") == text);
    }
    const FlatJson::Object& first = lines.at(expected.begin()->first);
    EXPECT_EQ(first.at("modified"), "2013-03-10T09:38:51.0000000Z");
    EXPECT_EQ(first.at("http_headers"), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(first.at("size"), "256");

    // What its first block proves: type, times, the URL's start; not the name beyond it.
    ASSERT_TRUE(lines.count(splitAt));
    const FlatJson::Object& cut = lines.at(splitAt);
    EXPECT_EQ(cut.at("partial"), "true");
    EXPECT_EQ(cut.at("url"), longUrl.substr(0, 128 - 0x68));
    EXPECT_EQ(cut.at("accessed"), "2014-01-02T00:00:00.0000000Z");
    EXPECT_EQ(cut.at("cache_file"), "");
    EXPECT_EQ(cut.at("size"), "128");

    // A record is whole only as far as the sectors that are its own: nothing of its fourth
    // block is read, and its size is the part in its first sector.
    ASSERT_TRUE(lines.count(acrossAt));
    const FlatJson::Object& crossing = lines.at(acrossAt);
    EXPECT_EQ(crossing.at("partial"), "true");
    EXPECT_EQ(crossing.at("size"), "384");
    EXPECT_EQ(crossing.at("url"), acrossUrl.substr(0, 384 - 0x68));
    EXPECT_EQ(crossing.at("cache_file"), "");
    EXPECT_EQ(crossing.at("http_headers"), "");
}

TEST(Carver, NoiseThatLooksLikeRecordsYieldsNone) {
    for (const NoiseKind kind : testing::kAllNoise) {
        SCOPED_TRACE(static_cast<int>(kind));
        MemoryImage image(static_cast<std::uint32_t>(kind) + 7);
        image.maker.Noise(kind, kind == NoiseKind::Elf ? 4 << 20 : 1 << 20);
        EXPECT_TRUE(Carve(image, {.jobs = 2}).empty());
    }
}

TEST(Carver, WalksAWholeFileAsFarAsItsEvidenceAndExtractsItOnce) {
    // Blocks from 0x4000: a hash table, then a live URL, a deleted one and a live LEAK in
    // the file's second cluster, and a live URL and REDR in its third.
    IndexFileBuilder builder;
    builder.CacheDir(0, "CACHEDIR").Hash(32);
    builder.Url({.url = "http://live.example/", .accessed = FileTimeOf(2012, 5, 6), .fileName = "live.htm",
                 .minimumBlocks = 2});
    builder.Url({.url = "http://deleted.example/", .fileName = "gone.htm", .minimumBlocks = 2});
    builder.Leak({.url = "http://leak.example/", .fileName = "leak.htm", .minimumBlocks = 2});
    while (builder.Position() < 0x6000) builder.Blank();
    builder.Url({.url = "http://third.example/", .fileName = "third.htm", .minimumBlocks = 2});
    builder.Redirect("http://redirect.example/");
    while (builder.Position() < 0x7000) builder.Blank();
    builder.HeaderU32(0x24, (0x7000 - 0x4000) / 128);
    // In use: the hash table (blocks 0-31), 32-33, 36-37, 64-66.
    builder.HeaderU32(0x250, 0xFFFFFFFF).HeaderU32(0x254, 0b110011).HeaderU32(0x258, 0b111);
    const Buffer file = builder.Bytes();

    MemoryImage image;
    image.maker.Noise(NoiseKind::UrlText, 128 * kSector);
    const std::uint64_t start = image.bytes.size();
    // The file's third cluster went elsewhere: another file's data follows its second.
    image.maker.Append(Buffer(file.begin(), file.begin() + 0x6000));
    image.maker.Noise(NoiseKind::Random, 4096);
    const std::uint64_t third = image.bytes.size();
    image.maker.Append(Buffer(file.begin() + 0x6000, file.end()));
    image.maker.Noise(NoiseKind::OtherCache, 64 * kSector);

    const TempDir folder;
    CarveOptions options{.jobs = 2, .extractFolder = folder.Root().string(), .pieceBytes = 8 * kSector};
    CarveResult result;
    const auto lines = Carve(image, options, &result);
    EXPECT_EQ(result.foundFiles, 1u);
    const std::string fromFile = "file " + Hex(start);
    struct Expected {
        std::uint64_t at;
        const char *url, *status, *from, *directory;
        std::optional<std::string> record;
    };
    const Expected expected[] = {
        {start + 0x5000, "http://live.example/", "live", fromFile.c_str(), "CACHEDIR", "1"},
        {start + 0x5100, "http://deleted.example/", "deleted", fromFile.c_str(), "CACHEDIR", "2"},
        {start + 0x5200, "http://leak.example/", "live", fromFile.c_str(), "CACHEDIR", "3"},
        {third, "http://third.example/", "unknown", "loose", "", std::nullopt},
        {third + 0x100, "http://redirect.example/", "unknown", "loose", "", std::nullopt},
    };
    ASSERT_EQ(lines.size(), std::size(expected));
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.url);
        ASSERT_TRUE(lines.count(want.at));
        const FlatJson::Object& line = lines.at(want.at);
        EXPECT_EQ(line.at("url"), want.url);
        EXPECT_EQ(line.at("status"), want.status);
        EXPECT_EQ(line.at("carved_from"), want.from);
        EXPECT_EQ(line.at("record"), want.record);
        if (std::string_view(want.url) != "http://redirect.example/") {
            EXPECT_EQ(line.at("cache_directory"), want.directory);
        }
    }
    EXPECT_EQ(lines.at(start + 0x5000).at("offset"), "0x5000");

    // The file as far as it is its own, and never written over afterwards.
    const std::string extracted = (folder.Root() / ExtractedFileName(start)).string();
    EXPECT_EQ(testing::ReadFile(extracted), Buffer(file.begin(), file.begin() + 0x6000));
    EXPECT_TRUE(result.allExtracted);
    testing::WriteFile(extracted, {'k', 'e', 'e', 'p'});
    std::vector<std::string> messages;
    Carve(image, options, &result, &messages);
    EXPECT_FALSE(result.allExtracted);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(ExtractedFileName(start)), std::string::npos);
    EXPECT_EQ(testing::ReadText(extracted), "keep");
}

// A whole file found is its own up to the length its header records: its last cluster,
// all of it free in the bitmap, holds its deleted records, never loose ones.
TEST(Carver, AFoundFileReachesItsRecordedLengthWithTheDeletedRecordsAtItsEnd) {
    IndexFileBuilder builder;
    builder.Hash(32).MarkInUse(0x4000, 32);
    while (builder.Position() < 0x6000) {
        const std::size_t at = builder.Position();
        builder.Url({.url = "http://live.example/" + std::to_string(at), .minimumBlocks = 2}).MarkInUse(at, 2);
    }
    while (builder.Position() < 0x7000) builder.Blank();
    for (int i = 0; i < 3; ++i) builder.Url({.url = "http://deleted.example/" + std::to_string(i), .minimumBlocks = 2});
    while (builder.Position() < 0x8000) builder.Blank();
    std::vector<Buffer> files = {builder.Bytes()};
    const std::filesystem::path history = std::filesystem::path(TALLOWMARK_FIXTURES_DIR) / "history-ie5-index.dat";
    if (std::filesystem::exists(history)) files.push_back(testing::ReadFile(history.string()));

    for (const Buffer& file : files) {
        ASSERT_EQ(file.size(), 32768u);
        MemoryImage image;
        image.maker.Noise(NoiseKind::Random, 32 * kSector);
        const std::uint64_t start = image.bytes.size();
        image.maker.Append(file).Noise(NoiseKind::OtherCache, 32 * kSector);
        const TempDir folder;
        const auto lines = Carve(image, {.jobs = 2, .extractFolder = folder.Root().string()});
        EXPECT_EQ(testing::ReadFile((folder.Root() / ExtractedFileName(start)).string()), file);
        std::size_t deletedAtTheEnd = 0;
        for (const auto& [at, line] : lines) {
            EXPECT_EQ(line.at("carved_from"), "file " + Hex(start)) << Hex(at);
            deletedAtTheEnd += at >= start + 0x7000 && line.at("status") == "deleted";
        }
        EXPECT_EQ(deletedAtTheEnd, file == files[0] ? 3u : 1u);
    }
}

TEST(Carver, FindsEveryRecordOfRealFilesThatLiesWholeInOneClusterRun) {
    const std::filesystem::path fixtures = TALLOWMARK_FIXTURES_DIR;
    if (!std::filesystem::exists(fixtures)) GTEST_SKIP() << "no real samples at " << fixtures;
    std::vector<std::string> names = {"content-ie5-index.dat", "history-ie5-index.dat", "leaks-index.dat"};
    std::vector<Buffer> samples;
    for (const std::string& name : names) samples.push_back(testing::ReadFile((fixtures / name).string()));

    // A partition at sector 63: its clusters lie at odd sectors of the image.
    MemoryImage image(19);
    image.maker.Noise(NoiseKind::Random, 63 * kSector);
    auto placed = image.maker.Scatter(samples, 4096, 6, 0.15, 400);
    image.maker.Noise(NoiseKind::NearRecords, 16 * kSector);
    // Two of them whole as well, found as files: their page titles and the leak sample's
    // record that a deleted one's claim overlaps.
    for (const std::size_t file : {1, 2}) {
        names.push_back(names[file]);
        samples.push_back(samples[file]);
        placed.emplace_back();
        for (std::size_t at = 0; at < samples[file].size(); at += 4096) placed.back().push_back(image.bytes.size() + at);
        image.maker.Append(samples[file]).Noise(NoiseKind::OtherCache, 16 * kSector);
    }
    const auto lines = Carve(image, {.jobs = 2});

    std::size_t expected = 0, fromFiles = 0;
    for (std::size_t file = 0; file < samples.size(); ++file) {
        SCOPED_TRACE(names[file]);
        std::string text;
        const FileTimeline timeline = TimelineOfFile((fixtures / names[file]).string(), {},
                                                     [&](std::string& piece) { text += piece; });
        text += timeline.text;
        std::istringstream in(text);
        for (std::string json; std::getline(in, json);) {
            const FlatJson::Object intact = *FlatJson::Parse(json);
            const std::uint64_t offset = std::stoull(*intact.at("offset"), nullptr, 16);
            const std::uint64_t size = std::stoull(*intact.at("size"));
            const std::size_t first = offset / 4096, last = (offset + size - 1) / 4096;
            bool whole = last < placed[file].size();
            for (std::size_t c = first; whole && c <= last; ++c)
                whole = placed[file][c] && (c == first || *placed[file][c] == *placed[file][c - 1] + 4096);
            if (!whole) continue;
            ++expected;
            const std::uint64_t at = *placed[file][first] + offset % 4096;
            SCOPED_TRACE(*intact.at("offset"));
            ASSERT_TRUE(lines.count(at));
            const FlatJson::Object& carved = lines.at(at);
            // The fixed fields lie in every record's first block.
            for (const char* field : {"type", "kind", "modified", "accessed", "expires", "last_checked",
                                      "cache_file_created", "cache_directory_index", "cached_size", "hits", "flags"})
                EXPECT_EQ(carved.at(field), intact.at(field)) << field;
            // A loose record reaching past its first sector keeps the start of its URL.
            EXPECT_EQ(intact.at("url")->rfind(*carved.at("url"), 0), 0u);
            if (carved.at("partial") == "false") {
                for (const char* field : {"user", "url", "cache_file"})
                    EXPECT_EQ(carved.at(field), intact.at(field)) << field;
            }
            if (carved.at("carved_from") != "loose") {
                // Where the file was found whole, its own bitmap and hash tables say the rest.
                ++fromFiles;
                for (const char* field : {"offset", "record", "status", "hashed", "partial", "cache_directory",
                                          "page_title", "http_headers", "size"})
                    EXPECT_EQ(carved.at(field), intact.at(field)) << field;
            } else if (carved.at("partial") == "false" && intact.at("partial") == "false") {
                // A partial record keeps what its first blocks prove, and the intact file's
                // walk cuts the leak sample's deleted record where a live one overwrote
                // it: a loose copy has no bitmap to tell.
                for (const char* field : {"page_title", "http_headers", "size"})
                    EXPECT_EQ(carved.at(field), intact.at(field)) << field;
            }
        }
    }
    EXPECT_GT(expected, 500u);
    EXPECT_GT(fromFiles, 0u);

    // Nothing from the noise: every line lies on a record signature of a sample.
    std::map<std::uint64_t, std::pair<std::size_t, std::size_t>> clusters;  // image offset: file, cluster
    for (std::size_t file = 0; file < placed.size(); ++file)
        for (std::size_t c = 0; c < placed[file].size(); ++c)
            if (placed[file][c]) clusters[*placed[file][c]] = {file, c};
    for (const auto& [at, line] : lines) {
        auto slot = clusters.upper_bound(at);
        ASSERT_NE(slot, clusters.begin()) << Hex(at);
        --slot;
        ASSERT_LT(at - slot->first, 4096u) << Hex(at);
        const auto [file, c] = slot->second;
        const std::size_t offset = c * 4096 + (at - slot->first);
        const std::string signature(samples[file].begin() + offset, samples[file].begin() + offset + 4);
        EXPECT_TRUE(signature == "URL " || signature == "LEAK" || signature == "REDR") << Hex(at);
    }
}

// A daily history visit carved from an image is one instant once the source machine's
// zone is named, as in the timeline, and each Timesketch line says where it was found.
TEST(Carver, ADailyVisitNeedsTheSourceZoneAndTimesketchLinesParseBack) {
    const FileTime visit = FileTimeOf(2013, 3, 10, 9, 38, 51);
    IndexFileBuilder daily;
    daily.Url({.url = ":2013031020130311: ann@http://www.example.com/",
               .modified = visit + 3600 * 10'000'000ull,
               .accessed = visit,
               .fileName = "daily.htm"});
    MemoryImage image;
    image.maker.Noise(NoiseKind::Random, 8 * kSector).Append(RecordsOf(daily)).Noise(NoiseKind::Elf, 8 * kSector);
    const TempDir folder;
    const std::string path = folder.Path("image.dd");
    testing::WriteFile(path, image.bytes);

    const auto bare = testing::Cli({"carve", path});
    const auto zoned = testing::Cli({"carve", path, "--source-zone", "+01:00"});
    const auto line = FlatJson::Parse(bare.out.substr(0, bare.out.find('\n')));
    const auto zonedLine = FlatJson::Parse(zoned.out.substr(0, zoned.out.find('\n')));
    ASSERT_TRUE(line && zonedLine) << bare.out;
    EXPECT_EQ(line->at("kind"), "history-daily");
    EXPECT_EQ(line->at("user"), "ann");
    EXPECT_EQ(line->at("modified"), "2013-03-10T10:38:51.0000000");
    EXPECT_EQ(bare.err, "tallowmark-cli: 1 wall-clock time in 1 image stayed unconverted: give --source-zone ZONE\n");
    EXPECT_EQ(zonedLine->at("modified"), zonedLine->at("accessed"));
    EXPECT_EQ(zoned.err, "");

    const auto events = testing::Cli({"carve", path, "--format", "timesketch", "--source-zone", "+01:00"});
    ASSERT_EQ(events.code, 0) << events.err;
    std::istringstream in(events.out);
    std::size_t count = 0;
    for (std::string event; std::getline(in, event); ++count) {
        const auto parsed = FlatJson::Parse(event);
        ASSERT_TRUE(parsed) << event;
        EXPECT_EQ(parsed->at("image_offset"), Hex(8 * kSector));
        EXPECT_EQ(parsed->at("carved_from"), "loose");
        EXPECT_EQ(parsed->at("message"), "history-daily: :2013031020130311: ann@http://www.example.com/");
    }
    EXPECT_EQ(count, 1u) << "the visit once, however many fields hold it";
}

TEST(Carver, AnExpertWitnessImageOfTheSameBytesCarvesIdentically) {
    if (!ReadsExpertWitnessImages()) GTEST_SKIP() << "this build reads no E01 images";
    if (std::system("ewfacquire -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "ewfacquire is not installed";
    IndexFileBuilder builder;
    builder.Hash(32).Url({.url = "http://e01.example/", .fileName = "e01.htm"}).Redirect("http://e01.example/r");
    while (builder.Position() < 0x6000) builder.Blank();
    builder.HeaderU32(0x24, (0x6000 - 0x4000) / 128).HeaderU32(0x250, 0xFFFFFFFF).HeaderU32(0x254, 0b111);
    IndexFileBuilder loose;
    loose.Url({.url = "http://loose.example/", .accessed = FileTimeOf(2011, 1, 1), .fileName = "loose.htm"});
    MemoryImage image;
    image.maker.Noise(NoiseKind::OtherCache, 1 << 20).Append(builder.Bytes()).Noise(NoiseKind::Random, 1 << 20);
    image.maker.Append(RecordsOf(loose)).Noise(NoiseKind::Elf, 1 << 20);

    const TempDir folder;
    const std::string raw = folder.Path("disk.raw"), e01 = folder.Path("disk");
    testing::WriteFile(raw, image.bytes);
    const std::string acquire = "ewfacquire -u -q -c fast -t '" + e01 + "' '" + raw + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(acquire.c_str()), 0);

    const auto fromRaw = testing::Cli({"carve", raw, "--format", "csv"});
    auto fromE01 = testing::Cli({"carve", e01 + ".E01", "--format", "csv"});
    ASSERT_EQ(fromRaw.code, 0) << fromRaw.err;
    ASSERT_EQ(fromE01.code, 0) << fromE01.err;
    for (std::size_t at; (at = fromE01.out.find(e01 + ".E01")) != std::string::npos;)
        fromE01.out.replace(at, e01.size() + 4, raw);
    EXPECT_EQ(fromE01.out, fromRaw.out);
    EXPECT_EQ(std::count(fromRaw.out.begin(), fromRaw.out.end(), '\n'), 4);  // the header row and three records
    EXPECT_NE(fromRaw.out.find(",image_offset,carved_from\r\n"), std::string::npos);
}

// A damaged E01 set is named, segment and byte range, and fails the run; what could be
// read is carved all the same: a segment removed, and one cut short.
TEST(Carver, AnExpertWitnessImageWithASegmentMissingOrCutShortIsNamed) {
    if (!ReadsExpertWitnessImages()) GTEST_SKIP() << "this build reads no E01 images";
    if (std::system("ewfacquire -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "ewfacquire is not installed";
    MemoryImage image;
    for (int i = 0; i < 14; ++i) {
        IndexFileBuilder record;
        record.Url({.url = "http://segment.example/" + std::to_string(i), .fileName = "s.htm"});
        image.maker.Noise(NoiseKind::Random, 256 << 10).Append(RecordsOf(record));
        PadToSector(image);
    }
    const TempDir folder;
    const std::string raw = folder.Path("disk.raw");
    testing::WriteFile(raw, image.bytes);
    const OpenedImage whole = OpenImage(raw);
    ASSERT_TRUE(whole.reader);
    const auto expected = Carve(*whole.reader);
    ASSERT_EQ(expected.size(), 14u);

    for (const char* damage : {"missing", "cut short"}) {
        SCOPED_TRACE(damage);
        const std::filesystem::path set = folder.Root() / (damage[0] == 'm' ? "missing" : "cut");
        std::filesystem::create_directory(set);
        const std::string acquire =
            "ewfacquire -u -q -c none -S 1MiB -t '" + (set / "disk").string() + "' '" + raw + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(acquire.c_str()), 0);
        const std::filesystem::path second = set / "disk.E02";
        if (damage[0] == 'm') std::filesystem::remove(second);
        else
            std::filesystem::resize_file(second, std::filesystem::file_size(second) / 2);

        const OpenedImage opened = OpenImage((set / "disk.E01").string());
        ASSERT_TRUE(opened.reader) << opened.outcome.message;
        CarveResult result;
        std::vector<std::string> messages;
        const auto lines = Carve(*opened.reader, {}, &result, &messages);
        EXPECT_FALSE(result.allRead);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].rfind("image.dd: segment disk.E02 is " + std::string(damage), 0), 0u) << messages[0];
        const std::string unreadable = "image.dd: the image cannot be read from ";
        ASSERT_EQ(messages[1].rfind(unreadable, 0), 0u) << messages[1];
        const std::uint64_t from = std::stoull(messages[1].substr(unreadable.size()));
        EXPECT_GT(from, 0u);
        // Every record before the damage, as the raw image gives it.
        std::size_t before = 0;
        for (const auto& [at, line] : expected) {
            if (at >= from) continue;
            ++before;
            ASSERT_TRUE(lines.count(at)) << Hex(at);
            EXPECT_EQ(lines.at(at), line);
        }
        EXPECT_GT(before, 2u);
    }
    const auto run = testing::Cli({"carve", (folder.Root() / "missing" / "disk.E01").string()});
    EXPECT_EQ(run.code, 1);
}

}  // namespace
}  // namespace tallowmark
