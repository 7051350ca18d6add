#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "shell/CascadeLayout.h"
#include "shell/CommandTable.h"
#include "shell/RecentFileList.h"
#include "shell/ToolbarPictures.h"
#include "shell/WindowPlacement.h"

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
                    // A key that works is shown beside its item.
                    if (FindCommand(item.id) && !FindCommand(item.id)->keys.empty()) {
                        EXPECT_NE(std::string(item.text).find('\t'), std::string::npos) << item.text;
                    }
                }
    EXPECT_EQ(CommandPrompt(*FindCommand(cmd::ViewBlankRecords)), "Toggle display of blank records");
    EXPECT_EQ(CommandTooltip(*FindCommand(cmd::ViewBlankRecords)), "Show/Hide blank records");
    EXPECT_EQ(CommandTooltip(*FindCommand(cmd::SaveSettingsAsDefaults)), "");
}

// The kept place reads back; a window never opens larger than its screen (1920 by 1080
// pixels at a scale of 2 is 960 by 540), nor past its edges, and one that fits stays put.
TEST(WindowPlacement, AKeptPlaceReadsBackAndFitsTheScreenItOpensOn) {
    const WindowPlace kept{-10, 20, 1100, 720};
    EXPECT_EQ(WindowPlaceText(kept), "-10,20,1100,720");
    const auto read = ParseWindowPlace(WindowPlaceText(kept));
    ASSERT_TRUE(read);
    EXPECT_EQ(WindowPlaceText(*read), WindowPlaceText(kept));
    for (const char* broken : {"", "1,2,3", "1,2,0,4", "1,2,3,4,5", "1, 2,3,4", "a,b,c,d", "1,2,3,99999999999"})
        EXPECT_FALSE(ParseWindowPlace(broken)) << broken;

    const WindowPlace screen{0, 0, 960, 540};
    const WindowPlace fitted = FitToScreen(kFirstWindowPlace, screen, 8, 40);
    EXPECT_EQ(WindowPlaceText(fitted), "4,36,952,500");  // frame and caption on the screen too
    // A place on a screen that is gone comes onto this one, at its size where it fits.
    EXPECT_EQ(WindowPlaceText(FitToScreen({2500, 900, 800, 500}, {0, 0, 1920, 1080}, 8, 40)), "1116,576,800,500");
    EXPECT_EQ(WindowPlaceText(FitToScreen({1920, 50, 800, 500}, {1920, 0, 1280, 1024}, 8, 40)), "1924,50,800,500");
}

TEST(ToolbarPictures, OneSetNeverMixed) {
    EXPECT_EQ(ChooseIconSet([](std::string_view) { return true; }), IconSet::Theme);
    // A theme without a picture for context help (or any other button) gives our own set.
    EXPECT_EQ(ChooseIconSet([](std::string_view name) { return name != "help-contextual"; }), IconSet::Own);
    EXPECT_EQ(ChooseIconSet([](std::string_view) { return false; }), IconSet::Own);
    EXPECT_EQ(ToolbarPictures().size(), 7u);
}

}  // namespace
}  // namespace tallowmark
