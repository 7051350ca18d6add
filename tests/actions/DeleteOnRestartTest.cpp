#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <unistd.h>

#include "actions/DeleteOnRestart.h"
#include "model/Outcome.h"
#include "model/TallowmarkDoc.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

namespace fs = std::filesystem;

// Removing a link at boot would leave the evidence in place: the file itself is scheduled.
TEST(DeleteOnRestart, ADocumentOpenedThroughALinkSchedulesTheFileItself) {
    testing::TempDir dir;
    fs::create_directories(dir.Root() / "etc/tmpfiles.d");
    fs::create_directories(dir.Root() / "cases");
    const std::string file = dir.Path("cases/index.dat");
    testing::WriteFile(file, {'x'});
    fs::create_symlink(file, dir.Root() / "link.dat");
    const std::string link = dir.Path("link.dat");

    EXPECT_EQ(FileToDeleteOnRestart(link), fs::canonical(file).string());
    EXPECT_EQ(ScheduleDeleteOnRestart(link, platform::IdentityOf(file), dir.Root().string()), "");
    EXPECT_TRUE(IsDeleteOnRestartScheduled(file, dir.Root().string()));
    EXPECT_TRUE(IsDeleteOnRestartScheduled(link, dir.Root().string()));
    // A refusal names the file that would have been deleted.
    EXPECT_EQ(ScheduleDeleteOnRestart(link, platform::IdentityOf(file), dir.Path("nowhere")),
              FormatMessage(kBootDeletionFailed, fs::canonical(file).string()));
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(entry.path().lexically_relative(folder).string());
    return names;
}

// Root opens index.dat through a link; the link is pointed at another file before Delete
// on Restart. Only the very file that was read is ever scheduled, and nothing is scheduled
// through a link that someone else could point elsewhere at any time.
TEST(DeleteOnRestart, OnlyTheFileThatWasReadIsScheduled) {
    testing::TempDir dir;
    const fs::path root = dir.Root();
    for (const char* folder : {"etc/tmpfiles.d", "cases", "public"}) fs::create_directories(root / folder);
    fs::permissions(root / "public", fs::perms::all | fs::perms::sticky_bit);
    const std::string evidence = dir.Path("cases/index.dat"), victim = dir.Path("etc/victim");
    testing::IndexFileBuilder().Hash(1).WriteTo(evidence);
    testing::WriteFile(victim, {'x'});
    const fs::path link = root / "link.dat";
    fs::create_symlink(evidence, link);
    TallowmarkDoc document;
    ASSERT_TRUE(document.OnOpenDocument(link.string()));

    fs::remove(link);
    fs::create_symlink(victim, link);
    EXPECT_EQ(ScheduleDeleteOnRestart(document.PathName(), document.Identity(), root.string()),
              FormatMessage(kBootDeletionNotTheFileOpened, link.string()));
    EXPECT_FALSE(IsDeleteOnRestartScheduled(link.string(), root.string()));
    if (::geteuid() == 0) {
        // Another user's link in a sticky folder such as /tmp is theirs to point anywhere.
        const fs::path theirs = root / "public/index.dat";
        fs::create_symlink(evidence, theirs);
        ASSERT_EQ(::lchown(theirs.c_str(), 65534, 65534), 0);
        TallowmarkDoc other;
        ASSERT_TRUE(other.OnOpenDocument(theirs.string()));
        EXPECT_EQ(ScheduleDeleteOnRestart(other.PathName(), other.Identity(), root.string()),
                  FormatMessage(kBootDeletionChangeableLink, {theirs.string(), theirs.string()}));
    }
    fs::remove(link);
    fs::create_symlink(evidence, link);
    EXPECT_EQ(ScheduleDeleteOnRestart(document.PathName(), document.Identity(), root.string()), "");

    // The boot: the file that was read goes, and nothing else.
    const char* tool = "/usr/bin/systemd-tmpfiles";
    if (!fs::exists(tool)) GTEST_SKIP() << "systemd-tmpfiles is not installed";
    std::set<std::string> kept = Listing(root);
    kept.erase("cases/index.dat");
    kept.erase("etc/tmpfiles.d/tallowmark-delete.conf");
    ASSERT_EQ(std::system((std::string(tool) + " --root='" + root.string() + "' --remove --boot").c_str()), 0);
    EXPECT_EQ(Listing(root), kept);
}

}  // namespace
}  // namespace tallowmark
