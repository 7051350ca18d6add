#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "presentation/AnsiText.h"
#include "presentation/PathText.h"
#include "shell/CascadeLayout.h"
#include "shell/CommandTable.h"
#include "shell/RecentFileList.h"

namespace tallowmark {
namespace {

TEST(CascadeLayout, StepsStayInsideAndStartOverBeforeWindowsGetSmall) {
    const WindowPlace first = CascadePlace(0, 1100, 600, 26);
    const WindowPlace second = CascadePlace(1, 1100, 600, 26);
    EXPECT_EQ(first.x, 0);
    EXPECT_EQ(second.x, 26);
    EXPECT_EQ(second.y, 26);
    EXPECT_EQ(second.width, first.width);
    for (int index = 0; index < 20; ++index) {
        const WindowPlace place = CascadePlace(index, 1100, 600, 26);
        EXPECT_LE(place.x + place.width, 1100) << index;
        EXPECT_LE(place.y + place.height, 600) << index;
        EXPECT_GE(place.height, 400) << index;
    }
    // A workspace too small for any step gives every window all of it.
    const WindowPlace tiny = CascadePlace(3, 60, 40, 26);
    EXPECT_EQ(tiny.x, 0);
    EXPECT_EQ(tiny.width, 60);
    EXPECT_EQ(tiny.height, 40);
}

TEST(TileLayout, WindowsStackAtFullWidthAndShareTheHeightWithoutGaps) {
    auto tiled = [](int count, int height) {
        std::vector<std::array<int, 4>> places;
        for (int index = 0; index < count; ++index) {
            const WindowPlace place = TilePlace(index, count, 1100, height);
            places.push_back({place.x, place.y, place.width, place.height});
        }
        return places;
    };
    EXPECT_EQ(tiled(2, 600), (std::vector<std::array<int, 4>>{{0, 0, 1100, 300}, {0, 300, 1100, 300}}));
    EXPECT_EQ(tiled(3, 602),
              (std::vector<std::array<int, 4>>{{0, 0, 1100, 201}, {0, 201, 1100, 201}, {0, 402, 1100, 200}}));
}

TEST(RecentFileList, MostRecentFirstWithoutDuplicatesUpToNine) {
    RecentFileList list(9, 30);
    for (int i = 1; i <= 11; ++i) list.Add("/f/" + std::to_string(i) + ".dat");
    ASSERT_EQ(list.Paths().size(), 9u);
    EXPECT_EQ(list.Paths().front(), "/f/11.dat");
    EXPECT_EQ(list.Paths().back(), "/f/3.dat");
    list.Add("/f/5.dat");
    EXPECT_EQ(list.Paths().front(), "/f/5.dat");
    EXPECT_EQ(list.Paths().size(), 9u);
    list.Remove(0);
    EXPECT_EQ(list.Paths().front(), "/f/11.dat");
    list.Assign({"/a", "/b", "/a"});
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/a", "/b"}));
}

TEST(RecentFileList, MenuTextsAreShortenedToThirtyCharacters) {
    RecentFileList list(9, 30);
    list.Add("C:\\Documents and Settings\\user\\Local Settings\\History\\History.IE5\\index.dat");
    list.Add("/home/me/R&D/index.dat");
    EXPECT_EQ(list.MenuText(0), "&1 /home/me/R&&D/index.dat");
    EXPECT_EQ(list.MenuText(1), "&2 C:\\...\\History.IE5\\index.dat");
    EXPECT_EQ(AbbreviatePath("/x/" + std::string(40, 'n') + ".dat", 30), std::string(30, 'n'));
    for (const char* path : {"/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/index.dat", "/very/long/folder/name/here/index.dat"})
        EXPECT_LE(AbbreviatePath(path, 30).size(), 30u) << path;
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

TEST(CommandTable, EveryMenuItemHasItsCommandAndNoKeyIsTakenTwice) {
    std::set<std::string> keys;
    for (const CommandInfo& command : CommandTable())
        for (const char* key : command.keys) EXPECT_TRUE(keys.insert(key).second) << key;
    for (const auto* menus : {&NoDocumentMenu(), &DocumentMenu()})
        for (const MenuInfo& menu : *menus)
            for (const MenuItemInfo& item : menu.items)
                if (item.id != 0 && item.id != cmd::RecentFirst) {
                    EXPECT_NE(FindCommand(item.id), nullptr) << item.text;
                }
    EXPECT_EQ(CommandPrompt(*FindCommand(cmd::ViewBlankRecords)), "Toggle display of blank records");
    EXPECT_EQ(CommandTooltip(*FindCommand(cmd::ViewBlankRecords)), "Show/Hide blank records");
    EXPECT_EQ(CommandTooltip(*FindCommand(cmd::SaveSettingsAsDefaults)), "");
}

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

}  // namespace
}  // namespace tallowmark
