#pragma once
// Decoding from the Windows ANSI code page in force (Windows only).

#include <cstddef>
#include <string>
#include <string_view>

namespace tallowmark::platform {

std::string SystemAnsiToUtf8(std::string_view bytes);

// How much of `bytes`, at most `most` of them (yet at least one character), ends between
// two characters of that code page.
std::size_t SystemAnsiCharactersEnd(std::string_view bytes, std::size_t most);

}  // namespace tallowmark::platform
