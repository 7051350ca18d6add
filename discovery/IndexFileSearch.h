#pragma once
// The search of the machine for files named index.dat. It runs on a worker thread and
// reports through a sink, one call per message; the walk waits for each call to return.

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SearchRoots.h"

namespace tallowmark {

// Raised to end a running search; cleared by whoever starts one. The walk tests it
// before each root and before each directory entry, at every level.
extern std::atomic<bool> g_bStopSearch;

enum FindFilesMessage {
    WM_FINDFILES_FOUND = 0x464,   // text: the full path of a file found
    WM_FINDFILES_STATUS = 0x465,  // text: "Scanning " and a directory, before its entries are read
    WM_FINDFILES_DONE = 0x466,    // text empty; the last message of a search that was not stopped
};

class FindFilesSink {
public:
    virtual ~FindFilesSink() = default;
    // Called on the searching thread; the text becomes the sink's.
    virtual void Send(FindFilesMessage message, std::string text) = 0;
    // A directory that could not be listed (its status has been sent) and the system's
    // reason; the walk goes on without it. A window has no use for it, a report may.
    virtual void PassedOver(const std::string& directory, const std::string& reason) {
        (void)directory;
        (void)reason;
    }
};

inline constexpr const char* kScanningPrefix = "Scanning ";

// "index.dat" in any letter case, the whole name.
bool IsIndexFileName(std::string_view name);

// Walks one directory tree depth first: the status of each directory, then its entries in
// the order the file system gives them; found files are reported, subdirectories walked
// before the next entry. Links to directories and the fenced mount points are not entered.
void SearchDirectory(std::string path, FindFilesSink& sink, const std::vector<std::string>& fences = {});

// The worker: walks every root in turn and sends WM_FINDFILES_DONE unless it was
// stopped. Returns 1 without a message when there is no sink, else 0.
int FindFilesThreadProc(FindFilesSink* sink, const platform::SearchRoots& where);

}  // namespace tallowmark
