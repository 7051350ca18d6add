#include <gtest/gtest.h>

#include "presentation/HeaderLayout.h"
#include "presentation/RecordRows.h"
#include "support/DocFixture.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::Numbers;

using Order = std::vector<std::uint32_t>;

TEST(RecordRows, TheSortCoversHiddenRowsAndTheTimelineIgnoresThePeriod) {
    testing::TimeZoneScope utc("UTC0");
    const int lastSortColumn = std::exchange(g_lastSortColumn, -1);
    testing::IndexFileBuilder builder;
    builder.Url({.url = "http://b.example/", .accessed = FileTimeOf(2008, 3, 5, 10)});  // 0
    builder.Url({.url = "http://a.example/", .accessed = FileTimeOf(2008, 3, 6, 10)});  // 1
    builder.Blank();                                                                    // 2
    builder.Redirect("http://c.other/");                                                // 3
    auto loaded = testing::LoadDoc(builder);
    RecordRows rows(loaded->doc, ViewOptions{false, true});
    EXPECT_EQ(Numbers(rows.Document(), rows.Visible()), (Order{0, 1, 3}));

    EXPECT_TRUE(rows.SetFilterText("other"));
    EXPECT_FALSE(rows.SetFilterText("other"));
    rows.SortByColumn(kColumnData);
    EXPECT_TRUE(rows.SortedAscendingBy(kColumnData));
    rows.SetFilterText("example");
    EXPECT_EQ(Numbers(rows.Document(), rows.Visible()), (Order{1, 0}));
    EXPECT_EQ(rows.CountText(), "2 of 4 records");
    // The sort took in the rows the filter hid.
    rows.SetFilterText("");
    EXPECT_EQ(Numbers(rows.Document(), rows.Visible()), (Order{1, 0, 3}));

    // The bars show every day the text keeps, not only the chosen one.
    rows.SetFilterText("accessed:2008-03-05 example");
    EXPECT_EQ(Numbers(rows.Document(), rows.Visible()), (Order{0}));
    EXPECT_EQ(rows.TimelineData(TimeBasis::Accessed).days.size(), 2u);

    // New options refill in file order and keep the filter.
    rows.SetFilterText("http");
    rows.SetOptions(ViewOptions{true, true});
    EXPECT_EQ(Numbers(rows.Document(), rows.Visible()), (Order{0, 1, 3}));
    rows.SetFilterText("");
    EXPECT_EQ(Numbers(rows.Document(), rows.Visible()), (Order{0, 1, 2, 3}));
    EXPECT_EQ(rows.CountText(), "4 records");
    g_lastSortColumn = lastSortColumn;
}

// A record the bitmap leaves free is drawn deleted and counted; one cut short where a live
// record begins is marked partial too; turning the marks off keeps the rows and their order.
TEST(RecordRows, DeletedAndPartialRowsAreMarkedAndCounted) {
    const int lastSortColumn = std::exchange(g_lastSortColumn, -1);
    testing::IndexFileBuilder builder;
    const std::size_t live = builder.Position();
    builder.Url({.url = "http://live.example/"}).MarkInUse(live);                       // 0
    builder.Url({.url = "http://gone.example/", .countField = 3, .minimumBlocks = 2});  // 1, cut at 2
    const std::size_t rescued = builder.Position();
    builder.Url({.url = "http://rescued.example/"}).MarkInUse(rescued);  // 2
    builder.Url({.url = "http://gone.other/"});                          // 3
    auto loaded = testing::LoadDoc(builder);
    RecordRows rows(loaded->doc, ViewOptions{});
    EXPECT_TRUE(rows.LookAt(0).Plain());
    EXPECT_TRUE(rows.LookAt(1).deleted && rows.LookAt(1).partial);
    EXPECT_EQ(rows.LookAt(1).NumberMark(), std::string(kDeletedMark) + kPartialMark + " ");
    EXPECT_TRUE(rows.LookAt(3).deleted && !rows.LookAt(3).partial);
    EXPECT_EQ(rows.CountText(), "4 records, 2 deleted");
    rows.SetFilterText("example");
    EXPECT_EQ(rows.CountText(), "3 of 4 records, 1 deleted");
    rows.SetFilterText("rescued");
    EXPECT_EQ(rows.CountText(), "1 of 4 records");

    rows.SetFilterText("");
    rows.SortByColumn(kColumnData);
    EXPECT_FALSE(rows.SetOptions(ViewOptions{.markDeletedRecords = false}));
    EXPECT_EQ(Numbers(rows.Document(), rows.Visible()), (Order{1, 3, 0, 2}));
    EXPECT_TRUE(rows.LookAt(0).Plain());
    EXPECT_TRUE(rows.LookAt(0).Tooltip().empty());
    EXPECT_EQ(rows.CountText(), "4 records");
    g_lastSortColumn = lastSortColumn;
}

// When the columns change, the ones kept stand left to right as they stood, as wide as
// they were; a new one takes its starting width where the header puts it.
TEST(HeaderLayout, KeptColumnsKeepTheirPlacesAndWidths) {
    // Sections of the columns 0, 2, 8 and 12; 12 dragged to the left, 2 widened.
    const std::vector<HeaderPlace> before = {{0, 50, 1}, {2, 500, 2}, {8, 65, 3}, {12, 45, 0}};
    EXPECT_EQ(RelaidSections(before, {0, 2, 9, 12}),
              (std::vector<SectionStep>{{3, 0, 45}, {0, 1, 50}, {1, 2, 500}, {2, -1, -1}}));
}

}  // namespace
}  // namespace tallowmark
