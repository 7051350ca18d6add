#pragma once
// The texts the Open Image dialog shows of the index files a walk of an image finds, and
// of the walk itself; the command line's progress line says the same.

#include <cstddef>
#include <string>
#include <vector>

#include "discovery/ImageFileSystems.h"

namespace tallowmark {

// One row: state ("deleted", or "deleted, overwritten" for a file that is not read),
// user, role, path, size and modified time (local, as the record list shows times).
struct ImageFileRow {
    std::string state, user, role, path, size, modified;
};
ImageFileRow ImageFileRowOf(const FoundIndexFile& file);

// Why a found file is not read, and what reads what is left of it; empty for one that is.
std::string NotReadText(const FoundIndexFile& file);

// "Partition 1 of 2: 340 folders read, 3 index files found".
std::string ImageWalkProgressText(const ImageWalkProgress& progress, std::size_t fileSystems);
// "3 index files found", then what could not be read, or that the walk was stopped.
std::string ImageWalkEndText(const ImageWalkSummary& summary, std::size_t skippedPartitions);

inline constexpr const char* kNoImageFileSelectedMessage =
    "Select one or more index files that can be read in the list, then choose Open.";

}  // namespace tallowmark
