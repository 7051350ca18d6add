#include <gtest/gtest.h>

#include "model/NativePath.h"
#include "model/TallowmarkDoc.h"
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
#else
    EXPECT_EQ(NativeSeparators("/home/ann/odd\\name.dat"), "/home/ann/odd\\name.dat");
#endif
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
    ASSERT_TRUE(document.ExportCsv(csv, true, true));
    ASSERT_TRUE(document.SaveAs(copy));
    EXPECT_EQ(document.Title(), "kopie-ξ.dat");
    EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(csv)));
    TallowmarkDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(copy));
    EXPECT_EQ(reread.RecordCount(), 2u);
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(folder)), folder);
}

}  // namespace
}  // namespace tallowmark
