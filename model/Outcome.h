#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tallowmark {

// Why a file could not be read, for a caller that words it its own way (the command line).
enum class FailureCause : std::uint8_t { Other, NotFound, NotAnIndexFile };

// Success, or a failure with the message the user is shown; a success may carry a
// message of its own for the user, such as a status line.
struct Outcome {
    bool ok = true;
    std::string message;
    FailureCause cause = FailureCause::Other;

    static Outcome Success() { return {}; }
    static Outcome Failure(std::string text, FailureCause cause = FailureCause::Other) {
        return {false, std::move(text), cause};
    }
    explicit operator bool() const { return ok; }
};

// Replaces every "%1" in `pattern` with `argument`.
std::string FormatMessage(const std::string& pattern, const std::string& argument);
// Replaces every "%1", "%2"... in `pattern` with the argument of that number.
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace tallowmark
