#pragma once

#include <optional>

namespace tallowmark {

// What an update handler says of a command.
struct CommandState {
    bool enabled = true;
    std::optional<bool> checked;  // set for commands shown with a tick
};

// One link of the command route: view, document, child frame, main frame, application.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when this target handles `id` (and has run it).
    virtual bool OnCommand(int id) = 0;
    // The state of `id` when this target handles it, else nothing.
    virtual std::optional<CommandState> OnUpdateCommand(int id) = 0;
};

}  // namespace tallowmark
