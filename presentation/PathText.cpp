#include "presentation/PathText.h"

#include <algorithm>

#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
constexpr std::string_view kSubstitute = "\xEF\xBF\xBD";     // U+FFFD REPLACEMENT CHARACTER
constexpr std::string_view kLineBreakMark = "\xE2\x86\xB5";  // U+21B5, the return arrow

bool IsLineBreak(std::string_view sequence) {
    return sequence == "\n" || sequence == "\r" || sequence == "\v" || sequence == "\f" || sequence == "\xC2\x85" ||
           sequence == "\xE2\x80\xA8" || sequence == "\xE2\x80\xA9";
}

bool IsControl(std::string_view sequence) {
    return sequence.size() == 1 && (static_cast<unsigned char>(sequence.front()) < 0x20 || sequence.front() == 0x7F);
}
}  // namespace

std::string PathDisplayText(std::string_view path) {
    std::string shown;
    shown.reserve(path.size() + 8);
    while (!path.empty()) {
        const std::size_t length = DecodeUtf8(path).length;
        const std::string_view sequence = path.substr(0, std::max<std::size_t>(length, 1));
        if (IsLineBreak(sequence)) shown += kLineBreakMark;
        else if (length == 0 || IsControl(sequence))
            shown += kSubstitute;
        else
            shown += sequence;
        path.remove_prefix(sequence.size());
    }
    return shown;
}

}  // namespace tallowmark
