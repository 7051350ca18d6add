#pragma once
// Loads a document on a worker thread while the window goes on painting. The caller waits
// for the outcome as it would for a load on its own thread; the user's input waits too, so
// that nothing else starts meanwhile.

#include <chrono>
#include <string>

#include "model/Outcome.h"
#include "model/TallowmarkDoc.h"

namespace tallowmark {

// How long a load goes untold: a shorter one would only flicker in the status bar.
inline constexpr std::chrono::milliseconds kQuietLoad{500};

// Loads `path` into `document`; once the load has taken `quiet`, `shown` is told how far it
// has come, on this thread, every tenth of a second (at once when `quiet` is zero).
Outcome LoadWhilePainting(TallowmarkDoc& document, const std::string& path, const LoadProgress& shown,
                          std::chrono::milliseconds quiet = kQuietLoad);

}  // namespace tallowmark
