#include <gtest/gtest.h>

#include "model/Format.h"
#include "model/RecordEvidence.h"
#include "model/format/UrlRecordLayout.h"
#include "presentation/EntryDetails.h"
#include "presentation/RecordCells.h"
#include "support/DocFixture.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::IndexFileBuilder;
using testing::LoadDoc;

std::vector<std::string> Row(const IndexRecord& record, bool isVersion4 = false) {
    std::vector<std::string> cells;
    for (int column = 0; column < 8; ++column) cells.push_back(CellText(record, column, isVersion4));
    return cells;
}

IndexFileBuilder Sample(const char* version = testing::kVersion5) {
    IndexFileBuilder builder(version);
    if (std::string(version).find("Ver 4") == std::string::npos) builder.CacheDir(1, "Q1W2E3R4");
    builder.Hash(4);
    builder.Url({.url = "http://example.com/a",
                 .modified = FileTimeOf(2008, 3, 5, 14, 7, 59),
                 .accessed = FileTimeOf(2009, 12, 1, 8, 30, 0),
                 .fileName = "a[1].htm",
                 .headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n",
                 .dirIndex = 1});
    builder.Leak({.url = "http://leak/", .modified = FileTimeOf(2007, 1, 1), .fileName = "l.htm", .dirIndex = 1});
    builder.Redirect("http://redirected/");
    builder.Blank().BadFood();
    return builder;
}

class Cells : public ::testing::Test {
protected:
    testing::TimeZoneScope m_zone{"UTC0"};
};

TEST_F(Cells, RowsShowTheRecordAndOnlyUrlRowsShowTimesAndCacheFields) {
    auto loaded = LoadDoc(Sample());
    const auto& doc = *loaded;
    EXPECT_EQ(Row(doc[0]), (std::vector<std::string>{"1", "HASH", "", "512", "", "", "", ""}));
    EXPECT_EQ(Row(doc[1]), (std::vector<std::string>{"2", "URL", "http://example.com/a", "256", "05 Mar 2008, 14:07",
                                                     "01 Dec 2009, 08:30", "Q1W2E3R4", "a[1].htm"}));
    EXPECT_EQ(Row(doc[2]), (std::vector<std::string>{"3", "LEAK", "http://leak/", "128", "", "", "", ""}));
    EXPECT_EQ(Row(doc[3]), (std::vector<std::string>{"4", "REDR", "http://redirected/", "128", "", "", "", ""}));
    EXPECT_EQ(Row(doc[4]), (std::vector<std::string>{"5", "BLANK", "", "128", "", "", "", ""}));
    EXPECT_EQ(Row(doc[5]), (std::vector<std::string>{"6", "BAD FOOD", "", "128", "", "", "", ""}));
    // Version-4 rows leave the two cache columns out.
    EXPECT_EQ(CellText(doc[1], kColumnCacheDir, true), "");
    EXPECT_EQ(CellText(doc[1], kColumnFileName, true), "");
    EXPECT_EQ(ColumnCount(true), 6);
    EXPECT_EQ(ColumnCount(false), 8);
}

// The table's masks of the records a column fills say what the model's tests say, for
// every kind of record; every column has the functions its kind needs; a choice of extra
// columns goes through its titles and back.
TEST_F(Cells, TheColumnTableAgreesWithTheModelAndKeepsItsChoices) {
    auto loaded = LoadDoc(Sample());
    for (const auto& record : loaded->doc.Records()) {
        EXPECT_EQ(Holds(ColumnHolds::Entries, record), CarriesEvidence(record)) << record.TypeName();
        EXPECT_EQ(Holds(ColumnHolds::UrlRecords, record), WithTimeColumns(record) != std::nullopt) << record.TypeName();
    }
    for (const Column& column : kRecordColumns) {
        EXPECT_TRUE(column.text) << column.title;
        EXPECT_EQ(column.numberKey != nullptr, column.kind != ColumnKind::Text) << column.title;
    }
    ExtraColumns chosen;
    chosen.Set(kColumnLastChecked, true);
    chosen.Set(kColumnStatus, true);
    chosen.Set(kColumnData, true);  // no extra column: never chosen
    EXPECT_EQ(ExtraColumnTitles(chosen), (std::vector<std::string>{"Status", "Last Checked"}));
    EXPECT_EQ(ExtraColumnsTitled({"Last Checked", "Data", "No such column", "Status"}), chosen);
    EXPECT_EQ(ShownColumns(true, chosen), (std::vector<int>{0, 1, 2, 3, 4, 5, kColumnStatus, kColumnLastChecked}));
}

TEST_F(Cells, FiltersLeaveOutFillRecordsOnly) {
    auto loaded = LoadDoc(Sample());
    EXPECT_FALSE((ViewOptions{false, true}.Shows((*loaded)[4])));
    EXPECT_TRUE((ViewOptions{false, true}.Shows((*loaded)[5])));
    EXPECT_FALSE((ViewOptions{true, false}.Shows((*loaded)[5])));
    EXPECT_TRUE((ViewOptions{false, false}.Shows((*loaded)[1])));
}

TEST_F(Cells, DetailsOfAUrlRecordListEveryKnownFieldInOrder) {
    auto loaded = LoadDoc(Sample());
    EXPECT_EQ(EntryDetailsText((*loaded)[1], "C:\\x\\index.dat"),
              "File:\r\nC:\\x\\index.dat\r\nRecord Number: 2\r\nRecord Type: URL\r\nRecord Size: 256 bytes"
              "\r\n\r\nDetails:\r\n"
              "Last Modified: 05 Mar 2008, 14:07:59 (local, UTC)\nLast Accessed: 01 Dec 2009, 08:30:00 (local, UTC)"
              "\nURL: http://example.com/a\nCache Filename: a[1].htm\nCache Directory: Q1W2E3R4"
              "\nHTTP Headers:\nHTTP/1.1 200 OK\r\nContent-Type: text/html\r\n");
    // A leak shows the same kind of details, although its row shows no dates.
    EXPECT_EQ(EntryDetailsText((*loaded)[2], "p"),
              "File:\r\np\r\nRecord Number: 3\r\nRecord Type: LEAK\r\nRecord Size: 128 bytes\r\n\r\nDetails:\r\n"
              "Last Modified: 01 Jan 2007, 00:00:00 (local, UTC)\nLast Accessed: 01 Jan 1970, 00:00:00 (no time is stored)"
              "\nURL: http://leak/\nCache Filename: l.htm\nCache Directory: Q1W2E3R4");
}

TEST_F(Cells, DetailsOfOtherKinds) {
    IndexFileBuilder builder;
    builder.Hash(1).Redirect("").Blank().BadFood().Url({.url = "", .fileName = ""});
    auto loaded = LoadDoc(builder);
    const std::string head = "File:\r\np\r\nRecord Number: ";
    EXPECT_EQ(EntryDetailsText((*loaded)[0], "p"), head + "1\r\nRecord Type: HASH\r\nRecord Size: 128 bytes");
    EXPECT_EQ(EntryDetailsText((*loaded)[1], "p"),
              head + "2\r\nRecord Type: REDR\r\nRecord Size: 128 bytes\r\n\r\nDetails:\r\nURL: ");
    EXPECT_EQ(EntryDetailsText((*loaded)[2], "p"),
              head +
                  "3\r\nRecord Type: BLANK\r\nRecord Size: 128 bytes\r\n\r\nDetails:\r\n"
                  "Blank records are blank and contain all zeros");
    EXPECT_EQ(EntryDetailsText((*loaded)[3], "p"),
              head +
                  "4\r\nRecord Type: BAD FOOD\r\nRecord Size: 128 bytes\r\n\r\nDetails:\r\n"
                  "BAD FOOD records contain repeating 0B, AD, F0, 0D values only.");
    // Empty fields leave their lines out.
    EXPECT_EQ(EntryDetailsText((*loaded)[4], "p"),
              head +
                  "5\r\nRecord Type: URL\r\nRecord Size: 128 bytes\r\n\r\nDetails:\r\n"
                  "Last Modified: 01 Jan 1970, 00:00:00 (no time is stored)\n"
                  "Last Accessed: 01 Jan 1970, 00:00:00 (no time is stored)");
}

// The list's times say the zone they are shown in, or why they show the epoch, in the
// details and in the cell's tooltip; the epoch itself is a time like any other.
TEST_F(Cells, ShownTimesSayTheirZoneOrWhyTheyShowTheEpoch) {
    testing::TimeZoneScope newYork("EST5EDT,M3.2.0,M11.1.0");
    testing::PresentTimeScope winter(1262304000);  // January 2010
    IndexFileBuilder builder;
    builder.Url({.url = "http://a/", .modified = FileTimeOf(2010, 11, 10, 7, 54), .accessed = 0});
    builder.Url({.url = "http://b/", .modified = 116444736000000000ull, .accessed = 1});  // the epoch; 1601
    builder.Leak({.url = "http://c/"});
    auto loaded = LoadDoc(builder);
    const std::string details = EntryDetailsText((*loaded)[0], "p");
    EXPECT_NE(details.find("Last Modified: 10 Nov 2010, 02:54:00 (local, UTC-5)\n"
                           "Last Accessed: 31 Dec 1969, 19:00:00 (no time is stored)"),
              std::string::npos)
        << details;
    EXPECT_EQ(CellNote((*loaded)[0], kColumnModified, false), "");
    EXPECT_EQ(CellNote((*loaded)[0], kColumnAccessed, false), kNoTimeStored);
    EXPECT_EQ(CellNote((*loaded)[1], kColumnModified, false), "");
    EXPECT_EQ(CellNote((*loaded)[1], kColumnAccessed, false), kTimeNotShown);
    EXPECT_EQ(CellNote((*loaded)[2], kColumnAccessed, false), "");  // a LEAK row shows no time
    EXPECT_EQ(UtcOffsetText(19800), "UTC+5:30");
}

// The evidence of a day's history visit: its times under what they mean for the kind, the
// wall-clock one without a zone, "never" for the all-ones FAT time, absent fields left out.
TEST_F(Cells, TheEvidenceBlockSaysWhatEachFieldMeans) {
    IndexFileBuilder builder;
    const std::size_t live = builder.Position();
    builder
        .Url({.url = ":2013031020130311: ann@http://a/",
              .modified = FileTimeOf(2013, 3, 10, 10, 38, 51) + 6190000,
              .accessed = FileTimeOf(2013, 3, 10, 9, 38, 51) + 6190000,
              .dirIndex = -2,
              .fields = {{0x18, urlrecord::kFatTimeNever},
                         {0x50, testing::FatDateTimeOf(2013, 3, 11, 8)},
                         {0x54, 7},
                         {0x5C, testing::FatDateTimeOf(2013, 3, 9, 7, 30, 2)}}})
        .MarkInUse(live);
    builder.Redirect("http://gone/");
    builder.Url({.url = "Visited: ann@http://a/", .modified = FileTimeOf(2013, 3, 10), .accessed = FileTimeOf(2013, 3, 11)});
    auto loaded = LoadDoc(builder);
    const std::string visit = EntryDetailsWithEvidence((*loaded)[0], "p");
    EXPECT_TRUE(visit.starts_with(EntryDetailsText((*loaded)[0], "p") + "\r\n\r\nEvidence:\r\n"));
    EXPECT_EQ(visit.substr(visit.find("Evidence:")),
              "Evidence:\r\n"
              "Status: live (the allocation bitmap marks its blocks in use)\r\n"
              "Hashed: no (no hash entry in use points at it)\r\n"
              "Kind: history-daily\r\nUser: ann\r\n"
              "Last visited (local clock of the source machine): 2013-03-10T10:38:51.6190000\r\n"
              "Last visited: 2013-03-10T09:38:51.6190000Z\r\n"
              "Expires: never\r\nLast checked: 2013-03-11T08:00:00Z\r\n"
              "Cached file created: 2013-03-09T07:30:02Z\r\n"
              "Cache directory index: 254\r\n"
              "Cached file size: 0 bytes\r\nHits: 7\r\nFlags: 0x00000000\r\nExempt delta: 0 seconds");
    EXPECT_TRUE(EntryDetailsWithEvidence((*loaded)[1], "p")
                    .ends_with("Evidence:\r\nStatus: deleted (the allocation bitmap marks its blocks free)\r\n"
                               "Hashed: no (no hash entry in use points at it)\r\nKind: cache"));
    // Both times of a visit in the main history mean the same: each is named by where it is stored.
    const std::string main = EntryDetailsWithEvidence((*loaded)[2], "p");
    EXPECT_NE(main.find("\r\nLast visited (modified time): 2013-03-10T00:00:00.0000000Z\r\n"
                        "Last visited (accessed time): 2013-03-11T00:00:00.0000000Z\r\n"),
              std::string::npos)
        << main;
}

// The headers end at the data size, not at the filler after them, and a visit's binary
// data is no header text.
TEST_F(Cells, DetailsShowHeadersOnlyOfCachedPagesAndOnlyWithinTheirDataSize) {
    IndexFileBuilder builder;
    builder
        .Url({.url = "http://a/",
              .headers = "HTTP/1.1 200 OK\r\n\r\n\xEF\xBE\xAD\xDE",
              .fields = {{urlrecord::kDataSize.v52, 19}}})
        .Url({.url = "Visited: ann@http://a/", .headers = "\x01\x02binary"});
    auto loaded = LoadDoc(builder);
    EXPECT_TRUE(EntryDetailsText((*loaded)[0], "p").ends_with("\nHTTP Headers:\nHTTP/1.1 200 OK\r\n\r\n"));
    EXPECT_EQ(EntryDetailsText((*loaded)[1], "p").find("HTTP Headers"), std::string::npos);
}

TEST_F(Cells, DetailsDecodeTheRecordsTextsButNotTheOwnPath) {
    IndexFileBuilder builder;
    builder.Redirect("http://caf\xE9/");
    auto loaded = LoadDoc(builder);
    EXPECT_EQ(EntryDetailsText((*loaded)[0], "/tmp/caf\xC3\xA9/index.dat"),
              "File:\r\n/tmp/caf\xC3\xA9/index.dat\r\nRecord Number: 1\r\nRecord Type: REDR\r\nRecord Size: 128 bytes"
              "\r\n\r\nDetails:\r\nURL: http://caf\xC3\xA9/");
}

TEST_F(Cells, VersionFourDetailsStillShowTheCacheFile) {
    auto loaded = LoadDoc(Sample(testing::kVersion4));
    const std::string details = EntryDetailsText((*loaded)[1], "p");
    EXPECT_NE(details.find("\nCache Filename: a[1].htm"), std::string::npos);
}

}  // namespace
}  // namespace tallowmark
