#pragma once
// The way a command takes: an ordered list of targets (active view, the active document's
// commands, child frame, main frame, application), walked the same way to run a command
// and to ask its state. The first target that handles the id runs it or answers for it.

#include <initializer_list>
#include <vector>

#include "shell/CommandTarget.h"

namespace tallowmark {

class CommandRoute {
public:
    // Targets in the order they are asked; null ones (no active view) are left out.
    CommandRoute(std::initializer_list<CommandTarget*> targets);

    // Runs `id`; false when no target handles it.
    bool Run(int id) const;
    // The state its handler gives; disabled when no target handles it.
    CommandState State(int id) const;

private:
    std::vector<CommandTarget*> m_targets;
};

}  // namespace tallowmark
