#pragma once
// Where document windows go in the workspace. Cascaded (each new one, and all of them on
// Cascade): one caption step below and right of the one before, large enough to use
// most of the workspace, and never with a caption outside it. Tiled: one above the
// other, each the workspace's full width, so that every column of a list stays in view.

namespace tallowmark {

struct WindowPlace {
    int x, y, width, height;
};

// Place number `index` (0 for the first window) in a `workspaceWidth` by
// `workspaceHeight` area, stepping `step` pixels (a caption's height) per window.
WindowPlace CascadePlace(int index, int workspaceWidth, int workspaceHeight, int step);

// Place number `index` of `count` windows tiled horizontally: from the top down, the
// workspace's height shared out as evenly as whole pixels allow, the gaps closed.
WindowPlace TilePlace(int index, int count, int workspaceWidth, int workspaceHeight);

}  // namespace tallowmark
