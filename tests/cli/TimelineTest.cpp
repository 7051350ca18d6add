#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_set>

#include "cli/CliCommands.h"
#include "cli/CliRun.h"
#include "model/TimeText.h"
#include "presentation/AnsiText.h"
#include "forensic/BodyFileTimeline.h"
#include "forensic/DocumentTimeline.h"
#include "forensic/Timeline.h"
#include "support/DocFixture.h"
#include "support/FlatJson.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::IndexFileBuilder;
using testing::TimeZoneScope;

using testing::Cli;
using testing::CliRun;

std::vector<std::string> Lines(const std::string& text, char end = '\n') {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, end);) lines.push_back(line);
    return lines;
}

using testing::FlatJson;

class Timeline : public ::testing::Test {
protected:
    void SetUp() override {
        m_first = m_dir.Path("first.dat");
        m_second = m_dir.Path("second.dat");
        IndexFileBuilder first;
        first.CacheDir(1, "CACHEDIR");
        first.Hash(2).Url({.url = "http://caf\xE9.example/\"q\"\\path",
                           .modified = FileTimeOf(2008, 3, 5, 14, 7, 59),
                           .accessed = 0,
                           .fileName = "page[1].htm",
                           .headers = "HTTP/1.1 200 OK\r\nX-Tab:\t\x01\r\n",
                           .dirIndex = 1,
                           .fields = {{0x18, 0xFFFFFFFF},
                                      {0x20, 0x2A05F200},  // 5,000,000,000 bytes cached: 64 bits
                                      {0x24, 1},
                                      {0x40, 0x00200041},
                                      {0x50, testing::FatDateTimeOf(2008, 3, 5, 14, 8, 0)},
                                      {0x54, 7}}});
        // A LEAK record keeps the URL record's layout and its values.
        first.Blank()
            .Leak({.url = "http://leak/",
                   .modified = ~0ull,
                   .dirIndex = 3,
                   .fields = {{0x20, 1399}, {0x54, 51}, {0x50, 0xDEADBEEF}, {0x5C, testing::FatDateTimeOf(2012, 3, 21)}}})
            .Redirect("http://redirected/");
        first.WriteTo(m_first);
        IndexFileBuilder second;
        second.Hash(2).Url({.url = "http://second/", .modified = FileTimeOf(2010, 1, 2, 3, 4, 5)});
        second.WriteTo(m_second);
    }
    testing::TempDir m_dir;
    std::string m_first, m_second;
};

TEST_F(Timeline, JsonLineParsesBackToTheRecordsFields) {
    const CliRun run = Cli({"timeline", m_first});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u);  // URL, LEAK, REDR; not HASH or BLANK
    const auto url = FlatJson::Parse(lines[0]);
    ASSERT_TRUE(url) << lines[0];
    const FlatJson::Object expected = {
        {"source", m_first},
        {"offset", "0x4100"},
        {"record", "1"},
        {"type", "URL"},
        {"status", "unknown"},  // the builder's header counts no blocks
        {"hashed", "false"},
        {"partial", "false"},
        {"kind", "cache"},
        {"user", std::nullopt},
        {"url", "http://caf\xC3\xA9.example/\"q\"\\path"},  // Windows-1252 read as such
        {"modified", "2008-03-05T14:07:59.0000000Z"},
        {"accessed", std::nullopt},
        {"expires", "never"},
        {"last_checked", "2008-03-05T14:08:00Z"},
        {"cache_file_created", std::nullopt},
        {"cache_directory", "CACHEDIR"},
        {"cache_directory_index", "1"},
        {"cache_file", "page[1].htm"},
        {"cached_size", "5000000000"},
        {"hits", "7"},
        {"flags", "0x00200041"},
        {"page_title", std::nullopt},
        {"http_headers", "HTTP/1.1 200 OK\r\nX-Tab:\t\x01\r\n"},
        {"size", "256"},
    };
    EXPECT_EQ(*url, expected);
    const auto leak = FlatJson::Parse(lines[1]);
    ASSERT_TRUE(leak) << lines[1];
    EXPECT_EQ(leak->at("type"), "LEAK");
    EXPECT_EQ(leak->at("modified"), std::nullopt);  // beyond the year 9999
    EXPECT_EQ(leak->at("hits"), "51");
    EXPECT_EQ(leak->at("cached_size"), "1399");
    EXPECT_EQ(leak->at("last_checked"), std::nullopt) << "a FAT time that does not decode";
    EXPECT_EQ(leak->at("cache_file_created"), "2012-03-21T00:00:00Z");
    EXPECT_EQ(leak->at("cache_directory_index"), "3");
    const auto redirect = FlatJson::Parse(lines[2]);
    ASSERT_TRUE(redirect) << lines[2];
    EXPECT_EQ(redirect->at("url"), "http://redirected/");
    EXPECT_EQ(redirect->at("record"), "4");

    const auto csv = Lines(Cli({"timeline", "--format", "csv", m_second}).out);
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[0],
              "source,offset,record,type,status,hashed,partial,kind,user,url,modified,accessed,expires,last_checked,"
              "cache_file_created,cache_directory,cache_directory_index,cache_file,cached_size,hits,flags,page_title,http_headers,size\r");
    EXPECT_EQ(csv[1], "\"" + m_second +
                          "\",0x4100,1,\"URL\",\"unknown\",false,false,\"cache\",,\"http://second/\","
                          "2010-01-02T03:04:05.0000000Z,,,,,\"\",0,\"\",0,0,0x00000000,,\"\",128\r");
}

// Timesketch takes each time of a record as an event of its own: one line per instant,
// with what the time means, the summary, and every field of the record's JSON line.
TEST_F(Timeline, ATimesketchLineParsesBackToItsTimeAndTheRecordsFields) {
    const auto json = Lines(Cli({"timeline", m_first}).out);
    const CliRun run = Cli({"timeline", "--format", "timesketch", m_first});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto lines = Lines(run.out);
    // The URL record's modified and last-checked times and the LEAK's cached-file
    // creation; "never" and a time past the year 9999 are no events, and a redirect has
    // no time at all.
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(FlatJson::Parse(lines[2])->at("timestamp_desc"), "Cached File Created");
    EXPECT_EQ(FlatJson::Parse(lines[2])->at("data_type"), "msiecf:leak");
    auto first = FlatJson::Parse(lines[0]), second = FlatJson::Parse(lines[1]);
    ASSERT_TRUE(first && second) << lines[0];
    EXPECT_EQ(first->at("message"), "cache: http://caf\xC3\xA9.example/\"q\"\\path");
    EXPECT_EQ(first->at("datetime"), "2008-03-05T14:07:59.0000000Z");
    EXPECT_EQ(first->at("timestamp"), "1204726079000000");  // microseconds since 1970, UTC
    EXPECT_EQ(first->at("timestamp_desc"), "Content Modified");
    EXPECT_EQ(second->at("datetime"), "2008-03-05T14:08:00Z");
    EXPECT_EQ(second->at("timestamp"), "1204726080000000");
    EXPECT_EQ(second->at("timestamp_desc"), "Last Checked");
    for (auto* line : {&*first, &*second}) {
        EXPECT_EQ(line->at("data_type"), "msiecf:url");
        for (const char* key : {"message", "datetime", "timestamp", "timestamp_desc", "data_type"}) line->erase(key);
        EXPECT_EQ(*line, *FlatJson::Parse(json[0]));
    }
}

// The 0x08 time of daily and weekly history is the source machine's wall clock: never
// written as an instant until its zone is named, and then the same instant as the visit.
TEST_F(Timeline, ADailyVisitIsOneInstantOnceTheSourceZoneIsNamed) {
    const FileTime wallClock = FileTimeOf(2013, 3, 10, 10, 38, 51) + 6'190'000;
    const FileTime visit = FileTimeOf(2013, 3, 10, 9, 38, 51) + 6'190'000;
    const std::string path = m_dir.Path("daily.dat");
    IndexFileBuilder()
        .Hash(2)
        .Url({.url = ":2013031020130311: ann@http://www.example.com/",
              .modified = wallClock,
              .accessed = visit,
              .fields = {{0x50, testing::FatDateTimeOf(2013, 3, 10, 9, 38, 52)}}})
        .Url({.url = ":2013030420130311: ann@http://www.example.com/",
              .modified = wallClock,
              .accessed = FileTimeOf(2013, 3, 11)})
        .WriteTo(path);
    auto line = [&](std::vector<std::string> args, std::size_t at = 0) {
        args.insert(args.begin(), "timeline");
        args.push_back(path);
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 0) << run.err;
        const auto lines = Lines(run.out);
        return std::make_pair(
            at < lines.size() ? FlatJson::Parse(lines[at]).value_or(FlatJson::Object{}) : FlatJson::Object{}, run.err);
    };
    const auto [bare, why] = line({});
    EXPECT_EQ(bare.at("kind"), "history-daily");
    EXPECT_EQ(bare.at("modified"), "2013-03-10T10:38:51.6190000");
    EXPECT_EQ(bare.at("accessed"), "2013-03-10T09:38:51.6190000Z");
    EXPECT_EQ(bare.at("last_checked"), "2013-03-10T09:38:52Z");
    EXPECT_EQ(why, "tallowmark-cli: 2 wall-clock times in 1 file stayed unconverted: give --source-zone ZONE\n");
    // One line at the end for many files, however many.
    const CliRun twice = Cli({"timeline", path, m_first, path});
    EXPECT_EQ(twice.err, "tallowmark-cli: 4 wall-clock times in 2 files stayed unconverted: give --source-zone ZONE\n");

    const auto [zoned, quiet] = line({"--source-zone", "+01:00"});
    EXPECT_EQ(zoned.at("modified"), "2013-03-10T09:38:51.6190000Z");
    EXPECT_EQ(zoned.at("modified"), zoned.at("accessed"));
    EXPECT_EQ(quiet, "");
    {
        TimeZoneScope newYork("EST5");
        EXPECT_EQ(line({"--source-zone", "+01:00", "--localtime"}).first.at("modified"),
                  "2013-03-10T04:38:51.6190000-05:00");
    }
    EXPECT_EQ(line({"--source-zone", "UTC"}, 1).first.at("modified"), "2013-03-10T10:38:51.6190000Z");

    // Without the zone the week's visit is no event: left out of the body file and of Timesketch.
    const auto body = Lines(Cli({"timeline", "--format", "bodyfile", path}).out);
    ASSERT_EQ(body.size(), 2u);
    EXPECT_NE(body[1].find(")|0|0|0|0|0|0|0|0|1362960000"), std::string::npos) << body[1];
    const auto zonedBody = Lines(Cli({"timeline", "--format", "bodyfile", "--source-zone", "+01:00", path}).out);
    EXPECT_NE(zonedBody[1].find(")|0|0|0|0|0|1362908331|0|0|1362960000"), std::string::npos) << zonedBody[1];
    auto visitsOfTheWeek = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"timeline", "--format", "timesketch"});
        args.push_back(path);
        int visits = 0;
        for (const std::string& event : Lines(Cli(args).out)) {
            const auto parsed = FlatJson::Parse(event);
            visits += parsed && parsed->at("offset") == "0x4200" && parsed->at("timestamp_desc") == "Last Visited";
        }
        return visits;
    };
    EXPECT_EQ(visitsOfTheWeek({}), 0);
    EXPECT_EQ(visitsOfTheWeek({"--source-zone", "+01:00"}), 1);
    EXPECT_EQ(Cli({"timeline", "--source-zone", "Nowhere/Atlantis", path}).code, 2);

    // The desktop asks for the zone before it writes such a record.
    TallowmarkDoc document;
    ASSERT_TRUE(document.OnOpenDocument(path));
    EXPECT_TRUE(HoldsWallClockTimes(document, {1}));
}

// The desktop's Export Timeline writes what the command line writes of the file, byte for
// byte in every format, for the records the list keeps alone.
TEST_F(Timeline, AnOpenDocumentsTimelineIsTheFilesForTheRecordsKept) {
    TallowmarkDoc document;
    ASSERT_TRUE(document.OnOpenDocument(m_first));
    RowList kept(document.RecordCount());
    std::iota(kept.rbegin(), kept.rend(), 0u);  // in any order
    for (const TimelineFormat* format : TimelineFormats()) {
        const TimelineOptions options{format};
        std::ostringstream out;
        const DocumentTimeline written = WriteDocumentTimeline(out, document, kept, options);
        EXPECT_EQ(out.str(), Cli({"timeline", "--format", std::string(format->Name()), m_first}).out)
            << format->Name();
        EXPECT_EQ(written.records, 3u);
    }
    std::erase_if(kept, [&](std::uint32_t place) { return document.Record(place).Kind() == BlockKind::Leak; });
    std::ostringstream out;
    EXPECT_EQ(WriteDocumentTimeline(out, document, kept, {}).records, 2u);
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(FlatJson::Parse(lines[1])->at("url"), "http://redirected/");
    EXPECT_FALSE(HoldsWallClockTimes(document, kept));
}

// A caller with records of its own, such as the carver, adds fields after the record's.
TEST_F(Timeline, ExtraFieldsFollowTheRecordsOwn) {
    const auto loaded = testing::LoadDoc(IndexFileBuilder().Hash(2).Url({.url = "http://carved/"}));
    const std::string_view names[] = {"image_offset", "carved_from"};
    const TimelineExtraField extra[] = {{"image_offset", TimelineExtraField::Form::Hex, {}, 0x1000},
                                        {"carved_from", TimelineExtraField::Form::Text, "disk.img"}};
    const TimelineFormat& csv = *TimelineFormatNamed("csv");
    EXPECT_TRUE(TimelineHeader(csv, names).ends_with(",size,image_offset,carved_from\r\n"));
    std::string text;
    const TimelineOptions options{&csv};
    const TimelineHandOn handOn = [](std::string&) {};
    TimelineWriter writer(options, "disk.img", text, handOn);
    writer.Add(loaded->doc.Records()[1], 0x4100, extra);
    writer.Add(loaded->doc.Records()[0], 0x4000, extra);  // a HASH record has no line
    EXPECT_TRUE(text.ends_with(",128,0x1000,\"disk.img\"\r\n")) << text;
    EXPECT_EQ(writer.Records(), 1u);
}

// A text far longer than the pieces a line is made in, escaped at every other byte and
// not UTF-8, comes out whole and exact: nothing lost or doubled where pieces meet.
TEST_F(Timeline, ALongTextComesOutWholeAcrossPieces) {
    std::string url = "http://long/";
    for (int i = 0; url.size() < (500 << 10); ++i) url += i % 2 == 0 ? "\x01\x1F\"\\" : "caf\xE9|%\t";
    const std::string path = m_dir.Path("long.dat");
    IndexFileBuilder().Hash(2).Url({.url = url}).WriteTo(path);
    const auto json = Lines(Cli({"timeline", path}).out);
    ASSERT_EQ(json.size(), 1u);
    EXPECT_GT(json[0].size(), std::size_t{1} << 20);
    const auto parsed = FlatJson::Parse(json[0]);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->at("url"), AnsiToUtf8(url));
    std::string quoted = AnsiToUtf8(url);
    for (std::size_t at = 0; (at = quoted.find('"', at)) != std::string::npos; at += 2) quoted.insert(at, 1, '"');
    const auto csv = Lines(Cli({"timeline", "--format", "csv", path}).out);
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_NE(csv[1].find(",\"cache\",,\"" + quoted + "\","), std::string::npos);
}

TEST_F(Timeline, ABadFileAmongGoodOnesIsReportedAndTheOthersKeepTheirOrder) {
    const std::string bad = m_dir.Path("bad.dat");
    testing::WriteFile(bad, {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'n', 'd', 'e', 'x'});
    const std::string missing = m_dir.Path("missing.dat");
    const std::vector<std::string> args = {"timeline", "--format", "bodyfile", m_first,
                                           bad,        m_second,   missing,    m_first};
    for (const char* jobs : {"1", "3"}) {
        auto withJobs = args;
        withJobs.insert(withJobs.begin() + 1, {"--jobs", jobs});
        const CliRun run = Cli(withJobs);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, "tallowmark-cli: " + bad + " is not a cache index file\ntallowmark-cli: " + missing +
                               " was not found\n");
        const auto lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 7u) << jobs;
        EXPECT_NE(lines[0].find(" in " + m_first + ")"), std::string::npos);
        EXPECT_NE(
            lines[3].find("http://second/ (URL record 1 at 0x4100 in " + m_second + ")|0|0|0|0|0|0|1262401445|0|0"),
            std::string::npos)
            << lines[3];
        EXPECT_EQ(lines[4], lines[0]);
    }
}

#ifndef _WIN32
TEST_F(Timeline, MactimeReadsTheBodyFile) {
    if (std::system("command -v mactime >/dev/null 2>&1") != 0) GTEST_SKIP() << "mactime is not installed";
    const std::string body = m_dir.Path("body.txt");
    ASSERT_EQ(Cli({"timeline", "--format", "bodyfile", "-o", body, m_first, m_second}).code, 0);
    const std::string errors = m_dir.Path("errors.txt");
    const std::string command = "mactime -y -d -b '" + body + "' 2>'" + errors + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string timeline;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) timeline.append(chunk, got);
    EXPECT_EQ(pclose(pipe), 0);
    const auto complaints = testing::ReadFile(errors);
    EXPECT_TRUE(complaints.empty()) << std::string(complaints.begin(), complaints.end());
    EXPECT_NE(
        timeline.find("2008-03-05T14:07:59Z,5000000000,m...,0,0,0,0,\"http://caf\xC3\xA9.example/\"\"q\"\"\\path (URL "
                      "record 1 at 0x4100 in " +
                      m_first + ")\""),
        std::string::npos)
        << timeline;
    EXPECT_NE(timeline.find("2008-03-05T14:08:00Z,5000000000,..c."), std::string::npos) << "last checked";
    EXPECT_NE(timeline.find("2010-01-02T03:04:05Z,0,m..."), std::string::npos);
}
#endif

// The body file keeps each kind's times in the columns nearest their meaning, a visit
// once (the instant where a kind keeps it twice), and never two times in one column.
TEST(BodyFile, EachKindsTimesInTheirColumns) {
    using enum BodyColumn;
    const std::pair<EntryKind, std::array<BodyColumn, kRecordTimeFields.size()>> kinds[] = {
        {EntryKind::Cache, {Modified, Accessed, None, Changed, Born}},
        {EntryKind::DomStore, {Modified, Accessed, None, Changed, Born}},
        {EntryKind::History, {None, Accessed, None, Changed, Born}},
        {EntryKind::HistoryDaily, {None, Accessed, None, Changed, Born}},
        {EntryKind::HistoryWeekly, {Accessed, Born, None, Changed, None}},
    };
    for (const auto& [kind, columns] : kinds)
        for (std::size_t i = 0; i < columns.size(); ++i)
            EXPECT_EQ(BodyFileTimeline::ColumnOf(kind, kRecordTimeFields[i]), columns[i])
                << EntryKindName(kind) << " " << i;
}

TEST(Find, ListsIndexFilesOnceThroughALinkLoop) {
    testing::TempDir dir;
    const auto root = dir.Root();
    std::filesystem::create_directories(root / "a" / "b");
    testing::WriteFile((root / "a" / "index.dat").string(), {});
    testing::WriteFile((root / "a" / "b" / "INDEX.DAT").string(), {});
    testing::WriteFile((root / "a" / "index.dat.bak").string(), {});
    std::error_code linkFailed;
    std::filesystem::create_directory_symlink(root / "a", root / "a" / "b" / "loop", linkFailed);
    if (linkFailed) GTEST_SKIP() << "no directory links here";

    // Sorted by the bytes of the paths, whatever order the directories list them in.
    std::vector<std::string> expected = {(root / "a" / "b" / "INDEX.DAT").string(), (root / "a" / "index.dat").string()};
    for (const char* name : {"zeta", "Alpha", "mid", "_x", "beta"}) {
        std::filesystem::create_directories(root / name);
        testing::WriteFile((root / name / "index.dat").string(), {});
        expected.push_back((root / name / "index.dat").string());
    }
    std::sort(expected.begin(), expected.end());
    const CliRun run = Cli({"find", "-0", root.string()});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Lines(run.out, '\0'), expected);
    EXPECT_EQ(Cli({"find", (root / "nothing").string()}).code, 1);
    EXPECT_EQ(Cli({"find", (root / "a" / "b").string()}).out, (root / "a" / "b" / "INDEX.DAT").string() + "\n");
}

}  // namespace
}  // namespace tallowmark
