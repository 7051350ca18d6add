#pragma once

#include <string>
#include <utility>

namespace tallowmark {

// Success, or a failure with the message the user is shown.
struct Outcome {
    bool ok = true;
    std::string message;

    static Outcome Success() { return {}; }
    static Outcome Failure(std::string text) { return {false, std::move(text)}; }
    explicit operator bool() const { return ok; }
};

// Replaces every "%1" in `pattern` with `argument`.
std::string FormatMessage(const std::string& pattern, const std::string& argument);

}  // namespace tallowmark
