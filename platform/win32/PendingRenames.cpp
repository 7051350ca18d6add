#include "platform/win32/PendingRenames.h"

#include <string_view>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tallowmark::platform::pending {

namespace {
constexpr std::wstring_view kObjectPrefix = L"\\??\\";

// The text up to the next zero (or the end) from `position`, which moves past the zero.
std::wstring NextText(const std::vector<wchar_t>& value, std::size_t& position) {
    std::size_t end = position;
    while (end < value.size() && value[end] != L'\0') ++end;
    std::wstring text(value.begin() + static_cast<std::ptrdiff_t>(position),
                      value.begin() + static_cast<std::ptrdiff_t>(end));
    position = end + 1;
    return text;
}
}  // namespace

std::vector<Operation> Parse(const std::vector<wchar_t>& value) {
    std::vector<Operation> operations;
    std::size_t position = 0;
    while (position < value.size()) {
        Operation operation;
        operation.source = NextText(value, position);
        if (operation.source.empty()) break;  // the list's final zero
        operation.target = NextText(value, position);
        if (position > value.size()) break;  // cut short: the pair's last zero is missing
        operations.push_back(std::move(operation));
    }
    return operations;
}

std::vector<wchar_t> Serialize(const std::vector<Operation>& operations) {
    std::vector<wchar_t> value;
    for (const Operation& operation : operations) {
        value.insert(value.end(), operation.source.begin(), operation.source.end());
        value.push_back(L'\0');
        value.insert(value.end(), operation.target.begin(), operation.target.end());
        value.push_back(L'\0');
    }
    value.push_back(L'\0');
    return value;
}

bool DeletesExactly(const Operation& operation, const std::wstring& path) {
    if (!operation.target.empty() || path.empty()) return false;
    std::wstring_view source = operation.source;
    if (source.substr(0, kObjectPrefix.size()) == kObjectPrefix) source.remove_prefix(kObjectPrefix.size());
    return CompareStringOrdinal(source.data(), static_cast<int>(source.size()), path.data(),
                                static_cast<int>(path.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace tallowmark::platform::pending
