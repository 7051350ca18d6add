#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "platform/PrivateFolder.h"
#include "support/TempDir.h"

namespace tallowmark::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(PrivateFolder, OnlyAFolderOfTheUsersOwnAndNeverAShare) {
    TempDir dir;
    const fs::path runtime = dir.Root() / "runtime", cache = dir.Root() / "cache";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    EXPECT_EQ(UserPrivateFolder(runtime.string(), cache.string(), "app"), runtime.string());
    EXPECT_FALSE(fs::exists(cache));

    // A runtime folder others may enter, or a link to a good one, sends us to the cache,
    // where our folder is made closed to everyone else.
    const fs::path link = dir.Root() / "link";
    fs::create_directory_symlink(runtime, link);
    EXPECT_FALSE(IsPrivateFolder(link.string()));
    EXPECT_EQ(UserPrivateFolder(link.string(), cache.string(), "app"), (cache / "app").string());
    EXPECT_EQ(fs::status(cache / "app").permissions(), fs::perms::owner_all);
    fs::permissions(runtime, fs::perms::group_read | fs::perms::group_exec, fs::perm_options::add);
    EXPECT_FALSE(IsPrivateFolder(runtime.string()));

    // A folder we made that was opened up since, or replaced by a link, is not used.
    fs::permissions(cache / "app", fs::perms::others_all, fs::perm_options::add);
    EXPECT_EQ(UserPrivateFolder(runtime.string(), cache.string(), "app"), "");
    fs::remove(cache / "app");
    fs::create_directory_symlink(link, cache / "app");
    EXPECT_EQ(UserPrivateFolder(runtime.string(), cache.string(), "app"), "");

    // In a folder anyone may write to, another user could swap our folder for theirs.
    const fs::path shared = dir.Root() / "shared";
    fs::create_directories(shared / "app");
    fs::permissions(shared, fs::perms::all);
    fs::permissions(shared / "app", fs::perms::owner_all);
    EXPECT_FALSE(IsPrivateFolder((shared / "app").string()));

    if (::geteuid() == 0) {
        // Root started with another user's environment writes nothing in that user's home.
        const fs::path home = dir.Root() / "home";
        fs::create_directory(home);
        ASSERT_EQ(::chown(home.c_str(), 65534, 65534), 0);
        EXPECT_EQ(UserPrivateFolder("", (home / ".cache").string(), "app"), "");
        EXPECT_TRUE(fs::is_empty(home));
    }
}

}  // namespace
}  // namespace tallowmark::platform
