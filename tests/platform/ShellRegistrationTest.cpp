#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "platform/ShellRegistration.h"
#include "platform/posix/DesktopFiles.h"
#include "support/EnvironmentScope.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string TextOf(const fs::path& path) { return testing::ReadText(path.string()); }

ino_t Inode(const fs::path& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_ino;
}

TEST(ShellRegistration, TypeByNameAndContentAndAQuotedExecWrittenOnlyWhenChanged) {
    TempDir root;
    const fs::path package = root.Root() / "mime/packages/tallowmark.xml";
    const fs::path entry = root.Root() / "applications/tallowmark.desktop";
    const std::string exe = "/opt/My \"Apps\"/$bin\\50%/tallowmark";
    DocumentType type;
    type.iconSvg = "<svg/>";
    const RegistrationResult first = RegisterDocumentType(exe, root.Root().string(), type);
    EXPECT_TRUE(first.ok);
    EXPECT_TRUE(first.changed);

    const std::string mime = TextOf(package);
    EXPECT_NE(mime.find(R"(<mime-type type="application/x-tallowmark-index">)"), std::string::npos);
    EXPECT_NE(mime.find("<comment>Index Document</comment>"), std::string::npos);
    EXPECT_NE(mime.find(R"(<glob pattern="index.dat" case-sensitive="false"/>)"), std::string::npos);
    EXPECT_NE(mime.find(R"(<match type="string" offset="0" value="Client UrlCache MMF Ver"/>)"), std::string::npos);
    EXPECT_EQ(mime.find("*.dat"), std::string::npos);

    const std::string desktop = TextOf(entry);
    EXPECT_NE(desktop.find("\nExec=\"/opt/My \\\\\"Apps\\\\\"/\\\\$bin\\\\\\\\50%%/tallowmark\" /dde %F\n"),
              std::string::npos)
        << desktop;
    EXPECT_NE(desktop.find("\nMimeType=application/x-tallowmark-index;\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nIcon=tallowmark\n"), std::string::npos);
    EXPECT_EQ(TextOf(root.Root() / "icons/hicolor/scalable/apps/tallowmark.svg"), "<svg/>");
    EXPECT_FALSE(fs::exists(root.Root() / "applications/mimeapps.list"));

    // Once the desktop knows the type, an unchanged registration writes nothing.
    fs::create_directories(root.Root() / "mime/application");
    std::ofstream(root.Root() / "mime/application/x-tallowmark-index.xml") << "built";
    const ino_t packageInode = Inode(package);
    const ino_t entryInode = Inode(entry);
    EXPECT_FALSE(RegisterDocumentType(exe, root.Root().string()).changed);
    EXPECT_EQ(Inode(package), packageInode);
    EXPECT_EQ(Inode(entry), entryInode);

    std::ofstream(entry) << "[Desktop Entry]\nExec=/old/place/tallowmark\n";
    const RegistrationResult moved = RegisterDocumentType(exe, root.Root().string());
    EXPECT_TRUE(moved.ok && moved.changed);
    EXPECT_EQ(TextOf(entry), desktop);
    EXPECT_EQ(Inode(package), packageInode);

    TempDir untouched;
    EXPECT_FALSE(RegisterDocumentType("/opt/x\n/tallowmark", untouched.Root().string()).ok);
    EXPECT_FALSE(RegisterDocumentType("tallowmark", untouched.Root().string()).ok);
    EXPECT_FALSE(RegisterDocumentType("/opt/tallowmark", "relative").ok);
    EXPECT_TRUE(fs::is_empty(untouched.Root()));
}

TEST(ShellRegistration, AnInstalledEntryForThisVeryProgramAndItsTypeMakeTheUserCopiesNeedless) {
    TempDir place;
    const std::string local = (place.Root() / "local").string(), shared = (place.Root() / "shared").string();
    const auto install = [](const std::string& folder, const std::string& exe, bool withType) {
        fs::create_directories(folder + "/applications");
        std::ofstream(folder + "/applications/tallowmark.desktop") << *DesktopEntry(exe, {});
        if (!withType) return;
        fs::create_directories(folder + "/mime/packages");
        std::ofstream(folder + "/mime/packages/tallowmark.xml") << MimePackage({});
    };
    install(shared, "/usr/bin/tallowmark", true);
    EXPECT_TRUE(IsRegisteredSystemWide("/usr/bin/tallowmark", {local, shared}));
    EXPECT_FALSE(IsRegisteredSystemWide("/home/me/src/build/tallowmark", {local, shared}));
    EXPECT_FALSE(IsRegisteredSystemWide("/usr/bin/tallowmark", {local}));
    EXPECT_FALSE(IsRegisteredSystemWide("/usr/bin/tallowmark", {"relative/" + shared}));

    // The entry the desktop reads first decides; the type may come from any folder.
    install(local, "/usr/local/bin/tallowmark", false);
    EXPECT_FALSE(IsRegisteredSystemWide("/usr/bin/tallowmark", {local, shared}));
    EXPECT_TRUE(IsRegisteredSystemWide("/usr/local/bin/tallowmark", {local, shared}));
    fs::remove(shared + "/mime/packages/tallowmark.xml");
    EXPECT_FALSE(IsRegisteredSystemWide("/usr/local/bin/tallowmark", {local, shared}));

    testing::EnvironmentScope environment;
    environment.Set("XDG_DATA_DIRS", "share::/opt/share/:/usr/share");
    EXPECT_EQ(SystemDataFolders(), (std::vector<std::string>{"/opt/share/", "/usr/share"}));
    environment.Set("XDG_DATA_DIRS", "");
    EXPECT_EQ(SystemDataFolders(), (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
}

TEST(ShellRegistration, RootRegistersOnlyWhereEverythingIsRoots) {
    if (::geteuid() != 0) GTEST_SKIP() << "runs as root only";
    // `sudo -E` keeps the user's HOME and XDG_DATA_HOME: root must leave that home alone.
    TempDir dir;
    const fs::path home = dir.Root() / "alice", rootHome = dir.Root() / "root";
    fs::create_directories(home / ".local/share");
    fs::create_directories(rootHome);
    for (const fs::path& folder : {home, home / ".local", home / ".local/share"})
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    const std::string userShare = (home / ".local/share").string();
    EXPECT_FALSE(MayRegisterIn(userShare, home.string()));
    EXPECT_FALSE(MayRegisterIn(userShare, rootHome.string()));
    EXPECT_FALSE(MayRegisterIn((rootHome / ".local/share").string(), home.string()));
    fs::create_directory_symlink(home / ".local", rootHome / ".local");
    EXPECT_FALSE(MayRegisterIn((rootHome / ".local/share").string(), rootHome.string()));
    fs::remove(rootHome / ".local");
    EXPECT_TRUE(MayRegisterIn((rootHome / ".local/share").string(), rootHome.string()));
    EXPECT_FALSE(MayRegisterIn("", rootHome.string()));
}

TEST(ShellRegistration, TheDesktopDatabasesAcceptThePackageAndTheEntry) {
    if (!fs::exists("/usr/bin/update-mime-database") || !fs::exists("/usr/bin/desktop-file-validate"))
        GTEST_SKIP() << "shared-mime-info or desktop-file-utils is not installed";
    TempDir root;
    ASSERT_TRUE(RegisterDocumentType("/opt/Tallow mark/tallowmark", root.Root().string()).ok);
    const std::string mime = (root.Root() / "mime").string();
    ASSERT_EQ(std::system(("/usr/bin/update-mime-database '" + mime + "'").c_str()), 0);
    const std::string globs = TextOf(root.Root() / "mime/globs2");
    EXPECT_NE(globs.find("application/x-tallowmark-index:index.dat"), std::string::npos) << globs;
    EXPECT_NE(TextOf(root.Root() / "mime/magic").find("Client UrlCache MMF Ver"), std::string::npos);
    const std::string entry = (root.Root() / "applications/tallowmark.desktop").string();
    EXPECT_EQ(std::system(("/usr/bin/desktop-file-validate '" + entry + "'").c_str()), 0);
}

}  // namespace
}  // namespace tallowmark::platform
