#include <gtest/gtest.h>

#include <sstream>

#include "model/IndexStream.h"
#include "presentation/CsvExport.h"
#include "support/DocFixture.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::IndexFileBuilder;

std::string StreamedCsv(const std::string& path) {
    IndexStream stream;
    if (const Outcome opened = stream.Open(path); !opened) return "failed: " + opened.message;
    std::ostringstream out;
    EXPECT_TRUE(StreamCsv(stream, out, ViewOptions{}));
    return out.str();
}

std::string LoadedCsv(const TallowmarkDoc& doc) {
    std::ostringstream out;
    WriteCsv(out, doc, ViewOptions{});
    return out.str();
}

// The one-pass reader must find what loading finds, also where records straddle the
// edge of its read window and where the file ends inside a record.
TEST(IndexStream, FindsWhatLoadingFindsAcrossWindowEdgesAndDamage) {
    testing::TimeZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    IndexFileBuilder builder;
    builder.CacheDir(0, "DIR0");
    for (int i = 0; builder.Position() < (3u << 20); ++i) {
        if (i % 97 == 0) builder.Hash(32);          // 4 KiB records land across the window's edges
        if (i % 4001 == 2000) builder.Hash(10000);  // 1.2 MiB, more than a window reads at once
        if (i % 13 == 0) builder.Unrecognised();
        builder.Url({.url = "http://host/" + std::to_string(i),
                     .modified = FileTimeOf(2008, 3, 30, 1, i % 60),
                     .fileName = "f.htm",
                     .minimumBlocks = 1u + i % 3});
    }
    builder.Redirect("http://last/");
    testing::Buffer cutShort = builder.Bytes();
    testing::PutU32(cutShort, cutShort.size() - 128 + 4, 0x00FFFFFF);  // the last record claims 2 GiB

    for (const testing::Buffer& bytes : {builder.Bytes(), cutShort}) {
        testing::TempDir dir;
        const std::string path = dir.Path("index.dat");
        testing::WriteFile(path, bytes);
        TallowmarkDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(path));
        EXPECT_EQ(StreamedCsv(path), LoadedCsv(doc));
    }
}

TEST(IndexStream, RefusesWhatLoadingRefuses) {
    testing::TempDir dir;
    testing::WriteFile(dir.Path("text.dat"), {'C', 'l', 'i', 'e', 'n', 't'});
    testing::WriteFile(dir.Path("empty.dat"), {});
    EXPECT_EQ(StreamedCsv(dir.Path("text.dat")), "failed: Unexpected file format.");
    EXPECT_EQ(StreamedCsv(dir.Path("none.dat")), "failed: " + dir.Path("none.dat") + " was not found.");
    EXPECT_EQ(StreamedCsv(dir.Path("empty.dat")), "failed: Unexpected file format.");
}

}  // namespace
}  // namespace tallowmark
