#include "shell/CommandRoute.h"

namespace tallowmark {

CommandRoute::CommandRoute(std::initializer_list<CommandTarget*> targets) {
    for (CommandTarget* target : targets)
        if (target) m_targets.push_back(target);
}

bool CommandRoute::Run(int id) const {
    for (CommandTarget* target : m_targets)
        if (target->OnCommand(id)) return true;
    return false;
}

CommandState CommandRoute::State(int id) const {
    for (CommandTarget* target : m_targets)
        if (auto state = target->OnUpdateCommand(id)) return *state;
    return CommandState{false, std::nullopt};
}

}  // namespace tallowmark
