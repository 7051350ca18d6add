#include "discovery/IndexFileSearch.h"

#include <algorithm>

#include "platform/DirectoryReader.h"

namespace tallowmark {

std::atomic<bool> g_bStopSearch{false};

namespace {
bool Stopped() { return g_bStopSearch.load(std::memory_order_relaxed); }
}  // namespace

bool IsIndexFileName(std::string_view name) {
    constexpr std::string_view kIndexName = "index.dat";
    return name.size() == kIndexName.size() &&
           std::equal(name.begin(), name.end(), kIndexName.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

void SearchDirectory(std::string path, FindFilesSink& sink, const std::vector<std::string>& fences) {
    using platform::EntryKind;
    if (path.empty() || path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
    sink.Send(WM_FINDFILES_STATUS, kScanningPrefix + path);
    platform::DirectoryReader reader(path);
    if (!reader.IsOpen()) {
        sink.PassedOver(path, reader.Failure());
        return;
    }
    platform::DirectoryEntry entry;
    while (!Stopped() && reader.Next(entry)) {
        if (entry.kind == EntryKind::Directory) {
            std::string child = path;
            child += entry.name;
            if (!std::binary_search(fences.begin(), fences.end(), child))
                SearchDirectory(std::move(child), sink, fences);
        } else if (entry.kind == EntryKind::File && IsIndexFileName(entry.name)) {
            std::string found = path;
            found += entry.name;
            sink.Send(WM_FINDFILES_FOUND, std::move(found));
        }
    }
}

int FindFilesThreadProc(FindFilesSink* sink, const platform::SearchRoots& where) {
    if (!sink) return 1;
    for (const std::string& root : where.roots) {
        if (Stopped()) return 0;
        SearchDirectory(root, *sink, where.fences);
    }
    if (!Stopped()) sink->Send(WM_FINDFILES_DONE, {});
    return 0;
}

}  // namespace tallowmark
