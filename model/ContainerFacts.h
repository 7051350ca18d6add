#pragma once
// What an index file tells of itself as a whole: the header's counts and sizes, its cache
// directories with their file counts, the hash tables, and its entries by kind and status.
// The command line's info and the properties' Contents page show these.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/EntryKind.h"
#include "model/HashTables.h"
#include "model/RecordExtent.h"
#include "model/RecordMarks.h"

namespace tallowmark {

class TallowmarkDoc;

// The statuses in the order info and the Contents page count them.
inline constexpr std::array<RecordStatus, 3> kEntryStatuses = {RecordStatus::Live, RecordStatus::Deleted,
                                                               RecordStatus::Unknown};

struct ContainerFacts {
    FileShortfall shortfall;                                      // what the file lacks of its recorded size
    std::uint32_t blocks = 0;                                     // in the block area
    std::uint32_t blocksInUse = 0;                                // as the header counts them
    std::uint64_t cacheLimit = 0, cacheSize = 0, exemptSize = 0;  // bytes
    struct Directory {
        std::string_view name;  // as the header holds it
        std::uint32_t files;
    };
    std::vector<Directory> directories;
    std::size_t hashTables = 0;
    std::uint64_t hashEntriesInUse = 0;
    HashTables::ChainEnd hashChainEnd = HashTables::ChainEnd::Complete;
    // URL, LEAK and REDR records, by kind and by status (unknown, live, deleted).
    std::array<std::array<std::size_t, 3>, kEntryKindCount> entries{};
    std::size_t partialEntries = 0;

    std::size_t Entries(EntryKind kind, RecordStatus status) const {
        return entries[static_cast<std::size_t>(kind)][static_cast<std::size_t>(status)];
    }
    bool HasEntries(EntryKind kind) const {
        return Entries(kind, RecordStatus::Live) || Entries(kind, RecordStatus::Deleted) ||
               Entries(kind, RecordStatus::Unknown);
    }
};

// Nothing is read outside the header's bytes: a directory count larger than the header
// holds names for gives the directories it holds.
ContainerFacts ContainerFactsOf(const TallowmarkDoc& document);

// "complete", "loops", … as info writes how the hash-table chain ended.
std::string_view ChainEndName(HashTables::ChainEnd end);

}  // namespace tallowmark
