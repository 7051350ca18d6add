#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

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

}  // namespace
}  // namespace tallowmark
