#include "shell/CascadeLayout.h"

#include <algorithm>

namespace tallowmark {

namespace {
// Windows keep at least this share of the workspace; the cascade starts over at the
// top left when the next step would make them smaller.
constexpr int kMinimumShareNumerator = 2;
constexpr int kMinimumShareDenominator = 3;
constexpr int kMostSteps = 5;
}  // namespace

WindowPlace CascadePlace(int index, int workspaceWidth, int workspaceHeight, int step) {
    step = std::max(step, 1);
    const int width = std::max(workspaceWidth, 1);
    const int height = std::max(workspaceHeight, 1);
    // The number of steps both sides can give up while keeping their minimum share.
    const int spareX = width - width * kMinimumShareNumerator / kMinimumShareDenominator;
    const int spareY = height - height * kMinimumShareNumerator / kMinimumShareDenominator;
    const int steps = std::clamp(std::min(spareX, spareY) / step, 0, kMostSteps);
    const int slot = steps == 0 ? 0 : std::max(index, 0) % (steps + 1);
    return {slot * step, slot * step, width - steps * step, height - steps * step};
}

WindowPlace TilePlace(int index, int count, int workspaceWidth, int workspaceHeight) {
    count = std::max(count, 1);
    index = std::clamp(index, 0, count - 1);
    const int height = std::max(workspaceHeight, 0);
    // The first `height % count` windows take one pixel more.
    const int share = height / count, extra = height % count;
    const int top = index * share + std::min(index, extra);
    return {0, top, std::max(workspaceWidth, 1), std::max(share + (index < extra ? 1 : 0), 1)};
}

}  // namespace tallowmark
