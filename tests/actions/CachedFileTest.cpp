#include <gtest/gtest.h>

#include <filesystem>
#include <cctype>
#include <fstream>

#include "actions/CachedFile.h"
#include "support/DocFixture.h"

namespace tallowmark {
namespace {

namespace fs = std::filesystem;
using testing::IndexFileBuilder;
using testing::UrlEntry;

void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "cached";
}

// Windows names ignore letter case, so there the index's spelling opens the file as well
// as the one on disk.
std::string Folded(std::string path) {
#ifdef _WIN32
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
    return path;
}

// One index with the record kinds and names the cases below need; cache directory 0 is
// "ABCD1234", 1 is "..", 2 is "C:", 3 is "/etc".
IndexFileBuilder Index() {
    IndexFileBuilder builder;
    builder.CacheDir(0, "ABCD1234").CacheDir(1, "..").CacheDir(2, "C:").CacheDir(3, "/etc");
    builder.Hash(1);
    builder.Url({.url = "http://a/", .fileName = "page[1].htm", .dirIndex = 0});     // 1
    builder.Leak({.url = "http://b/", .fileName = "gone[1].htm", .dirIndex = 0});    // 2
    builder.Url({.url = "http://c/", .fileName = "top.htm", .dirIndex = -1});        // 3: no directory
    builder.Url({.url = "http://d/", .fileName = "", .dirIndex = 0});                // 4: no file name
    builder.Url({.url = "http://e/", .fileName = "secret.txt", .dirIndex = 1});      // 5: ".."
    builder.Url({.url = "http://f/", .fileName = "secret.txt", .dirIndex = 2});      // 6: "C:"
    builder.Url({.url = "http://g/", .fileName = "passwd", .dirIndex = 3});          // 7: "/etc"
    builder.Url({.url = "http://h/", .fileName = "../secret.txt", .dirIndex = 0});   // 8
    builder.Url({.url = "http://i/", .fileName = "..\\secret.txt", .dirIndex = 0});  // 9
    builder.Url({.url = "http://j/", .fileName = "/etc/passwd", .dirIndex = -1});    // 10
    builder.Url({.url = "http://k/", .fileName = "..", .dirIndex = 0});              // 11
    builder.Url({.url = "http://l/", .fileName = "Mixed[1].HTM", .dirIndex = 0});    // 12
    builder.Redirect("http://m/").Blank().BadFood();                                 // 13-15
    return builder;
}

TEST(CachedFile, FoundBesideTheIndexInItsCacheDirectory) {
    const auto loaded = testing::LoadDoc(Index());
    const fs::path root = loaded->dir.Root();
    Touch(root / "ABCD1234" / "page[1].htm");
    Touch(root / "top.htm");
    Touch(root / "ABCD1234" / "mixed[1].htm");
    fs::create_directories(root / "ABCD1234" / "sub");
    const std::string& index = loaded->path;

    EXPECT_EQ(CachedFilePath((*loaded)[1], index), (root / "ABCD1234" / "page[1].htm").string());
    EXPECT_EQ(CachedFilePath((*loaded)[2], index), "") << "the cached copy was deleted";
    EXPECT_EQ(CachedFilePath((*loaded)[3], index), (root / "top.htm").string())
        << "no directory: the folder's own file";
    EXPECT_EQ(CachedFilePath((*loaded)[4], index), "") << "no file name names no file";
    EXPECT_EQ(Folded(CachedFilePath((*loaded)[12], index)), Folded((root / "ABCD1234" / "mixed[1].htm").string()))
        << "letter case as found on disk";
    for (std::size_t i : {0u, 13u, 14u, 15u}) EXPECT_EQ(CachedFilePath((*loaded)[i], index), "") << i;

    // A folder with blanks in its name is kept as it is.
    const fs::path spaced = root / "my cache";
    Touch(spaced / "abcd1234" / "PAGE[1].htm");
    EXPECT_EQ(Folded(CachedFilePath((*loaded)[1], (spaced / "index.dat").string())),
              Folded((spaced / "abcd1234" / "PAGE[1].htm").string()));
}

TEST(CachedFile, NamesThatWouldLeaveTheCacheFolderNameNoFile) {
    const auto loaded = testing::LoadDoc(Index());
    // Everything a hostile name could reach exists, so only the name check refuses it.
    const fs::path cache = loaded->dir.Root() / "cache";
    Touch(loaded->dir.Root() / "secret.txt");
    Touch(cache / "ABCD1234" / "x");
#ifndef _WIN32
    Touch(cache / "C:" / "secret.txt");  // a name Windows itself cannot give a folder
#endif
    Touch(cache / "secret.txt");
    const std::string index = (cache / "index.dat").string();
    for (std::size_t i : {5u, 6u, 7u, 8u, 9u, 10u, 11u}) EXPECT_EQ(CachedFilePath((*loaded)[i], index), "") << i;

    for (const char* name : {"", ".", "..", "...", ". .", "a/b", "a\\b", "C:x", "/", "\\\\server", "x*", "a?", "t\tab"})
        EXPECT_FALSE(IsPlainName(name)) << name;
    for (const char* name : {"page[1].htm", "ABCD1234", ".hidden", "a b", "x..y", "caf\xE9"})
        EXPECT_TRUE(IsPlainName(name)) << name;
}

}  // namespace
}  // namespace tallowmark
