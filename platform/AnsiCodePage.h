#pragma once
// Decoding from the Windows ANSI code page in force (Windows only).

#include <string>
#include <string_view>

namespace tallowmark::platform {

std::string SystemAnsiToUtf8(std::string_view bytes);

}  // namespace tallowmark::platform
