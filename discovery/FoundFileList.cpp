#include "discovery/FoundFileList.h"

#include <algorithm>

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

std::size_t FoundFileList::Insert(std::string path) {
    const auto place = std::upper_bound(m_paths.begin(), m_paths.end(), path, ListOrder);
    const auto row = static_cast<std::size_t>(place - m_paths.begin());
    m_paths.insert(place, std::move(path));
    return row;
}

}  // namespace tallowmark
