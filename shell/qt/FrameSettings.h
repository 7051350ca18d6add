#pragma once
// How the main window was when the program last ended, kept under "Window": its place,
// whether it was maximised, whether it showed its documents as tabs, and whether the
// user last had the document windows fill the workspace.

#include <optional>

#include "shell/CascadeLayout.h"

namespace tallowmark {

struct FrameSettings {
    std::optional<WindowPlace> place;  // the window's inside when not maximised
    bool maximized = false;
    bool tabbed = false;
    bool documentsMaximized = true;  // the first document window fills the workspace

    // A missing or unusable value leaves the default.
    static FrameSettings Load();
    void Save() const;
};

}  // namespace tallowmark
