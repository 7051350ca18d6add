#include <gtest/gtest.h>

#include <filesystem>

#include "actions/DeleteOnRestart.h"
#include "model/Outcome.h"
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
    EXPECT_EQ(ScheduleDeleteOnRestart(link, dir.Root().string()), "");
    EXPECT_TRUE(IsDeleteOnRestartScheduled(file, dir.Root().string()));
    EXPECT_TRUE(IsDeleteOnRestartScheduled(link, dir.Root().string()));
    // A refusal names the file that would have been deleted.
    EXPECT_EQ(ScheduleDeleteOnRestart(link, dir.Path("nowhere")),
              FormatMessage(kBootDeletionFailed, fs::canonical(file).string()));
}

}  // namespace
}  // namespace tallowmark
