#pragma once
// Counts as the user's locale writes them.

#include <cstdint>
#include <string>

namespace tallowmark {

// "3,958,176" in English, "3.958.176" in German, plain digits in the C locale; UTF-8.
std::string LocaleDigits(std::uint64_t count);

}  // namespace tallowmark
