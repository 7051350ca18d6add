#include <gtest/gtest.h>

#include <cstring>

#include <sstream>

#include "model/IndexRecord.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark {
namespace {

using testing::Buffer;

// A header and one record built straight from bytes, without a file.
struct Fixture {
    Buffer headerBytes;
    Buffer recordBytes;
    std::unique_ptr<IndexHeader> header;

    explicit Fixture(const char* version = testing::kVersion5, std::size_t headerLength = 0x100) {
        headerBytes.assign(headerLength, 0);
        testing::PutText(headerBytes, 0, version);
        headerBytes.resize(headerLength);
        header = std::make_unique<IndexHeader>(headerLength, ByteView(headerBytes.data(), headerBytes.size()));
    }
    ByteView Record() const { return {recordBytes.data(), recordBytes.size()}; }
    UrlRecord Url() const { return UrlRecord(*header, 0, Record(), recordBytes.size()); }
};

Fixture UrlFixture(const char* version = testing::kVersion5) {
    Fixture f(version);
    f.recordBytes.assign(256, 0);
    std::memcpy(f.recordBytes.data(), "URL ", 4);
    testing::PutU32(f.recordBytes, 4, 2);
    testing::PutText(f.recordBytes, 0x68, "http://example.com/");
    testing::PutText(f.recordBytes, 0x6C, "ample.com/");  // what a wrong offset would find
    testing::PutText(f.recordBytes, 0x68, "http://example.com/");
    return f;
}

TEST(UrlRecord, UrlOnlyAtOffset0x68) {
    for (std::uint32_t offset : {0x68u, 0x64u, 0x6Cu, 0u}) {
        Fixture f = UrlFixture();
        testing::PutU32(f.recordBytes, 0x34, offset);
        EXPECT_EQ(f.Url().UrlText(), offset == 0x68 ? "http://example.com/" : "") << offset;
    }
}

TEST(UrlRecord, LayoutFollowsTheHeadersVersion) {
    Fixture v5 = UrlFixture(testing::kVersion5);
    testing::PutU32(v5.recordBytes, 0x38, 0x68);  // the version-4 place: ignored
    EXPECT_EQ(v5.Url().UrlText(), "");
    testing::PutU32(v5.recordBytes, 0x34, 0x68);
    EXPECT_EQ(v5.Url().UrlText(), "http://example.com/");

    Fixture v4 = UrlFixture(testing::kVersion4);
    testing::PutU32(v4.recordBytes, 0x34, 0x68);
    EXPECT_EQ(v4.Url().UrlText(), "");
    testing::PutU32(v4.recordBytes, 0x38, 0x68);
    EXPECT_EQ(v4.Url().UrlText(), "http://example.com/");
}

TEST(UrlRecord, TextOffsetsMustLieStrictlyBetween8AndTheSize) {
    Fixture f = UrlFixture();
    testing::PutText(f.recordBytes, 9, "nine");
    testing::PutText(f.recordBytes, 200, "name.htm");
    const std::pair<std::uint32_t, std::string> cases[] = {{0, ""},           {8, ""},   {9, "nine"},
                                                           {200, "name.htm"}, {256, ""}, {0xFFFFFFF0u, ""}};
    for (const auto& [offset, expected] : cases) {
        testing::PutU32(f.recordBytes, 0x3C, offset);
        testing::PutU32(f.recordBytes, 0x44, offset);
        EXPECT_EQ(f.Url().FileNameText(), expected) << offset;
        EXPECT_EQ(f.Url().HttpHeadersText(), expected) << offset;
    }
}

TEST(UrlRecord, TextsEndAtTheRecordsEnd) {
    Fixture f = UrlFixture();
    testing::PutU32(f.recordBytes, 0x34, 0x68);
    std::fill(f.recordBytes.begin() + 0x68, f.recordBytes.end(), 'a');
    EXPECT_EQ(f.Url().UrlText(), std::string(256 - 0x68, 'a'));
    testing::PutU32(f.recordBytes, 0x3C, 250);
    EXPECT_EQ(f.Url().FileNameText(), "aaaaaa");
}

TEST(UrlRecord, CacheDirectoryComesFromTheHeader) {
    Fixture f = UrlFixture();
    std::memcpy(f.headerBytes.data() + 0x50, "FIRST\0\0\0", 8);
    std::memcpy(f.headerBytes.data() + 0x5C, "ABCDEFGHIJK", 11);  // no NUL within 8 bytes
    const std::pair<std::uint8_t, std::string> cases[] = {
        {0x00, "FIRST"}, {0x01, "ABCDEFGH"}, {0x80, ""}, {0xFF, ""}, {0x0F, ""}};  // 0x0F: 0x50 + 180 + 8 > 0x100
    for (const auto& [index, expected] : cases) {
        f.recordBytes[0x38] = index;
        EXPECT_EQ(f.Url().CacheDirText(), expected) << int(index);
    }
    // The last name that fits the header exactly, and the first that doesn't.
    EXPECT_EQ(f.header->CacheDirName(14), "");  // 0x50 + 168 + 8 = 0x100: fits, all zero
    std::memcpy(f.headerBytes.data() + 0x50 + 168, "LAST", 4);
    EXPECT_EQ(f.header->CacheDirName(14), "LAST");

    Fixture v4 = UrlFixture(testing::kVersion4);
    std::memcpy(v4.headerBytes.data() + 0x5C, "V4DIR", 5);
    v4.recordBytes[0x38] = 0;
    testing::PutU32(v4.recordBytes, 0x44, 0x01);
    EXPECT_EQ(v4.Url().CacheDirText(), "V4DIR");
}

TEST(UrlRecord, LeakAnswersLikeAUrlRecord) {
    Fixture f = UrlFixture();
    testing::PutU32(f.recordBytes, 0x34, 0x68);
    testing::PutU64(f.recordBytes, 8, testing::FileTimeOf(2008, 3, 5, 14, 7, 59));
    testing::PutU32(f.recordBytes, 0x3C, 0x80);
    testing::PutText(f.recordBytes, 0x80, "file.htm");
    const UrlRecord url = f.Url();
    const LeakRecord leak(*f.header, 0, f.Record(), f.recordBytes.size());
    EXPECT_EQ(url.TypeName(), "URL");
    EXPECT_EQ(leak.TypeName(), "LEAK");
    EXPECT_EQ(leak.UrlText(), url.UrlText());
    EXPECT_EQ(leak.FileNameText(), "file.htm");
    EXPECT_EQ(leak.ModifiedTime(), url.ModifiedTime());
    EXPECT_EQ(leak.CacheDirText(), url.CacheDirText());
    EXPECT_NE(AsUrlRecord(leak), std::nullopt);
}

TEST(OtherRecords, TextsAndBytes) {
    Fixture f;
    f.recordBytes.assign(128, 0);
    std::memcpy(f.recordBytes.data(), "REDR", 4);
    testing::PutText(f.recordBytes, 0x10, "http://moved/");
    const RedirectRecord redirect(*f.header, 3, f.Record(), 128);
    EXPECT_EQ(redirect.UrlText(), "http://moved/");
    EXPECT_EQ(redirect.RecordNumber(), 3u);
    EXPECT_EQ(AsUrlRecord(redirect), std::nullopt);

    const HashRecord hash(*f.header, 0, f.Record(), 128);
    EXPECT_EQ(hash.UrlText(), "");
    const FillRecord blank(*f.header, 0, BlockKind::Blank, f.Record(), 128);
    EXPECT_EQ(blank.UrlText(), "");
    std::ostringstream out;
    blank.Write(out);
    EXPECT_EQ(out.str(), std::string(f.recordBytes.begin(), f.recordBytes.end()));
}

TEST(IndexHeader, FieldsOfShortOrOddHeaders) {
    Fixture v4(testing::kVersion4);
    EXPECT_TRUE(v4.header->IsVersion4());
    EXPECT_EQ(v4.header->VersionText(), "Client UrlCache MMF Ver 4.7");
    Fixture other("Client UrlCache MMF Ver 5.2 Ver 4 ");
    EXPECT_FALSE(other.header->IsVersion4());
    Fixture bare("Client UrlCache");
    EXPECT_FALSE(bare.header->IsVersion4());

    Buffer shortBytes{'C', 'l', 'i', 'e', 'n', 't', 0x00, 0x1D};
    IndexHeader shortHeader(0x4000, ByteView(shortBytes.data(), shortBytes.size()));
    EXPECT_EQ(shortHeader.FileSizeField(), 0u);
    EXPECT_EQ(shortHeader.CacheDirName(0), "");
    EXPECT_EQ(shortHeader.VersionText(), "Client");

    Buffer noNul(20, 'Z');
    IndexHeader unterminated(20, ByteView(noNul.data(), noNul.size()));
    EXPECT_EQ(unterminated.VersionText(), std::string(20, 'Z'));
}

}  // namespace
}  // namespace tallowmark
