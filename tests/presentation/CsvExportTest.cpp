#include <gtest/gtest.h>

#include <sstream>

#include "presentation/CsvExport.h"
#include "presentation/RecordCells.h"
#include "support/DocFixture.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::IndexFileBuilder;
using testing::LoadDoc;

const std::string kHeader =
    "# record number,type,data,size,modified date/time,accessed date/time,cache directory,cache filename\r\n";

std::string Csv(const TallowmarkDoc& doc, bool blank = true, bool badFood = true) {
    std::ostringstream out;
    WriteCsv(out, doc, {blank, badFood});
    return out.str();
}

IndexFileBuilder Sample(const char* version = testing::kVersion5) {
    IndexFileBuilder builder(version);
    builder.CacheDir(0, "DIR0");
    builder.Hash(2);
    builder.Url({.url = "http://a/\"quoted\",comma",
                 .modified = FileTimeOf(2008, 3, 5, 14, 7),
                 .accessed = FileTimeOf(2008, 3, 6, 9, 1),
                 .fileName = "f.htm"});
    builder.Leak({.url = "http://leak/", .modified = FileTimeOf(2008, 3, 5, 14, 7), .fileName = "l.htm"});
    builder.Blank().BadFood().Redirect("http://r/");
    return builder;
}

class CsvExport : public ::testing::Test {
protected:
    testing::TimeZoneScope m_zone{"UTC0"};
};

TEST_F(CsvExport, LinesFollowTheFileOrderAndTheCellRules) {
    auto loaded = LoadDoc(Sample());
    EXPECT_EQ(Csv(loaded->doc), kHeader +
                                    "0,\"HASH\",\"\",256,\"\",\"\",\"\",\"\"\r\n"
                                    "1,\"URL\",\"http://a/\"\"quoted\"\",comma\",256,\"05 Mar 2008, 14:07\","
                                    "\"06 Mar 2008, 09:01\",\"DIR0\",\"f.htm\"\r\n"
                                    "2,\"LEAK\",\"http://leak/\",128,\"\",\"\",\"\",\"\"\r\n"
                                    "3,\"BLANK\",\"\",128,\"\",\"\",\"\",\"\"\r\n"
                                    "4,\"BAD FOOD\",\"\",128,\"\",\"\",\"\",\"\"\r\n"
                                    "5,\"REDR\",\"http://r/\",128,\"\",\"\",\"\",\"\"\r\n");
}

TEST_F(CsvExport, FiltersAndVersionFour) {
    auto loaded = LoadDoc(Sample());
    const std::string filtered = Csv(loaded->doc, false, false);
    EXPECT_EQ(filtered.find("BLANK"), std::string::npos);
    EXPECT_EQ(filtered.find("BAD FOOD"), std::string::npos);
    EXPECT_NE(filtered.find("\r\n5,\"REDR\""), std::string::npos);  // numbers keep their gaps
    EXPECT_NE(Csv(loaded->doc, true, false).find("BLANK"), std::string::npos);

    auto v4 = LoadDoc(Sample(testing::kVersion4));
    EXPECT_NE(Csv(v4->doc).find(",\"05 Mar 2008, 14:07\",\"06 Mar 2008, 09:01\",\"\",\"\"\r\n"), std::string::npos);
}

TEST_F(CsvExport, AnEmptyDocumentGivesTheHeaderLineAlone) {
    auto loaded = LoadDoc(IndexFileBuilder());
    EXPECT_EQ(Csv(loaded->doc), kHeader);
    TallowmarkDoc empty;
    EXPECT_EQ(Csv(empty), kHeader);
}

TEST_F(CsvExport, ExportWritesTheSameBytesAndReportsAnUnwritablePath) {
    auto loaded = LoadDoc(Sample());
    const std::string out = loaded->dir.Path("out.csv");
    testing::WriteFile(out, {'o', 'l', 'd', 'e', 'r', ' ', 't', 'e', 'x', 't', ' ', 'l', 'o', 'n', 'g'});
    ASSERT_TRUE(ExportCsv(out, loaded->doc, ViewOptions{}));
    const auto written = testing::ReadFile(out);
    EXPECT_EQ(std::string(written.begin(), written.end()), Csv(loaded->doc));

    const std::string bad = loaded->dir.Path("missing/out.csv");
    const Outcome failed = ExportCsv(bad, loaded->doc, ViewOptions{});
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.message, "The file " + bad + " could not be opened for writing.");
    EXPECT_FALSE(std::filesystem::exists(bad));
}

TEST_F(CsvExport, QuotedFieldsEqualTheRowCells) {
    auto loaded = LoadDoc(Sample());
    for (const auto& record : loaded->doc.Records()) {
        std::string line;
        AppendCsvLine(line, record, false);
        std::string expected = std::to_string(record.RecordNumber());
        for (int column = 1; column < 8; ++column) {
            std::string cell = CellText(record, column, false);
            if (column == kColumnSize) expected += "," + cell;
            else {
                std::string quoted;
                for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
                expected += ",\"" + quoted + "\"";
            }
        }
        EXPECT_EQ(line, expected + "\r\n");
    }
}

}  // namespace
}  // namespace tallowmark
