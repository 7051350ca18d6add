#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <filesystem>
#include <sstream>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "model/Digest.h"
#include "model/TallowmarkDoc.h"
#include "platform/ReadOnlyFile.h"
#include "presentation/ListText.h"
#include "support/HeldOpenFile.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

using testing::Buffer;
using testing::IndexFileBuilder;
using testing::TempDir;
using testing::UrlEntry;

struct Loaded {
    TempDir dir;
    std::string path;
    TallowmarkDoc doc;
    Outcome outcome;
};

std::unique_ptr<Loaded> Load(const Buffer& bytes) {
    auto loaded = std::make_unique<Loaded>();
    loaded->path = loaded->dir.Path("index.dat");
    testing::WriteFile(loaded->path, bytes);
    loaded->outcome = loaded->doc.OnOpenDocument(loaded->path);
    return loaded;
}

std::vector<std::uint32_t> Numbers(const TallowmarkDoc& doc) {
    std::vector<std::uint32_t> numbers;
    for (const auto& record : doc.Records()) numbers.push_back(record.RecordNumber());
    return numbers;
}

std::string Serialized(const TallowmarkDoc& doc) {
    std::ostringstream out;
    doc.Serialize(out);
    return out.str();
}

std::string AsString(const Buffer& bytes) { return {bytes.begin(), bytes.end()}; }

IndexFileBuilder HashAndTenBlanks(bool unrecognisedThird) {
    IndexFileBuilder builder(testing::kVersion5, 0x5000);
    builder.Hash(32);
    for (int i = 0; i < 10; ++i) {
        if (unrecognisedThird && i == 2) builder.Unrecognised();
        else
            builder.Blank();
    }
    return builder;
}

TEST(Load, WalkNumbersEveryStepAndSkipsUnrecognisedBlocks) {
    auto plain = Load(HashAndTenBlanks(false).Bytes());
    ASSERT_TRUE(plain->outcome) << plain->outcome.message;
    ASSERT_EQ(plain->doc.RecordCount(), 11u);
    EXPECT_EQ(Numbers(plain->doc), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(plain->doc.Records()[0].TypeName(), "HASH");
    EXPECT_EQ(plain->doc.Records()[0].Size(), 4096u);
    EXPECT_EQ(plain->doc.Records()[1].TypeName(), "BLANK");
    EXPECT_EQ(plain->doc.Records()[1].Size(), 128u);

    auto gap = Load(HashAndTenBlanks(true).Bytes());
    EXPECT_EQ(Numbers(gap->doc), (std::vector<std::uint32_t>{0, 1, 2, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(Load, EveryFillBlockIsItsOwnRecordWhateverItsCount) {
    IndexFileBuilder builder;
    builder.Blank(5).Blank(0x0BADF00D).BadFood().BadFood();
    builder.Url({.url = "http://a/", .countField = 0}).Url({.url = "http://b/", .countField = 0x0BADF00D});
    auto loaded = Load(builder.Bytes());
    ASSERT_EQ(loaded->doc.RecordCount(), 6u);
    const auto& records = loaded->doc.Records();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(records[i].Size(), 128u);
    EXPECT_EQ(records[0].TypeName(), "BLANK");
    EXPECT_EQ(records[1].TypeName(), "BLANK");
    EXPECT_EQ(ReadU32(records[1].Bytes(), 4), 0x0BADF00Du);  // the copy keeps the count as read
    EXPECT_EQ(records[2].TypeName(), "BAD FOOD");
    EXPECT_EQ(records[4].UrlText(), "http://a/");
    EXPECT_EQ(records[5].RecordNumber(), 5u);
}

// A long load tells how far it has come: the reading, then the walk, each half, never back.
TEST(Load, ProgressRisesThroughTheReadingAndTheWalkToTheWhole) {
    IndexFileBuilder builder;
    builder.Hash(1);
    for (std::size_t block = 0; block < (TallowmarkDoc::kReadPiece + (1u << 20)) / BLOCK_SIZE; ++block) builder.Blank();
    TempDir dir;
    const std::string path = dir.Path("index.dat");
    builder.WriteTo(path);
    const std::uint64_t size = std::filesystem::file_size(path);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    TallowmarkDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path, [&](std::uint64_t done, std::uint64_t total) {
        reports.emplace_back(done, total);
    }));
    ASSERT_GE(reports.size(), 4u);
    EXPECT_EQ(reports[0], std::make_pair(std::uint64_t{TallowmarkDoc::kReadPiece}, 2 * size));
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_TRUE(std::any_of(reports.begin(), reports.end(),
                            [&](const auto& report) { return report.first > size && report.first < 2 * size; }));
    EXPECT_EQ(reports.back(), std::make_pair(2 * size, 2 * size));
    EXPECT_EQ(OpeningText("/tmp/index.dat", size, 2 * size), "Opening /tmp/index.dat... 50%");
}

TEST(Load, HeaderLengthComesFromFirstHashTableOrElseFileSizeField) {
    // T = 0: the header runs to F, and the walk starts there.
    IndexFileBuilder builder(testing::kVersion5, 0x4000);
    builder.Blank().Blank();
    Buffer bytes = builder.FirstHashTableField(0).FileSizeField(0x4000 + 128).Bytes();
    auto loaded = Load(bytes);
    ASSERT_TRUE(loaded->outcome);
    EXPECT_EQ(loaded->doc.Header()->Bytes().size(), 0x4000u + 128);
    EXPECT_EQ(Numbers(loaded->doc), (std::vector<std::uint32_t>{0}));

    // T = 0 and F = L: the header is the whole file.
    auto whole = Load(IndexFileBuilder().Blank().FirstHashTableField(0).Bytes());
    ASSERT_TRUE(whole->outcome);
    EXPECT_EQ(whole->doc.RecordCount(), 0u);
    EXPECT_EQ(whole->doc.Header()->FileSizeField(), 0x4000u + 128);
}

TEST(Load, HeaderClaimingMoreThanTheFileHoldsOnlyWhatIsThere) {
    for (std::uint32_t first : {0x4000u + 128, 0x10000000u, 0xFFFFFFFFu}) {
        auto loaded = Load(IndexFileBuilder().Blank().FirstHashTableField(first).Bytes());
        ASSERT_TRUE(loaded->outcome);
        EXPECT_EQ(loaded->doc.RecordCount(), 0u);
        EXPECT_EQ(loaded->doc.Header()->ClaimedLength(), first);
        EXPECT_EQ(loaded->doc.Header()->Bytes().size(), 0x4000u + 128);
    }
}

TEST(Load, RecordReachingPastTheEndKeepsItsClaimedSizeButHoldsOnlyTheFile) {
    IndexFileBuilder builder;
    builder.Blank();
    Buffer tail(200, 0);
    std::memcpy(tail.data(), "HASH", 4);
    testing::PutU32(tail, 4, 32);
    const Buffer bytes = builder.RawBytes(tail).Bytes();
    auto loaded = Load(bytes);
    ASSERT_EQ(loaded->doc.RecordCount(), 2u);
    const IndexRecord& last = loaded->doc.Records()[1];
    EXPECT_EQ(last.Size(), 4096u);
    EXPECT_EQ(last.Bytes().size(), 200u);
    // Save As writes what is held, never invented padding.
    EXPECT_EQ(Serialized(loaded->doc), AsString(bytes));
}

TEST(Load, CountWhoseLengthExceeds32BitsEndsTheWalkWithoutWrapping) {
    IndexFileBuilder builder;
    builder.Hash(1, 0x02000001u).Blank().Blank();  // 0x02000001 * 128 does not fit in 32 bits
    auto loaded = Load(builder.Bytes());
    ASSERT_EQ(loaded->doc.RecordCount(), 1u);
    EXPECT_EQ(loaded->doc.Records()[0].Size(), 0x02000001ull * 128);
}

// A header whose length is no whole number of blocks puts every record off the blocks.
TEST(Load, RecordsOffTheBlocksAreReadWhereTheyLie) {
    IndexFileBuilder builder(testing::kVersion5, 0x4000 + 64);
    builder.Url({.url = "http://a/"}).Blank().Url({.url = "http://b/", .minimumBlocks = 2});
    auto loaded = Load(builder.Bytes());
    ASSERT_TRUE(loaded->outcome) << loaded->outcome.message;
    ASSERT_EQ(loaded->doc.RecordCount(), 3u);
    const auto& records = loaded->doc.Records();
    EXPECT_EQ(loaded->doc.OffsetOf(records[0]), 0x4040u);
    EXPECT_EQ(records[0].UrlText(), "http://a/");
    EXPECT_EQ(records[1].TypeName(), "BLANK");
    EXPECT_EQ(loaded->doc.OffsetOf(records[2]), 0x4040u + 2 * 128);
    EXPECT_EQ(records[2].UrlText(), "http://b/");
    EXPECT_EQ(records[2].Size(), 256u);
}

TEST(Load, ShortTailsAreReadAsFarAsTheyGo) {
    IndexFileBuilder builder;
    builder.Blank();
    const Buffer bytes = builder.RawBytes({'U', 'R', 'L', ' ', 9}).Bytes();
    auto loaded = Load(bytes);
    ASSERT_EQ(loaded->doc.RecordCount(), 2u);
    const auto url = AsUrlRecord(loaded->doc.Records()[1]).value();
    EXPECT_EQ(url.Size(), 9u * 128);
    EXPECT_EQ(url.UrlText(), "");
    EXPECT_EQ(url.FileNameText(), "");
    EXPECT_EQ(url.ModifiedTime(), ToTimeValue(0));
    EXPECT_EQ(Serialized(loaded->doc), AsString(bytes));
}

TEST(Load, SignatureIsCheckedOnTheFirst15Bytes) {
    // An empty file holds no signature either: it is no index file.
    for (const std::string text : {"", "Client UrlCach", "client UrlCache MMF Ver 5.2", "x"}) {
        auto refused = Load(Buffer(text.begin(), text.end()));
        EXPECT_FALSE(refused->outcome) << text;
        EXPECT_EQ(refused->outcome.message, "Unexpected file format.");
        EXPECT_EQ(refused->doc.Header(), nullptr);
    }
    // Just the signature: accepted, all header fields read as zero.
    const std::string bare = "Client UrlCache";
    auto signatureOnly = Load(Buffer(bare.begin(), bare.end()));
    ASSERT_TRUE(signatureOnly->outcome);
    EXPECT_EQ(signatureOnly->doc.RecordCount(), 0u);
}

TEST(Load, FailuresNameThePath) {
    TempDir dir;
    TallowmarkDoc doc;
    const std::string missing = dir.Path("missing.dat");
    EXPECT_EQ(doc.OnOpenDocument(missing).message, missing + " was not found.");
    EXPECT_EQ(doc.OnOpenDocument(dir.Root().string()).message, "Failed to open document.");
#ifndef _WIN32  // Windows files have no permission bits to take away
    if (geteuid() != 0) {
        const std::string locked = dir.Path("locked.dat");
        IndexFileBuilder().WriteTo(locked);
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_EQ(doc.OnOpenDocument(locked).message, "Access to " + locked + " was denied.");
    }
#endif
}

TEST(Load, OpensAFileThatAnotherWriterHoldsOpen) {
    TempDir dir;
    const std::string path = dir.Path("index.dat");
    IndexFileBuilder().Hash().WriteTo(path);
    const testing::HeldOpenFile writer(path);
    ASSERT_TRUE(writer.IsOpen());
    TallowmarkDoc doc;
    EXPECT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.RecordCount(), 1u);
}

TEST(Load, PathAndTitle) {
    auto loaded = Load(IndexFileBuilder().Bytes());
    EXPECT_EQ(loaded->doc.PathName(), loaded->path);
    EXPECT_EQ(loaded->doc.Title(), "index.dat");
}

// A copy of evidence is the file byte for byte, unrecognised blocks and a cut tail
// included, and the user is told its SHA-256.
TEST(SaveAs, TheCopyIsTheFileByteForByteAndNamesItsDigest) {
    IndexFileBuilder builder;
    builder.CacheDir(0, "ABCDEFGH").Hash().Url({.url = "http://x/", .fileName = "x[1].htm"}).Leak({.url = "l"});
    builder.Redirect("http://r/").Blank().Unrecognised().BadFood().RawBytes({'U', 'R', 'L', ' ', 4, 0, 0});
    const Buffer bytes = builder.Bytes();
    auto loaded = Load(bytes);
    const std::string copy = loaded->dir.Path("copy.dat");
    const Outcome saved = loaded->doc.SaveAs(copy);
    ASSERT_TRUE(saved) << saved.message;
    EXPECT_EQ(testing::ReadFile(copy), bytes);
    EXPECT_EQ(saved.message, "Saved a copy of index.dat (SHA-256 " + Sha256Of(bytes) + ")");
    EXPECT_EQ(loaded->doc.PathName(), copy);
    EXPECT_EQ(loaded->doc.Title(), "copy.dat");
}

TEST(SaveAs, OntoTheLoadedFileItselfKeepsItIntact) {
    // The file of an open document is never written, not even with its own bytes.
    const Buffer bytes = IndexFileBuilder().Hash().Url({.url = "http://self/"}).Unrecognised().Blank().Bytes();
    auto loaded = Load(bytes);
    const Outcome saved = loaded->doc.SaveAs(loaded->path);
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.message,
              loaded->path + " is the file of the open document " + loaded->path + "; nothing was written.");
    EXPECT_EQ(testing::ReadFile(loaded->path), bytes);
}

TEST(SaveAs, ReportsATargetThatCannotBeWritten) {
    auto loaded = Load(IndexFileBuilder().Hash().Bytes());
    const std::string target = loaded->dir.Path("no-such-folder/copy.dat");
    const Outcome saved = loaded->doc.SaveAs(target);
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.message, target + " was not found.");
    EXPECT_EQ(loaded->doc.PathName(), loaded->path);
}

}  // namespace
}  // namespace tallowmark
