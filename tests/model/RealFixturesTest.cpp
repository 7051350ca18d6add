#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "model/TallowmarkDoc.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

std::filesystem::path Fixture(const std::string& name) { return std::filesystem::path(TALLOWMARK_FIXTURES_DIR) / name; }

std::map<std::string, int> CountKinds(const TallowmarkDoc& doc) {
    std::map<std::string, int> kinds;
    for (const auto& record : doc.Records()) ++kinds[std::string(record.TypeName())];
    return kinds;
}

class RealFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(TALLOWMARK_FIXTURES_DIR)) GTEST_SKIP() << "no real sample files here";
    }
};

TEST_F(RealFiles, KindsMatchWhatTheSamplesHold) {
    const std::pair<const char*, std::map<std::string, int>> expected[] = {
        {"content-ie5-index.dat", {{"HASH", 1}, {"URL", 21}, {"REDR", 14}, {"BLANK", 97}}},
        {"history-ie5-index.dat", {{"HASH", 1}, {"URL", 17}, {"BLANK", 37}}},
        // 992 URL records: with the live one at 0x17000 that a deleted record's count claims.
        {"leaks-index.dat", {{"HASH", 4}, {"URL", 992}, {"LEAK", 9}, {"REDR", 34}, {"BLANK", 64}}},
    };
    for (const auto& [name, kinds] : expected) {
        TallowmarkDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(Fixture(name).string())) << name;
        EXPECT_EQ(CountKinds(doc), kinds) << name;
        EXPECT_FALSE(doc.IsVersion4());
        EXPECT_EQ(doc.Header()->VersionText(), "Client UrlCache MMF Ver 5.2");
    }
}

TEST_F(RealFiles, ContentIndexNamesItsCacheDirectoriesAndFiles) {
    TallowmarkDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(Fixture("content-ie5-index.dat").string()));
    int withCacheFile = 0;
    for (const auto& record : doc.Records()) {
        const auto url = AsUrlRecord(record);
        if (!url) continue;
        EXPECT_EQ(url->UrlText().rfind("http", 0), 0u) << url->UrlText();
        EXPECT_EQ(url->CacheDirText().size(), 8u);
        if (!url->FileNameText().empty()) ++withCacheFile;
    }
    EXPECT_GT(withCacheFile, 0);
}

// The copy that Save As writes is each sample byte for byte (the leak sample's
// unrecognised blocks too), so it reopens with the same records.
TEST_F(RealFiles, SaveAsCopiesEveryByte) {
    const testing::TempDir dir;
    for (const char* name : {"content-ie5-index.dat", "history-ie5-index.dat", "leaks-index.dat"}) {
        TallowmarkDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(Fixture(name).string()));
        const std::size_t records = doc.RecordCount();
        const std::string copy = dir.Path(std::string("copy-") + name);
        ASSERT_TRUE(doc.SaveAs(copy)) << name;
        EXPECT_EQ(testing::ReadFile(copy), testing::ReadFile(Fixture(name).string())) << name;
        TallowmarkDoc reopened;
        ASSERT_TRUE(reopened.OnOpenDocument(copy));
        EXPECT_EQ(reopened.RecordCount(), records) << name;
    }
}

}  // namespace
}  // namespace tallowmark
