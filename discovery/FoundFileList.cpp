#include "discovery/FoundFileList.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>

#include "model/TimeText.h"
#include "platform/NativePath.h"

namespace tallowmark {

namespace {
unsigned char Folded(char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }

bool ListOrder(const std::string& a, const std::string& b) {
    const auto byFoldedByte = [](char x, char y) { return Folded(x) < Folded(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byFoldedByte)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), byFoldedByte)) return false;
    return a < b;
}
}  // namespace

std::string FilesFoundText(std::size_t count) { return std::to_string(count) + " files found"; }

std::string SearchStoppedText(std::size_t count) { return "Search stopped: " + FilesFoundText(count); }

FoundFileFacts FactsOfFoundFile(const std::string& path) {
    std::error_code failed;
    const std::filesystem::path file = PathFromUtf8(path);
    FoundFileFacts facts;
    const std::uintmax_t size = std::filesystem::file_size(file, failed);
    if (!failed) facts.size = GroupedDigits(size);
    const auto written = std::filesystem::last_write_time(file, failed);
    if (failed) return facts;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::file_clock::to_sys(written).time_since_epoch())
            .count();
    // The list's times count seconds in 32 bits; a time past them shows no text.
    if (seconds >= 0 && seconds <= std::numeric_limits<TimeValue>::max())
        facts.modified = FormatTime(static_cast<TimeValue>(seconds), SHORT_TIME_FORMAT);
    return facts;
}

platform::SearchRoots FolderSearchRoots(const std::string& folder, const platform::SearchRoots& machine) {
    platform::SearchRoots search{{folder}, {}};
    for (const std::string& fence : machine.fences)
        if (std::find(machine.roots.begin(), machine.roots.end(), fence) == machine.roots.end())
            search.fences.push_back(fence);
    return search;
}

std::size_t FoundFileList::Insert(std::string path) {
    const auto place = std::upper_bound(m_paths.begin(), m_paths.end(), path, ListOrder);
    const auto row = static_cast<std::size_t>(place - m_paths.begin());
    m_paths.insert(place, std::move(path));
    return row;
}

}  // namespace tallowmark
