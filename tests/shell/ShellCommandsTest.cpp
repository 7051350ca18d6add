#include <gtest/gtest.h>

#include <algorithm>

#include "shell/ShellCommands.h"

namespace tallowmark {
namespace {

using Paths = std::vector<std::string>;

TEST(ShellCommands, OpenCommandsRoundTripAndJunkIsSkipped) {
    const Paths paths = {"/home/me/index.dat", "/odd/\"quoted\")]/[open(\"x\")]", "/sp ace/\xC3\xA9.dat"};
    std::string stream;
    for (const std::string& path : paths) stream += OpenCommand(path);
    EXPECT_EQ(OpenCommand("/a\"b"), "[open(\"/a\"\"b\")]");
    EXPECT_EQ(ParseOpenCommands(stream), paths);

    const std::string junk[] = {"[print(\"/p\")]",       "[open(\"\")]",      "[open(\"/unterminated",
                                "[open(\"/x\")",         "[open(\"/x\"y\")]", std::string("[open(\"/nul\0x\")]", 17),
                                "\xFF\xFE[[[open((\"\"", "[OPEN(\"/upper\")]"};
    std::string mixed = "garbage";
    for (const std::string& piece : junk) mixed += piece + OpenCommand("/good");
    EXPECT_EQ(ParseOpenCommands(mixed), Paths(std::size(junk), "/good"));
    for (const std::string& piece : junk) EXPECT_TRUE(ParseOpenCommands(piece).empty()) << piece;
}

TEST(ShellCommands, OnlyDdeStartsOpenFiles) {
    EXPECT_FALSE(ParseCommandLine({"/home/me/index.dat"}).dde);
    EXPECT_TRUE(ParseCommandLine({"/home/me/index.dat"}).paths.empty());
    EXPECT_EQ(ParseCommandLine({"/dde", "/a", "b c"}).paths, (Paths{"/a", "b c"}));
    EXPECT_EQ(ParseCommandLine({"/x", "-dde"}).paths, (Paths{"/x"}));
    EXPECT_TRUE(ParseCommandLine({"/dde"}).dde);
    // A file named alone is told how to open it, in one line a shell takes back.
    EXPECT_EQ(NamedFilesHint(ParseCommandLine({"/a/index.dat", "it's here.dat"})),
              "tallowmark: a file named alone is not opened; to open it, run "
              "\"tallowmark /dde /a/index.dat 'it'\\''s here.dat'\" or choose File > Open");
    EXPECT_EQ(NamedFilesHint(ParseCommandLine({"/dde", "/a"})), "");
}

// Files handed over at once that fail are told of in one box, each on a line of its own.
TEST(ShellCommands, FilesNotOpenedAreToldOfTogether) {
    EXPECT_EQ(FilesNotOpenedText({{"/a.dat", "Unexpected file format."}}), "Unexpected file format.");
    EXPECT_EQ(FilesNotOpenedText({{"/a.dat", "Unexpected file format."}, {"/b\nc.dat", "/b\nc.dat was not found."}}),
              "/a.dat: Unexpected file format.\n/b\u21B5c.dat was not found.");
    std::vector<FileNotOpened> many(25, {"/x.dat", "/x.dat was not found."});
    const std::string text = FilesNotOpenedText(many);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20);
    EXPECT_TRUE(text.ends_with("\n5 more files could not be opened.")) << text;
}

}  // namespace
}  // namespace tallowmark
