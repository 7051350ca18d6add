#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "shell/CommandRoute.h"

namespace tallowmark {
namespace {

// Handles the ids it is given and notes each one it runs.
struct Target : CommandTarget {
    std::vector<int> handles;
    bool checked = false;
    std::vector<int> ran;

    bool OnCommand(int id) override {
        if (!Handles(id)) return false;
        ran.push_back(id);
        return true;
    }
    std::optional<CommandState> OnUpdateCommand(int id) override {
        if (!Handles(id)) return std::nullopt;
        return CommandState{true, checked};
    }
    bool Handles(int id) const { return std::find(handles.begin(), handles.end(), id) != handles.end(); }
};

TEST(CommandRoute, RunningAndUpdatingAskTheSameFirstTarget) {
    Target view, frame;
    view.handles = {1};
    view.checked = true;
    frame.handles = {1, 2};
    const CommandRoute route{&view, nullptr, &frame};
    EXPECT_TRUE(route.Run(1));
    EXPECT_TRUE(route.Run(2));
    EXPECT_EQ(view.ran, std::vector<int>{1});
    EXPECT_EQ(frame.ran, std::vector<int>{2});
    EXPECT_EQ(route.State(1).checked, std::optional<bool>(true));
    EXPECT_EQ(route.State(2).checked, std::optional<bool>(false));
    // A command nobody handles is shown disabled and does nothing.
    EXPECT_FALSE(route.Run(3));
    EXPECT_FALSE(route.State(3).enabled);
}

}  // namespace
}  // namespace tallowmark
