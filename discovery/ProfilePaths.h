#pragma once
// What the path of an index file inside an image says of it: whose profile holds it, and
// which of the browser's stores it is (the cache, the history and its daily and weekly
// periods, the cookies, their low-integrity variants and the other stores).

#include <optional>
#include <string>
#include <string_view>

#include "model/EntryKind.h"

namespace tallowmark {

struct ProfilePathFacts {
    // The profile's folder name: NAME of "Documents and Settings\NAME" or "Users\NAME",
    // or systemprofile, LocalService, NetworkService for the system's and services' own.
    std::string user;
    std::optional<EntryKind> role;  // the store its folder is, as records of that store are kinds
    bool lowIntegrity = false;      // in a "Low" folder, where protected mode keeps its stores
};

// `path` from the root of a file system, its names parted by "/" or "\"; letter case
// does not matter.
ProfilePathFacts ProfilePathFactsOf(std::string_view path);

// The role as shown: the kind's name ("history-daily"), with ", low integrity" after it;
// empty when the path names none.
std::string RoleText(const ProfilePathFacts& facts);

// Whether a name in a file system is an index file's: "index.dat" in any letter case, or
// for a deleted FAT entry, whose first letter the file system overwrote, any first
// character before "ndex.dat".
bool IsIndexFileNameInImage(std::string_view name, bool deleted);

}  // namespace tallowmark
