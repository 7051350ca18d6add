#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <thread>
#include <unistd.h>

#include "actions/DeleteOnRestart.h"
#include "platform/posix/TmpfilesEntries.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string TextOf(const fs::path& path) { return testing::ReadText(path.string()); }

std::string UserName(uid_t uid) { return ::getpwuid(uid)->pw_name; }

class BootDeletionTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(TmpfilesFolder()); }
    fs::path TmpfilesFolder() const { return m_root.Root() / "etc/tmpfiles.d"; }
    fs::path EntriesFile() const { return TmpfilesFolder() / "tallowmark-delete.conf"; }
    std::string Root() const { return m_root.Root().string(); }

    TempDir m_root;
};

TEST(TmpfilesEntries, NamesSurviveQuotingAndOnlyExactEntriesCount) {
    for (const std::string path : {"/d/plain.dat", "/d/a b/index.dat", "/d/q\"uote", "/d/back\\slash", "/d/st*r?[1]",
                                   "/d/br{a,b}", "/d/100%h", "/d/it's", "/d/caf\xC3\xA9", "/d/\xE9"}) {
        const auto line = tmpfiles::RemovalLine(path);
        ASSERT_TRUE(line) << path;
        EXPECT_EQ(line->find('\n'), std::string::npos);
        EXPECT_EQ(tmpfiles::RemovedPath(*line), path) << *line;
    }
    EXPECT_EQ(*tmpfiles::RemovalLine("/d/a\"b"), R"(r! "/d/a\"b")");
    EXPECT_EQ(*tmpfiles::RemovalLine("/d/*"), R"(r! "/d/\\*")");

    // A line break in a name must never start an entry of its own.
    for (const std::string& path :
         std::vector<std::string>{"/d/x\nR /home", "/d/x\rR /home", std::string("/d/x\0y", 6), "/d/\x7F", "/d/\t"})
        EXPECT_FALSE(tmpfiles::RemovalLine(path));
    for (const std::string path : {"", "relative/index.dat", "/", "/d/../etc", "/d/./x", "/d//x", "/d/"})
        EXPECT_FALSE(tmpfiles::RemovalLine(path)) << path;

    // Lines that remove anything but one exact file name none.
    for (const char* line : {"# r! \"/d/x\"", "R \"/home\"", "r! \"/d/*\"", "r! \"/d/{a,b}\"", "r! /d/x", "r! \"/d/x",
                             "r! \"/d/x\" extra", "x \"/d/x\"", "r! \"/d/\\q\"", "r! \"/d/%h\"", "r! \"relative\""})
        EXPECT_FALSE(tmpfiles::RemovedPath(line)) << line;
    EXPECT_EQ(tmpfiles::RemovedPath("r \"/d/x\"\r"), "/d/x");
}

TEST_F(BootDeletionTest, ScheduledMeansThisFileAndEarlierEntriesStay) {
    const std::string first = "/data/a b/index.dat";
    const std::string second = "/data/other/index.dat";
    EXPECT_FALSE(IsScheduledForDeletionAtBoot(first, Root()));
    ASSERT_TRUE(ScheduleDeletionAtBoot(first, Root()));
    EXPECT_TRUE(IsScheduledForDeletionAtBoot(first, Root()));
    for (const char* near :
         {"/data/a b/index.da", "/data/a b/index.dat.old", "/data/a b", "/data/A B/index.dat", "/x/data/a b/index.dat"})
        EXPECT_FALSE(IsScheduledForDeletionAtBoot(near, Root())) << near;

    ASSERT_TRUE(ScheduleDeletionAtBoot(second, Root()));
    ASSERT_TRUE(ScheduleDeletionAtBoot(first, Root()));
    EXPECT_TRUE(IsScheduledForDeletionAtBoot(first, Root()));
    EXPECT_TRUE(IsScheduledForDeletionAtBoot(second, Root()));
    const std::string text = TextOf(EntriesFile());
    EXPECT_EQ(text.find("r! \"/data/a b/index.dat\""), text.rfind("r! \"/data/a b/index.dat\""));
    EXPECT_NE(text.find("r! \"/etc/tmpfiles.d/tallowmark-delete.conf\""), std::string::npos);
    EXPECT_EQ(fs::status(EntriesFile()).permissions() & fs::perms::all, fs::perms(0644));
}

TEST_F(BootDeletionTest, RefusedRequestsNameTheFileAndWriteNothing) {
    const std::string hostile = "/data/x\nR /home";
    EXPECT_EQ(ScheduleDeletionAtBoot(hostile, Root()).error, BootDeletionError::BadName);
    EXPECT_FALSE(fs::exists(EntriesFile()));

    ASSERT_TRUE(ScheduleDeletionAtBoot("/data/kept.dat", Root()));
    const std::string before = TextOf(EntriesFile());
    // Nowhere to write: the folder is a file.
    TempDir broken;
    fs::create_directories(broken.Root() / "etc");
    std::ofstream(broken.Root() / "etc/tmpfiles.d") << "not a folder";
    EXPECT_EQ(ScheduleDeletionAtBoot("/data/index.dat", broken.Root().string()).error, BootDeletionError::Failed);
    EXPECT_FALSE(IsScheduledForDeletionAtBoot("/data/index.dat", broken.Root().string()));
    EXPECT_EQ(TextOf(EntriesFile()), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(TmpfilesFolder()), fs::directory_iterator()), 1);
}


TEST_F(BootDeletionTest, SystemdTmpfilesRemovesExactlyTheScheduledFilesAtBoot) {
    const char* tool = "/usr/bin/systemd-tmpfiles";
    if (!fs::exists(tool)) GTEST_SKIP() << "systemd-tmpfiles is not installed";
    const fs::path data = m_root.Root() / "data";
    fs::create_directories(data);
    const std::vector<std::string> doomed = {"in dex.dat", "q\"uote", "back\\slash", "st*r", "{a,b}", "100%h"};
    const std::vector<std::string> kept = {"in dex.dat.old", "a", "b", "stXr", "100%", "keep"};
    for (const auto& names : {doomed, kept})
        for (const std::string& name : names) std::ofstream(data / name) << "x";
    for (const std::string& name : doomed) ASSERT_TRUE(ScheduleDeletionAtBoot("/data/" + name, Root())) << name;

    const std::string run = std::string(tool) + " --root='" + Root() + "' --remove";
    ASSERT_EQ(std::system((run + " 2>/dev/null").c_str()), 0);
    for (const std::string& name : doomed) EXPECT_TRUE(fs::exists(data / name)) << "not at boot: " << name;
    ASSERT_EQ(std::system((run + " --boot").c_str()), 0);
    for (const std::string& name : doomed) EXPECT_FALSE(fs::exists(data / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(data / name)) << name;
    EXPECT_FALSE(fs::exists(EntriesFile())) << "each request is carried out once";
}

TEST_F(BootDeletionTest, RequestsMadeAtTheSameTimeAreAllRecorded) {
    constexpr int kRequesters = 4, kEach = 40;
    std::atomic<int> failed{0};
    std::vector<std::thread> requesters;
    for (int r = 0; r < kRequesters; ++r)
        requesters.emplace_back([&, r] {
            for (int i = 0; i < kEach; ++i)
                if (!ScheduleDeletionAtBoot("/data/" + std::to_string(r) + "/" + std::to_string(i), Root())) ++failed;
        });
    for (std::thread& requester : requesters) requester.join();
    EXPECT_EQ(failed, 0);
    for (int r = 0; r < kRequesters; ++r)
        for (int i = 0; i < kEach; ++i)
            EXPECT_TRUE(IsScheduledForDeletionAtBoot("/data/" + std::to_string(r) + "/" + std::to_string(i), Root()))
                << r << "/" << i;
}

TEST_F(BootDeletionTest, AFolderSomeoneElseCouldSwapForALinkIsRefused) {
    // Anyone may write to "shared": they could put a link to another folder in place of
    // "docs" before the boot, and root would delete that folder's index.dat.
    const fs::path shared = m_root.Root() / "shared", secret = m_root.Root() / "secret";
    for (const fs::path& folder : {shared / "docs", secret, m_root.Root() / "tmp/mine"}) fs::create_directories(folder);
    for (const fs::path& file : {shared / "docs/index.dat", secret / "index.dat", m_root.Root() / "tmp/mine/index.dat"})
        std::ofstream(file) << "x";
    fs::permissions(shared, fs::perms::all);
    const BootDeletionResult refused = ScheduleDeletionAtBoot("/shared/docs/index.dat", Root());
    EXPECT_EQ(refused.error, BootDeletionError::ChangeableFolder);
    EXPECT_EQ(refused.folder, "/shared");
    EXPECT_EQ(refused.owner, UserName(::geteuid()));
    EXPECT_EQ(BootDeletionMessage(refused, "/shared/docs/index.dat"),
              "/shared/docs/index.dat could not be scheduled for deletion when the system restarts: the folder "
              "/shared (owner: " +
                  UserName(::geteuid()) +
                  ") can be changed by users other than root, who could "
                  "have another file deleted in its place.");
    if (::geteuid() == 0) {
        // A folder of another user's, which only root can make here.
        fs::permissions(shared, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
        ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
        EXPECT_EQ(ScheduleDeletionAtBoot("/shared/docs/index.dat", Root()).owner, UserName(65534));
    }
    // In a sticky folder such as /tmp nobody else can move what is ours; a link on the way is refused.
    fs::permissions(m_root.Root() / "tmp", fs::perms::all | fs::perms::sticky_bit);
    ASSERT_TRUE(ScheduleDeletionAtBoot("/tmp/mine/index.dat", Root()));
    fs::create_directory_symlink("tmp/mine", m_root.Root() / "link");
    const BootDeletionResult linked = ScheduleDeletionAtBoot("/link/index.dat", Root());
    EXPECT_EQ(linked.error, BootDeletionError::LinkOnPath);
    EXPECT_EQ(linked.folder, "/link");

    // The swap, then the boot: only the file scheduled goes.
    const char* tool = "/usr/bin/systemd-tmpfiles";
    if (!fs::exists(tool)) GTEST_SKIP() << "systemd-tmpfiles is not installed";
    fs::rename(shared / "docs", shared / "old");
    fs::create_directory_symlink("../secret", shared / "docs");
    ASSERT_EQ(std::system((std::string(tool) + " --root='" + Root() + "' --remove --boot").c_str()), 0);
    EXPECT_FALSE(fs::exists(m_root.Root() / "tmp/mine/index.dat"));
    EXPECT_TRUE(fs::exists(secret / "index.dat"));
}

}  // namespace
}  // namespace tallowmark::platform
