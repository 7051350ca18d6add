#include <gtest/gtest.h>

#include <sstream>

#include "presentation/CsvExport.h"
#include "presentation/ListText.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordFilter.h"
#include "presentation/TimelineBars.h"
#include "support/DocFixture.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::AllRows;
using testing::FileTimeOf;
using testing::IndexFileBuilder;
using testing::LoadDoc;
using testing::Numbers;

std::vector<std::uint32_t> Kept(const TallowmarkDoc& doc, const char* fieldText) {
    return Numbers(doc, FilterRows(doc, AllRows(doc), RecordFilter(fieldText), doc.IsVersion4()));
}

IndexFileBuilder Sample(const char* version = testing::kVersion5) {
    IndexFileBuilder builder(version);
    builder.CacheDir(0, "CACHEDIR");
    builder.Hash(2);  // 0
    builder.Url(
        {.url = "http://News.Example.com/a", .accessed = FileTimeOf(2008, 3, 5, 10), .fileName = "story[1].htm"});  // 1
    builder.Leak({.url = "http://leak.test/", .accessed = FileTimeOf(2008, 3, 6, 10), .fileName = "gone.htm"});     // 2
    builder.Redirect("http://r.example.org/");                                                                      // 3
    builder.Blank().BadFood();                                                            // 4, 5
    builder.Url({.url = "http://caf\xE9.test/", .accessed = 0, .fileName = "menu.htm"});  // 6: no date
    return builder;
}

class FilterAndTimeline : public ::testing::Test {
protected:
    testing::TimeZoneScope m_zone{"UTC0"};
};

TEST_F(FilterAndTimeline, TextMatchesEachShownFieldWithoutRegardToCase) {
    auto loaded = LoadDoc(Sample());
    const TallowmarkDoc& doc = loaded->doc;
    EXPECT_EQ(Kept(doc, ""), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Kept(doc, "news.EXAMPLE"), (std::vector<std::uint32_t>{1}));  // URL
    EXPECT_EQ(Kept(doc, "example"), (std::vector<std::uint32_t>{1, 3}));    // a redirect's URL is shown too
    EXPECT_EQ(Kept(doc, "STORY[1]"), (std::vector<std::uint32_t>{1}));      // cache file name
    EXPECT_EQ(Kept(doc, "cachedir"), (std::vector<std::uint32_t>{1, 6}));   // cache directory
    EXPECT_EQ(Kept(doc, "bad f"), (std::vector<std::uint32_t>{5}));         // type
    EXPECT_EQ(Kept(doc, "CAF\xC3\x89"), (std::vector<std::uint32_t>{6}));   // É finds é
    // A LEAK row shows no cache fields, so they are not searched.
    EXPECT_TRUE(Kept(doc, "gone.htm").empty());
    EXPECT_TRUE(Kept(doc, "\xE2\x82\xAC\xE2\x98\x83").empty());  // no record text can hold a snowman
    EXPECT_TRUE(Kept(doc, "nowhere").empty());
    // Each case of the first letter is looked for, wherever the other one comes first.
    IndexFileBuilder mixed;
    mixed.Redirect("http://mMaIL.test/").Redirect("http://ma-m.test/");
    auto mixedDoc = LoadDoc(mixed);
    EXPECT_EQ(Kept(mixedDoc->doc, "Mail"), (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(Kept(mixedDoc->doc, "a-M."), (std::vector<std::uint32_t>{1}));

    auto version4 = LoadDoc(Sample(testing::kVersion4));
    EXPECT_TRUE(Kept(version4->doc, "story").empty());  // no cache columns in version 4
    EXPECT_EQ(Kept(version4->doc, "news"), (std::vector<std::uint32_t>{1}));
}

TEST_F(FilterAndTimeline, FilteringKeepsTheListOrderAndNarrowsOnlyWhenItMay) {
    auto loaded = LoadDoc(Sample());
    RowList rows = AllRows(loaded->doc);
    SortRows(loaded->doc, rows, kColumnData, true);
    const RowList kept = FilterRows(loaded->doc, rows, RecordFilter("http"), false);
    EXPECT_EQ(Numbers(loaded->doc, kept), (std::vector<std::uint32_t>{3, 2, 6, 1}));  // bytes: "N" sorts before "c"

    EXPECT_TRUE(RecordFilter("exam").Narrows(RecordFilter("xa")));
    EXPECT_TRUE(RecordFilter("EXAM").Narrows(RecordFilter("")));
    EXPECT_FALSE(RecordFilter("exa").Narrows(RecordFilter("exam")));
    EXPECT_FALSE(RecordFilter("accessed:2008-03 exam").Narrows(RecordFilter("exam")));
}

// Status and kind terms keep entries of the statuses and kinds they name (either of two of
// the same sort, both of two sorts), with a period and text after them.
TEST_F(FilterAndTimeline, StatusAndKindTermsCombineWithThePeriodAndTheText) {
    IndexFileBuilder builder;
    const std::size_t live = builder.Position();
    builder.Url({.url = "Cookie:ann@amazon.example/", .accessed = FileTimeOf(2008, 3, 5)}).MarkInUse(live);  // 0
    builder.Url({.url = "Cookie:ann@amazon.example/old", .accessed = FileTimeOf(2008, 4, 5)});               // 1
    builder.Url({.url = "http://amazon.example/", .accessed = FileTimeOf(2008, 3, 5)});                      // 2
    builder.Blank();                                                                                         // 3
    builder.Url({.url = "Cookie:bob@other.example/", .accessed = FileTimeOf(2008, 3, 6)});                   // 4
    auto loaded = LoadDoc(builder);
    const TallowmarkDoc& doc = loaded->doc;
    using Kept_ = std::vector<std::uint32_t>;
    EXPECT_EQ(Kept(doc, "status:deleted"), (Kept_{1, 2, 4}));  // the blank block is free, but no entry
    EXPECT_EQ(Kept(doc, "kind:cookie"), (Kept_{0, 1, 4}));
    EXPECT_EQ(Kept(doc, "status:deleted kind:cookie amazon"), (Kept_{1}));
    EXPECT_EQ(Kept(doc, "kind:cache kind:cookie status:live"), (Kept_{0}));
    EXPECT_EQ(Kept(doc, "accessed:2008-03 status:deleted"), (Kept_{2, 4}));
    EXPECT_EQ(Kept(doc, "status:deleted accessed:2008-03 amazon"), (Kept_{2}));
    EXPECT_TRUE(Kept(doc, "status:gone").empty());         // no term: the text
    EXPECT_TRUE(Kept(doc, "amazon kind:cookie").empty());  // a term after the text is text

    EXPECT_TRUE(RecordFilter("status:deleted amazon").Narrows(RecordFilter("amazon")));
    EXPECT_FALSE(RecordFilter("status:deleted status:live").Narrows(RecordFilter("status:deleted")));
    EXPECT_FALSE(RecordFilter("kind:cookie").Narrows(RecordFilter("kind:cache")));
    // A click on a bar keeps the terms and the text.
    const TimePeriod march = *ParsePeriodTerm("accessed:2008-03");
    EXPECT_EQ(ToggledPeriodTerm("status:deleted amazon", march), "accessed:2008-03 status:deleted amazon");
    EXPECT_EQ(ToggledPeriodTerm("status:deleted accessed:2008-03 amazon", march), "status:deleted amazon");
}

TEST_F(FilterAndTimeline, ExportWithAFilterWritesTheMatchingRecordsInFileOrder) {
    auto loaded = LoadDoc(Sample());
    const TallowmarkDoc& doc = loaded->doc;
    std::ostringstream plain, unfiltered, filtered, hidden;
    WriteCsv(plain, doc, {true, false});
    WriteCsv(unfiltered, doc, {true, false}, RecordFilter(""));
    EXPECT_EQ(unfiltered.str(), plain.str());
    WriteCsv(filtered, doc, {true, true}, RecordFilter("EXAMPLE"));
    EXPECT_EQ(filtered.str(), std::string(kCsvHeaderLine) +
                                  "1,\"URL\",\"http://News.Example.com/a\",256,\"01 Jan 1970, 00:00\","
                                  "\"05 Mar 2008, 10:00\",\"CACHEDIR\",\"story[1].htm\"\r\n"
                                  "3,\"REDR\",\"http://r.example.org/\",128,\"\",\"\",\"\",\"\"\r\n");
    WriteCsv(hidden, doc, {false, true}, RecordFilter("blank"));  // hidden kinds stay hidden
    EXPECT_EQ(hidden.str(), kCsvHeaderLine);
}

TEST_F(FilterAndTimeline, PeriodTermsReadBackAndRefuseDaysThatDoNotExist) {
    for (const char* term :
         {"accessed:2008-03-05", "modified:2008-03", "accessed:2008-W10", "accessed:2009-W53", "accessed:2010-W01"}) {
        const auto period = ParsePeriodTerm(term);
        ASSERT_TRUE(period) << term;
        EXPECT_EQ(PeriodTerm(*period), term);
    }
    EXPECT_EQ(PeriodLabel(*ParsePeriodTerm("accessed:2008-W10")), "Week of 03 Mar 2008");
    EXPECT_EQ(PeriodLabel(*ParsePeriodTerm("accessed:2010-W01")), "Week of 04 Jan 2010");
    EXPECT_EQ(PeriodLabel(*ParsePeriodTerm("modified:2008-02")), "Feb 2008");
    EXPECT_EQ(ParsePeriodTerm("modified:2008-02")->EndDay() - ParsePeriodTerm("modified:2008-02")->firstDay, 29);
    for (const char* bad : {"accessed:2008-04-31", "accessed:2008-W53", "accessed:2008-13", "accessed:2008-3-5",
                            "accessed:+008-03", "created:2008-03", "accessed:1800-01"})
        EXPECT_FALSE(ParsePeriodTerm(bad)) << bad;

    // A click sets the period in front of the typed text; a second click on it clears it.
    const TimePeriod march = *ParsePeriodTerm("accessed:2008-03");
    EXPECT_EQ(ToggledPeriodTerm("news", march), "accessed:2008-03 news");
    EXPECT_EQ(ToggledPeriodTerm("accessed:2008-03 news", march), "news");
    EXPECT_EQ(ToggledPeriodTerm("accessed:2008-W10 news", march), "accessed:2008-03 news");
    EXPECT_EQ(ToggledPeriodTerm("accessed:2008-03", march), "");
}

// The bars count the dates the rows show: a LEAK row shows none, whatever its record
// holds, and a time shown as the epoch is no date on the axis.
TEST_F(FilterAndTimeline, BarsCountTheDatesRowsShowWithUndatedOnesApart) {
    auto loaded = LoadDoc(Sample());
    const TimelineDays days = GatherTimelineDays(loaded->doc, AllRows(loaded->doc), TimeBasis::Accessed);
    EXPECT_EQ(days.days.size(), 1u);  // the URL; LEAK, REDR, HASH and fills are not counted
    EXPECT_EQ(days.noDate, 1u);       // the epoch is no date

    const Timeline daily = BuildTimeline(days, 10);
    EXPECT_EQ(daily.unit, PeriodUnit::Day);
    EXPECT_EQ(daily.counts, (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(BarTip(daily, 0), "05 Mar 2008: 1 record");

    // The unit grows until the bars fit; empty periods between keep their place.
    TimelineDays spread{TimeBasis::Modified, {}, 0};
    const std::int64_t first = ParsePeriodTerm("modified:2008-01-01")->firstDay;
    for (std::int64_t day : {0, 1, 1, 40, 95}) spread.days.push_back(first + day);
    const Timeline weekly = BuildTimeline(spread, 20);
    EXPECT_EQ(weekly.unit, PeriodUnit::Week);
    EXPECT_EQ(PeriodTerm(weekly.periods.front()), "modified:2008-W01");
    EXPECT_EQ(weekly.counts.size(), 14u);
    EXPECT_EQ(weekly.counts.front(), 3u);
    const Timeline monthly = BuildTimeline(spread, 5);
    EXPECT_EQ(monthly.unit, PeriodUnit::Month);
    EXPECT_EQ(monthly.counts, (std::vector<std::uint32_t>{3, 1, 0, 1}));
    EXPECT_EQ(monthly.highest, 3u);
    EXPECT_EQ(monthly.BarOf(*ParsePeriodTerm("modified:2008-03")), 2);

    // Filtering to a bar keeps exactly the rows it counts.
    EXPECT_TRUE(Kept(loaded->doc, "accessed:2008-03-06").empty());  // the LEAK's hidden date
    EXPECT_TRUE(Kept(loaded->doc, "accessed:1970-01").empty());
    EXPECT_EQ(Kept(loaded->doc, "accessed:2008-W10 news"), (std::vector<std::uint32_t>{1}));
}

TEST(TimelineBars, DaysAreTheDatesTheListShowsAcrossClockChanges) {
    testing::TimeZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");  // Central European rules, written out
    testing::PresentTimeScope now(1784116800);                  // July 2026: summer time now
    IndexFileBuilder builder;
    // Three days around each change of 2008: 30 March and 26 October.
    for (auto [month, day] : {std::pair{3, 29}, std::pair{10, 25}})
        for (int minute = 0; minute < 3 * 24 * 60; minute += 20)
            builder.Url({.url = "http://x/", .modified = FileTimeOf(2008, month, day) + minute * 600'000'000ull});
    auto loaded = LoadDoc(builder);
    const TimelineDays days = GatherTimelineDays(loaded->doc, AllRows(loaded->doc), TimeBasis::Modified);
    ASSERT_EQ(days.days.size(), loaded->doc.RecordCount());
    for (std::size_t i = 0; i < days.days.size(); ++i) {
        const std::string cell = CellText((*loaded)[i], kColumnModified, false);
        ASSERT_EQ(PeriodLabel(PeriodOf(TimeBasis::Modified, PeriodUnit::Day, days.days[i])), cell.substr(0, 11))
            << cell;
    }
}

TEST_F(FilterAndTimeline, CopyTextAndCounts) {
    auto loaded = LoadDoc(Sample());
    const RowList rows = {3, 1};
    EXPECT_EQ(RowsAsTabSeparated(loaded->doc, rows, {kColumnType, kColumnNumber, kColumnData, kColumnFileName}, false),
              "Type\tNo.\tData\tFilename\n"
              "REDR\t4\thttp://r.example.org/\t\n"
              "URL\t2\thttp://News.Example.com/a\tstory[1].htm\n");
    IndexFileBuilder odd;
    odd.Redirect("http://a/\tb\r\nc");
    auto oddDoc = LoadDoc(odd);
    EXPECT_EQ(RowsAsTabSeparated(oddDoc->doc, RowList{0}, {kColumnData}, false), "Data\nhttp://a/ b  c\n");

    EXPECT_EQ(RecordCountText(7, 7), "7 records");
    EXPECT_EQ(RecordCountText(1, 1), "1 record");
    EXPECT_EQ(RecordCountText(2, 265000), "2 of 265000 records");
    EXPECT_EQ(RecordCountText(3958176, 3958176, [](std::uint64_t n) { return GroupedDigits(n); }), "3,958,176 records");
}

TEST(CacheNameCandidates, EveryDirectoryShownAndTheLongestDistinctNamesOfUrlRecords) {
    IndexFileBuilder builder;
    builder.CacheDir(0, "ABCD1234").CacheDir(1, "XY").Hash(1);
    for (const char* name : {"a[1].htm", "ccc[1].htm", "bb[1].htm", "ccc[1].htm", "dddd[1].htm"})
        builder.Url({.url = "http://a/", .fileName = name, .dirIndex = 1});
    builder.Url({.url = "http://b/", .fileName = "e[1].js", .dirIndex = 0});
    builder.Leak({.url = "http://c/", .fileName = "a-leaked-name-that-no-cell-shows[1].htm", .dirIndex = 0});
    auto loaded = LoadDoc(builder);
    const CacheNameTexts texts = CacheNameCandidates(loaded->doc.Records(), false, 3);
    EXPECT_EQ(texts.cacheDirs, (std::vector<std::string>{"XY", "ABCD1234"}));
    EXPECT_EQ(texts.fileNames, (std::vector<std::string>{"dddd[1].htm", "ccc[1].htm", "bb[1].htm"}));
    EXPECT_TRUE(CacheNameCandidates(loaded->doc.Records(), true, 3).fileNames.empty());
}

}  // namespace
}  // namespace tallowmark
