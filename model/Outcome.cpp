#include "model/Outcome.h"

namespace tallowmark {

std::string FormatMessage(const std::string& pattern, const std::string& argument) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, "%1") == 0) {
            out += argument;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace tallowmark
