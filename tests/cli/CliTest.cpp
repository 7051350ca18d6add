#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "cli/CliCommands.h"
#include "cli/CliRun.h"
#include "model/Digest.h"
#include "model/TimeText.h"
#include "model/TallowmarkDoc.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

using testing::IndexFileBuilder;

using testing::Cli;
using testing::CliRun;

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.Path("index.dat");
        IndexFileBuilder builder;
        builder.Hash(2).Url({.url = "http://cli/", .fileName = "c.htm"}).Blank().BadFood();
        builder.FileSizeField(0x80000000u).WriteTo(m_path);
    }
    testing::TempDir m_dir;
    std::string m_path;
};

TEST_F(CliTest, ExportToStdoutAndToAFileGiveTheSameBytes) {
    const CliRun toStdout = Cli({"export", m_path});
    ASSERT_EQ(toStdout.code, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out.rfind("# record number,", 0), 0u);
    const std::string out = m_dir.Path("out.csv");
    ASSERT_EQ(Cli({"export", m_path, "-o", out}).code, 0);
    const auto written = testing::ReadFile(out);
    EXPECT_EQ(std::string(written.begin(), written.end()), toStdout.out);

    const CliRun hidden = Cli({"export", "--hide-blank", m_path, "--hide-badfood"});
    EXPECT_EQ(hidden.out.find("BLANK"), std::string::npos);
    EXPECT_EQ(hidden.out.find("BAD FOOD"), std::string::npos);
    EXPECT_NE(hidden.out.find("http://cli/"), std::string::npos);
}

TEST_F(CliTest, InfoShowsTheFactsWithAnUnsignedSize) {
    const CliRun info = Cli({"info", m_path});
    ASSERT_EQ(info.code, 0);
    const auto bytes = testing::ReadFile(m_path);
    // A file whose header records more than it holds was cut: a fact of it.
    EXPECT_EQ(info.out.substr(0, info.out.find("Blocks:")),
              "Name: index.dat\nLocation: " + m_dir.Root().string() +
                  "\nVersion: Client UrlCache MMF Ver 5.2\nSize: 2147483648 bytes\nNumber of records: 4\nSHA-256: " +
                  Sha256Of(bytes) + "\nMD5: " + DigestsOfFile(m_path).md5 +
                  "\nTruncated: recorded size 2,147,483,648, file holds " + GroupedDigits(bytes.size()) + "\n");
}

// The header's counts, the directory table (never read past the header, whatever its
// count says), the hash tables and the records by kind and status, as text and as JSON.
TEST_F(CliTest, InfoTellsWhatTheHeaderAndTheHashTablesSay) {
    IndexFileBuilder builder;
    builder.CacheDir(0, "ABCDEFGH").CacheDir(1, "ZYXWVUTS").HeaderU32(0x48, 900).HeaderU32(0x4C, 3).HeaderU32(0x58, 1);
    builder.HeaderU32(0x28, 3).HeaderU32(0x30, 50000000).HeaderU32(0x38, 1234).HeaderU32(0x40, 56);
    builder.Hash(2).MarkInUse(0x4000, 2);
    builder.Url({.url = "Visited: ann@http://a/"}).MarkInUse(0x4100).HashEntry(0x4000, 0x4100);
    const std::size_t cached = builder.Url({.url = "Visited: ann@http://b/"}).Position();
    builder.Url({.url = "http://c/"}).MarkInUse(cached);
    builder.WriteTo(m_path);
    const CliRun text = Cli({"info", m_path});
    ASSERT_EQ(text.code, 0) << text.err;
    const std::string tail = text.out.substr(text.out.find("Blocks:"));
    EXPECT_EQ(tail.substr(0, tail.find("  ABCDEFGH")),
              "Blocks: 7, 3 in use\nCache limit: 50000000 bytes\nCache size: 1234 bytes\nExempt size: 56 bytes\n"
              "Cache directories: 43\n");
    EXPECT_NE(tail.find("  ABCDEFGH: 3 files\n  ZYXWVUTS: 1 files\n"), std::string::npos);
    EXPECT_TRUE(
        tail.ends_with("Hash tables: 1, 1 entries in use\nRecords by kind:\n  cache: 1 live, 0 deleted, 0 unknown\n"
                       "  history: 1 live, 1 deleted, 0 unknown\nPartial records: 0\n"))
        << tail;
    const CliRun json = Cli({"info", "--json", m_path});
    ASSERT_EQ(json.code, 0);
    EXPECT_NE(json.out.find(",\"size\":" + std::to_string(testing::ReadFile(m_path).size()) +
                            ",\"records\":4,\"blocks\":7,\"blocks_in_use\":3,\"cache_limit\":50000000,\"cache_size\":"
                            "1234,\"exempt_size\":56,\"directories\":[{\"name\":\"ABCDEFGH\",\"files\":3},{\"name\":"
                            "\"ZYXWVUTS\",\"files\":1},"),
              std::string::npos)
        << json.out;
    EXPECT_TRUE(
        json.out.ends_with("\"hash_tables\":1,\"hash_entries_in_use\":1,\"hash_chain\":\"complete\","
                           "\"records_by_kind\":{\"cache\":{\"live\":1,\"deleted\":0,\"unknown\":0},"
                           "\"history\":{\"live\":1,\"deleted\":1,\"unknown\":0}},\"partial_records\":0}\n"))
        << json.out;
    EXPECT_EQ(Cli({"info", "--bogus", m_path}).code, 2);
}

// An output named as an input, or reached through a hard or symbolic link to one, would
// destroy the evidence: refused before anything is opened for writing.
TEST_F(CliTest, AnInputAsTheOutputIsRefusedAndStaysIntact) {
    const auto original = testing::ReadFile(m_path);
    const std::string other = m_dir.Path("other.dat");
    testing::WriteFile(other, original);
    std::vector<std::string> targets = {m_path, m_dir.Path("hard.dat")};
    std::filesystem::create_hard_link(m_path, targets[1]);
    std::error_code noLinks;  // Windows may not let a test make symbolic links
    std::filesystem::create_symlink(m_path, m_dir.Path("link.dat"), noLinks);
    if (!noLinks) targets.push_back(m_dir.Path("link.dat"));
    for (const std::string& target : targets) {
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"export", m_path, "-o", target},
                 {"timeline", other, m_path, "-o", target},
                 {"timeline", other, "--find", m_dir.Root().string(), "-o", target}}) {
            const CliRun run = Cli(args);
            EXPECT_EQ(run.code, 2) << args[0] << " " << target;
            EXPECT_EQ(run.err, "tallowmark-cli: " + target + " is the input " + m_path + "; nothing was written\n");
        }
        EXPECT_EQ(testing::ReadFile(m_path), original);
    }
}

#ifndef _WIN32
// A valid header on 100 GiB (sparse, so it takes no room), with a record that claims
// nearly all of it, is more than the machine can hold: refused before it is read, by the
// loader and the streamed reader alike, never an abort.
TEST_F(CliTest, AFileLargerThanTheMachineCanHoldIsRefused) {
    const std::string huge = m_dir.Path("huge.dat");
    IndexFileBuilder().Hash().Url({.url = "http://huge/", .countField = 0xFFFFFF00u}).WriteTo(huge);
    ASSERT_EQ(::truncate(huge.c_str(), 100ll << 30), 0);
    TallowmarkDoc document;
    const Outcome opened = document.OnOpenDocument(huge);
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.message, kMsgFailedToOpen);
    EXPECT_EQ(document.RecordCount(), 0u);
    const CliRun info = Cli({"info", huge});
    EXPECT_EQ(info.code, 1);
    EXPECT_EQ(info.err, "tallowmark-cli: " + huge + ": Failed to open document.\n");
    for (const char* command : {"export", "timeline"}) EXPECT_EQ(Cli({command, huge}).code, 1) << command;
}
#endif

// Examiners record the digests of every exhibit: those of the file's bytes on the disk.
TEST(CliOnRealFiles, InfoGivesTheFilesDigests) {
    const std::filesystem::path leaks = std::filesystem::path(TALLOWMARK_FIXTURES_DIR) / "leaks-index.dat";
    if (!std::filesystem::exists(leaks)) GTEST_SKIP() << "no real sample files here";
    const std::string sha256 = "0cb5e8fc5662aac8591fc34c3adf20305a7f272764069eb6b0ef8d11322c2e94";
    const std::string md5 = "46fdfb7c9bebfcb167cdb62446f60a86";
    const CliRun text = Cli({"info", leaks.string()});
    EXPECT_NE(text.out.find("\nSHA-256: " + sha256 + "\nMD5: " + md5 + "\n"), std::string::npos) << text.out;
    const CliRun json = Cli({"info", "--json", leaks.string()});
    EXPECT_NE(json.out.find(",\"sha256\":\"" + sha256 + "\",\"md5\":\"" + md5 + "\","), std::string::npos) << json.out;
}

// A copy of the leak sample cut at 100,000 bytes: read as far as it goes, one line on
// stderr for the file, status 0, and info shows the shortfall as a fact.
TEST(CliOnRealFiles, AFileCutShortIsReadAsFarAsItGoes) {
    const std::filesystem::path leaks = std::filesystem::path(TALLOWMARK_FIXTURES_DIR) / "leaks-index.dat";
    if (!std::filesystem::exists(leaks)) GTEST_SKIP() << "no real sample files here";
    const testing::TempDir dir;
    const std::string cut = dir.Path("cut.dat");
    const auto bytes = testing::ReadFile(leaks.string());
    testing::WriteFile(cut, testing::Buffer(bytes.begin(), bytes.begin() + 100'000));
    const std::string said = "tallowmark-cli: " + cut +
                             ": 391,520 bytes are missing (recorded size 491,520, file holds 100,000); the file was "
                             "read as far as it goes\n";
    const CliRun info = Cli({"info", cut});
    EXPECT_EQ(info.code, 0);
    EXPECT_EQ(info.err, said);
    EXPECT_NE(info.out.find("\nTruncated: recorded size 491,520, file holds 100,000\n"), std::string::npos);
    EXPECT_NE(Cli({"info", "--json", cut}).out.find(",\"file_holds\":100000,\"missing_bytes\":391520,"),
              std::string::npos);
    for (const char* command : {"export", "timeline"}) {
        const CliRun run = Cli({command, cut});
        EXPECT_EQ(run.code, 0) << command;
        EXPECT_EQ(run.err, said) << command;
    }
    const std::string timeline = Cli({"timeline", cut}).out;
    const std::string last = timeline.substr(timeline.rfind('\n', timeline.size() - 2) + 1);
    EXPECT_NE(last.find("\"partial\":true"), std::string::npos) << last;
}

// Each message names the thing once and says what is wrong with it.
TEST_F(CliTest, FailuresAndUsage) {
    const std::string none = m_dir.Path("none.dat"), text = m_dir.Path("text.dat"), empty = m_dir.Path("empty.dat");
    const std::string folder = m_dir.Root().string();
    testing::WriteFile(text, {'h', 'e', 'l', 'l', 'o'});
    testing::WriteFile(empty, {});
    for (const char* command : {"export", "info", "timeline"}) {
        SCOPED_TRACE(command);
        const CliRun missing = Cli({command, none});
        EXPECT_EQ(missing.code, 1);
        EXPECT_EQ(missing.err, "tallowmark-cli: " + none + " was not found\n");
        for (const std::string& notIndex : {text, empty})
            EXPECT_EQ(Cli({command, notIndex}).err, "tallowmark-cli: " + notIndex + " is not a cache index file\n");
        EXPECT_EQ(Cli({command, folder}).err.rfind("tallowmark-cli: " + folder + " is a folder; give an index file", 0),
                  0u);
    }
    EXPECT_EQ(Cli({"timeline", folder}).err,
              "tallowmark-cli: " + folder + " is a folder; give an index file, or use --find " + folder + "\n");
    EXPECT_EQ(Cli({"export", m_path, "-o", m_dir.Path("no/dir.csv")}).code, 1);

    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"export"}, {"export", m_path, "-o"}, {"export", "--bogus", m_path}, {"info"}}) {
        const CliRun usage = Cli(args);
        EXPECT_EQ(usage.code, 2);
        EXPECT_NE(usage.err.find("usage: tallowmark-cli"), std::string::npos);
    }
    EXPECT_EQ(Cli({"--version"}).out, "Tallowmark 2.1.0\n");
    EXPECT_EQ(Cli({"--help"}).code, 0);
}

// Every command explains itself; "--" ends the options, so that a file may start with "-".
TEST_F(CliTest, EachCommandsHelpAndTheEndOfTheOptions) {
    const std::string all = Cli({"--help"}).out;
    for (const char* command : {"export", "info", "timeline", "find", "carve"}) {
        SCOPED_TRACE(command);
        for (const char* help : {"--help", "-h"}) {
            const CliRun run = Cli({command, help});
            EXPECT_EQ(run.code, 0);
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(run.out.rfind(std::string("usage: tallowmark-cli ") + command + " ", 0), 0u) << run.out;
            // Its usage and its lines of the full help, nothing of the other commands.
            const std::string lines = run.out.substr(run.out.find("\n\n") + 2);
            EXPECT_NE(all.find(lines), std::string::npos) << run.out;
            EXPECT_EQ(lines.rfind(std::string("  ") + command + " ", 0), 0u) << run.out;
        }
    }
    const std::string dashed = m_dir.Path("-x.dat");
    std::filesystem::copy_file(m_path, dashed);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Root());
    const CliRun info = Cli({"info", "--", "-x.dat"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Name: -x.dat\n"), std::string::npos);
    EXPECT_EQ(Cli({"info", "-x.dat"}).code, 2) << "an option without --";
    EXPECT_EQ(Cli({"timeline", "--", "--help"}).err, "tallowmark-cli: --help was not found\n");
}

}  // namespace
}  // namespace tallowmark
