#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "cli/CliCommands.h"
#include "cli/CliRun.h"
#include "model/TimeText.h"
#include "presentation/AnsiText.h"
#include "support/FlatJson.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::IndexFileBuilder;

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
                           .dirIndex = 1});
        first.Blank().Leak({.url = "http://leak/", .modified = ~0ull}).Redirect("http://redirected/");
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
        {"url", "http://caf\xC3\xA9.example/\"q\"\\path"},  // Windows-1252 read as such
        {"modified", "2008-03-05T14:07:59Z"},
        {"accessed", std::nullopt},
        {"cache_directory", "CACHEDIR"},
        {"cache_file", "page[1].htm"},
        {"http_headers", "HTTP/1.1 200 OK\r\nX-Tab:\t\x01\r\n"},
        {"size", "256"},
    };
    EXPECT_EQ(*url, expected);
    const auto leak = FlatJson::Parse(lines[1]);
    ASSERT_TRUE(leak) << lines[1];
    EXPECT_EQ(leak->at("type"), "LEAK");
    EXPECT_EQ(leak->at("modified"), std::nullopt);  // beyond the year 9999
    const auto redirect = FlatJson::Parse(lines[2]);
    ASSERT_TRUE(redirect) << lines[2];
    EXPECT_EQ(redirect->at("url"), "http://redirected/");
    EXPECT_EQ(redirect->at("record"), "4");

    const auto csv = Lines(Cli({"timeline", "--format", "csv", m_second}).out);
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[0], "source,offset,record,type,url,modified,accessed,cache_directory,cache_file,http_headers,size\r");
    EXPECT_EQ(csv[1],
              "\"" + m_second + "\",0x4100,1,\"URL\",\"http://second/\",2010-01-02T03:04:05Z,,\"\",\"\",\"\",128\r");
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
    EXPECT_NE(csv[1].find(",\"URL\",\"" + quoted + "\","), std::string::npos);
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
        EXPECT_NE(run.err.find(bad + ": Unexpected file format."), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(missing + " was not found."), std::string::npos) << run.err;
        const auto lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 7u) << jobs;
        EXPECT_NE(lines[0].find(" in " + m_first + ")"), std::string::npos);
        EXPECT_NE(
            lines[3].find("http://second/ (URL record 1 at 0x4100 in " + m_second + ")|0|0|0|0|128|0|1262401445|0|0"),
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
    EXPECT_NE(timeline.find("2008-03-05T14:07:59Z,256,m...,0,0,0,0,\"http://caf\xC3\xA9.example/\"\"q\"\"\\path (URL "
                            "record 1 at 0x4100 in " +
                            m_first + ")\""),
              std::string::npos)
        << timeline;
    EXPECT_NE(timeline.find("2010-01-02T03:04:05Z,128,m..."), std::string::npos);
}
#endif

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

    const CliRun run = Cli({"find", "-0", root.string()});
    EXPECT_EQ(run.code, 0) << run.err;
    auto paths = Lines(run.out, '\0');
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{(root / "a" / "b" / "INDEX.DAT").string(),
                                               (root / "a" / "index.dat").string()}));
    EXPECT_EQ(Cli({"find", (root / "nothing").string()}).code, 1);
    EXPECT_EQ(Cli({"find", (root / "a" / "b").string()}).out, (root / "a" / "b" / "INDEX.DAT").string() + "\n");
}

}  // namespace
}  // namespace tallowmark
