#include "model/Outcome.h"

namespace tallowmark {

std::string FormatMessage(const std::string& pattern, const std::string& argument) {
    return FormatMessage(std::string_view(pattern), {std::string_view(argument)});
}

std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '0') <= arguments.size()) {
            out += arguments.begin()[next - '1'];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace tallowmark
