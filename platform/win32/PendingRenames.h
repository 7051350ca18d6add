#pragma once
// The Session Manager's "PendingFileRenameOperations" value, read and written whole.
// It is a list of UTF-16 pairs, each a zero-terminated source and a zero-terminated
// target, ended by one more zero. An empty target asks for the source to be deleted; a
// source carries the "\??\" prefix of the system's object names.

#include <string>
#include <vector>

namespace tallowmark::platform::pending {

struct Operation {
    std::wstring source;
    std::wstring target;  // empty: delete the source
};

// Damaged data (odd length, no final zero) gives the whole pairs it holds.
std::vector<Operation> Parse(const std::vector<wchar_t>& value);
std::vector<wchar_t> Serialize(const std::vector<Operation>& operations);

// True for a delete of exactly `path` (a Windows path), letter case ignored as the
// file system does.
bool DeletesExactly(const Operation& operation, const std::wstring& path);

}  // namespace tallowmark::platform::pending
