#pragma once

namespace tallowmark {

inline constexpr const char* kProductName = "Tallowmark";
inline constexpr const char* kProductVersion = "2.1.0";

}  // namespace tallowmark
