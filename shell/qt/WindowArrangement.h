#pragma once
// Where the document windows go in the workspace: a new one at its cascade step, the
// Cascade and Tile commands, and the Window menu's list of windows.

class QMdiArea;
class QMenu;
class QMdiSubWindow;

namespace tallowmark {

// Window number `index` at its cascade step, large enough to use the workspace.
void PlaceFrame(QMdiArea& area, QMdiSubWindow& frame, int index);
// Oldest first, so that the active window ends on top at the last step.
void CascadeFrames(QMdiArea& area);
// Tile horizontally: the windows that are not minimised stacked from the top, the active
// one first.
void TileFrames(QMdiArea& area);
// The windows at the end of `menu` after a separator, numbered in the order they were
// made, the active one ticked; choosing one activates it. Replaces the list there before.
void FillWindowList(QMenu& menu, QMdiArea& area);

}  // namespace tallowmark
