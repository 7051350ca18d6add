#include "forensic/JsonText.h"

namespace tallowmark {

namespace {
bool NeedsJsonEscape(char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; }
}  // namespace

void AppendJsonEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    while (!text.empty()) {
        // Plain runs go out whole.
        std::size_t run = 0;
        while (run < text.size() && !NeedsJsonEscape(text[run])) ++run;
        out.append(text.data(), run);
        text.remove_prefix(run);
        if (text.empty()) break;
        const char c = text.front();
        text.remove_prefix(1);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
                out.append(escape, sizeof escape);
            }
        }
    }
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    AppendJsonEscaped(out, text);
    out += '"';
}

void AppendCsvEscaped(std::string& out, std::string_view text) {
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos; text.remove_prefix(quote + 1)) {
        out.append(text.data(), quote + 1);
        out += '"';
    }
    out.append(text);
}

}  // namespace tallowmark
