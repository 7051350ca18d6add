#pragma once
// The commands of one record list: its viewing options, the entry details, Copy, the
// filter field and the timeline. The first link of the command route.

#include "shell/CommandTarget.h"

namespace tallowmark {

class TallowmarkView;
class ViewingDefaults;

class ViewCommands : public CommandTarget {
public:
    ViewCommands(TallowmarkView& view, ViewingDefaults& defaults) : m_view(view), m_defaults(defaults) {}

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) override;

private:
    TallowmarkView& m_view;
    ViewingDefaults& m_defaults;
};

}  // namespace tallowmark
