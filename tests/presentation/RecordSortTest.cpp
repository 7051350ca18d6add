#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "presentation/RecordCells.h"
#include "presentation/RecordSort.h"
#include "support/DocFixture.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::AllRows;
using testing::FileTimeOf;
using testing::IndexFileBuilder;
using testing::LoadDoc;
using testing::Numbers;

class Sorting : public ::testing::Test {
protected:
    void SetUp() override { g_lastSortColumn = 0; }
    void TearDown() override { g_lastSortColumn = 0; }
    testing::TimeZoneScope m_zone{"UTC0"};
};

// 0 HASH, 1 URL 2009, 2 REDR, 3 LEAK 2005, 4 URL 1950 (-1), 5 BLANK, 6 URL zero (0), 7 URL 2001
std::unique_ptr<testing::LoadedDoc> Mixed() {
    IndexFileBuilder builder;
    builder.Hash(1);
    builder.Url({.url = "b", .modified = FileTimeOf(2009, 1, 1), .fileName = "z"});
    builder.Redirect("a");
    builder.Leak({.url = "c", .modified = FileTimeOf(2005, 1, 1), .fileName = "m"});
    builder.Url({.url = "B", .modified = FileTimeOf(1950, 1, 1), .fileName = "y"});
    builder.Blank();
    builder.Url({.url = "\xE9", .modified = 0, .fileName = "a"});
    builder.Url({.url = "b", .modified = FileTimeOf(2001, 1, 1), .minimumBlocks = 3});
    return LoadDoc(builder);
}

TEST_F(Sorting, TimeColumnsPutUrlAndLeakRowsFirstWithMinusOneBeforeZero) {
    auto loaded = Mixed();
    RowList rows = AllRows(loaded->doc);
    SortRows(loaded->doc, rows, 4, false);
    EXPECT_EQ(Numbers(loaded->doc, rows), (std::vector<std::uint32_t>{4, 6, 7, 3, 1, 0, 2, 5}));
    EXPECT_EQ(CompareRecords(loaded->doc.Record(rows[0]), loaded->doc.Record(rows[1]), 4), 0);
    EXPECT_EQ(CompareRecords(loaded->doc.Record(rows[3]), loaded->doc.Record(rows[5]), 4), -1);
    EXPECT_EQ(CompareRecords(loaded->doc.Record(rows[5]), loaded->doc.Record(rows[3]), 4), 1);
}

TEST_F(Sorting, TextColumnsCompareUnsignedBytesCaseSensitively) {
    auto loaded = Mixed();
    RowList rows = AllRows(loaded->doc);
    SortRows(loaded->doc, rows, 2, false);  // "" x2, "B", "a", "b" x2 (stable), "c", "\xE9"
    EXPECT_EQ(Numbers(loaded->doc, rows), (std::vector<std::uint32_t>{0, 5, 4, 2, 1, 7, 3, 6}));
    SortRows(loaded->doc, rows, 7, false);  // file names: the group by name, then the rest in their order
    EXPECT_EQ(Numbers(loaded->doc, rows), (std::vector<std::uint32_t>{7, 6, 3, 4, 1, 0, 5, 2}));
}

TEST_F(Sorting, DescendingUsesTheReversedAnswers) {
    auto loaded = Mixed();
    RowList rows = AllRows(loaded->doc);
    SortRows(loaded->doc, rows, 3, true);
    EXPECT_EQ(loaded->doc.Record(rows.front()).RecordNumber(), 7u);                // the only 384-byte record
    EXPECT_EQ(CompareRecordsReversed(loaded->doc.Record(rows[1]), loaded->doc.Record(rows[2]), 3), 1);  // equal sizes answer 1
    SortRows(loaded->doc, rows, 0, true);
    EXPECT_EQ(Numbers(loaded->doc, rows), (std::vector<std::uint32_t>{7, 6, 5, 4, 3, 2, 1, 0}));
}

TEST_F(Sorting, ClicksToggleThroughTheSharedLastColumn) {
    auto loaded = Mixed();
    RowList first = AllRows(loaded->doc), second = AllRows(loaded->doc);
    OnColumnClick(loaded->doc, first, 0);  // g_lastSortColumn starts at 0: the first click on "No." reverses
    EXPECT_EQ(loaded->doc.Record(first.front()).RecordNumber(), 7u);
    EXPECT_EQ(g_lastSortColumn, -1);
    OnColumnClick(loaded->doc, first, 3);
    EXPECT_EQ(g_lastSortColumn, 3);
    OnColumnClick(loaded->doc, second, 3);  // another view, same column: descending
    EXPECT_EQ(loaded->doc.Record(second.front()).RecordNumber(), 7u);
    EXPECT_EQ(g_lastSortColumn, -1);
    OnColumnClick(loaded->doc, second, 3);
    EXPECT_EQ(g_lastSortColumn, 3);
    EXPECT_EQ(loaded->doc.Record(second.back()).RecordNumber(), 7u);
}

TEST_F(Sorting, KeyedSortEqualsSortingByTheCompareFunctions) {
    IndexFileBuilder builder;
    std::mt19937 random(7);
    // Texts too long for a key's length, which the sort keeps aside.
    const std::string longA = std::string(70000, 'h') + "a", longB = std::string(70000, 'h') + "b";
    const char* words[] = {"",
                           "012345",
                           longA.c_str(),
                           longB.c_str(),
                           "a",
                           "B",
                           "b",
                           "ab",
                           "\xC4",
                           "http://x/",
                           "http://www.example.com/",
                           "http://www.example.com/a",
                           "http://www.example.co",
                           "01234567",
                           "0123456789ab",
                           "0123456789abcdef",
                           "0123456789abcdeg"};
    const auto word = [&] { return words[random() % std::size(words)]; };
    for (int i = 0; i < 400; ++i) {
        switch (random() % 6) {
            case 0: builder.Blank(); break;
            case 1: builder.Redirect(word()); break;
            case 2: builder.Hash(1 + random() % 3); break;
            default: {
                testing::UrlEntry entry{.url = word(),
                                        .modified = FileTimeOf(1995 + static_cast<int>(random() % 4), 1, 1),
                                        .accessed = random() % 5 == 0 ? 0 : FileTimeOf(2001, 1, 1 + random() % 3),
                                        .fileName = word(),
                                        .dirIndex = static_cast<std::int8_t>(random() % 3),
                                        .minimumBlocks = 1 + static_cast<std::uint32_t>(random() % 3)};
                if (random() % 4 == 0) builder.Leak(entry);
                else
                    builder.Url(entry);
            }
        }
    }
    builder.CacheDir(0, "D0").CacheDir(1, "D1");
    auto loaded = LoadDoc(builder);
    for (int column = -1; column <= static_cast<int>(kRecordColumns.size()); ++column) {
        for (bool reversed : {false, true}) {
            RowList start = AllRows(loaded->doc);
            std::shuffle(start.begin(), start.end(), random);
            RowList keyed = start, direct = start;
            SortRows(loaded->doc, keyed, column, reversed);
            SortRowsByCompare(loaded->doc, direct, column, reversed);
            EXPECT_EQ(keyed, direct) << column << " " << reversed;
            RowList sortedCopy = keyed;
            std::sort(sortedCopy.begin(), sortedCopy.end());
            std::sort(start.begin(), start.end());
            EXPECT_EQ(sortedCopy, start);  // a permutation
            // The rows a filter kept: a part of the records, whose keys are found by place.
            RowList part(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(start.size() / 3)),
                partDirect = part;
            SortRows(loaded->doc, part, column, reversed);
            SortRowsByCompare(loaded->doc, partDirect, column, reversed);
            EXPECT_EQ(part, partDirect) << "a third of the rows, " << column << " " << reversed;
        }
    }
}

TEST(StableMergeSort, AcceptsComparisonsThatAreNoOrder) {
    std::mt19937 random(3);
    for (std::size_t size : {0u, 1u, 2u, 3u, 17u, 1000u}) {
        std::vector<int> items(size);
        for (std::size_t i = 0; i < size; ++i) items[i] = static_cast<int>(i);
        StableMergeSort(items, [&](int, int) { return random() % 2 == 0; });
        std::sort(items.begin(), items.end());
        for (std::size_t i = 0; i < size; ++i) EXPECT_EQ(items[i], static_cast<int>(i));
    }
}

}  // namespace
}  // namespace tallowmark
