#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "forensic/BodyFileTimeline.h"
#include "forensic/TimesketchTimeline.h"
#include "model/FatTime.h"
#include "model/HistoryData.h"
#include "model/IndexStream.h"
#include "model/RecordEvidence.h"
#include "support/DocFixture.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::IndexFileBuilder;
using testing::Utf16;
using namespace std::string_literals;

// What tells two walks' records apart: number, offset, kind, size and the walk's marks.
using Walked = std::tuple<std::uint32_t, std::uint64_t, BlockKind, std::uint64_t, RecordMarks>;

std::vector<Walked> StreamedRecords(const std::string& path, std::size_t pieceTarget) {
    std::vector<Walked> records;
    IndexStream stream;
    EXPECT_TRUE(stream.Open(path));
    while (auto piece = stream.NextPiece(pieceTarget))
        stream.WalkPiece(*piece, [&](const IndexRecord& record, std::uint64_t offset) {
            records.emplace_back(record.RecordNumber(), offset, record.Kind(), record.Size(), record.Marks());
        });
    return records;
}

// The loaded document keeps no offsets: they follow from the sizes and the numbers that
// unrecognised blocks use up.
std::vector<Walked> LoadedRecords(const TallowmarkDoc& doc) {
    std::vector<Walked> records;
    std::uint64_t offset = doc.Header()->ClaimedLength();
    std::uint32_t next = 0;
    for (const auto& record : doc.Records()) {
        offset += (record.RecordNumber() - next) * BLOCK_SIZE;
        records.emplace_back(record.RecordNumber(), offset, record.Kind(), record.Size(), record.Marks());
        offset += record.Size();
        next = record.RecordNumber() + 1;
    }
    return records;
}

// Both walks, the streamed one in pieces of every size (one record a piece too, so that a
// piece ends where a record was cut), find the same records with the same marks.
std::vector<Walked> WalkBothWays(const testing::LoadedDoc& loaded) {
    const std::vector<Walked> records = LoadedRecords(loaded.doc);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{300}, IndexStream::kPieceTarget})
        EXPECT_EQ(StreamedRecords(loaded.path, piece), records) << "pieces of " << piece;
    return records;
}

constexpr RecordMarks Marks(RecordStatus status, bool hashed, bool partial = false) {
    return RecordMarks(status, hashed, partial);
}
constexpr auto kLive = RecordStatus::Live;
constexpr auto kDeleted = RecordStatus::Deleted;
constexpr auto kUnknown = RecordStatus::Unknown;

// The bitmap says live or deleted, the hash entries in use say hashed (a stale one points
// at a deleted record), and a deleted record that claims the blocks of a live one ends
// where the live one begins instead of swallowing it.
TEST(Evidence, StatusHashedAndTheLiveRecordADeletedOneClaims) {
    IndexFileBuilder builder;
    const std::size_t table = builder.Position();
    builder.Hash(2).MarkInUse(table, 2);
    const std::size_t live = builder.Position();
    builder.Url({.url = "http://live/", .minimumBlocks = 2}).MarkInUse(live, 2).HashEntry(table, live);
    const std::size_t freed = builder.Position();
    builder.Url({.url = "http://freed/", .countField = 3, .minimumBlocks = 2});
    const std::size_t rescued = builder.Position();
    builder.Url({.url = "http://rescued/", .minimumBlocks = 2}).MarkInUse(rescued, 2).HashEntry(table, rescued);
    const std::size_t stale = builder.Position();
    builder.Url({.url = "http://stale/"}).HashEntry(table, stale);
    const std::size_t leak = builder.Position();
    builder.Leak({.url = "http://leak/"}).MarkInUse(leak);
    builder.HashEntry(table, 0x4000 + 3, 0x5A5A0001).HashEntry(table, leak, leak);  // two entries not in use
    const std::size_t unmapped = builder.Position();
    builder.BlockCountField(static_cast<std::uint32_t>((unmapped - 0x4000) / 128));
    builder.Redirect("http://past-the-count/");

    const auto loaded = testing::LoadDoc(builder);
    EXPECT_EQ(WalkBothWays(*loaded), (std::vector<Walked>{
                                         {0, table, BlockKind::Hash, 256, Marks(kLive, false)},
                                         {1, live, BlockKind::Url, 256, Marks(kLive, true)},
                                         {2, freed, BlockKind::Url, 256, Marks(kDeleted, false, true)},
                                         {3, rescued, BlockKind::Url, 256, Marks(kLive, true)},
                                         {4, stale, BlockKind::Url, 128, Marks(kDeleted, true)},
                                         {5, leak, BlockKind::Leak, 128, Marks(kLive, false)},
                                         {6, unmapped, BlockKind::Redirect, 128, Marks(kUnknown, false)},
                                     }));
    EXPECT_EQ(loaded->doc.Records()[3].UrlText(), "http://rescued/");
    EXPECT_EQ(loaded->doc.Evidence().hashTables.EntriesInUse(), 3u);

    // A header too short to hold the bitmap says nothing of any record.
    IndexFileBuilder shortHeader(testing::kVersion5, 0x400);
    shortHeader.Hash(2).Url({.url = "http://a/"});
    for (const Walked& record : WalkBothWays(*testing::LoadDoc(shortHeader)))
        EXPECT_EQ(std::get<4>(record).Status(), kUnknown);
}

// A file cut short is read as far as it goes: the record its end cuts is partial, in both
// walks alike, and the file says how much it lacks of its recorded size.
TEST(Evidence, ARecordTheEndOfTheFileCutsIsPartial) {
    IndexFileBuilder builder;
    builder.Hash(2).Url({.url = "http://whole/"});
    const std::size_t cut = builder.Position();
    builder.Url({.url = "http://cut/", .minimumBlocks = 3});
    const testing::Buffer whole = builder.Bytes();
    auto loaded = testing::LoadDoc(builder);
    testing::WriteFile(loaded->path, testing::Buffer(whole.begin(), whole.begin() + cut + 200));
    ASSERT_TRUE(loaded->doc.OnOpenDocument(loaded->path));
    EXPECT_EQ(WalkBothWays(*loaded), (std::vector<Walked>{
                                         {0, 0x4000, BlockKind::Hash, 256, Marks(kUnknown, false)},
                                         {1, 0x4100, BlockKind::Url, 128, Marks(kUnknown, false)},
                                         {2, cut, BlockKind::Url, 384, Marks(kUnknown, false, true)},
                                     }));
    EXPECT_EQ(loaded->doc.Records()[2].UrlText(), "http://cut/");
    const FileShortfall& shortfall = loaded->doc.Shortfall();
    EXPECT_EQ(shortfall.recordedSize, whole.size());
    EXPECT_EQ(shortfall.Missing(), whole.size() - cut - 200);
    EXPECT_EQ(ShortfallText(shortfall), "recorded size 17,152, file holds 16,968");
}

// Without a bitmap only a hash entry in use that points at a record's signature cuts a
// claim: a claim over a record no entry points at, or over an entry's block that begins
// no record, stays whole.
TEST(Evidence, AHashedRecordInsideAClaimIsNeverSwallowed) {
    IndexFileBuilder builder;
    const std::size_t table = builder.Position();
    builder.Hash(2);
    const std::size_t over = builder.Position();
    builder.Url({.url = "http://claims-four/", .countField = 4});
    builder.Blank();
    const std::size_t hashedBlank = builder.Position();
    builder.Blank();
    const std::size_t hashed = builder.Position();
    builder.Redirect("http://hashed/");
    const std::size_t whole = builder.Position();
    builder.Url({.url = "http://claims-two/", .countField = 2});
    builder.Url({.url = "http://not-hashed/"});
    builder.HashEntry(table, static_cast<std::uint32_t>(hashedBlank))
        .HashEntry(table, static_cast<std::uint32_t>(hashed));

    const auto records = WalkBothWays(*testing::LoadDoc(builder));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1], Walked(1, over, BlockKind::Url, 384, Marks(kUnknown, false, true)));
    EXPECT_EQ(records[2], Walked(2, hashed, BlockKind::Redirect, 128, Marks(kUnknown, true)));
    EXPECT_EQ(records[3], Walked(3, whole, BlockKind::Url, 256, Marks(kUnknown, false)));
}

// The low six bits of a hash value are one code, not flags: a deleted (1) or free (3)
// entry points at nothing; a redirect's (5), a locked (2) and a code-8 entry are in use.
TEST(Evidence, AHashEntrysCodeSaysWhetherItIsInUse) {
    IndexFileBuilder builder;
    const std::size_t table = builder.Position();
    builder.Hash(2);
    const std::pair<std::uint32_t, bool> codes[] = {{0x00, true},  {0x01, false}, {0x02, true}, {0x03, false},
                                                    {0x05, true},  {0x08, true},  {0x41, false}, {0x45, true}};
    for (const auto& [code, inUse] : codes) {
        builder.HashEntry(table, static_cast<std::uint32_t>(builder.Position()), 0x5A5A0000 | code);
        builder.Redirect("http://redirected/");
    }
    const auto loaded = testing::LoadDoc(builder);
    for (std::size_t i = 0; i < std::size(codes); ++i)
        EXPECT_EQ(loaded->doc.Records()[i + 1].Marks().Hashed(), codes[i].second) << std::hex << codes[i].first;
    EXPECT_EQ(loaded->doc.Evidence().hashTables.EntriesInUse(), 5u);
}

// The chain may run out of order, come back to a table, name a table past the file, or
// claim more blocks than the file holds: each table is read once, within the file.
TEST(Evidence, AHashChainIsFollowedDefensively) {
    IndexFileBuilder builder;
    const std::size_t first = builder.Position();
    builder.Hash(2);
    const std::size_t between = builder.Position();
    builder.Hash(2);
    const std::size_t url = builder.Position();
    builder.Url({.url = "http://in-the-loop/"});
    const std::size_t last = builder.Position();
    builder.Hash(2);
    builder.NextHashTable(first, static_cast<std::uint32_t>(last))
        .NextHashTable(last, static_cast<std::uint32_t>(between))
        .NextHashTable(between, static_cast<std::uint32_t>(first))
        .HashEntry(between, static_cast<std::uint32_t>(url));
    const auto looped = testing::LoadDoc(builder);
    EXPECT_EQ(looped->doc.Evidence().hashTables.TableCount(), 3u);
    EXPECT_EQ(looped->doc.Evidence().hashTables.End(), HashTables::ChainEnd::Loop);
    EXPECT_EQ(looped->doc.Evidence().hashTables.EntriesInUse(), 1u);
    EXPECT_TRUE(looped->doc.Records()[2].Marks().Hashed());

    builder.NextHashTable(between, 0x7FFFFF00);
    EXPECT_EQ(testing::LoadDoc(builder)->doc.Evidence().hashTables.End(), HashTables::ChainEnd::PastTheFile);

    IndexFileBuilder huge;
    huge.Hash(2, 0x7FFFFFFF).Url({.url = "http://inside-the-claim/"});
    huge.HashEntry(0x4000, 0x4100);
    const auto claimed = testing::LoadDoc(huge);
    EXPECT_EQ(claimed->doc.Evidence().hashTables.TableCount(), 1u);
    EXPECT_EQ(claimed->doc.RecordCount(), 2u) << "the table is cut where the URL record it points at begins";
}

TEST(Evidence, EachKindWithItsUserAndWhatItsTimesMean) {
    struct Case {
        const char* url;
        EntryKind kind;
        const char* user;
        TimeClock modifiedClock;
        BodyColumn accessedColumn;
        std::string_view accessedMeaning;
    };
    const Case cases[] = {
        {"http://www.example.com/", EntryKind::Cache, "", TimeClock::Utc, BodyColumn::Accessed, "Last Accessed"},
        {"res://ieframe.dll/", EntryKind::Cache, "", TimeClock::Utc, BodyColumn::Accessed, "Last Accessed"},
        {"", EntryKind::Cache, "", TimeClock::Utc, BodyColumn::Accessed, "Last Accessed"},
        {"Cookie:ann@example.com/", EntryKind::Cookie, "ann", TimeClock::Utc, BodyColumn::Accessed, "Last Accessed"},
        {"Visited: ann@http://a/", EntryKind::History, "ann", TimeClock::Utc, BodyColumn::Accessed, "Last Visited"},
        {":2013031020130311: ann@http://a/", EntryKind::HistoryDaily, "ann", TimeClock::SourceWallClock,
         BodyColumn::Accessed, "Last Visited"},
        {":2013030420130311: bob@http://a/", EntryKind::HistoryWeekly, "bob", TimeClock::SourceWallClock,
         BodyColumn::Born, "File Created"},
        {":2013031320130311: ann@http://a/", EntryKind::Cache, "", TimeClock::Utc, BodyColumn::Accessed,
         "Last Accessed"},
        {"iedownload:ann@http://a/f.zip", EntryKind::IeDownload, "ann", TimeClock::Utc, BodyColumn::Accessed,
         "Last Accessed"},
        {"PrivacIE:ann@http://a/", EntryKind::PrivacIE, "ann", TimeClock::Utc, BodyColumn::Accessed, "Last Accessed"},
        {"DOMStore:ann@a.example/", EntryKind::DomStore, "ann", TimeClock::Utc, BodyColumn::Accessed, "Last Accessed"},
        {"Visited: http://a/b@c", EntryKind::History, "", TimeClock::Utc, BodyColumn::Accessed, "Last Visited"},
    };
    IndexFileBuilder builder;
    builder.Hash(2);
    for (const Case& entry : cases) builder.Url({.url = entry.url});
    builder.Redirect("Cookie:eve@redirected/");
    const auto loaded = testing::LoadDoc(builder);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const RecordEvidence evidence(loaded->doc.Records()[i + 1]);
        EXPECT_EQ(evidence.Kind(), cases[i].kind) << cases[i].url;
        EXPECT_EQ(EntryKindNamed(EntryKindName(evidence.Kind())), evidence.Kind());
        EXPECT_EQ(evidence.User(), cases[i].user) << cases[i].url;
        EXPECT_EQ(evidence.Meaning(RecordTimeField::Modified).clock, cases[i].modifiedClock) << cases[i].url;
        EXPECT_EQ(BodyFileTimeline::ColumnOf(evidence.Kind(), RecordTimeField::Accessed), cases[i].accessedColumn)
            << cases[i].url;
        EXPECT_EQ(TimesketchTimeline::DescriptionOf(evidence.Meaning(RecordTimeField::Accessed).event),
                  cases[i].accessedMeaning);
    }
    const RecordEvidence redirect(loaded->doc.Records().back());
    EXPECT_EQ(redirect.Kind(), EntryKind::Cookie);
    EXPECT_EQ(redirect.User(), "eve");
    EXPECT_EQ(redirect.Time(RecordTimeField::Accessed).state, RecordTime::State::Absent);
}

TEST(Evidence, FatDateTimesAtTheEdges) {
    EXPECT_EQ(DecodeFatDateTime(0).state, FatDateTime::State::Unset);
    EXPECT_EQ(DecodeFatDateTime(0xFFFFFFFF).state, FatDateTime::State::Never);
    const auto fat = testing::FatDateTimeOf;
    const FatDateTime first = DecodeFatDateTime(fat(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(first.state, FatDateTime::State::Set);
    EXPECT_EQ(first.time, FileTimeOf(1980, 1, 1));
    EXPECT_EQ(DecodeFatDateTime(fat(2107, 12, 31, 23, 59, 58)).time, FileTimeOf(2107, 12, 31, 23, 59, 58));
    EXPECT_EQ(DecodeFatDateTime(fat(2016, 2, 29, 12, 0, 0)).time, FileTimeOf(2016, 2, 29, 12));
    for (const std::uint32_t damaged :
         {fat(2015, 2, 29, 0, 0, 0), fat(2015, 13, 1, 0, 0, 0), fat(2015, 1, 1, 24, 0, 0), fat(2015, 1, 1, 0, 60, 0)})
        EXPECT_EQ(DecodeFatDateTime(damaged).state, FatDateTime::State::Invalid) << std::hex << damaged;
}

std::string HistoryEntry(std::uint8_t type, std::uint8_t valueType, const std::string& value, std::size_t size = 0) {
    size = size ? size : value.size() + 4;
    return std::string{static_cast<char>(size & 0xFF), static_cast<char>(size >> 8), static_cast<char>(type),
                       static_cast<char>(valueType)} +
           value;
}

// A history entry's data is its page title and file URI, never header text; a cached
// page's headers end at the data size, not at the filler after them.
TEST(Evidence, ThePageTitleOfAVisitAndTheHeadersOfACachedPage) {
    const std::string title = Utf16(u"Caf\u00E9 \U0001F600") + std::string(2, '\0');
    const std::string data = HistoryEntry(0x02, 0x00, std::string(12, '\0')) +
                             HistoryEntry(kHistoryFileUri, kHistoryValueUtf16, Utf16(u"file:///C:/a.htm") + "\0\0"s) +
                             HistoryEntry(kHistoryPageTitle, kHistoryValueUtf16, title);
    const std::string runsPast = HistoryEntry(0x02, 0x00, std::string(12, '\0')) +
                                 HistoryEntry(kHistoryPageTitle, kHistoryValueUtf16, title, 0x400);
    const std::string headers = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n";
    IndexFileBuilder builder;
    builder.Hash(2)
        .Url({.url = "Visited: ann@http://a/", .headers = data})
        .Url({.url = "Visited: ann@http://b/", .headers = runsPast})
        .Url({.url = "http://c/",
              .headers = headers + "\xEF\xBE\xAD\xDE\xEF\xBE\xAD\xDE",
              .fields = {{0x48, static_cast<std::uint32_t>(headers.size())}}})
        .Url({.url = "http://d/", .headers = headers, .fields = {{0x48, 0x10000}}});
    const auto loaded = testing::LoadDoc(builder);
    const RecordEvidence visit(loaded->doc.Records()[1]);
    EXPECT_EQ(Utf16ToUtf8(visit.PageTitle()), "Caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(visit.FileUri()), "file:///C:/a.htm");
    EXPECT_EQ(visit.HttpHeaders(), "");
    EXPECT_TRUE(RecordEvidence(loaded->doc.Records()[2]).PageTitle().empty());
    EXPECT_EQ(RecordEvidence(loaded->doc.Records()[3]).HttpHeaders(), headers);
    EXPECT_EQ(RecordEvidence(loaded->doc.Records()[3]).PageTitle().size(), 0u);
    EXPECT_EQ(RecordEvidence(loaded->doc.Records()[4]).HttpHeaders(), headers) << "a data size past the record";
    // A slice of a title never splits the surrogate pair.
    EXPECT_EQ(Utf16SliceEnd(visit.PageTitle(), 12), 10u);
}

std::filesystem::path Fixture(const std::string& name) { return std::filesystem::path(TALLOWMARK_FIXTURES_DIR) / name; }

class RealEvidence : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(TALLOWMARK_FIXTURES_DIR)) GTEST_SKIP() << "no real sample files here";
    }
    // Records with evidence by status, and how many have a page title.
    static std::map<std::string, int> Counts(const TallowmarkDoc& doc) {
        std::map<std::string, int> counts;
        for (const auto& record : doc.Records()) {
            if (!CarriesEvidence(record)) continue;
            const RecordEvidence evidence(record);
            ++counts[std::string(StatusName(evidence.Status()))];
            if (!evidence.PageTitle().empty()) ++counts["titled"];
            if (evidence.Partial()) ++counts["partial"];
        }
        return counts;
    }
};

TEST_F(RealEvidence, TheSamplesStatusesTitlesAndTheRescuedRecord) {
    TallowmarkDoc history, leaks;
    ASSERT_TRUE(history.OnOpenDocument(Fixture("history-ie5-index.dat").string()));
    EXPECT_EQ(Counts(history), (std::map<std::string, int>{{"live", 15}, {"deleted", 2}, {"titled", 11}}));
    ASSERT_TRUE(leaks.OnOpenDocument(Fixture("leaks-index.dat").string()));
    EXPECT_EQ(Counts(leaks), (std::map<std::string, int>{{"live", 1027}, {"deleted", 8}, {"partial", 1}}));

    std::map<std::uint64_t, Walked> byOffset;
    for (const Walked& record : StreamedRecords(Fixture("leaks-index.dat").string(), IndexStream::kPieceTarget))
        byOffset[std::get<1>(record)] = record;
    EXPECT_EQ(std::get<3>(byOffset.at(0x16F00)), 256u);
    EXPECT_EQ(std::get<4>(byOffset.at(0x16F00)), Marks(kDeleted, false, true));
    EXPECT_EQ(std::get<4>(byOffset.at(0x17000)), Marks(kLive, true));
    EXPECT_EQ(LoadedRecords(leaks), StreamedRecords(Fixture("leaks-index.dat").string(), 4096));
}

// Every redirect of the samples is reached through an entry of code 5, and code-8
// entries point at live URL records: all of them in use.
TEST_F(RealEvidence, EveryRedirectIsHashedAndEveryEntryInUseCounts) {
    for (const auto& [name, inUse] : {std::pair{"content-ie5-index.dat", 35u}, std::pair{"leaks-index.dat", 1018u}}) {
        TallowmarkDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(Fixture(name).string()));
        EXPECT_EQ(doc.Evidence().hashTables.EntriesInUse(), inUse) << name;
        for (const auto& record : doc.Records()) {
            if (record.Kind() != BlockKind::Redirect) continue;
            EXPECT_TRUE(record.Marks().Hashed()) << name;
        }
    }
}

TEST_F(RealEvidence, ACachedPagesFieldsPastTheList) {
    IndexStream stream;
    ASSERT_TRUE(stream.Open(Fixture("content-ie5-index.dat").string()));
    bool seen = false;
    ASSERT_TRUE(stream.Walk([&](const IndexRecord& record, std::uint64_t offset) {
        if (offset != 0x6380) return;
        seen = true;
        const RecordEvidence evidence(record);
        EXPECT_EQ(evidence.Kind(), EntryKind::Cache);
        EXPECT_EQ(evidence.CachedSize(), 1150u);
        EXPECT_EQ(evidence.Hits(), 3u);
        EXPECT_EQ(evidence.Time(RecordTimeField::Expires).time, FileTimeOf(2016, 2, 21, 11, 5, 36));
        EXPECT_EQ(evidence.Time(RecordTimeField::LastChecked).time, FileTimeOf(2015, 8, 25, 11, 5, 36));
        EXPECT_TRUE(evidence.Time(RecordTimeField::LastChecked).twoSecond);
        EXPECT_EQ(evidence.Time(RecordTimeField::CacheFileCreated).time, FileTimeOf(2015, 8, 25, 11, 5, 36));
        EXPECT_EQ(evidence.HttpHeaders().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
        EXPECT_EQ(evidence.HttpHeaders().find('\xEF'), std::string_view::npos) << "no filler";
    }));
    EXPECT_TRUE(seen);
}

// 0x5C holds when the cached copy was written, which need not be when the entry was
// last checked; a LEAK keeps every value of the URL record it was.
TEST_F(RealEvidence, TheCachedFilesCreationTimeAndALeaksFields) {
    std::map<std::uint64_t, std::tuple<RecordTime, RecordTime, std::optional<std::uint32_t>, std::optional<std::uint64_t>>>
        seen;
    for (const char* name : {"content-ie5-index.dat", "leaks-index.dat"}) {
        IndexStream stream;
        ASSERT_TRUE(stream.Open(Fixture(name).string()));
        ASSERT_TRUE(stream.Walk([&](const IndexRecord& record, std::uint64_t offset) {
            const RecordEvidence evidence(record);
            if ((offset == 0x6E00 && record.Kind() == BlockKind::Url) ||
                (offset == 0xA800 && record.Kind() == BlockKind::Leak)) {
                EXPECT_EQ(evidence.Meaning(RecordTimeField::CacheFileCreated).label, "Cached file created");
                seen[offset] = {evidence.Time(RecordTimeField::LastChecked),
                                evidence.Time(RecordTimeField::CacheFileCreated), evidence.Hits(), evidence.CachedSize()};
            }
        }));
    }
    ASSERT_EQ(seen.size(), 2u);
    const auto& [checked, created, hits, size] = seen.at(0x6E00);
    EXPECT_EQ(checked.time, FileTimeOf(2015, 8, 25, 11, 9, 20));
    EXPECT_EQ(created.time, FileTimeOf(2015, 8, 25, 11, 9, 8));
    const auto& [leakChecked, leakCreated, leakHits, leakSize] = seen.at(0xA800);
    EXPECT_EQ(leakChecked.time, FileTimeOf(2012, 3, 28, 0, 45, 20));
    EXPECT_EQ(leakCreated.time, FileTimeOf(2012, 3, 21, 0, 24, 38));
    EXPECT_EQ(leakHits, 51u);
    EXPECT_EQ(leakSize, 1399u);
}

}  // namespace
}  // namespace tallowmark
