#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

#include "discovery/FoundFileList.h"
#include "discovery/IndexFileSearch.h"
#include "platform/DirectoryReader.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tallowmark {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using Message = std::pair<FindFilesMessage, std::string>;

constexpr char kSep = platform::kPathSeparator;

struct RecordingSink : FindFilesSink {
    std::vector<Message> messages;
    std::vector<std::string> passedOver;
    std::size_t stopAtFound = 0;  // raise the stop flag on this find (1-based); 0: never

    void Send(FindFilesMessage message, std::string text) override {
        messages.emplace_back(message, std::move(text));
        if (message == WM_FINDFILES_FOUND && Found().size() == stopAtFound) g_bStopSearch = true;
    }
    void PassedOver(const std::string& directory, const std::string&) override { passedOver.push_back(directory); }

    std::vector<std::string> Found() const {
        std::vector<std::string> found;
        for (const auto& [message, text] : messages)
            if (message == WM_FINDFILES_FOUND) found.push_back(text);
        return found;
    }
};

class IndexFileSearch : public ::testing::Test {
protected:
    void SetUp() override { g_bStopSearch = false; }
    void TearDown() override { g_bStopSearch = false; }

    std::string Make(const std::string& relative, bool directory = false) {
        const fs::path path = (m_dir.Root() / relative).make_preferred();
        fs::create_directories(directory ? path : path.parent_path());
        if (!directory) std::ofstream(path) << "x";
        return path.string();
    }
    std::string Root() const { return m_dir.Root().string(); }
    std::string Dir(const std::string& relative) const {
        return (relative.empty() ? Root() : (m_dir.Root() / relative).make_preferred().string()) + kSep;
    }

    TempDir m_dir;
};

// The path a message speaks of: the found file, or the directory being scanned.
std::string Subject(const Message& message) {
    return message.first == WM_FINDFILES_STATUS ? message.second.substr(std::string(kScanningPrefix).size())
                                                : message.second;
}

TEST_F(IndexFileSearch, FindsEveryLetterCaseEntersDirectoriesOfThatNameAndKeepsTheOrder) {
    const std::string lower = Make("a/index.dat"), upper = Make("c/INDEX.DAT"), mixed = Make("b/deep/Index.Dat");
    const std::string inNamedDir = Make("index.dat/index.dat");
    for (const char* miss : {"b/index.dat.bak", "b/myindex.dat", "b/index.da", "c/indexxdat"}) Make(miss);
    Make("empty", true);

    RecordingSink sink;
    EXPECT_EQ(FindFilesThreadProc(&sink, {{Root()}, {}}), 0);

    std::vector<std::string> found = sink.Found();
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected = {lower, upper, mixed, inNamedDir};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);

    ASSERT_GE(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages.front(), Message(WM_FINDFILES_STATUS, kScanningPrefix + Dir("")));
    EXPECT_EQ(sink.messages.back(), Message(WM_FINDFILES_DONE, ""));
    // Depth first: a directory's status comes before everything in it, and everything in
    // it comes before anything outside it.
    for (std::size_t i = 0; i + 1 < sink.messages.size(); ++i) {
        if (sink.messages[i].first != WM_FINDFILES_STATUS) continue;
        const std::string dir = Subject(sink.messages[i]);
        std::size_t last = i;
        for (std::size_t j = i + 1; j + 1 < sink.messages.size(); ++j)
            if (Subject(sink.messages[j]).starts_with(dir)) last = j;
        for (std::size_t j = i + 1; j <= last; ++j)
            EXPECT_TRUE(Subject(sink.messages[j]).starts_with(dir)) << sink.messages[j].second << " inside " << dir;
    }
    for (const std::string& dir : {Dir("a"), Dir("b"), Dir("b/deep"), Dir("index.dat"), Dir("empty")})
        EXPECT_EQ(
            std::count(sink.messages.begin(), sink.messages.end(), Message(WM_FINDFILES_STATUS, kScanningPrefix + dir)),
            1)
            << dir;
    EXPECT_TRUE(sink.passedOver.empty());
    EXPECT_EQ(FindFilesThreadProc(nullptr, {{Root()}, {}}), 1);
}

TEST_F(IndexFileSearch, StopEndsADeepWalkAtOnceWithoutDoneAfterDeliveringEarlierFinds) {
    std::string chain;
    for (int level = 0; level < 40; ++level) {
        chain += "level" + std::to_string(level) + "/";
        Make(chain + "index.dat");
        Make(chain + "side/index.dat");
    }
    RecordingSink sink;
    sink.stopAtFound = 7;
    EXPECT_EQ(FindFilesThreadProc(&sink, {{Root(), Root()}, {}}), 0);
    // Nothing at all after the find that raised the flag: no entry, no root, no done.
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages.back().first, WM_FINDFILES_FOUND);
    EXPECT_EQ(sink.Found().size(), 7u);

    RecordingSink early;
    g_bStopSearch = true;
    EXPECT_EQ(FindFilesThreadProc(&early, {{Root()}, {}}), 0);
    EXPECT_TRUE(early.messages.empty());
}

#ifndef _WIN32
TEST_F(IndexFileSearch, DirectoryLinksAndFencedMountPointsAreNotEntered) {
    const std::string real = Make("a/index.dat");
    Make("mnt/other/index.dat");
    fs::create_directory_symlink(m_dir.Root(), m_dir.Root() / "a" / "loop");
    fs::create_directory_symlink(m_dir.Root() / "mnt", m_dir.Root() / "a" / "elsewhere");

    RecordingSink sink;
    SearchDirectory(Root(), sink, {(m_dir.Root() / "mnt").string()});
    EXPECT_EQ(sink.Found(), std::vector<std::string>{real});
    std::vector<Message> statuses;
    for (const Message& message : sink.messages)
        if (message.first == WM_FINDFILES_STATUS) statuses.push_back(message);
    EXPECT_EQ(statuses, (std::vector<Message>{{WM_FINDFILES_STATUS, kScanningPrefix + Dir("")},
                                              {WM_FINDFILES_STATUS, kScanningPrefix + Dir("a")}}));
}

// Root lists any directory whatever its mode, so under root the walk runs in a child
// process that has become "nobody" and writes what it saw to a pipe.
TEST_F(IndexFileSearch, UnreadableDirectoriesArePassedOverAndTheWalkGoesOn) {
    const std::string visible = Make("open/index.dat");
    Make("locked/index.dat");
    Make("locked/inner/index.dat");
    fs::permissions(m_dir.Root() / "locked", fs::perms::none);

    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        RecordingSink sink;
        FindFilesThreadProc(&sink, {{Root()}, {}});
        std::string report;
        for (const std::string& path : sink.Found()) report += "found " + path + "\n";
        for (const std::string& path : sink.passedOver) report += "passed over " + path + "\n";
        if (sink.messages.back().first == WM_FINDFILES_DONE) report += "done\n";
        _exit(write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0 : 3);
    }
    close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, got);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(report, "found " + visible + "\npassed over " + Dir("locked") + "\ndone\n");
}

TEST(SearchRoots, MountTableGivesRealFileSystemsInPathOrderAndFencesEveryMountPoint) {
    TempDir dir;
    std::ofstream(dir.Path("mounts")) << "proc /proc proc rw 0 0\n"
                                         "/dev/sdb1 /home ext4 rw 0 0\n"
                                         "sysfs /sys sysfs rw 0 0\n"
                                         "tmpfs /sys/fs/cgroup tmpfs ro 0 0\n"
                                         "cgroup2 /sys/fs/cgroup/unified cgroup2 rw 0 0\n"
                                         "devtmpfs /dev devtmpfs rw 0 0\n"
                                         "tmpfs /dev/shm tmpfs rw 0 0\n"
                                         "/dev/sda1 / ext4 rw 0 0\n"
                                         "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                                         "/dev/sr1 /media/dvd udf ro 0 0\n"
                                         "server:/x /mnt/My\\040Share nfs4 rw 0 0\n"
                                         "tmpfs /tmp tmpfs rw 0 0\n"
                                         "/dev/sdc1 /home ext4 rw 0 0\n"
                                         "broken line\n";
    const platform::SearchRoots where = platform::MountedSearchRoots(dir.Path("mounts"));
    EXPECT_EQ(where.roots, (std::vector<std::string>{"/", "/home", "/mnt/My Share", "/tmp"}));
    EXPECT_EQ(where.fences,
              (std::vector<std::string>{"/", "/dev", "/dev/shm", "/home", "/media/cdrom", "/media/dvd", "/mnt/My Share",
                                        "/proc", "/sys", "/sys/fs/cgroup", "/sys/fs/cgroup/unified", "/tmp"}));
    EXPECT_EQ(platform::MountedSearchRoots(dir.Path("absent")).roots, std::vector<std::string>{"/"});
    // A folder's search enters the real file systems mounted below it, none of the others.
    const platform::SearchRoots folder = FolderSearchRoots("/", where);
    EXPECT_EQ(folder.roots, std::vector<std::string>{"/"});
    EXPECT_EQ(folder.fences, (std::vector<std::string>{"/dev", "/dev/shm", "/media/cdrom", "/media/dvd", "/proc", "/sys",
                                                       "/sys/fs/cgroup", "/sys/fs/cgroup/unified"}));
}
#endif

}  // namespace
}  // namespace tallowmark
