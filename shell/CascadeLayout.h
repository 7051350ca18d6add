#pragma once
// Where document windows go in the workspace: each new one, and all of them on
// Cascade, one caption step below and right of the one before, large enough to use
// most of the workspace, and never with a caption outside it.

namespace tallowmark {

struct WindowPlace {
    int x, y, width, height;
};

// Place number `index` (0 for the first window) in a `workspaceWidth` by
// `workspaceHeight` area, stepping `step` pixels (a caption's height) per window.
WindowPlace CascadePlace(int index, int workspaceWidth, int workspaceHeight, int step);

}  // namespace tallowmark
