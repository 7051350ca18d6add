#include <gtest/gtest.h>

#include <string>

#include "presentation/AnsiText.h"
#include "presentation/PathText.h"

namespace tallowmark {
namespace {

TEST(AnsiText, Windows1252ToUtf8) {
    EXPECT_EQ(Windows1252ToUtf8("abc"), "abc");
    EXPECT_EQ(Windows1252ToUtf8("\xE9\x80\x9F"), "\xC3\xA9\xE2\x82\xAC\xC5\xB8");  // é € Ÿ
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");                              // undefined: U+0081
}

TEST(AnsiText, ExportsKeepValidUtf8AndReadEverythingElseAsTheCodePage) {
    const std::string ascii = "http://example/long/ascii/";  // past the eight-byte steps
    EXPECT_EQ(TextToUtf8(ascii + "caf\xC3\xA9\xF0\x9F\x98\x80"), ascii + "caf\xC3\xA9\xF0\x9F\x98\x80");
    for (const char* notUtf8 : {"\xE9", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_EQ(TextToUtf8(ascii + notUtf8), ascii + Windows1252ToUtf8(notUtf8)) << notUtf8;
}

TEST(PathText, ANameShowsOnOneLineWithEveryOddByteVisible) {
    EXPECT_EQ(PathDisplayText("/home/me/caf\xC3\xA9/\xE4\xB8\xAD.dat"), "/home/me/caf\xC3\xA9/\xE4\xB8\xAD.dat");
    EXPECT_EQ(PathDisplayText("/d/caf\xE9.dat"), "/d/caf\uFFFD.dat");
    EXPECT_EQ(PathDisplayText("/d/\xC3"), "/d/\uFFFD");                      // cut short
    EXPECT_EQ(PathDisplayText("/d/\xED\xA0\x80"), "/d/\uFFFD\uFFFD\uFFFD");  // a surrogate
    EXPECT_EQ(PathDisplayText("/d/a\nb\r\n\tc\x7F"), "/d/a\u21B5b\u21B5\u21B5\uFFFDc\uFFFD");
    EXPECT_EQ(PathDisplayText("/d/a\xC2\x85"
                              "b\xE2\x80\xA8"
                              "c"),
              "/d/a\u21B5b\u21B5c");
    EXPECT_EQ(PathDisplayText(std::string("/d/\0x", 5)), "/d/\uFFFDx");
}

}  // namespace
}  // namespace tallowmark
