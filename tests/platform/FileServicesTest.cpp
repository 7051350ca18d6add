#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "cli/CliRun.h"
#include "model/TallowmarkDoc.h"
#include "platform/NativePath.h"
#include "platform/OutputFile.h"
#include "platform/ProgramModule.h"
#include "presentation/CsvExport.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

using testing::IndexFileBuilder;

TEST(NativePath, SeparatorsForTheUser) {
    EXPECT_EQ(WithWindowsSeparators("C:/Users/Ann/index.dat"), "C:\\Users\\Ann\\index.dat");
    EXPECT_EQ(WithWindowsSeparators("//server/share/index.dat"), "\\\\server\\share\\index.dat");
    EXPECT_EQ(WithWindowsSeparators("C:\\already\\native"), "C:\\already\\native");
#ifdef _WIN32
    EXPECT_EQ(NativeSeparators("C:/Users/Ann"), "C:\\Users\\Ann");
    EXPECT_EQ(FileNameOf("C:\\Users/Ann\\index.dat"), "index.dat");
    EXPECT_EQ(FolderOf("C:\\Users/Ann\\index.dat"), "C:\\Users/Ann");
    EXPECT_EQ(FolderOf("C:\\index.dat"), "C:\\");
#else
    EXPECT_EQ(NativeSeparators("/home/ann/odd\\name.dat"), "/home/ann/odd\\name.dat");
    // A backslash is a character of a name here.
    EXPECT_EQ(FileNameOf("/home/ann/odd\\name.dat"), "odd\\name.dat");
    EXPECT_EQ(FolderOf("/home/ann/odd\\name.dat"), "/home/ann");
    EXPECT_EQ(FolderOf("/index.dat"), "/");
#endif
    EXPECT_EQ(FileNameOf("index.dat"), "index.dat");
    EXPECT_EQ(FolderOf("index.dat"), "");
}

// Names outside every ANSI code page: on Windows they must reach the system as UTF-16.
TEST(FileServices, NonAsciiPathsOpenSaveAndExport) {
    testing::TempDir dir;
    const std::string folder = Utf8FromPath(dir.Root() / PathFromUtf8("Überprüfung κόσμος"));
    ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(folder)));
    const std::string source = folder + "/index-ü.dat";
    const std::string copy = folder + "/kopie-ξ.dat";
    const std::string csv = folder + "/liste-ж.csv";
    IndexFileBuilder().Hash().Url({.url = "http://u/", .fileName = "u.htm"}).WriteTo(source);

    TallowmarkDoc document;
    ASSERT_TRUE(document.OnOpenDocument(source));
    EXPECT_EQ(document.Title(), "index-ü.dat");
    ASSERT_TRUE(ExportCsv(csv, document, ViewOptions{}));
    ASSERT_TRUE(document.SaveAs(copy));
    EXPECT_EQ(document.Title(), "kopie-ξ.dat");
    EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(csv)));
    TallowmarkDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(copy));
    EXPECT_EQ(reread.RecordCount(), 2u);
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(folder)), folder);
}

// The check reads back the whole new file before it takes the target's place; a file it
// refuses is removed and the old target kept.
TEST(FileServices, AWrittenFileThatItsCheckRefusesNeverReplacesTheTarget) {
    testing::TempDir dir;
    const std::string target = dir.Path("copy.dat");
    testing::WriteFile(target, {'o', 'l', 'd'});
    platform::OutputFile output;
    ASSERT_TRUE(output.Open(target, {}).ok());
    output.Stream() << "new bytes";
    std::string seen;
    const platform::WriteStatus committed = output.Commit([&](const std::string& written) {
        seen = testing::ReadText(written);
        return false;
    });
    EXPECT_EQ(committed.error, platform::WriteError::NotAsWritten);
    EXPECT_EQ(seen, "new bytes");
    EXPECT_EQ(testing::ReadText(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 1);
}

#ifndef _WIN32
// A write that fails midway (a file-size limit here, as a full disk would) keeps the old
// target byte for byte and leaves no unfinished file beside it: in the command line and
// the desktop's Save As and Export alike. A write that succeeds keeps the target's mode.
TEST(FileServices, AFailedWriteKeepsTheOldTargetAndLeavesNothingBehind) {
    testing::TempDir dir;
    const std::string source = dir.Path("index.dat"), target = dir.Path("out.csv");
    IndexFileBuilder builder;
    builder.Hash();
    for (int i = 0; i < 40; ++i) builder.Url({.url = "http://a-long-enough-address.example/" + std::to_string(i)});
    builder.WriteTo(source);
    const testing::Buffer old = {'o', 'l', 'd', '\n'};
    testing::WriteFile(target, old);
    ::chmod(target.c_str(), 0640);

    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{4096, 4096};  // every output here is longer
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int failed = 0;
        const testing::CliRun run = testing::Cli({"export", source, "-o", target});
        if (run.code != 1 || run.err != "tallowmark-cli: " + target + ": File too large\n") failed |= 1;
        TallowmarkDoc document;
        if (!document.OnOpenDocument(source)) failed |= 2;
        if (ExportCsv(target, document, ViewOptions{}).message != kMsgFailedToSave) failed |= 4;
        if (document.SaveAs(target).message != kMsgFailedToSave || document.PathName() != source) failed |= 8;
        ::_exit(failed);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1 CLI, 2 open, 4 export, 8 Save As";
    EXPECT_EQ(testing::ReadFile(target), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 2);

    ASSERT_EQ(testing::Cli({"export", source, "-o", target}).code, 0);
    EXPECT_GT(testing::ReadFile(target).size(), 4096u);
    struct stat written {};
    ASSERT_EQ(::stat(target.c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 0777, 0640u);
}

// A carve extracts found files while its timeline is written, each output on its own
// thread: a signal in the middle leaves none of their temporaries behind.
TEST(FileServices, ASignalRemovesEveryUnfinishedOutput) {
    testing::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        platform::RemoveUnfinishedOutputOnSignals();
        constexpr int kOutputs = 6;
        static std::atomic<int> open{0};
        for (int i = 0; i < kOutputs; ++i)
            std::thread([&dir, &ready, i] {
                platform::OutputFile output;
                if (!output.Open(dir.Path("out" + std::to_string(i)), {}).ok()) ::_exit(2);
                output.Stream() << "unfinished";
                output.Stream().flush();
                if (++open == kOutputs && ::write(ready[1], "r", 1) != 1) ::_exit(3);
                for (;;) ::pause();
            }).detach();
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the outputs did not open";
    ::close(ready[0]);
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 6);
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 0);
}
#endif

TEST(ProgramModules, AreNeverTakenFromTheFolderTheProgramRunsIn) {
    // Someone else's library, where a program that searched the current folder would find it.
    testing::TempDir dir;
    testing::WriteFile(dir.Path("tallowmark-planted.so"), {0x7F, 'E', 'L', 'F'});
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path(""));
    const platform::ProgramModule module = platform::LoadProgramModule("tallowmark-planted.so", "entry");
    const bool found = platform::HasProgramModule("tallowmark-planted.so");
    std::filesystem::current_path(was);
    EXPECT_EQ(module.entry, nullptr);
    EXPECT_FALSE(found);
    EXPECT_EQ(module.error.find(dir.Path("")), std::string::npos) << module.error;
}

}  // namespace
}  // namespace tallowmark
